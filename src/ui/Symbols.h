#pragma once

#include <QColor>
#include <QIcon>
#include <QRectF>

class QPainter;

// The small line symbols of the interface, drawn with paths so they stay sharp at any scale and take any tint.
enum class Symbol { squareSplit2x2, checkmarkSquare, arrowUpRight, gearshape, moon, sunMax, checkmark };

void drawSymbol(QPainter& painter, Symbol symbol, const QRectF& box, const QColor& tint);
QIcon symbolIcon(Symbol symbol, const QColor& tint, int size = 16);
