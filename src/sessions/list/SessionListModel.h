#pragma once

#include "sessions/list/SessionList.h"

#include "ui/KeyedRowsModel.h"

#include <QList>

// One row of the session table: a group heading, or a conversation with what its row shows.
struct SessionListEntry {
    SessionListRow row;
    SessionRowPresentation presentation; // empty for a heading
    QString key;                         // what stays the same across snapshots: the identity, or the heading's group
    friend bool operator==(const SessionListEntry&, const SessionListEntry&) = default;
};

// The rows of the session table. Headings can be neither selected nor reached with the arrow keys.
class SessionListModel final : public KeyedRowsModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SessionListModel)

public:
    enum Role { HeadingRole = Qt::UserRole + 1, TitleRole, SubtitleRole, AttentionRole, ToneRole };

    explicit SessionListModel(QObject* parent);

    // Replaces the rows by key: rows that stay keep their place in the view.
    void setEntries(QList<SessionListEntry> entries);
    const QList<SessionListEntry>& entries() const { return m_entries; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QList<SessionListEntry> m_entries;
};
