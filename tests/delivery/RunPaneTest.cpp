// The run pane as a user meets it: what each situation shows and offers, how the selection and the disclosures
// behave across snapshots, and the empty state.
#include "RunPane.h"
#include "TestRegistry.h"
#include "ui/FlatButtons.h"
#include "ui/ThemedLabel.h"

#include <QComboBox>
#include <QLayout>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

namespace {

const char* kBase = R"({"provider":"codex","session":"s1","taskId":"t1","managed":true,"objective":"Ship the docs"})";

QJsonObject run(const char* extra = "{}") {
    return runRecord(kBase, extra);
}

QJsonObject other(const char* session, const char* extra = "{}") {
    QJsonObject record = run(extra);
    record.insert(QStringLiteral("session"), QString::fromLatin1(session));
    return record;
}

// The secondary buttons a user can see and press, in the pane's order.
QStringList usableButtons(const RunPane& pane) {
    QStringList names;
    for (const char* name :
         {"deliveryApprove", "deliveryReject", "deliveryReplan", "deliveryResume", "deliveryPause", "deliveryStop"}) {
        if (pane.visible(name) && pane.enabled(name)) {
            names.append(QString::fromLatin1(name).mid(8));
        }
    }
    return names;
}

QString shownText(const RunPane& pane, const char* name) {
    return pane.visible(name) ? pane.text(name) : QString();
}

} // namespace

class RunPaneTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The chain's texts are checked row by row on the presentation value; here, that the pane shows them: the
    // lines (empty: hidden), the primary button (empty: hidden), the secondary buttons that can be pressed, and the
    // preview's reduced set.
    void situations_data() {
        QTest::addColumn<QJsonObject>("record");
        QTest::addColumn<bool>("fixture");
        QTest::addColumn<QString>("headline");
        QTest::addColumn<QString>("badge");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("next");
        QTest::addColumn<QString>("primary");
        QTest::addColumn<QStringList>("buttons");

        const char* approval = R"({"state":"blocked","canApprove":true,"canReject":true,"canStop":true,
            "pendingApproval":{"id":"a1","summary":"Deploy 1.8.3","scope":"Staging cluster"}})";
        QTest::newRow("approval") << run(approval) << false << "Your decision needed"
                                  << "Waiting for your approval"
                                  << "Staging cluster"
                                  << ""
                                  << "Review request" << QStringList{"Reject"};
        QTest::newRow("approval the host will not take")
            << run(R"({"state":"blocked","canReject":true,"pendingApproval":{"id":"a1","summary":"Deploy"}})") << false
            << "A decision is needed"
            << "Needs attention"
            << ""
            << ""
            << "" << QStringList{"Reject"};
        QTest::newRow("dependency") << run(R"({"state":"blocked","canResolveDependency":true,"canReplan":true,
            "dependencyWait":{"id":"w1","condition":"Quota raised to 200 GB"}})")
                                    << false << "Waiting for an external dependency"
                                    << "Needs attention"
                                    << ""
                                    << "Quota raised to 200 GB"
                                    << "Confirm dependency ready" << QStringList{"Replan"};
        QTest::newRow("preview handoff") << run(R"({"state":"recovery_required","canResume":true,
            "approvedAction":{"id":"x1","action":{"kind":"destructive"}}})")
                                         << true << "Continue in Codex"
                                         << "Approved · handoff needed"
                                         << "Record the handoff, then perform the approved action and report its "
                                            "result in the original Codex conversation. VODU does not execute it here."
                                         << ""
                                         << "Preview handoff" << QStringList();
        QTest::newRow("preview paused") << run(R"({"state":"paused","canResume":true,"canReplan":true})") << true
                                        << "This conversation is paused"
                                        << "Paused"
                                        << "You can pick this up whenever you’re ready."
                                        << ""
                                        << "" << QStringList();
    }
    void situations() {
        QFETCH(QJsonObject, record);
        QFETCH(bool, fixture);
        QFETCH(QString, headline);
        QFETCH(QString, badge);
        QFETCH(QString, summary);
        QFETCH(QString, next);
        QFETCH(QString, primary);
        QFETCH(QStringList, buttons);
        RunPane pane;
        pane.area.link.fixtureMode = fixture;
        pane.show({record});
        QCOMPARE(shownText(pane, "deliveryHeadline"), headline);
        QCOMPARE(shownText(pane, "deliveryState"), badge);
        QCOMPARE(shownText(pane, "deliverySummary"), summary);
        QCOMPARE(shownText(pane, "deliveryNext"), next);
        QCOMPARE(pane.visible("deliveryPrimary"), !primary.isEmpty());
        if (!primary.isEmpty()) {
            QCOMPARE(pane.text("deliveryPrimary"), primary);
            QVERIFY(pane.enabled("deliveryPrimary"));
        }
        QCOMPARE(usableButtons(pane), buttons);
        QVERIFY(pane.visible("deliveryControls"));
        QCOMPARE(pane.visible("deliveryPreviewBadge"), fixture);
        QVERIFY(!pane.visible("deliveryGoal") && !pane.visible("deliveryAttention"));
    }

    void approvalAndVerificationAskForAttention() {
        RunPane pane;
        pane.show({run(R"({"state":"blocked","canApprove":true,"pendingApproval":{"id":"a1"}})")});
        QVERIFY(pane.view<SolidActionButton>("deliveryPrimary")->attention());
        QCOMPARE(pane.view<ThemedLabel>("deliveryState")->color().light, Theme::attentionInk.light);
        pane.refresh({run(R"({"state":"active"})")});
        QVERIFY(!pane.view<SolidActionButton>("deliveryPrimary")->attention());
        QCOMPARE(pane.view<ThemedLabel>("deliveryState")->color().light, Theme::secondary.light);
    }

    // Without the host nothing can be steered, whatever the run grants.
    void disconnectedPaneOffersNothing() {
        RunPane pane;
        pane.area.link.connected = false;
        pane.show({run(R"({"state":"paused","canResume":true,"canReplan":true,"canStop":true,"canSetPolicy":true,
            "canReject":true,"pendingApproval":{"id":"a1"}})")});
        QVERIFY(!pane.visible("deliveryPrimary"));
        QCOMPARE(usableButtons(pane), QStringList());
        QVERIFY(!pane.enabled("deliveryPolicyPicker"));
    }

    void settingsGroupHoldsPauseAndStop() {
        RunPane pane;
        pane.show({run(R"({"state":"active","canPause":true,"canStop":true,"canSetPolicy":true,
            "autonomyPolicy":"balanced"})")});
        QVERIFY(!pane.visible("deliveryPause") && !pane.visible("deliveryStop"));
        pane.click("deliverySettingsToggle");
        QCOMPARE(pane.text("deliverySettingsToggle"), QStringLiteral("Hide settings"));
        QCOMPARE(usableButtons(pane), (QStringList{"Pause", "Stop"}));
        QCOMPARE(pane.view<QComboBox>("deliveryPolicyPicker")->currentData().toString(), QStringLiteral("balanced"));
        pane.click("deliverySettingsToggle");
        QVERIFY(!pane.visible("deliverySettingsGroup"));
    }

    // A heartbeat repeating the same run keeps the views of its details and conversation summary; a change
    // rebuilds them.
    void unchangedRunKeepsItsDetailViews() {
        RunPane pane;
        pane.conversations = {runRecord(R"({"provider":"codex","session":"s1","autoContinue":true,
            "analysis":{"state":"continue","reason":"Two checks open","nextAction":"Run CI"}})")};
        const auto detailSection = [&pane] {
            return QPointer<QWidget>(pane.view<QWidget>("deliveryDetailSection"));
        };
        for (const char* extra : {R"({"state":"active"})", R"({"state":"active","session":"s2"})"}) {
            pane.show({run(extra)});
            pane.click("deliveryDetailsToggle");
            const QPointer<QWidget> before = detailSection();
            QVERIFY(before);
            pane.refresh({run(extra)});
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCOMPARE(detailSection(), before);
            QJsonObject changed = run(extra);
            changed.insert(QStringLiteral("objective"), QStringLiteral("Something else"));
            pane.refresh({changed});
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(!before);
        }
    }

    void changeOfRunClosesDetailsAndSettings() {
        RunPane pane;
        const QList<QJsonObject> runs{run(R"({"state":"active"})"), other("s2", R"({"state":"paused"})")};
        pane.show(runs, 0);
        pane.click("deliveryDetailsToggle");
        pane.click("deliverySettingsToggle");
        QVERIFY(pane.visible("deliveryDetailsGroup") && pane.visible("deliverySettingsGroup"));
        QCOMPARE(pane.text("deliveryDetailsToggle"), QStringLiteral("Hide details"));

        pane.refresh(runs); // the same run again: as the user left it
        QVERIFY(pane.visible("deliveryDetailsGroup") && pane.visible("deliverySettingsGroup"));

        pane.pick(1);
        QVERIFY(!pane.visible("deliveryDetailsGroup") && !pane.visible("deliverySettingsGroup"));
        QCOMPARE(pane.text("deliveryDetailsToggle"), QStringLiteral("Details"));
        QCOMPARE(pane.text("deliverySettingsToggle"), QStringLiteral("Settings"));
    }

    // The picker follows the run, not its position (the choice itself is checked on the run records).
    void selectionFollowsIdentity_data() {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<int>("picked");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("selected");
        QTest::newRow("reordered") << QStringList{"A", "B", "C"} << 1 << QStringList{"C", "B"} << 1;
    }
    void selectionFollowsIdentity() {
        QFETCH(QStringList, before);
        QFETCH(int, picked);
        QFETCH(QStringList, after);
        QFETCH(int, selected);
        const auto runsOf = [](const QStringList& sessions) {
            QList<QJsonObject> runs;
            for (const QString& session : sessions) {
                runs.append(other(qPrintable(session), R"({"state":"active"})"));
            }
            return runs;
        };
        RunPane pane;
        pane.show(runsOf(before), picked);
        pane.refresh(runsOf(after));
        QCOMPARE(pane.view<QComboBox>("deliveryPicker")->currentIndex(), selected);
    }

    void emptyListHidesThePickerAndKeepsTheSelection() {
        RunPane pane;
        pane.show({run(R"({"state":"active"})")});
        pane.delivery.renderDeliveryRuns({});
        auto* picker = pane.view<QComboBox>("deliveryPicker");
        QVERIFY(picker->isHidden());
        QCOMPARE(picker->count(), 0);
        QCOMPARE(pane.model.selectedDeliveryIdentity, QStringLiteral("codex|s1|t1"));
    }

    void pickerTitles() {
        RunPane pane;
        pane.show({run(), runRecord(R"({"provider":"claude","taskId":"t9","objective":" \n "})")});
        auto* picker = pane.view<QComboBox>("deliveryPicker");
        QCOMPARE(picker->itemText(0), QStringLiteral("codex · Ship the docs"));
        QCOMPARE(picker->itemText(1), QStringLiteral("claude · t9"));
    }

    // The run picked in the settings sheet is the selection: its conversation in the list and in the header, also
    // after the next snapshot; a run without a conversation in the list is named in the header instead.
    void pickingARunSelectsItsConversation() {
        RunPane pane;
        pane.show({run(R"({"state":"active"})"), other("s2", R"({"state":"active","objective":"Fix the tests"})")}, -1);
        QCOMPARE(pane.selectedConversation(), QStringLiteral("Ship the docs"));
        pane.pick(1);
        pane.refresh(pane.model.deliveryRuns);
        QCOMPARE(pane.selectedConversation(), QStringLiteral("Fix the tests"));
        QCOMPARE(pane.text("sessionHeaderTitle"), QStringLiteral("Fix the tests"));
        QCOMPARE(pane.view<QComboBox>("deliveryPicker")->currentIndex(), 1);

        pane.conversations = {runRecord(R"({"provider":"codex","session":"s1","title":"Ship the docs"})")};
        pane.refresh(pane.model.deliveryRuns);
        pane.pick(1);
        QCOMPARE(pane.selectedConversation(), QString());
        QCOMPARE(pane.text("sessionHeaderTitle"), QStringLiteral("Fix the tests"));
        QCOMPARE(pane.model.selectedDeliveryIdentity, QStringLiteral("codex|s2|t1"));
    }

    void conversationTurnTakesOver() {
        RunPane pane;
        pane.conversations = {
            runRecord(R"({"provider":"codex","session":"s1","isRunning":true,"autoContinue":false})")};
        QSignalSpy original(&pane.delivery, &DeliveryController::originalSessionRequested);
        pane.show({run(R"({"state":"paused","canResume":true,"objective":"Ship it"})")});
        QCOMPARE(pane.text("deliveryHeadline"), QStringLiteral("Running"));
        QCOMPARE(pane.text("deliveryState"), QStringLiteral("Running"));
        QVERIFY(!pane.visible("deliveryPrimary"));
        // The details hold the conversation's short summary in place of the run's tabs.
        QVERIFY(pane.view<QWidget>("deliveryDetailsBody")->isAncestorOf(pane.view<QWidget>("compactOriginalSession")));
        QVERIFY(pane.view<QWidget>("deliveryTabButtons")->isHidden());
        pane.click("compactOriginalSession");
        QCOMPARE(original.size(), 1);
    }

    // Each line keeps its gap above it, also one that was empty and collapsed when the pane was first shown.
    void linesKeepTheirGapsOnceShown() {
        RunPane pane;
        pane.area.parent.resize(800, 700);
        pane.area.parent.show();
        QCoreApplication::sendPostedEvents();
        pane.show({run(R"({"state":"blocked","canApprove":true,"pendingApproval":{"id":"a1","scope":"Staging"}})")});
        QCoreApplication::sendPostedEvents();
        pane.area.parent.layout()->activate();
        const QWidget* headline = pane.view<QWidget>("deliveryHeadline");
        const QWidget* summary = pane.view<QWidget>("deliverySummary");
        QCOMPARE(summary->contentsMargins().top(), 12);
        QVERIFY(summary->geometry().top() >= headline->geometry().bottom());
        QVERIFY(summary->height() >= 12 + summary->fontMetrics().height());
    }

    void japanese() {
        RunPane pane({QStringLiteral("ja-JP")});
        pane.show({run(R"({"state":"paused","canResume":true,"canStop":true})")});
        QCOMPARE(pane.text("deliveryHeadline"), QStringLiteral("一時停止しています"));
        QCOMPARE(pane.text("deliveryPrimary"), QStringLiteral("タスクを再開"));
        pane.click("deliveryDetailsToggle");
        QCOMPARE(pane.text("deliveryDetailsToggle"), QStringLiteral("詳細を閉じる"));
    }
};

VODU_TEST_SUITE(RunPaneTest)
#include "RunPaneTest.moc"
