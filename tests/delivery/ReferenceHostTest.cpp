// The whole app against the reference host's demo: run commands reach the host and the next status shows them.
#include "ReferenceHost.h"
#include "Harness.h"
#include "TestRegistry.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QTest>

class ReferenceHostTest final : public HarnessTest {
    Q_OBJECT

    QString text(const char* name) { return view<QLabel>(app(), name)->text(); }

    // Picks the run by its title's start, clicks and confirms; then the line says `result` and the headline changes.
    void act(const char* run, const char* button, const char* result, const QString& typed = {}) {
        auto* picker = view<QComboBox>(app(), "deliveryPicker");
        picker->setCurrentIndex(picker->findText(QString::fromUtf8(run), Qt::MatchStartsWith));
        Q_EMIT picker->activated(picker->currentIndex());
        const QString headline = text("deliveryHeadline");
        auto* clicked = view<QAbstractButton>(app(), button);
        QVERIFY2(picker->currentIndex() >= 0 && clicked->isVisibleTo(app().window()) && clicked->isEnabled(), button);
        fake().alertAnswers = {AlertAnswer{1, typed}};
        clicked->click();
        QTRY_COMPARE_WITH_TIMEOUT(text("deliveryActionMessage"), QString::fromUtf8(result), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(text("deliveryHeadline") != headline, 10000);
    }

private Q_SLOTS:
    void commandsReachTheHostAndTheNextStatusShowsThem() {
        ReferenceHost host(harness());
        QVERIFY(host.ready());
        act("codex · Publish the billing webhook", "deliveryPrimary", "Action accepted. Refreshing status.");
        act("claude · Upgrade the search cluster", "deliveryPrimary", "Confirmation accepted.", "  Quota raised.  ");
    }
};

VODU_TEST_SUITE(ReferenceHostTest)
#include "ReferenceHostTest.moc"
