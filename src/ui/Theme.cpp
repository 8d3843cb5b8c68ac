#include "ui/Theme.h"

#include <QApplication>
#include <QPalette>
#include <QVariant>
#include <QWidget>

namespace {

constexpr const char* kAppearanceProperty = "voduAppearance";

QColor rgb(quint32 value) { return QColor::fromRgb(static_cast<QRgb>(0xFF000000u | value)); }

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
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, secondary);
    }
    return palette;
}

} // namespace

QColor ThemeColor::resolve(Appearance appearance) const { return rgb(appearance == Appearance::dark ? dark : light); }

QColor ThemeColor::resolve(const QWidget* widget) const { return resolve(appearanceOf(widget)); }

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

Appearance systemAppearance() {
    const QColor window = QApplication::palette().color(QPalette::Window);
    return window.lightnessF() < 0.5 ? Appearance::dark : Appearance::light;
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
    window->setProperty(kAppearanceProperty, static_cast<int>(appearance));
    window->setPalette(paletteFor(appearance));
    window->update();
    for (QWidget* child : window->findChildren<QWidget*>()) {
        child->update();
    }
}
