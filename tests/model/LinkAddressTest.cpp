#include "model/LinkAddress.h"
#include "TestRegistry.h"
#include "overview/OverviewDecisions.h"
#include "tasks/TaskDetailContent.h"

#include <QTest>

namespace {

// An address of exactly `length` characters on the given site.
QString addressOf(const QString& site, qsizetype length) {
    const QString start = site + QStringLiteral("/p?q=");
    return start + QString(length - start.size(), QLatin1Char('a'));
}

} // namespace

// Every way a host address reaches the browser refuses one longer than any real link.
class LinkAddressTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void longAddressesAreRefused_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        const QString site = QStringLiteral("https://app.vodu.ai");
        QTest::newRow("at the limit") << addressOf(site, kLinkAddressLimit) << true;
        QTest::newRow("one over") << addressOf(site, kLinkAddressLimit + 1) << false;
        QTest::newRow("100 KB") << addressOf(site, 100 * 1024) << false;
        // Short as written, but each character takes nine bytes once encoded.
        QTest::newRow("long once encoded") << site + QStringLiteral("/") + QString(1000, QChar(0x3042)) << false;
        QTest::newRow("long host") << QStringLiteral("https://") + QString(9000, QLatin1Char('a')) +
                                          QStringLiteral(".example")
                                   << false;
    }

    void longAddressesAreRefused() {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QCOMPARE(parseLinkAddress(text).has_value(), accepted);
        QCOMPARE(safeTaskURL(text).has_value(), accepted);
        QCOMPARE(originOf(text).has_value(), accepted);
    }
};

VODU_TEST_SUITE(LinkAddressTest)
#include "LinkAddressTest.moc"
