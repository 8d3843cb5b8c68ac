#include "ui/FlatButtons.h"

#include "ui/ControlPainting.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {

constexpr qreal kSymbolSize = 12;
constexpr qreal kSymbolGap = 6;

void prepare(QPushButton* button, qreal fontSize, QFont::Weight weight) {
    button->setFont(systemFont(fontSize, weight));
    button->setFlat(true);
    button->setFocusPolicy(Qt::TabFocus);
    button->setCursor(Qt::PointingHandCursor);
    button->setAttribute(Qt::WA_Hover);
}

// Rounded up from the exact advance, so a title measured here is never cut when drawn.
int titleWidth(const QPushButton* button) {
    return static_cast<int>(std::ceil(QFontMetricsF(button->font()).horizontalAdvance(button->text()))) + 1;
}

// The solid look shared by SolidActionButton and a FlatOutlineButton marked primary.
void paintSolid(QPainter& painter, QPushButton* button) {
    const QRectF bounds = button->rect();
    painter.setPen(Qt::NoPen);
    painter.setBrush((button->isEnabled() ? Theme::action : Theme::selected).resolve(button));
    painter.drawRoundedRect(bounds, 6, 6);
    if (button->isDown()) {
        QColor press = Theme::text.resolve(button);
        press.setAlphaF(0.10);
        painter.setBrush(press);
        painter.drawRoundedRect(bounds, 6, 6);
    }
    const QColor ink = (button->isEnabled() ? Theme::actionText : Theme::secondary).resolve(button);
    drawControlTitle(painter, QRectF(8, bounds.height() / 2 - 10, bounds.width() - 16, 20), button->text(),
                     button->font(), ink);
}

} // namespace

FlatOutlineButton::FlatOutlineButton(const QString& title, QWidget* parent) : QPushButton(title, parent) {
    prepare(this, 13, QFont::Medium);
}

void FlatOutlineButton::setTrailingSymbol(std::optional<Symbol> symbol) {
    m_trailingSymbol = symbol;
    updateGeometry();
    update();
}

void FlatOutlineButton::setTint(std::optional<ThemeColor> tint) {
    m_tint = tint;
    update();
}

void FlatOutlineButton::setPrimary(bool primary) {
    m_primary = primary;
    setFont(systemFont(13, primary ? QFont::DemiBold : QFont::Medium));
    updateGeometry();
    update();
}

QSize FlatOutlineButton::sizeHint() const {
    int width = titleWidth(this) + 2 * 16;
    if (m_trailingSymbol) {
        width += static_cast<int>(kSymbolSize + kSymbolGap);
    }
    return {width, 32};
}

// Buttons keep their natural width, like native push buttons; rows make room for them.
QSize FlatOutlineButton::minimumSizeHint() const {
    return sizeHint();
}

void FlatOutlineButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_primary) {
        paintSolid(painter, this);
        return;
    }
    const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor outline = Theme::border.resolve(this);
    if (!isEnabled()) {
        outline.setAlphaF(0.5);
    }
    painter.setPen(QPen(outline, 1));
    painter.setBrush(isDown() ? Theme::input.resolve(this) : QColor(Qt::transparent));
    painter.drawRoundedRect(bounds, 6, 6);

    QColor ink = isEnabled() ? m_tint.value_or(Theme::text).resolve(this) : disabledInk(this);
    const qreal middle = height() / 2.0;
    QRectF titleBox(8, middle - 10, width() - 16, 20);
    if (m_trailingSymbol) {
        // Title and symbol are centred together.
        const qreal content = std::min<qreal>(titleWidth(this) + kSymbolGap + kSymbolSize, titleBox.width());
        const qreal left = titleBox.left() + (titleBox.width() - content) / 2;
        const qreal titleSpace = content - kSymbolGap - kSymbolSize;
        drawControlTitle(painter, QRectF(left, titleBox.top(), titleSpace, 20), text(), font(), ink, Qt::AlignLeft);
        drawSymbol(painter, *m_trailingSymbol,
                   QRectF(left + titleSpace + kSymbolGap, middle - kSymbolSize / 2, kSymbolSize, kSymbolSize), ink);
    } else {
        drawControlTitle(painter, titleBox, text(), font(), ink);
    }
    if (hasFocus()) {
        drawFocusRing(painter, this, rect(), 6);
    }
}

