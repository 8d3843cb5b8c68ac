#include "tasks/TaskRowDelegate.h"

#include "tasks/TaskListModel.h"
#include "tasks/TaskStates.h"
#include "ui/TaskRowView.h"
#include "ui/Theme.h"

#include <QPainter>

namespace {

constexpr qreal kInset = 8;
constexpr qreal kTitleTop = 16;
constexpr qreal kLineGap = 4;

} // namespace

TaskRowDelegate::TaskRowDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QSize TaskRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), kRowHeight};
}

void TaskRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const QWidget* view = option.widget;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRectF row = QRectF(option.rect);
    if (option.state & QStyle::State_Selected) {
        TaskRowView::paintSelection(painter, option.rect, view);
    }

    const qreal width = row.width() - 2 * kInset;
    const QFont titleFont = systemFont(13, QFont::Medium);
    const QFontMetricsF titleMetrics(titleFont);
    const QRectF titleBox(row.left() + kInset, row.top() + kTitleTop, width, titleMetrics.height());
    painter->setFont(titleFont);
    painter->setPen(Theme::text.resolve(view));
    QString title = index.data(Qt::DisplayRole).toString();
    title.replace(QLatin1Char('\n'), QLatin1Char(' '));
    painter->drawText(titleBox, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      titleMetrics.elidedText(title, Qt::ElideRight, width));

    const QFont stateFont = systemFont(12, QFont::Medium);
    const QFontMetricsF stateMetrics(stateFont);
    const QRectF stateBox(titleBox.left(), titleBox.bottom() + kLineGap, width, stateMetrics.height());
    painter->setFont(stateFont);
    painter->setPen(taskStateColor(index.data(TaskListModel::StateRole).toString()).resolve(view));
    painter->drawText(
        stateBox, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
        stateMetrics.elidedText(index.data(TaskListModel::StateLineRole).toString(), Qt::ElideRight, width));
    painter->restore();
}
