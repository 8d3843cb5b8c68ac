#pragma once

#include <QAbstractListModel>
#include <QList>

#include <algorithm>
#include <utility>

// How one list of keyed rows became another: the first `first` rows and the last rows after the replaced middle
// kept their keys (their contents may still differ); `removed` rows of the old middle gave way to `inserted` new ones.
struct RowChanges {
    qsizetype first = 0;
    qsizetype removed = 0;
    qsizetype inserted = 0;
    friend bool operator==(const RowChanges&, const RowChanges&) = default;
};

template <typename Row, typename KeyOf>
RowChanges rowChanges(const QList<Row>& before, const QList<Row>& after, KeyOf keyOf) {
    // Equal rows have equal keys; comparing them first is cheap when they share their data, as unchanged records do.
    const auto sameKey = [&](const Row& a, const Row& b) {
        return a == b || keyOf(a) == keyOf(b);
    };
    const qsizetype common = std::min(before.size(), after.size());
    qsizetype first = 0;
    while (first < common && sameKey(before.at(first), after.at(first))) {
        ++first;
    }
    qsizetype last = 0;
    while (last < common - first && sameKey(before.at(before.size() - 1 - last), after.at(after.size() - 1 - last))) {
        ++last;
    }
    return {first, before.size() - first - last, after.size() - first - last};
}

// A list model whose rows are replaced by identity: rows that stay keep their place in the view (selection, scroll
// position, no repaint unless their contents changed); only the rows that differ are removed, inserted or changed.
class KeyedRowsModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

protected:
    template <typename Row, typename KeyOf> void replaceRows(QList<Row>& rows, QList<Row> next, KeyOf keyOf) {
        const RowChanges changes = rowChanges(rows, next, keyOf);
        const int first = static_cast<int>(changes.first);
        if (changes.removed > 0) {
            beginRemoveRows({}, first, first + static_cast<int>(changes.removed) - 1);
            rows.remove(changes.first, changes.removed);
            endRemoveRows();
        }
        if (changes.inserted > 0) {
            beginInsertRows({}, first, first + static_cast<int>(changes.inserted) - 1);
            rows.insert(changes.first, changes.inserted, Row{});
            std::move(next.begin() + changes.first, next.begin() + changes.first + changes.inserted,
                      rows.begin() + changes.first);
            endInsertRows();
        }
        qsizetype lowest = rows.size();
        qsizetype highest = -1;
        for (qsizetype row = 0; row < rows.size(); ++row) {
            if (row >= changes.first && row < changes.first + changes.inserted) {
                continue; // just inserted
            }
            if (!(rows.at(row) == next.at(row))) {
                rows[row] = std::move(next[row]);
                lowest = std::min(lowest, row);
                highest = row;
            }
        }
        if (highest >= 0) {
            Q_EMIT dataChanged(index(static_cast<int>(lowest)), index(static_cast<int>(highest)));
        }
    }
};
