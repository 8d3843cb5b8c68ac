#include "ui/SegmentedControl.h"

#include "ui/ControlPainting.h"
#include "ui/SegmentedControlAccessible.h"
#include "ui/Theme.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr qreal kInset = 2;
}

SegmentedControl::SegmentedControl(const QStringList& titles, QWidget* parent) : QWidget(parent), m_titles(titles) {
    static const bool accessible = [] {
        QAccessible::installFactory(segmentedControlAccessible);
        return true;
    }();
    Q_UNUSED(accessible)
    setFont(systemFont(13, QFont::Medium));
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void SegmentedControl::setCurrentIndex(int index) {
    const int selected = index >= 0 && index < m_titles.size() ? index : -1;
    if (selected == m_selected) {
        return;
    }
    m_selected = selected;
    update();
    if (QAccessible::isActive() && selected >= 0) {
        QAccessibleEvent event(this, QAccessible::Selection);
        event.setChild(selected);
        QAccessible::updateAccessibility(&event);
    }
}

QSize SegmentedControl::sizeHint() const {
    int widest = 0;
    for (const QString& title : m_titles) {
        widest = std::max(widest, fontMetrics().horizontalAdvance(title));
    }
    return {static_cast<int>((widest + 32) * m_titles.size() + 2 * kInset), 32};
}

QSize SegmentedControl::minimumSizeHint() const {
    return {static_cast<int>(48 * m_titles.size()), 32};
}

QRectF SegmentedControl::segmentRect(int index) const {
    const qreal width = (this->width() - 2 * kInset) / std::max<qsizetype>(1, m_titles.size());
    return {kInset + index * width, kInset, width, height() - 2 * kInset};
}

int SegmentedControl::segmentAt(const QPointF& point) const {
    for (int index = 0; index < m_titles.size(); ++index) {
        if (segmentRect(index).contains(point)) {
            return index;
        }
    }
    return -1;
}

void SegmentedControl::chooseSegment(int index) {
    if (index < 0 || index >= m_titles.size()) {
        return;
    }
    setCurrentIndex(index);
    Q_EMIT activated(index);
}

void SegmentedControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled()) {
        chooseSegment(segmentAt(event->position()));
    }
}

void SegmentedControl::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Left) {
        chooseSegment(std::max(0, m_selected - 1));
    } else if (event->key() == Qt::Key_Right) {
        chooseSegment(std::min(static_cast<int>(m_titles.size()) - 1, m_selected + 1));
    } else {
        QWidget::keyPressEvent(event);
    }
}

void SegmentedControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(Theme::border.resolve(this), 1));
    painter.setBrush(Theme::input.resolve(this));
    painter.drawRoundedRect(bounds, 8, 8);
    for (int index = 0; index < m_titles.size(); ++index) {
        const QRectF segment = segmentRect(index);
        const bool chosen = index == m_selected;
        if (chosen) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(Theme::accent.resolve(this));
            painter.drawRoundedRect(segment, 6, 6);
        } else if (index > 0 && index - 1 != m_selected) {
            QColor divider = Theme::border.resolve(this);
            painter.setPen(QPen(divider, 1));
            painter.drawLine(QPointF(segment.left(), segment.top() + 7), QPointF(segment.left(), segment.bottom() - 7));
        }
        QColor ink = (chosen ? Theme::actionText : Theme::text).resolve(this);
        if (!isEnabled()) {
            ink = disabledInk(this);
        }
        drawControlTitle(painter, segment.adjusted(6, 0, -6, 0), m_titles.at(index), font(), ink);
    }
    if (hasFocus()) {
        drawFocusRing(painter, this, rect(), 8);
    }
}
