#include "Harness.h"
#include "TestRegistry.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTest>

namespace {

// Keys and words the service uses, so random records often hit the branches the app reads.
const QStringList& vocabulary() {
    static const QStringList words =
        QStringLiteral(
            "type status error code message conflicts pid entryPath result id ok task_detail taskKey task "
            "pluginSetup state refreshPending installing ready deliveryHooks providers codex claude observed runs "
            "provider reason session taskId needsAttention sessionSupervision discovery unavailable sessions "
            "previewSelectedSession auth signed_in expired userLabel connection online connecting unauthorized "
            "offline lastSuccessAt signed_out missing outdated version webOrigin tasks activeCount items key "
            "label detail succeeded failed running queued stopped merge_ready update latestVersion sampledAt "
            "instruction purpose successCriteria report testsRun links url truncated technicalResult "
            "process_conflict appearance fixtureDetailsOpen")
            .split(QLatin1Char(' '));
    return words;
}

class RandomRecords {
public:
    explicit RandomRecords(quint32 seed) : m_random(seed) {}

    QString word() { return vocabulary().at(m_random.bounded(int(vocabulary().size()))); }

    QJsonValue value(int depth) {
        switch (m_random.bounded(depth > 0 ? 9 : 6)) {
        case 0:
            return QJsonValue(QJsonValue::Null);
        case 1:
            return m_random.bounded(2) == 1;
        case 2:
            return qint64(m_random.generate64()) >> m_random.bounded(64);
        case 3:
            return m_random.generateDouble() * 1e6 - 5e5;
        case 4:
            return word();
        case 5:
            return oddText();
        case 6: {
            QJsonArray array;
            for (int count = m_random.bounded(5); count > 0; --count) {
                array.append(value(depth - 1));
            }
            return array;
        }
        default:
            return object(depth - 1);
        }
    }

    QJsonObject object(int depth) {
        QJsonObject record;
        for (int count = m_random.bounded(8); count > 0; --count) {
            record.insert(word(), value(depth));
        }
        return record;
    }

    QString oddText() {
        const QString samples[] = {QString(),
                                   QStringLiteral(" \n "),
                                   QString(5000, QLatin1Char('x')),
                                   QStringLiteral("javascript:alert(1)"),
                                   QStringLiteral("2026-12-06T09:00:00Z"),
                                   QStringLiteral("2026-13-45T99:00:00Z"),
                                   QStringLiteral("1.2.3"),
                                   QStringLiteral("https://user:pw@example.test/"),
                                   QStringLiteral("token=abc \u202e\u0000"),
                                   QStringLiteral("👨‍👩‍👧 日本語\r\n**bold** [x](https://x.test)")};
        return samples[m_random.bounded(int(std::size(samples)))];
    }

    QByteArray frame() {
        const char* types[] = {"status", "status", "status", "error", "result", "task_detail", "other"};
        QJsonObject message = object(1);
        message.insert(QStringLiteral("type"), QString::fromLatin1(types[m_random.bounded(int(std::size(types)))]));
        message.insert(QStringLiteral("status"), object(5));
        message.insert(QStringLiteral("task"), object(4));
        return QJsonDocument(message).toJson(QJsonDocument::Compact);
    }

    QByteArray garbage() {
        QByteArray bytes(m_random.bounded(200), Qt::Uninitialized);
        for (char& byte : bytes) {
            byte = static_cast<char>(m_random.bounded(256));
        }
        return bytes;
    }

    int bounded(int limit) { return m_random.bounded(limit); }

private:
    QRandomGenerator m_random;
};

} // namespace

// Whatever the service writes, the app keeps running and recovers with the next good snapshot.
class HostOutputRobustnessTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void randomOutputNeverBreaksTheApp_data() {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed = 1; seed <= 6; ++seed) {
            QTest::addRow("seed %u", seed) << seed;
        }
    }

    void randomOutputNeverBreaksTheApp() {
        QFETCH(quint32, seed);
        Harness harness;
        AppDelegate& app = harness.app();
        RandomRecords records(seed);
        for (int index = 0; index < 300; ++index) {
            QByteArray chunk = records.bounded(10) == 0 ? records.garbage() : records.frame();
            chunk.append('\n');
            app.link().consumeOnMain(chunk);
            if (records.bounded(20) == 0) {
                app.setFixtureMode(!app.linkState().fixtureMode);
            }
        }
        app.setFixtureMode(false);
        app.link().consumeOnMain("{\"type\":\"status\",\"status\":{\"connection\":{\"state\":\"online\"}}}\n");
        QVERIFY(app.linkState().connected);
        QVERIFY(app.overview().webRoot() == std::nullopt ||
                app.overview().webRoot()->scheme().startsWith(QLatin1String("http")));
    }
};

VODU_TEST_SUITE(HostOutputRobustnessTest)
#include "HostOutputRobustnessTest.moc"
