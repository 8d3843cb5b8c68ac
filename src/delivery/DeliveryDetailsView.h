#pragma once

#include "delivery/DeliveryDetails.h"

#include <QList>
#include <QString>

class QWidget;
struct Copy;

// The details body of the run pane: a title line per section, then its cards (options, entries, criteria or
// lines of text). Host text is shown as plain text.

// Removes every view from the body.
void clearDeliveryDetails(QWidget* body);
// Replaces the body's views with `sections`.
void showDetailSections(QWidget* body, const QList<DetailSection>& sections, const Copy& copy);
// Appends a section of ready-made views under its title line; the body takes them over.
void addDetailSection(QWidget* body, const QString& title, const QList<QWidget*>& views);
