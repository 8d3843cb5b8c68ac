#pragma once

#include "ui/Copy.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <functional>

class QWidget;

// The details of a run whose conversation has auto-continue: instead of the run's tabs, a short summary of the
// conversation. The run area clears its details body and hides its tabs and understanding groups, then calls
// this, which hands each section's views to `addDetailSection` in order, "Original conversation" last; that
// section's button calls `openOriginalSession`.
using AddDetailSection = std::function<void(const QString& title, const QList<QWidget*>& views)>;
void renderCompactSessionDetails(const QJsonObject& session, const QJsonObject& run, const Copy& copy,
                                 const AddDetailSection& addDetailSection,
                                 const std::function<void()>& openOriginalSession);
