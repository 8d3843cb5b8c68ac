#include "TestRegistry.h"
#include "update/MacAppUpdate.h"

#include <QTest>

namespace {

std::optional<QString> optionalText(const QString& text) {
    return text == u"<absent>" ? std::nullopt : std::optional<QString>(text);
}

} // namespace

class VersionDecisionTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void isNewer_data() {
        QTest::addColumn<QString>("candidate");
        QTest::addColumn<QString>("than");
        QTest::addColumn<bool>("newer");
        QTest::newRow("numeric, not textual") << "1.10.0"
                                              << "1.9.9" << true;
        QTest::newRow("and not the other way") << "1.9.9"
                                               << "1.10.0" << false;
        QTest::newRow("patch") << "1.2.4"
                               << "1.2.3" << true;
        QTest::newRow("equal") << "1.2.3"
                               << "1.2.3" << false;
        QTest::newRow("leading zeros are the same number") << "01.2.3"
                                                           << "1.2.3" << false;
        QTest::newRow("two components") << "1.2"
                                        << "1.1.9" << false;
        QTest::newRow("four components") << "1.2.3.4"
                                         << "1.2.3" << false;
        QTest::newRow("leading letter") << "v1.2.4"
                                        << "1.2.3" << false;
        QTest::newRow("suffix") << "1.2.4-beta"
                                << "1.2.3" << false;
        QTest::newRow("empty component") << "1..4"
                                         << "1.0.3" << false;
        QTest::newRow("fullwidth digits") << QStringLiteral("\uFF11.2.4") << "1.2.3" << false;
        QTest::newRow("arabic-indic digits") << QStringLiteral("1.2.\u0664") << "1.2.3" << false;
        QTest::newRow("largest 64-bit component") << "1.2.9223372036854775807"
                                                  << "1.2.3" << true;
        QTest::newRow("component beyond 64 bits") << "1.2.9223372036854775808"
                                                  << "1.2.3" << false;
        QTest::newRow("absent candidate") << "<absent>"
                                          << "1.2.3" << false;
        QTest::newRow("absent base") << "1.2.4"
                                     << "<absent>" << false;
        QTest::newRow("empty") << ""
                               << "1.2.3" << false;
    }

    void isNewer() {
        QFETCH(QString, candidate);
        QFETCH(QString, than);
        QFETCH(bool, newer);
        QCOMPARE(MacAppUpdate::isNewer(optionalText(candidate), optionalText(than)), newer);
    }

    void decision_data() {
        QTest::addColumn<QString>("native");
        QTest::addColumn<QString>("runtime");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<qint64>("activeTasks");
        QTest::addColumn<bool>("connected");
        QTest::addColumn<bool>("needsRestart");
        QTest::addColumn<bool>("canRestart");
        QTest::addColumn<bool>("newerApp");
        QTest::newRow("newer release, idle and connected") << "1.2.3"
                                                           << "1.2.3"
                                                           << "1.3.0" << qint64(0) << true << true << true << true;
        QTest::newRow("newer release, two tasks running") << "1.2.3"
                                                          << "1.3.0"
                                                          << "1.3.0" << qint64(2) << true << true << false << true;
        QTest::newRow("newer release, disconnected") << "1.2.3"
                                                     << "1.2.3"
                                                     << "1.3.0" << qint64(0) << false << true << false << true;
        QTest::newRow("newer service without a verified release")
            << "1.2.3"
            << "1.3.0"
            << "<absent>" << qint64(0) << true << true << false << false;
        QTest::newRow("newer service, release not newer") << "1.2.3"
                                                          << "1.3.0"
                                                          << "1.2.3" << qint64(0) << true << true << false << false;
        QTest::newRow("nothing newer") << "1.2.3"
                                       << "1.2.3"
                                       << "1.2.3" << qint64(0) << true << false << false << false;
        QTest::newRow("unreadable bundle version") << "<absent>"
                                                   << "1.3.0"
                                                   << "1.3.0" << qint64(0) << true << false << false << false;
    }

    void decision() {
        QFETCH(QString, native);
        QFETCH(QString, runtime);
        QFETCH(QString, selected);
        QFETCH(qint64, activeTasks);
        QFETCH(bool, connected);
        const MacAppUpdate::Decision decided = MacAppUpdate::decision(optionalText(native), optionalText(runtime),
                                                                      optionalText(selected), activeTasks, connected);
        QTEST(decided.needsRestart, "needsRestart");
        QTEST(decided.canRestart, "canRestart");
        QTEST(decided.newerApp, "newerApp");
    }
};

VODU_TEST_SUITE(VersionDecisionTest)
#include "VersionDecisionTest.moc"
