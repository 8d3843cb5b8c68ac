#pragma once

#include <QStyledItemDelegate>

// The cell of a task row: the title over the coloured state line. The selected row gets the rounded background
// of TaskRowView and its text keeps its normal colours.
class TaskRowDelegate final : public QStyledItemDelegate {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TaskRowDelegate)

public:
    static constexpr int kRowHeight = 64;

    explicit TaskRowDelegate(QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
