#include "tasks/TaskStates.h"
#include "TestRegistry.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

namespace {

QJsonObject task(const char* json) {
    return QJsonDocument::fromJson(json).object();
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
        QTest::addColumn<QColor>("dark");
        const QColor green(0x18, 0x7A, 0x2D), greenDark(0x81, 0xD9, 0x9B);
        const QColor red(0xB4, 0x23, 0x23), redDark(0xFF, 0xA0, 0xA0);
        const QColor orange(0x9C, 0x43, 0x00), orangeDark(0xF4, 0xBC, 0x7C);
        const QColor accent(0x00, 0x75, 0xDE), accentDark(0x3B, 0x9E, 0xFF);
        const QColor grey(0x61, 0x5D, 0x59), greyDark(0xB8, 0xB3, 0xAD);
        QTest::newRow("succeeded") << "succeeded"
                                   << "完了"
                                   << "Completed"
                                   << "✓" << green << greenDark;
        QTest::newRow("completed, derived") << "completed"
                                            << "Completed"
                                            << "Completed"
                                            << "✓" << green << greenDark;
        QTest::newRow("complete") << "complete"
                                  << "Complete"
                                  << "Complete"
                                  << "✓" << green << greenDark;
        QTest::newRow("merge_ready") << "merge_ready"
                                     << "Merge Ready"
                                     << "Merge Ready"
                                     << "✓" << green << greenDark;
        QTest::newRow("pr_ready_for_review") << "pr_ready_for_review"
                                             << "Pr Ready For Review"
                                             << "Pr Ready For Review"
                                             << "✓" << green << greenDark;
        QTest::newRow("failed") << "failed"
                                << "失敗"
                                << "Failed"
                                << "×" << red << redDark;
        QTest::newRow("stopped") << "stopped"
                                 << "停止"
                                 << "Stopped"
                                 << "–" << orange << orangeDark;
        QTest::newRow("cancelled") << "cancelled"
                                   << "キャンセル"
                                   << "Cancelled"
                                   << "–" << orange << orangeDark;
        QTest::newRow("canceled, derived") << "canceled"
                                           << "Canceled"
                                           << "Canceled"
                                           << "–" << orange << orangeDark;
        QTest::newRow("running") << "running"
                                 << "実行中"
                                 << "Running"
                                 << "●" << accent << accentDark;
        QTest::newRow("coding") << "coding"
                                << "Coding"
                                << "Coding"
                                << "●" << accent << accentDark;
        QTest::newRow("queued") << "queued"
                                << "待機中"
                                << "Queued"
                                << "◷" << accent << accentDark;
        QTest::newRow("unknown") << "unknown"
                                 << "Unknown"
                                 << "Unknown"
                                 << "●" << grey << greyDark;
        QTest::newRow("other words, mixed case") << "waiting_FOR_input"
                                                 << "Waiting For Input"
                                                 << "Waiting For Input"
                                                 << "●" << grey << greyDark;
        QTest::newRow("states are compared exactly") << "Succeeded"
                                                     << "Succeeded"
                                                     << "Succeeded"
                                                     << "●" << grey << greyDark;
    }

    void vocabulary() {
        QFETCH(QString, state);
        QFETCH(QString, japanese);
        QFETCH(QString, english);
        QFETCH(QString, symbol);
        QFETCH(QColor, light);
        QFETCH(QColor, dark);
        QCOMPARE(taskStateName(state, Copy{true}), japanese);
        QCOMPARE(taskStateName(state, Copy{false}), english);
        QCOMPARE(taskStateSymbol(state), symbol);
        QCOMPARE(taskStateLine(state, Copy{false}), symbol + QStringLiteral("  ") + english);
        QCOMPARE(taskStateColor(state).resolve(Appearance::light), light);
        QCOMPARE(taskStateColor(state).resolve(Appearance::dark), dark);
    }

    void identity_data() {
        QTest::addColumn<QJsonObject>("task");
        QTest::addColumn<QVariant>("identity");
        QTest::newRow("key") << task(R"({"key":"k","id":"i"})") << QVariant(QStringLiteral("k"));
        QTest::newRow("id when no key") << task(R"({"id":"i"})") << QVariant(QStringLiteral("i"));
        QTest::newRow("id when key is not a string") << task(R"({"key":7,"id":"i"})") << QVariant(QStringLiteral("i"));
        QTest::newRow("empty key still counts") << task(R"({"key":"","id":"i"})") << QVariant(QString(""));
        QTest::newRow("neither") << task(R"({"label":"x"})") << QVariant();
        QTest::newRow("id of wrong type") << task(R"({"id":12})") << QVariant();
    }

    void identity() {
        QFETCH(QJsonObject, task);
        QFETCH(QVariant, identity);
        const std::optional<QString> found = taskIdentity(task);
        QCOMPARE(found.has_value(), identity.isValid());
        if (found) {
            QCOMPARE(*found, identity.toString());
        }
    }

    void rowToSelect_data() {
        QTest::addColumn<QString>("items");
        QTest::addColumn<QVariant>("selected");
        QTest::addColumn<int>("row");
        const QString three = R"([{"key":"a"},{"key":"b"},{"id":"c"}])";
        QTest::newRow("selected by key") << three << QVariant(QStringLiteral("b")) << 1;
        QTest::newRow("selected by id") << three << QVariant(QStringLiteral("c")) << 2;
        QTest::newRow("selected task gone") << three << QVariant(QStringLiteral("z")) << 0;
        QTest::newRow("nothing selected, every task has an identity") << three << QVariant() << 0;
        QTest::newRow("nothing selected matches a task without identity")
            << QString(R"([{"key":"a"},{"label":"no identity"}])") << QVariant() << 1;
        QTest::newRow("a task without identity never matches a selection")
            << QString(R"([{"label":"no identity"},{"key":"a"}])") << QVariant(QStringLiteral("z")) << 0;
        QTest::newRow("first of two equal identities")
            << QString(R"([{"key":"x"},{"key":"a"},{"id":"a"}])") << QVariant(QStringLiteral("a")) << 1;
        QTest::newRow("empty list") << QString("[]") << QVariant(QStringLiteral("a")) << 0;
    }

    void rowToSelect() {
        QFETCH(QString, items);
        QFETCH(QVariant, selected);
        QFETCH(int, row);
        QList<QJsonObject> tasks;
        for (const QJsonValue& value : QJsonDocument::fromJson(items.toUtf8()).array()) {
            tasks.append(value.toObject());
        }
        const std::optional<QString> key = selected.isValid() ? std::optional(selected.toString()) : std::nullopt;
        QCOMPARE(taskRowToSelect(tasks, key), row);
    }
};

VODU_TEST_SUITE(TaskStatesTest)
#include "TaskStatesTest.moc"
