#include "ui/WindowPlacement.h"

#include <algorithm>

namespace {

QSize fitted(QSize wanted, const QRect& area, QSize minimum) {
    const QSize room = area.size() - kWindowFrameAllowance;
    return QSize(std::max(minimum.width(), std::min(wanted.width(), room.width())),
                 std::max(minimum.height(), std::min(wanted.height(), room.height())));
}

// The frame sits around the window: its title bar above, its borders at the sides.
constexpr int kFrameSide = kWindowFrameAllowance.width() / 2;
constexpr int kFrameTop = kWindowFrameAllowance.height() - kFrameSide;

// Centred with its frame; the title bar stays on screen even when the window is larger than the screen.
QRect centred(QSize size, const QRect& area) {
    QRect framed(QPoint(0, 0), size + kWindowFrameAllowance);
    framed.moveCenter(area.center());
    framed.moveTopLeft(QPoint(std::max(framed.left(), area.left()), std::max(framed.top(), area.top())));
    return QRect(framed.topLeft() + QPoint(kFrameSide, kFrameTop), size);
}

qint64 overlap(const QRect& a, const QRect& b) {
    const QRect shared = a.intersected(b);
    return shared.isEmpty() ? 0 : qint64(shared.width()) * shared.height();
}

} // namespace

QRect placeWindow(const std::optional<QRect>& remembered, const QList<QRect>& screens, QSize preferred, QSize minimum) {
    const QRect primary = screens.isEmpty() ? QRect(QPoint(0, 0), preferred + kWindowFrameAllowance) : screens.first();
    if (!remembered || !remembered->isValid()) {
        return centred(fitted(preferred, primary, minimum), primary);
    }
    const auto best = std::max_element(screens.begin(), screens.end(), [&](const QRect& a, const QRect& b) {
        return overlap(*remembered, a) < overlap(*remembered, b);
    });
    if (best == screens.end() || overlap(*remembered, *best) == 0) {
        return centred(fitted(remembered->size(), primary, minimum), primary);
    }
    const QRect area = *best;
    const QSize size = fitted(remembered->size(), area, minimum);
    const int left = std::clamp(remembered->left(), area.left() + kFrameSide,
                                std::max(area.left() + kFrameSide, area.right() - kFrameSide - size.width() + 1));
    const int top = std::clamp(remembered->top(), area.top() + kFrameTop,
                               std::max(area.top() + kFrameTop, area.bottom() - kFrameSide - size.height() + 1));
    return QRect(QPoint(left, top), size);
}
