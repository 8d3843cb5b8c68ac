#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

class QPainter;
class QWidget;

// Painting shared by the self-drawn controls.

// One line of text, cut at the end with "…" when it does not fit, centred vertically in `box`.
void drawControlTitle(QPainter& painter, const QRectF& box, const QString& text, const QFont& font, const QColor& ink,
                      Qt::Alignment horizontal = Qt::AlignHCenter);

// The keyboard focus ring in the accent colour, following a rounded rectangle (radius 0: the plain rectangle).
void drawFocusRing(QPainter& painter, const QWidget* widget, const QRectF& bounds, qreal radius);

// `secondary` at 55 % opacity: the ink of a disabled control.
QColor disabledInk(const QWidget* widget);