SolidActionButton::SolidActionButton(const QString& title, QWidget* parent) : QPushButton(title, parent) {
    prepare(this, 13, QFont::Medium);
}

void SolidActionButton::setAttention(bool attention) {
    m_attention = attention;
    update();
}

QSize SolidActionButton::sizeHint() const {
    return {titleWidth(this) + 2 * 16, 32};
}

QSize SolidActionButton::minimumSizeHint() const {
    return sizeHint();
}

void SolidActionButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintSolid(painter, this);
    if (hasFocus()) {
        drawFocusRing(painter, this, rect(), 6);
    }
}

InlineTextButton::InlineTextButton(const QString& title, QWidget* parent) : QPushButton(title, parent) {
    prepare(this, 13, QFont::Normal);
}

void InlineTextButton::setEmphasized(bool emphasized) {
    m_emphasized = emphasized;
    update();
}

QSize InlineTextButton::sizeHint() const {
    return {titleWidth(this), 24};
}

QSize InlineTextButton::minimumSizeHint() const {
    return sizeHint();
}

void InlineTextButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor ink = (isDown() || m_emphasized ? Theme::text : Theme::secondary).resolve(this);
    if (!isEnabled()) {
        ink = disabledInk(this);
    }
    drawControlTitle(painter, rect(), text(), font(), ink, Qt::AlignLeft);
    if (hasFocus()) {
        drawFocusRing(painter, this, rect(), 4);
    }
}

DetailsTabButton::DetailsTabButton(const QString& title, QWidget* parent) : QPushButton(title, parent) {
    prepare(this, 13, QFont::Medium);
}

void DetailsTabButton::setSelected(bool selected) {
    m_selected = selected;
    setFont(systemFont(13, selected ? QFont::DemiBold : QFont::Medium));
    updateGeometry();
    update();
}

QSize DetailsTabButton::sizeHint() const {
    // Measured in the semibold face so that selecting a tab does not shift its neighbours.
    return {QFontMetrics(systemFont(13, QFont::DemiBold)).horizontalAdvance(text()) + 2 * 16, 32};
}

QSize DetailsTabButton::minimumSizeHint() const {
    return sizeHint();
}

void DetailsTabButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor ink = (m_selected ? Theme::text : Theme::secondary).resolve(this);
    if (!isEnabled()) {
        ink = disabledInk(this);
    }
    const qreal middle = height() / 2.0;
    drawControlTitle(painter, QRectF(8, middle - 10, width() - 16, 20), text(), font(), ink);
    if (m_selected) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Theme::text.resolve(this));
        painter.drawRoundedRect(QRectF(8, height() - 2, width() - 16, 2), 1, 1);
    }
    if (hasFocus()) {
        drawFocusRing(painter, this, rect(), 0);
    }
}

SymbolButton::SymbolButton(Symbol symbol, QWidget* parent) : QPushButton(parent), m_symbol(symbol) {
    prepare(this, 13, QFont::Normal);
}

void SymbolButton::setSymbol(Symbol symbol) {
    m_symbol = symbol;
    update();
}

QSize SymbolButton::sizeHint() const {
    return {32, 32};
}

void SymbolButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();
    if (isDown() || underMouse()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush((isDown() ? Theme::input : Theme::selected).resolve(this));
        painter.drawRoundedRect(bounds, 6, 6);
    }
    const QColor ink = isEnabled() ? Theme::secondary.resolve(this) : disabledInk(this);
    drawSymbol(painter, m_symbol, QRectF(bounds.center() - QPointF(8, 8), QSizeF(16, 16)), ink);
    if (hasFocus()) {
        drawFocusRing(painter, this, bounds, 6);
    }
}
