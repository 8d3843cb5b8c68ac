#pragma once

#include "ui/Theme.h"

#include <QStringList>

class QWidget;

// A summary card of the task detail: a box filled with `fill`, a heading in `tint`, then each row in at most two
// lines.
QWidget* visualCard(const QString& heading, const QStringList& rows, ThemeColor tint, ThemeColor fill,
                    QWidget* parent = nullptr);
