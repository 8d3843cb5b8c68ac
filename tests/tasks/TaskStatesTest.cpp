#include "tasks/TaskStates.h"
#include "TestRegistry.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

namespace {

// Light-appearance colours of the state groups.
const QColor green(0x18, 0x7A, 0x2D), red(0xB4, 0x23, 0x23), orange(0x9C, 0x43, 0x00);
const QColor accent(0x00, 0x75, 0xDE), grey(0x61, 0x5D, 0x59);

void stateRow(const char* state, const QString& japanese, const QString& english, const QString& symbol,
              const QColor& colour) {
    QTest::newRow(state) << QString(state) << japanese << english << symbol << colour;
}

QList<QJsonObject> tasks(const QString& items) {
    QList<QJsonObject> tasks;
    for (const QJsonValue& value : QJsonDocument::fromJson(items.toUtf8()).array()) {
        tasks.append(value.toObject());
    }
    return tasks;
}

} // namespace

class TaskStatesTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void vocabulary_data() {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("japanese");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QColor>("light");
        stateRow("succeeded", "完了", "Completed", "✓", green);
        stateRow("completed", "Completed", "Completed", "✓", green);
        stateRow("pr_ready_for_review", "Pr Ready For Review", "Pr Ready For Review", "✓", green);
        stateRow("failed", "失敗", "Failed", "×", red);
        stateRow("cancelled", "キャンセル", "Cancelled", "–", orange);
        stateRow("canceled", "Canceled", "Canceled", "–", orange);
        stateRow("coding", "Coding", "Coding", "●", accent);
        stateRow("queued", "待機中", "Queued", "◷", accent);
        stateRow("waiting_FOR_input", "Waiting For Input", "Waiting For Input", "●", grey);
        stateRow("Succeeded", "Succeeded", "Succeeded", "●", grey); // compared exactly
    }

    void vocabulary() {
        QFETCH(QString, state);
        QFETCH(QString, japanese);
        QFETCH(QString, english);
        QFETCH(QString, symbol);
        QFETCH(QColor, light);
        QCOMPARE(taskStateName(state, Copy{true}), japanese);
        QCOMPARE(taskStateLine(state, Copy{false}), symbol + QStringLiteral("  ") + english);
        QCOMPARE(taskStateColor(state).resolve(Appearance::light), light);
    }

    // The row to select for the selected identity ("key", else a string "id"; null: none); row 0 when it is gone.
    void rowToSelect_data() {
        QTest::addColumn<QString>("items");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("row");
        const auto add = [](const char* name, const char* items, const QString& selected, int row) {
            QTest::newRow(name) << QString(items) << selected << row;
        };
        add("selected by id", R"([{"key":"a"},{"key":"b"},{"id":"c"}])", "c", 2);
        add("selected task gone", R"([{"key":"a"},{"key":"b"}])", "z", 0);
        add("key wins over id", R"([{"id":"k"},{"key":"k","id":"i"}])", "i", 0);
        add("id when the key is not a string", R"([{"key":"a"},{"key":7,"id":"i"}])", "i", 1);
        add("an empty key still counts", R"([{"key":"a"},{"key":"","id":"i"}])", "", 1);
        add("none selected matches a task without identity", R"([{"key":"a"},{"id":12}])", {}, 1);
        add("a task without identity never matches", R"([{"key":"a"},{"label":"x"}])", "z", 0);
        add("first of two equal identities", R"([{"key":"x"},{"key":"a"},{"id":"a"}])", "a", 1);
        add("empty list", "[]", "a", 0);
    }

    void rowToSelect() {
        QFETCH(QString, items);
        QFETCH(QString, selected);
        QFETCH(int, row);
        QCOMPARE(taskRowToSelect(tasks(items), selected.isNull() ? std::nullopt : std::optional(selected)), row);
    }
};

VODU_TEST_SUITE(TaskStatesTest)
#include "TaskStatesTest.moc"
