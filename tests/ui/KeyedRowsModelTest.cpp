// Lists replaced by identity: the rows that stay keep their place (and the view's selection on them), and only
// the rows that differ are announced.
#include "ui/KeyedRowsModel.h"
#include "TestRegistry.h"

#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QTest>

namespace {

// A row is "<key><contents>": "a1" and "a2" are the same row with other contents.
class LetterModel final : public KeyedRowsModel {
public:
    using KeyedRowsModel::KeyedRowsModel;
    void set(const QString& rows) {
        QList<QString> next;
        for (const QString& row : rows.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            next.append(row);
        }
        replaceRows(m_rows, std::move(next), [](const QString& row) { return row.left(1); });
    }
    QString rows() const { return QStringList(m_rows).join(QLatin1Char(' ')); }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        return role == Qt::DisplayRole ? QVariant(m_rows.value(index.row())) : QVariant();
    }

private:
    QList<QString> m_rows;
};

} // namespace

class KeyedRowsModelTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rowsChangeByIdentity_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("removed");
        QTest::addColumn<int>("inserted");
        QTest::addColumn<int>("changed");           // rows announced as changed, first to last
        QTest::addColumn<QString>("selectedAfter"); // "c1" selected before; what is selected after
        const auto row = [](const char* before, const char* after, int removed, int inserted, int changed,
                            const char* selected) {
            QTest::newRow(qPrintable(QStringLiteral("%1 to %2").arg(before, after)))
                << before << after << removed << inserted << changed << selected;
        };
        row("a1 b1 c1 d1", "a1 b1 c1 d1", 0, 0, 0, "c1"); // the same
        row("a1 b1 c1 d1", "a1 b2 c1 d1", 0, 0, 1, "c1"); // one row's contents
        row("a1 b1 c1 d1", "a1 b1 c2 d1", 0, 0, 1, "c2"); // the selected row's contents
        row("a1 b1 c1", "a1 b1 c1 d1 e1", 0, 2, 0, "c1"); // appended
        row("b1 c1", "a1 b1 c1", 0, 1, 0, "c1");          // prepended
        row("a1 b1 c1 d1", "a1 c1 d1", 1, 0, 0, "c1");    // removed above
        row("a1 b1 c1 d1", "a2 b1 c2", 1, 0, 3, "c2");    // removed below, the rest changed
        row("a1 b1 c1 d1", "a1 c1 b1 d1", 2, 2, 0, "");   // moved: the middle is replaced
        row("a1 b1 c1", "", 3, 0, 0, "");                 // all gone
        row("c1", "x1 y1", 1, 2, 0, "");                  // all new
    }

    void rowsChangeByIdentity() {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(int, removed);
        QFETCH(int, inserted);
        QFETCH(int, changed);
        QFETCH(QString, selectedAfter);
        LetterModel model;
        model.set(before);
        QItemSelectionModel selection(&model);
        const qsizetype selectedRow = before.split(QLatin1Char(' ')).indexOf(QStringLiteral("c1"));
        selection.select(model.index(static_cast<int>(selectedRow)), QItemSelectionModel::ClearAndSelect);
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        QSignalSpy removals(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy insertions(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);

        model.set(after);
        QCOMPARE(model.rows(), after);
        QCOMPARE(resets.size(), 0);
        const auto count = [](const QSignalSpy& spy) {
            int rows = 0;
            for (const QList<QVariant>& call : spy) {
                rows += call.at(2).toInt() - call.at(1).toInt() + 1;
            }
            return rows;
        };
        QCOMPARE(count(removals), removed);
        QCOMPARE(count(insertions), inserted);
        const int changedRows = changes.isEmpty() ? 0
                                                  : changes.first().at(1).toModelIndex().row() -
                                                        changes.first().at(0).toModelIndex().row() + 1;
        QCOMPARE(changedRows, changed);
        const QModelIndexList selected = selection.selectedIndexes();
        QCOMPARE(selected.isEmpty() ? QString() : selected.first().data().toString(), selectedAfter);
    }
};

VODU_TEST_SUITE(KeyedRowsModelTest)
#include "KeyedRowsModelTest.moc"
