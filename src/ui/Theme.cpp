#include "ui/Theme.h"

#include <QApplication>
#include <QPalette>
#include <QToolTip>
#include <QVariant>
#include <QWidget>

namespace {

constexpr const char* kAppearanceProperty = "voduAppearance";

QColor rgb(quint32 value) {
    return QColor::fromRgb(static_cast<QRgb>(0xFF000000u | value));
}

QPalette paletteFor(Appearance appearance) {
    QPalette palette;
    const QColor canvas = Theme::canvas.resolve(appearance);
    const QColor surface = Theme::surface.resolve(appearance);
    const QColor text = Theme::text.resolve(appearance);
    const QColor secondary = Theme::secondary.resolve(appearance);
    palette.setColor(QPalette::Window, canvas);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, Theme::input.resolve(appearance));
    palette.setColor(QPalette::AlternateBase, surface);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, surface);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::ToolTipBase, surface);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, secondary);
    palette.setColor(QPalette::Highlight, Theme::selected.resolve(appearance));
    palette.setColor(QPalette::HighlightedText, text);
    palette.setColor(QPalette::Link, Theme::accent.resolve(appearance));
    palette.setColor(QPalette::Mid, Theme::border.resolve(appearance));
    // Scroll bar handles (also written out in windowStyleSheet).
    palette.setColor(QPalette::Dark,
                     appearance == Appearance::dark ? QColor(0x4A, 0x47, 0x44) : QColor(0xC9, 0xC6, 0xC2));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, secondary);
    }
    return palette;
}

} // namespace

QColor ThemeColor::resolve(Appearance appearance) const {
    return rgb(appearance == Appearance::dark ? dark : light);
}

QColor ThemeColor::resolve(const QWidget* widget) const {
    return resolve(appearanceOf(widget));
}

ThemeColor Theme::rowDotColor(Tone tone) {
    switch (tone) {
    case Tone::good:
        return systemGreen;
    case Tone::warning:
        return systemOrange;
    case Tone::bad:
        return systemRed;
    case Tone::busy:
        return accent;
    case Tone::neutral:
        break;
    }
    return secondary;
}

ThemeColor Theme::connectionDotColor(Tone tone) {
    switch (tone) {
    case Tone::good:
        return color(0x9EBBA3, 0x3D7650);
    case Tone::warning:
        return color(0xC9A676, 0x895D28);
    case Tone::bad:
        return color(0xD99B8B, 0xA33E32);
    case Tone::neutral:
    case Tone::busy:
        break;
    }
    return secondary;
}

QFont systemFont(qreal size, QFont::Weight weight) {
    QFont font = QApplication::font();
    font.setPixelSize(qRound(size));
    font.setWeight(weight);
    return font;
}

Appearance systemAppearance() {
    static const Appearance atStart = [] {
        const QColor window = QApplication::palette().color(QPalette::Window);
        return window.lightnessF() < 0.5 ? Appearance::dark : Appearance::light;
    }();
    return atStart;
}

QString windowStyleSheet(Appearance appearance) {
    const auto hex = [appearance](const ThemeColor& color) {
        return color.resolve(appearance).name();
    };
    const QString handle = paletteFor(appearance).color(QPalette::Dark).name();
    // Slim scroll bars without arrows; the menu bar, its menus, tool tips and radio buttons in our colours.
    return QStringLiteral("QScrollBar:vertical { background: transparent; width: 10px; margin: 2px 2px 2px 0; }"
                          "QScrollBar::handle:vertical { background: %1; border-radius: 3px; min-height: 32px; }"
                          "QScrollBar:horizontal { background: transparent; height: 10px; margin: 0 2px 2px 2px; }"
                          "QScrollBar::handle:horizontal { background: %1; border-radius: 3px; min-width: 32px; }"
                          "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; }"
                          "QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }"
                          "QMenuBar { background: %2; color: %3; border-bottom: 1px solid %5; }"
                          "QMenuBar::item { background: transparent; padding: 4px 10px; }"
                          "QMenuBar::item:selected, QMenuBar::item:pressed { background: %6; }"
                          "QMenu { background: %4; color: %3; border: 1px solid %5; padding: 4px 0; }"
                          "QMenu::item { background: transparent; padding: 4px 28px 4px 20px; }"
                          "QMenu::item:selected { background: %6; }"
                          "QMenu::item:disabled { color: %7; }"
                          "QMenu::separator { height: 1px; background: %5; margin: 4px 8px; }"
                          "QToolTip { background: %4; color: %3; border: 1px solid %5; padding: 2px 4px; }"
                          "QRadioButton { color: %3; spacing: 8px; }"
                          "QRadioButton::indicator { width: 12px; height: 12px; border-radius: 7px;"
                          " border: 1px solid %7; background: %4; }"
                          "QRadioButton::indicator:checked { width: 6px; height: 6px; border: 4px solid %8; }"
                          "QRadioButton::indicator:disabled { border-color: %5; }"
                          "QRadioButton:disabled { color: %7; }")
        .arg(handle, hex(Theme::canvas), hex(Theme::text), hex(Theme::surface), hex(Theme::border),
             hex(Theme::selected), hex(Theme::secondary), hex(Theme::accent));
}

Appearance appearanceOf(const QWidget* widget) {
    for (const QWidget* current = widget; current; current = current->parentWidget()) {
        const QVariant value = current->property(kAppearanceProperty);
        if (value.isValid()) {
            return value.toInt() == static_cast<int>(Appearance::dark) ? Appearance::dark : Appearance::light;
        }
    }
    return systemAppearance();
}

void setWindowAppearance(QWidget* window, Appearance appearance) {
    if (!window) {
        return;
    }
    systemAppearance(); // remembered before the application palette below changes it
    const QVariant current = window->property(kAppearanceProperty);
    if (current.isValid() && current.toInt() == static_cast<int>(appearance) &&
        window->palette() == paletteFor(appearance) && QApplication::palette() == window->palette()) {
        return; // restyling every view again would change nothing
    }
    window->setProperty(kAppearanceProperty, static_cast<int>(appearance));
    // A window with our style sheet gets the new appearance's sheet first: repolishing restores the palette a widget
    // had when it was first polished.
    if (!window->styleSheet().isEmpty()) {
        window->setStyleSheet(windowStyleSheet(appearance));
    }
    const QPalette palette = paletteFor(appearance);
    window->setPalette(palette);
    QApplication::setPalette(palette);
    QToolTip::setPalette(palette);
    window->update();
    for (QWidget* child : window->findChildren<QWidget*>()) {
        child->update();
    }
}
