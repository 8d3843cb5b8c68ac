#include "ui/ToggleSwitch.h"

#include "ui/ControlPainting.h"
#include "ui/Theme.h"

#include <QPainter>

namespace {
constexpr int kWidth = 38;
constexpr int kHeight = 22;
constexpr qreal kKnobInset = 2.5;
// Room around the track for the focus ring: drawn on the track it would vanish into an accent fill.
constexpr int kRingMargin = 3;
} // namespace

ToggleSwitch::ToggleSwitch(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize ToggleSwitch::sizeHint() const {
    return {kWidth + 2 * kRingMargin, kHeight + 2 * kRingMargin};
}

QSize ToggleSwitch::minimumSizeHint() const {
    return sizeHint();
}

bool ToggleSwitch::hitButton(const QPoint& position) const {
    return rect().contains(position);
}

void ToggleSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) {
        painter.setOpacity(0.45);
    }
    const QRectF track(kRingMargin, kRingMargin, kWidth, kHeight);
    const qreal radius = track.height() / 2;
    QColor fill = isChecked() ? Theme::accent.resolve(this) : Theme::tertiaryLabel.resolve(this);
    if (!isChecked()) {
        fill.setAlphaF(0.6);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(track, radius, radius);

    // The knob stays white in both appearances, as switches on every desktop do; a faint edge keeps it apart
    // from a light track.
    const qreal knob = kHeight - 2 * kKnobInset;
    const qreal left = track.left() + (isChecked() ? kWidth - kKnobInset - knob : kKnobInset);
    QColor edge(Qt::black);
    edge.setAlphaF(0.12);
    painter.setPen(QPen(edge, 0.5));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(left, track.top() + kKnobInset, knob, knob));
    painter.setOpacity(1);
    if (hasFocus()) {
        const qreal outset = kRingMargin - 0.5;
        drawFocusRing(painter, this, track.adjusted(-outset, -outset, outset, outset), radius + outset);
    }
}
