#include "ui/ToggleSwitch.h"

#include "ui/ControlPainting.h"
#include "ui/Theme.h"

#include <QPainter>

namespace {

constexpr qreal kTrackWidth = 34;
constexpr qreal kTrackHeight = 20;
constexpr qreal kKnobInset = 2;

} // namespace

ToggleSwitch::ToggleSwitch(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize ToggleSwitch::sizeHint() const {
    return {static_cast<int>(kTrackWidth) + 2, static_cast<int>(kTrackHeight) + 2};
}

void ToggleSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track((width() - kTrackWidth) / 2, (height() - kTrackHeight) / 2, kTrackWidth, kTrackHeight);
    const qreal radius = kTrackHeight / 2;
    if (!isEnabled()) {
        painter.setOpacity(0.5);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush((isChecked() ? Theme::action : Theme::tertiaryLabel).resolve(this));
    painter.drawRoundedRect(track, radius, radius);
    if (isDown()) {
        QColor press = Theme::text.resolve(this);
        press.setAlphaF(0.10);
        painter.setBrush(press);
        painter.drawRoundedRect(track, radius, radius);
    }
    const qreal knob = kTrackHeight - 2 * kKnobInset;
    const qreal left = isChecked() ? track.right() - kKnobInset - knob : track.left() + kKnobInset;
    painter.setBrush(QColor(Qt::white)); // the knob stays white in both appearances, as desktop switches do
    painter.setPen(QPen(QColor(0, 0, 0, 40), 0.5));
    painter.drawEllipse(QRectF(left, track.top() + kKnobInset, knob, knob));
    painter.setOpacity(1);
    if (hasFocus()) {
        drawFocusRing(painter, this, track, radius);
    }
}
