#include "ui/TaskRowView.h"

#include "ui/ControlPainting.h"

#include "ui/Theme.h"

#include <QAbstractItemView>
#include <QPainter>

TaskRowView::TaskRowView(QObject* parent) : QStyledItemDelegate(parent) {}

void TaskRowView::paintSelection(QPainter* painter, const QRect& row, const QWidget* view) {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(Theme::selected.resolve(view));
    painter->drawRoundedRect(QRectF(row).adjusted(0, 2, 0, -2), 6, 6);
    painter->restore();
}

void TaskRowView::paintFocus(QPainter* painter, const QStyleOptionViewItem& option) {
    if (option.state.testFlag(QStyle::State_HasFocus) && option.widget && option.widget->hasFocus()) {
        drawFocusRing(*painter, option.widget, QRectF(option.rect).adjusted(0, 2, 0, -2), 6);
    }
}

void TaskRowView::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem plain = option;
    initStyleOption(&plain, index);
    const bool selected = plain.state.testFlag(QStyle::State_Selected);
    if (selected) {
        paintSelection(painter, option.rect, option.widget);
    }
    paintFocus(painter, option);
    plain.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_MouseOver);
    plain.backgroundBrush = Qt::NoBrush;
    plain.palette.setColor(QPalette::Text, Theme::text.resolve(option.widget));
    QStyledItemDelegate::paint(painter, plain, index);
}
