#include "Harness.h"
#include "TestRegistry.h"

#include <QProcess>
#include <QTest>

namespace {

const QString kSilent = QStringLiteral("Service did not respond. Check its status and try again.");

struct Outcome {
    bool ok = true;
    std::optional<QString> message;
};

} // namespace

// A host that stopped reading its input: what is written waits in the app's buffer, which must not grow without
// bound, and every command still completes.
class WriteBackpressureTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_harness = std::make_unique<Harness>();
        m_bundle = std::make_unique<TestBundle>();
        QVERIFY(m_bundle->isValid());
        m_harness->fake->bundleDir = m_bundle->path();
        m_harness->fake->environment.insert(QStringLiteral("SCRIPTED_HOST_MODE"), QStringLiteral("deaf"));
        link().setWriteTimeout(300);
        m_harness->app().startHost();
        QVERIFY(link().hostIsRunning());
    }

    void cleanup() { m_harness.reset(); }

    void commandStuckInTheBufferFailsOnce() {
        QList<Outcome> outcomes;
        send(256 * 1024, outcomes);
        QCOMPARE(outcomes.size(), 0);
        QTRY_COMPARE(outcomes.size(), 1);
        QVERIFY(!outcomes.first().ok);
        QCOMPARE(outcomes.first().message, kSilent);
        QTest::qWait(500);
        QCOMPARE(outcomes.size(), 1);
        QCOMPARE(link().pendingCount(), 1); // the launch's refresh, which fit in the pipe, still waits for its answer
    }

    void bufferIsCapped() {
        QList<Outcome> outcomes;
        for (int command = 0; command < 6; ++command) {
            send(300 * 1024, outcomes);
        }
        QVERIFY(link().process()->bytesToWrite() <= 1024 * 1024);
        QVERIFY(outcomes.size() >= 3); // refused at once: the buffer is full
        for (const Outcome& outcome : outcomes) {
            QVERIFY(!outcome.ok);
            QCOMPARE(outcome.message, kSilent);
        }
        QTRY_COMPARE(outcomes.size(), 6);
    }

private:
    HostLink& link() { return m_harness->app().link(); }

    void send(qsizetype bytes, QList<Outcome>& outcomes) {
        link().send(QStringLiteral("probe"), false, std::nullopt,
                    {{QStringLiteral("blob"), QString(bytes, QLatin1Char('x'))}},
                    [&outcomes](bool ok, const std::optional<QString>& message) {
                        outcomes.append({ok, message});
                    });
    }

    std::unique_ptr<Harness> m_harness;
    std::unique_ptr<TestBundle> m_bundle;
};

VODU_TEST_SUITE(WriteBackpressureTest)
#include "WriteBackpressureTest.moc"
