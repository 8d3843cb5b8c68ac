#include "ui/KeyedRowsModel.h"
#include "DataTables.h"
#include "TestRegistry.h"

#include <QItemSelectionModel>
#include <QTest>

namespace {

// A row is "<key><contents>": "a1" and "a2" are the same row with other contents.
class LetterModel final : public KeyedRowsModel {
public:
    void set(const QString& rows) {
        replaceRows(m_rows, rows.split(u' ', Qt::SkipEmptyParts), [](const QString& row) { return row.left(1); });
    }
    QString rows() const { return m_rows.join(u' '); }
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    QVariant data(const QModelIndex& index, int role) const override {
        return role == Qt::DisplayRole ? QVariant(m_rows.value(index.row())) : QVariant();
    }

private:
    QStringList m_rows;
};

} // namespace

class KeyedRowsModelTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rowsChangeByIdentity_data() {
        // Rows that stay keep their place and selection ("c1" is selected before); removed (-), inserted (+) and
        // changed (~) rows are announced, in order.
        columns<QString, QString, QString, QString>({"before", "after", "expected", "selected"});
        dataRow("the same", "a1 b1 c1 d1", "a1 b1 c1 d1", "", "c1");
        dataRow("one row's contents", "a1 b1 c1 d1", "a1 b2 c1 d1", "~1", "c1");
        dataRow("the selected row's contents", "a1 b1 c1 d1", "a1 b1 c2 d1", "~1", "c2");
        dataRow("appended", "a1 b1 c1", "a1 b1 c1 d1 e1", "+2", "c1");
        dataRow("prepended", "b1 c1", "a1 b1 c1", "+1", "c1");
        dataRow("removed above", "a1 b1 c1 d1", "a1 c1 d1", "-1", "c1");
        dataRow("removed below, the rest changed", "a1 b1 c1 d1", "a2 b1 c2", "-1 ~3", "c2");
        dataRow("moved: the middle is replaced", "a1 b1 c1 d1", "a1 c1 b1 d1", "-2 +2", "");
        dataRow("all gone", "a1 b1 c1", "", "-3", "");
        dataRow("all new", "c1", "x1 y1", "-1 +2", "");
    }

    void rowsChangeByIdentity() {
        const auto [before, after, expected, selected] =
            fetch<QString, QString, QString, QString>({"before", "after", "expected", "selected"});
        LetterModel model;
        model.set(before);
        QItemSelectionModel selection(&model);
        selection.select(model.index(int(before.split(u' ').indexOf(u"c1"))), QItemSelectionModel::ClearAndSelect);
        QStringList announced;
        const auto rows = [&announced](const char* sign) {
            return [&announced, sign](const QModelIndex&, int first, int last) {
                announced.append(sign + QString::number(last - first + 1));
            };
        };
        connect(&model, &QAbstractItemModel::rowsRemoved, this, rows("-"));
        connect(&model, &QAbstractItemModel::rowsInserted, this, rows("+"));
        connect(&model, &QAbstractItemModel::dataChanged, this,
                [&announced](const QModelIndex& a, const QModelIndex& b) {
                    announced.append(u'~' + QString::number(b.row() - a.row() + 1));
                });
        model.set(after);
        QCOMPARE(model.rows(), after);
        QCOMPARE(announced.join(u' '), expected);
        const QModelIndexList now = selection.selectedIndexes();
        QCOMPARE(now.isEmpty() ? QString() : now.first().data().toString(), selected);
    }
};

VODU_TEST_SUITE(KeyedRowsModelTest)
#include "KeyedRowsModelTest.moc"
