#include "sessions/list/SessionListModel.h"

SessionListModel::SessionListModel(QObject* parent) : KeyedRowsModel(parent) {}

void SessionListModel::setEntries(QList<SessionListEntry> entries) {
    replaceRows(m_entries, std::move(entries),
                [](const SessionListEntry& entry) -> const QString& { return entry.key; });
}

int SessionListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_entries.size());
}

QVariant SessionListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_entries.size()) {
        return {};
    }
    const SessionListEntry& entry = m_entries.at(index.row());
    const bool heading = !entry.row.candidateIndex;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        // Read aloud and written to the automation output as a whole: the title, then the provider and status.
        return heading ? entry.row.heading : entry.presentation.title + QLatin1Char('\n') + entry.presentation.subtitle;
    case Qt::ToolTipRole:
        return heading ? QVariant() : QVariant(entry.presentation.title);
    case HeadingRole:
        return heading;
    case TitleRole:
        return heading ? entry.row.heading : entry.presentation.title;
    case SubtitleRole:
        return entry.presentation.subtitle;
    case AttentionRole:
        return heading ? entry.row.group == SessionGroup::needsYou : entry.presentation.attention;
    case ToneRole:
        return static_cast<int>(entry.presentation.dot);
    default:
        return {};
    }
}

Qt::ItemFlags SessionListModel::flags(const QModelIndex& index) const {
    if (!index.isValid() || index.row() >= m_entries.size() || !m_entries.at(index.row()).row.candidateIndex) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
