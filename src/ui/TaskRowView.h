#pragma once

#include <QStyledItemDelegate>

// Rows of the task list: the selected row gets a rounded `selected` background, and its text keeps its normal
// colours (no inverted selection style). Cell widgets placed over a row are left to draw themselves.
class TaskRowView final : public QStyledItemDelegate {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TaskRowView)

public:
    explicit TaskRowView(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The selection background of one row, for views that paint rows themselves.
    static void paintSelection(QPainter* painter, const QRect& row, const QWidget* view);
    // The keyboard's place in the list: a ring around the current row while the list has the keyboard focus.
    static void paintFocus(QPainter* painter, const QStyleOptionViewItem& option);
};
