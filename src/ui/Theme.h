#pragma once

#include "ui/Tone.h"

#include <QColor>
#include <QFont>

class QWidget;

enum class Appearance { light, dark };

// A colour as a light/dark pair, resolved when it is drawn so that an appearance switch needs no rebuild.
struct ThemeColor {
    quint32 light = 0;
    quint32 dark = 0;
    QColor resolve(Appearance appearance) const;
    QColor resolve(const QWidget* widget) const;
    friend bool operator==(const ThemeColor&, const ThemeColor&) = default;
};

namespace Theme {

// Builds a pair from two 0xRRGGBB values, the dark one first.
constexpr ThemeColor color(quint32 dark, quint32 light) {
    return ThemeColor{light, dark};
}

inline constexpr ThemeColor canvas = color(0x141312, 0xF6F5F4);
inline constexpr ThemeColor surface = color(0x1A1918, 0xFFFFFF);
inline constexpr ThemeColor text = color(0xF5F3F0, 0x0D0D0D);
inline constexpr ThemeColor secondary = color(0xB8B3AD, 0x615D59);
inline constexpr ThemeColor accent = color(0x3B9EFF, 0x0075DE);
inline constexpr ThemeColor selected = color(0x202D36, 0xE6F1FD);
inline constexpr ThemeColor border = color(0x31302F, 0xE6E6E6);
inline constexpr ThemeColor input = color(0x252320, 0xF6F5F4);
inline constexpr ThemeColor action = color(0x3B9EFF, 0x0075DE);
inline constexpr ThemeColor actionText = color(0x1A1918, 0xFFFFFF);
inline constexpr ThemeColor attentionInk = color(0xF08A3A, 0xA94700);
inline constexpr ThemeColor attentionFill = color(0x422819, 0xFDF0E6);
inline constexpr ThemeColor attentionBorder = color(0x694128, 0xE8BB9B);

// The desktop's own status colours, chosen to stay readable on `surface` in both appearances.
inline constexpr ThemeColor systemGreen = color(0x30D158, 0x248A3D);
inline constexpr ThemeColor systemOrange = color(0xFF9F0A, 0xC93400);
inline constexpr ThemeColor systemRed = color(0xFF453A, 0xD70015);
inline constexpr ThemeColor tertiaryLabel = color(0x6E6A66, 0xA8A4A0);

// Dot of a status row (a "●" glyph) and dot of the sidebar's connection button, by tone.
ThemeColor rowDotColor(Tone tone);
ThemeColor connectionDotColor(Tone tone);

} // namespace Theme

// The desktop's UI font at a size in device-independent pixels, the unit every length of the interface uses.
QFont systemFont(qreal size, QFont::Weight weight = QFont::Normal);

// The style sheet of the main window in one appearance: what Theme colours cannot reach by painting (scroll bars,
// the menu bar and its menus, tool tips), with the colours written out, since a style sheet resolves palette()
// only when a widget is polished.
QString windowStyleSheet(Appearance appearance);

// The appearance a widget draws in: its window's own choice, following the system palette until set.
Appearance appearanceOf(const QWidget* widget);
// The desktop's appearance as it was when first asked; later palette changes made by the app do not count.
Appearance systemAppearance();
// Sets the window's appearance, refreshes its palette (and the application's, so alerts and the tray menu follow)
// and its style sheet, and repaints every child; nothing is rebuilt.
void setWindowAppearance(QWidget* window, Appearance appearance);
