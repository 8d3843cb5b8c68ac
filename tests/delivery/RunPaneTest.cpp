#include "RunPane.h"
#include "DataTables.h"
#include "TestRegistry.h"

#include <QComboBox>
#include <QLabel>
#include <QPointer>

namespace {

QStringList details(const RunPane& pane, const char* name) {
    QStringList found;
    for (const QLabel* label : pane.home.deliveryDetailsBody()->findChildren<QLabel*>(QString::fromLatin1(name)))
        found.append(label->text());
    return found;
}

// A Codex handoff whose conversation target, verified or not (%1), links to its thread.
const char* kHandoff =
    R"({"session":"1a8e5c3f-7d29-4b60-9c14-f3a2e6b8d057","state":"recovery_required","canResume":true,
    "approvedAction":{"id":"x1","action":{"kind":"destructive"}},"originalSessionTarget":{"kind":"url",
    "verifiedOnPlatform":%1,"url":"codex://threads/1a8e5c3f-7d29-4b60-9c14-f3a2e6b8d057"}})";

} // namespace

class RunPaneTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // One row per widget the presentation feeds, with the settings open ("-": hidden).
    void widgets_data() {
        columns<QJsonObject, QString>({"record", "shown"});
        QTest::newRow("deliveryHeadline") << run(kApproval) << QStringLiteral("Your decision needed");
        QTest::newRow("deliveryState") << run(kApproval) << QStringLiteral("Waiting for your approval");
        QTest::newRow("deliverySummary") << run(kApproval) << QStringLiteral("Staging");
        QTest::newRow("deliveryNext") << run(kDependency) << QStringLiteral("Quota raised");
        QTest::newRow("deliveryPause") << run(kPaused) << QStringLiteral("Pause");
    }
    void widgets() {
        QFETCH(QJsonObject, record);
        RunPane pane;
        pane.show({record});
        pane.click("deliverySettingsToggle");
        const char* widget = QTest::currentDataTag();
        QTEST(pane.visible(widget) ? pane.text(widget) : QStringLiteral("-"), "shown");
    }

    // A click and the answer to its alert; then the alert, the command, the feedback line while it is in flight, the
    // result ("!": failed, with the host's words after it) and the line after it. Rows named "preview" run in preview.
    void actions_data() {
        columns<QJsonObject, QStringList, QStringList>(
            {"record", "click", "shown"}); // click: button, answer, typed text
        const auto row = [](const char* name, const char* extra, const QStringList& click, const QStringList& shown) {
            QTest::newRow(name) << run(extra) << click << shown;
        };
        const QString accepted = "Action accepted. Refreshing status.";
        const QString sending = "Sending action…";
        row("approve", kApproval, {"deliveryPrimary", "1"},
            {"Approve this request?", "delivery_approve approvalId=a1", sending, "", accepted});
        row("reject", kApproval, {"deliveryReject"}, {"", "delivery_reject approvalId=a1", sending, "!No.", "No."});
        row("stop", kApproval, {"deliveryStop", "1"},
            {"Stop this Dozadavi Zaro?", "delivery_stop", sending, "!",
             "Action failed. Refresh status and try again."});
        row("verify the chosen criterion", kVerification, {"deliveryVerify", "1"},
            {"Mark this criterion verified?", "delivery_verify criterionId=c3", "Sending verification…", "",
             "Verification accepted."});
        row("policy", R"({"canSetPolicy":true,"autonomyPolicy":"strict"})", {"deliveryPolicyApply"},
            {"", "delivery_set_policy autonomyPolicy=balanced", "Changing policy…", "",
             "Policy changed. Refreshing status."});
        row("dependency", kDependency, {"deliveryPrimary", "1", " Done.\n"},
            {"Confirm dependency ready", "delivery_dependency_ready answer=Done. waitId=w1", "", "",
             "Confirmation accepted."});
        row("preview dependency", kDependency, {"deliveryPrimary", "1", "Done"},
            {"Confirm dependency ready", "", "Sample confirmation reviewed. No action was sent."});
    }
    void actions() {
        const auto [record, click, shown] = fetch<QJsonObject, QStringList, QStringList>({"record", "click", "shown"});
        RunPane pane;
        pane.area.link.fixtureMode = QByteArray(QTest::currentDataTag()).startsWith("preview");
        pane.show({record});
        pane.click("deliverySettingsToggle");
        auto* criteria = pane.view<QComboBox>("deliveryCriterionPicker");
        criteria->setCurrentIndex(criteria->count() - 1);
        auto* policies = pane.view<QComboBox>("deliveryPolicyPicker");
        policies->setCurrentIndex(policies->findData(QStringLiteral("balanced")));
        Q_EMIT policies->activated(policies->currentIndex());
        pane.area.platform.alertAnswers = {{click.value(1).toInt(), click.value(2)}};
        pane.click(qPrintable(click[0]));
        QStringList seen{pane.area.platform.alerts.value(0).message, pane.sent(), pane.text("deliveryActionMessage")};
        QCOMPARE(pane.area.commands.commands.size(), int(!shown[1].isEmpty()));
        if (!shown[1].isEmpty()) {
            QVERIFY(!pane.area.commands.commands.first().force);
            const QString reply = shown[3];
            pane.area.commands.complete(0, !reply.startsWith(u'!'),
                                        reply.size() > 1 ? std::optional<QString>(reply.mid(1)) : std::nullopt);
            seen << reply << pane.text("deliveryActionMessage");
            QCOMPARE(pane.area.commands.actions().last(), QStringLiteral("refresh"));
        }
        QCOMPARE(seen, shown);
    }

    // A command's buttons wait for the status after its result; a result after the pane is gone changes nothing.
    void buttonsWaitForTheNextStatus() {
        auto pane = std::make_unique<RunPane>();
        pane->show({run(kPaused)});
        pane->click("deliveryReplan");
        pane->area.commands.complete(0, true);
        QVERIFY(!pane->view<QWidget>("deliveryReplan")->isEnabled());
        pane->show({run(kPaused)});
        pane->click("deliveryReplan");
        QCOMPARE(pane->sent(2), QStringLiteral("delivery_replan"));
        const CommandSink::Completion completion = pane->area.commands.commands[2].completion;
        pane.reset();
        completion(true, std::nullopt); // must not touch the destroyed views
    }

    // Resuming a Codex handoff opens the conversation: only a verified thread link of the run still shown.
    void handoff_data() {
        QTest::addColumn<QString>("shown"); // the link opened, the feedback line
        const QString link = "codex://threads/1a8e5c3f-7d29-4b60-9c14-f3a2e6b8d057|";
        const QString manual = "Handoff recorded. Open the original conversation in Codex manually.";
        QTest::newRow("verified link") << link + "Action accepted. Refreshing status.";
        QTest::newRow("another run is shown") << "|";
        QTest::newRow("unverified link") << "|" + manual;
        QTest::newRow("opening refused") << link + manual;
    }
    void handoff() {
        const QByteArray change = QTest::currentDataTag();
        RunPane pane;
        pane.area.platform.openUrlSucceeds = change != "opening refused";
        pane.show({run(qPrintable(QString(kHandoff).arg(change == "unverified link" ? "false" : "true"))), run()});
        pane.click("deliveryPrimary");
        QCOMPARE(pane.sent(), QStringLiteral("delivery_resume"));
        if (change == "another run is shown")
            pane.pick(1);
        pane.area.commands.complete(0, true);
        QTEST(pane.area.platform.openedUrls.value(0).toString() + u'|' + pane.text("deliveryActionMessage"), "shown");
    }

    // The picker follows the run; the same run keeps its disclosures, tab and detail views, another closes them.
    void selectionAndDisclosures() {
        RunPane pane;
        const QJsonObject done = run(R"({"state":"reported_done","verification":{"verified":1,"total":2},
            "acceptanceCriteria":[{"id":"c1","description":"<b>Docs</b>"}]})");
        pane.show({run(R"({"session":"s2"})"), done}, 1);
        pane.click("deliveryDetailsToggle");
        pane.click("deliverySettingsToggle");
        pane.click("deliveryEvidenceTab");
        QCOMPARE(details(pane, "deliveryDetailTitle"),
                 (QStringList{"Provider reported completion. This is not independent verification.",
                              "1/2 criteria verified", "<b>Docs</b>"}));
        for (const QLabel* label : pane.home.deliveryDetailsBody()->findChildren<QLabel*>())
            QCOMPARE(label->textFormat(), Qt::PlainText);
        const QPointer<QWidget> section = pane.view<QWidget>("deliveryDetailSection");
        pane.show({done, run(R"({"session":"s2"})")});
        QCOMPARE(pane.view<QComboBox>("deliveryPicker")->currentIndex(), 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(section && pane.visible("deliveryDetailsGroup") && pane.visible("deliverySettingsGroup"));
        pane.pick(1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!section && !pane.visible("deliveryDetailsGroup") && !pane.visible("deliverySettingsGroup"));
        pane.click("deliveryDetailsToggle");
        QCOMPARE(details(pane, "deliveryDetailSectionTitle"), QStringList{"Acceptance criteria"});
    }
};

VODU_TEST_SUITE(RunPaneTest)
#include "RunPaneTest.moc"
