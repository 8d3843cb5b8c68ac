#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QRectF>

class QPainter;

// The small line symbols of the interface, drawn with paths so they stay sharp at any scale and take any tint.
enum class Symbol {
    squareSplit2x2,
    checkmarkSquare,
    arrowUpRight,
    gearshape,
    moon,
    sunMax,
    checkmark,
    magnifyingGlass
};

void drawSymbol(QPainter& painter, Symbol symbol, const QRectF& box, const QColor& tint);
QIcon symbolIcon(Symbol symbol, const QColor& tint, int size = 16);

// The app's own mark (a rounded tile with a "V"), used where the bundle ships no icon image; `monochrome` gives
// the single-colour glyph of the tray.
QPixmap appMark(int size, bool monochrome = false, const QColor& ink = Qt::black);
