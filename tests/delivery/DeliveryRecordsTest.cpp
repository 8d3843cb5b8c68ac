#include "delivery/DeliveryRecords.h"
#include "TestData.h"
#include "TestRegistry.h"

#include <QJsonDocument>
#include <QTest>

class DeliveryRecordsTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pickerTitles_data() {
        QTest::addColumn<QJsonObject>("run");
        QTest::addColumn<QString>("title");
        QTest::newRow("objective") << json(R"({"provider":"codex","objective":"Ship docs","taskId":"t1"})")
                                   << "codex · Ship docs";
        QTest::newRow("multi-line objective")
            << json(R"({"provider":"claude","objective":" a\nb\r\nc "})") << "claude · a b c";
        QTest::newRow("blank objective falls to the task") << json(R"({"provider":"codex","objective":" \n ",
                                                                       "taskId":"t9"})")
                                                           << "codex · t9";
        QTest::newRow("neither") << json(R"({"provider":"codex","objective":3})") << "codex · ";
        QTest::newRow("mistyped provider") << json(R"({"provider":5,"taskId":"t1"})") << " · t1";
        QTest::newRow("long objective") << QJsonObject{{"provider", "codex"},
                                                       {"objective", QString("word ").repeated(30)}}
                                        << "codex · " + QString("word ").repeated(20);
        QTest::newRow("objective with a credential")
            << QJsonObject{{"provider", "codex"}, {"objective", "Use password: hunter2 now"}} << "codex · Use ••• now";
    }

    void pickerTitles() {
        QFETCH(QJsonObject, run);
        QTEST(deliveryPickerTitle(run), "title");
    }
};

VODU_TEST_SUITE(DeliveryRecordsTest)
#include "DeliveryRecordsTest.moc"
