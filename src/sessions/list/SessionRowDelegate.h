#pragma once

#include <QStyledItemDelegate>

// The cells of the session table. A heading: the group's name and, after it, its count. A conversation: a status
// dot, the title, and below it the provider and status, in the attention ink when the user is needed. The
// selected row gets the rounded background of the task list.
class SessionRowDelegate final : public QStyledItemDelegate {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SessionRowDelegate)

public:
    static constexpr int kHeadingHeight = 30;
    static constexpr int kRowHeight = 54;

    explicit SessionRowDelegate(QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
