#include "ui/Surfaces.h"

#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

SurfaceView::SurfaceView(QWidget* parent) : QWidget(parent) {}

void SurfaceView::setFill(std::optional<ThemeColor> fill) {
    m_fill = fill;
    update();
}

void SurfaceView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), m_fill.value_or(Theme::surface).resolve(this));
}

RoundedBox::RoundedBox(ThemeColor fill, ThemeColor outline, qreal radius, QWidget* parent)
    : QWidget(parent), m_fill(fill), m_outline(outline), m_radius(radius) {}

void RoundedBox::setColors(ThemeColor fill, ThemeColor outline) {
    if (fill == m_fill && outline == m_outline) {
        return; // snapshots rewrite every view; an unchanged one is not repainted
    }
    m_fill = fill;
    m_outline = outline;
    update();
}

void RoundedBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(m_outline.resolve(this), 1));
    painter.setBrush(m_fill.resolve(this));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), m_radius, m_radius);
}

AttentionSurface::AttentionSurface(QWidget* parent) : QWidget(parent) {}

void AttentionSurface::setActive(bool active) {
    if (active == m_active) {
        return;
    }
    m_active = active;
    update();
}

void AttentionSurface::paintEvent(QPaintEvent*) {
    if (!m_active) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(Theme::attentionBorder.resolve(this), 1));
    painter.setBrush(Theme::attentionFill.resolve(this));
    painter.drawRoundedRect(box, 6, 6);
    // The bar follows the box's rounded left edge.
    painter.save();
    QPainterPath clip;
    clip.addRoundedRect(box, 6, 6);
    painter.setClipPath(clip);
    painter.fillRect(QRectF(0, 0, 2, height()), Theme::attentionInk.resolve(this));
    painter.restore();
}

StatusDot::StatusDot(QWidget* parent) : QWidget(parent) {
    setFixedSize(5, 5);
}

void StatusDot::setTone(Tone tone) {
    if (tone == m_tone) {
        return;
    }
    m_tone = tone;
    update();
}

ThemeColor StatusDot::colorFor(Tone tone) {
    switch (tone) {
    case Tone::good:
        return Theme::color(0x9EBBA3, 0x3D7650);
    case Tone::warning:
        return Theme::attentionInk;
    case Tone::bad:
    case Tone::neutral:
    case Tone::busy:
        break;
    }
    return Theme::secondary;
}

void StatusDot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colorFor(m_tone).resolve(this));
    painter.drawEllipse(QRectF(rect()).adjusted(0, 0, 0, 0));
}

FlippedDocumentView::FlippedDocumentView(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
}

SettingsStack::SettingsStack(int spacing, QWidget* parent) : QWidget(parent), m_column(new QVBoxLayout(this)) {
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(spacing);
    m_column->setAlignment(Qt::AlignTop);
}

void SettingsStack::addView(QWidget* view) {
    m_column->addWidget(view);
}
