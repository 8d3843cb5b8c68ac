// What the Sessions home shows for the selected conversation: a managed one through the run area, a takeover or
// loading placeholder, or the conversation view with its context row, analysis area and toggles; host text only
// ever as plain, masked text; and the way back to the original conversation.
#include "SessionJson.h"
#include "SessionsArea.h"
#include "TestRegistry.h"
#include "sessions/conversation/CompactSessionDetails.h"
#include "ui/ToggleSwitch.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace {

const QString kUuid = QStringLiteral("0f3a9d27-6b1e-4c58-a2d4-7e91b3c60f85");

} // namespace

class SessionPaneTest final : public QObject {
    Q_OBJECT

    std::unique_ptr<SessionsArea> m_area;
    SessionsArea& area() { return *m_area; }
    QString text(const char* name) { return area().view<QLabel>(name)->text(); }
    bool shown(const char* name) { return !area().view<QWidget>(name)->isHidden(); }

private Q_SLOTS:
    void init() { m_area = std::make_unique<SessionsArea>(); }
    void cleanup() { m_area.reset(); }

    // Which view a binding gets: the run presented through the run area, or the conversation's own form (the
    // texts of each are checked on the presentation value).
    void views_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("drawnRun"); // the run the run area was asked to present; empty: none
        QTest::addColumn<bool>("form");
        QTest::newRow("managed with its run") << R"({"provider":"codex","session":"s1","binding":{"mode":"managed"}})"
                                              << "codex|s1|t1" << false;
        QTest::newRow("takeover over its run")
            << R"({"provider":"codex","session":"s1","binding":{"mode":"pending_takeover"}})"
            << "codex|s1|t1" << false;
        QTest::newRow("conversation") << R"({"provider":"codex","session":"s1","binding":{"mode":"monitor"}})"
                                      << "" << true;
    }

    void views() {
        QFETCH(QString, record);
        QFETCH(QString, drawnRun);
        QFETCH(bool, form);
        area().render(QLatin1Char('[') + record + QLatin1Char(']'),
                      R"([{"provider":"codex","session":"s1","taskId":"t1","state":"active"}])");
        QCOMPARE(area().runs.presented, drawnRun.isEmpty() ? QStringList() : QStringList(drawnRun));
        QCOMPARE(area().runs.mirrored, QStringLiteral("codex|s1|t1"));
        QCOMPARE(area().model.selectedSessionIdentity, QStringLiteral("codex|s1"));
        QCOMPARE(area().model.selectedDeliveryIdentity, drawnRun);
        QCOMPARE(shown("sessionForm"), form);
        QCOMPARE(shown("sessionStatusBadge"), form);
        QCOMPARE(shown("deliveryControls"), !form);
        QVERIFY(shown("sessionContext"));
    }

    void conversationView() {
        area().render(QStringLiteral(R"([{"provider":"claude","session":"%1","title":"Tidy the docs",
            "cwd":"/home/alex/docs","capabilities":{"canAnalyze":true,"canEnroll":true,"canAutoContinue":true},
            "analysis":{"state":"needs_user","reason":"Which style guide applies?",
                        "objective":"Tidy the docs","remaining":["Fix links","Check tone"],
                        "basis":[{"role":"user","snippet":"Please tidy the docs"},
                                 {"role":"goal","snippet":"Tidy the docs"}]},
            "providerGoal":{"objective":"Tidy the docs","status":"paused"},
            "originalSessionTarget":{"kind":"manual"}}])")
                          .arg(kUuid));
        QCOMPARE(text("sessionHeaderTitle"), QStringLiteral("Tidy the docs"));
        QCOMPARE(text("sessionHeaderProvider"), QStringLiteral("Claude Code"));
        QCOMPARE(text("sessionEyeline"), QStringLiteral("Your decision needed"));
        QCOMPARE(text("sessionFormHeading"), QStringLiteral("Your decision needed"));
        QCOMPARE(text("sessionIntro"), QStringLiteral("Which style guide applies?"));
        QCOMPARE(text("sessionAutoContinueHint"), QStringLiteral("Continue unfinished work for me"));
        QCOMPARE(text("sessionProviderGoalMeta"), QStringLiteral("Original goal · Paused"));
        QVERIFY(shown("sessionProviderGoal"));
        QCOMPARE(area().view<QPushButton>("sessionAnalysisOriginal")->text(), QStringLiteral("Open in Claude"));
        QVERIFY(shown("sessionAnalysisOriginal"));
        QVERIFY(!shown("sessionAction"));
        QVERIFY(!shown("deliveryHeadline") && !shown("deliveryStateBadge") && !shown("deliveryControls"));

        // Details open and close with the toggle; the goal's quote is not repeated.
        QVERIFY(!shown("sessionAnalysisDetails"));
        area().view<QPushButton>("sessionEvidenceToggle")->click();
        QVERIFY(shown("sessionAnalysisDetails"));
        QCOMPARE(area().view<QPushButton>("sessionEvidenceToggle")->text(), QStringLiteral("Hide details"));
        QStringList details;
        for (const QLabel* label : area().view<QWidget>("sessionAnalysisDetails")->findChildren<QLabel*>()) {
            details.append(label->text());
        }
        QCOMPARE(details, QStringList({"Goal", "Tidy the docs", "Original goal · Paused", "Still to do", "•  Fix links",
                                       "•  Check tone", "Your request: “Please tidy the docs”"}));

        area().view<QPushButton>("sessionPreferencesToggle")->click();
        QVERIFY(shown("sessionPreferencesGroup"));
        area().view<QPushButton>("sessionManualToggle")->click();
        QVERIFY(shown("sessionFields") && shown("sessionPolicyRow") && shown("sessionManualAction"));
        QVERIFY(!shown("sessionAdvancedGroup"));
        area().view<QPushButton>("sessionAdvancedToggle")->click();
        QVERIFY(shown("sessionAdvancedGroup"));
        QCOMPARE(area().view<QPushButton>("sessionManualToggle")->text(), QStringLiteral("Hide manual goal"));

        // Another conversation closes details and settings; its own draft decides the manual form.
        area().render(QStringLiteral(R"([{"provider":"claude","session":"%1","title":"Tidy the docs"},
                                         {"provider":"codex","session":"x","title":"Other"}])")
                          .arg(kUuid));
        area().select(QStringLiteral("Other"));
        QVERIFY(!shown("sessionAnalysisDetails") && !shown("sessionPreferencesGroup") && !shown("sessionFields"));
        QCOMPARE(area().view<QPushButton>("sessionEvidenceToggle")->text(), QStringLiteral("Details"));
    }

    void runningTurnOffersNothing() {
        area().render(R"([{"provider":"codex","session":"s1","analysis":{"state":"exploded","awaitingTurn":true},
                           "capabilities":{"canAnalyze":true,"canEnroll":true}}])");
        QCOMPARE(text("sessionEyeline"), QStringLiteral("Running"));
        QCOMPARE(text("sessionFormHeading"), QStringLiteral("Running"));
        QVERIFY(!shown("sessionAction") && !shown("sessionManualToggle"));
        area().sessions.submitSessionMode();
        QVERIFY(area().harness.commands.commands.isEmpty());
    }

    // Markup, control characters, addresses and credentials from the host reach no view as such.
    void hostTextIsShownSafely() {
        const QString title = QStringLiteral("<b>Bold</b>\u0007 <img src=x> ") + QString(10000, u'x');
        QJsonObject record = jsonObject(R"({"provider":"<i>codex</i>","session":"s1",
            "binding":{"mode":"pending_takeover"},"reason":"see https:\/\/evil.test\/x and token=abc123"})");
        record.insert(QStringLiteral("title"), title);
        area().model.deliveryRuns.clear();
        area().renderStatus(QJsonObject{
            {QStringLiteral("sessionSupervision"), QJsonObject{{QStringLiteral("sessions"), QJsonArray{record}}}}});
        QCOMPARE(text("deliveryAttention"), QStringLiteral("see ••• and •••"));
        const QString shownTitle = text("sessionHeaderTitle");
        QVERIFY(shownTitle.startsWith(QStringLiteral("<b>Bold</b>  <img src=x>")));
        QVERIFY(shownTitle.size() <= 180);
        QVERIFY(text("deliveryGoal").startsWith(QStringLiteral("Session: <b>Bold</b>")));
        for (const char* name : {"sessionHeaderTitle", "sessionHeaderProvider", "deliveryGoal", "deliveryAttention",
                                 "deliveryHeadline", "deliveryNext", "deliveryState"}) {
            QCOMPARE(area().view<QLabel>(name)->textFormat(), Qt::PlainText);
        }
        QCOMPARE(area().rows().section(QLatin1Char('|'), 1), shownTitle);
    }

    // Which links open is checked on the link rule and the opening value; here, that an open reaches the platform
    // and a refusal or the preview reaches an alert.
    void originalConversation_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<bool>("fixture");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("alert"); // message, then the informative text's last line
        const QString verified =
            QStringLiteral(R"({"provider":"codex","session":"%1","originalSessionTarget":{"kind":"url",
                "verifiedOnPlatform":true,"url":"codex:\/\/threads\/%2"}})");
        QTest::newRow("verified thread") << verified.arg(kUuid, kUuid) << false << true << "";
        QTest::newRow("not verified")
            << QStringLiteral(R"({"provider":"codex","session":"%1","originalSessionTarget":{"kind":"url",
                "url":"codex:\/\/threads\/%1","reason":"Open Codex once at https:\/\/x.test"}})")
                   .arg(kUuid)
            << false << false << "Could not open the original conversation|Session ID: " + kUuid;
        QTest::newRow("preview") << verified.arg(kUuid, kUuid) << true << false
                                 << "Sample conversation|Preview only. No conversation will open and no approval "
                                    "will be sent.";
    }

    void originalConversation() {
        QFETCH(QString, record);
        QFETCH(bool, fixture);
        QFETCH(bool, opens);
        QFETCH(QString, alert);
        area().harness.link.fixtureMode = fixture;
        area().render(QLatin1Char('[') + record + QLatin1Char(']'));
        area().original.openOriginalSession();
        QCOMPARE(area().harness.platform.openedUrls,
                 opens ? QList<QUrl>{QUrl(QStringLiteral("codex://threads/") + kUuid)} : QList<QUrl>());
        QCOMPARE(area().harness.platform.alerts.size(), alert.isEmpty() ? 0 : 1);
        if (!alert.isEmpty()) {
            const AlertRequest& shownAlert = area().harness.platform.alerts.first();
            QCOMPARE(shownAlert.message, alert.section(QLatin1Char('|'), 0, 0));
            QCOMPARE(shownAlert.informativeText.section(QLatin1Char('\n'), -1), alert.section(QLatin1Char('|'), 1));
            QCOMPARE(shownAlert.buttons, QStringList(QStringLiteral("Close")));
            QVERIFY(!shownAlert.informativeText.contains(QStringLiteral("https")));
        }
    }

    void aRefusedOpenIsExplained() {
        area().harness.platform.openUrlSucceeds = false;
        area().render(QStringLiteral(R"([{"provider":"codex","session":"%1","originalSessionTarget":{"kind":"url",
            "verifiedOnPlatform":true,"url":"codex:\/\/threads\/%1"}}])")
                          .arg(kUuid));
        area().original.openOriginalSession();
        QCOMPARE(area().harness.platform.openedUrls.size(), 1);
        QCOMPARE(area().harness.platform.alerts.size(), 1);
        QCOMPARE(area().harness.platform.alerts.first().informativeText,
                 QStringLiteral("No verified link is available for this conversation.\n\nSession ID: ") + kUuid);
    }

    // A managed conversation is opened as its run: the run selected in the run area decides.
    void aManagedConversationOpensItsRun() {
        area().render(R"([{"provider":"codex","session":"s1","binding":{"mode":"managed"}}])",
                      R"([{"provider":"claude","session":"r1","taskId":"t1"}])");
        area().model.selectedDeliveryIdentity = QStringLiteral("claude|r1|t1");
        area().original.openOriginalSession();
        QCOMPARE(area().harness.platform.alerts.value(0).message,
                 QStringLiteral("Return to the original Claude conversation"));
    }

    // The home draws each field of its value into its own view (the values themselves are decided and checked on
    // the presentation function); a component the value hides is only hidden.
    void homeDrawsEachFieldOfItsValue() {
        const Copy copy;
        SupervisionHome home(copy);
        QWidget window;
        home.build(&window);
        window.show();
        HomeView value;
        value.headerTitle = QStringLiteral("Title");
        value.headerProvider = QStringLiteral("Codex");
        value.previewBadgeVisible = true;
        value.stateBadge = QStringLiteral("Badge");
        value.stateBadgeVisible = true;
        value.sessionEyeline = QStringLiteral("Eyeline");
        value.sessionStatusVisible = true;
        value.headline = {QStringLiteral("Headline"), true};
        value.goal = {QStringLiteral("Goal"), true};
        value.progress = {QStringLiteral("Progress"), false};
        value.summary = {QStringLiteral("Summary"), true};
        value.attention = {QStringLiteral("Attention"), true};
        value.next = {QStringLiteral("Next"), true};
        value.primary = {QStringLiteral("Primary"), false, true};
        value.original = {QStringLiteral("Open"), true, true};
        value.originalToolTip = QStringLiteral("Tip");
        value.startManagedVisible = true;
        value.controls.visible = true;
        value.controls.reject = {{}, true, true};
        value.controls.replan = {{}, false, true};
        value.controls.stop = {{}, true, false};
        value.controls.verify = {{}, true, true};
        value.controls.approveEnabled = true;
        value.controls.policyPickerEnabled = true;
        value.controls.policySelection = QStringLiteral("strict");
        value.controls.criteria = {QStringLiteral("c1"), QStringLiteral("c2")};
        value.controls.criterionIndex = 1;
        value.controls.criterionPickerVisible = true;
        value.controls.detailsOpen = true;
        value.controls.detailsTabsVisible = false;
        value.feedback = {QStringLiteral("Sending action…"), true};
        home.apply(value);
        const auto text = [&window](const char* name) {
            if (auto* label = view<QLabel>(&window, name)) {
                return label->text();
            }
            return view<QAbstractButton>(&window, name)->text();
        };
        const auto shownIn = [&window](const char* name) {
            return view<QWidget>(&window, name)->isVisibleTo(&window);
        };
        const auto enabled = [&window](const char* name) {
            return view<QWidget>(&window, name)->isEnabled();
        };
        QCOMPARE(text("sessionHeaderTitle"), QStringLiteral("Title"));
        QCOMPARE(view<QLabel>(&window, "sessionHeaderTitle")->toolTip(), QStringLiteral("Title"));
        QCOMPARE(text("sessionHeaderProvider"), QStringLiteral("Codex"));
        QVERIFY(shownIn("deliveryPreviewBadge") && shownIn("deliveryStateBadge") && shownIn("sessionStatusBadge"));
        QCOMPARE(text("deliveryState"), QStringLiteral("Badge"));
        QCOMPARE(text("sessionEyeline"), QStringLiteral("Eyeline"));
        for (const char* name : {"deliveryHeadline", "deliveryGoal", "deliverySummary", "deliveryAttention",
                                 "deliveryNext", "deliveryActionMessage"}) {
            QVERIFY2(shownIn(name), name);
        }
        QCOMPARE(text("deliveryHeadline") + text("deliveryGoal") + text("deliveryProgress") + text("deliverySummary") +
                     text("deliveryAttention") + text("deliveryNext") + text("deliveryActionMessage"),
                 QStringLiteral("HeadlineGoalProgressSummaryAttentionNextSending action…"));
        QVERIFY(!shownIn("deliveryProgress"));
        QCOMPARE(text("deliveryPrimary"), QStringLiteral("Primary"));
        QVERIFY(shownIn("deliveryPrimary") && !enabled("deliveryPrimary"));
        QCOMPARE(text("originalSessionButton"), QStringLiteral("Open"));
        QCOMPARE(view<QWidget>(&window, "originalSessionButton")->toolTip(), QStringLiteral("Tip"));
        QVERIFY(shownIn("startManagedButton") && shownIn("deliveryControls"));
        QVERIFY(shownIn("deliveryReject") && enabled("deliveryReject"));
        QVERIFY(shownIn("deliveryReplan") && !enabled("deliveryReplan"));
        QVERIFY(!shownIn("deliveryStop") && enabled("deliveryApprove") && shownIn("deliveryVerify"));
        QCOMPARE(view<QComboBox>(&window, "deliveryPolicyPicker")->currentData().toString(), QStringLiteral("strict"));
        QCOMPARE(view<QComboBox>(&window, "deliveryCriterionPicker")->currentText(), QStringLiteral("c2"));
        QVERIFY(shownIn("deliveryDetailsGroup") && !shownIn("deliveryTabButtons"));
        QCOMPARE(text("deliveryDetailsToggle"), QStringLiteral("Hide details"));
        // Lines keep their gaps above them.
        QCOMPARE(view<QLabel>(&window, "deliveryGoal")->contentsMargins().top(), 8);
        QCOMPARE(view<QLabel>(&window, "deliveryHeadline")->contentsMargins().top(), 14);

        // Without a run the controls and the primary row only hide, keeping what they showed.
        HomeView plain;
        plain.headline = {QStringLiteral("Headline"), false};
        home.apply(plain);
        QVERIFY(!shownIn("deliveryControls") && !shownIn("deliveryPrimaryRow") && !shownIn("deliveryActionMessage"));
        QVERIFY(!shownIn("deliveryDetailsGroup") && !shownIn("sessionStatusBadge") && !shownIn("startManagedButton"));
        QCOMPARE(text("deliveryPrimary"), QStringLiteral("Primary"));
        QVERIFY(!shownIn("deliveryHeadline"));
    }

    // A run of an auto-continue conversation shows a short summary; its last section leads back to the conversation.
    void compactDetailsForARun() {
        QStringList titles;
        QList<QWidget*> views;
        int opened = 0;
        renderCompactSessionDetails(
            jsonObject(R"({"provider":"claude","analysis":{"reason":"Docs are half done","nextAction":"Fix links"}})"),
            jsonObject(R"({"objective":"Tidy <b>the</b> docs"})"), area().harness.copy,
            [&](const QString& title, const QList<QWidget*>& sectionViews) {
                titles.append(title);
                views.append(sectionViews);
            },
            [&opened] { ++opened; });
        QCOMPARE(titles, QStringList({"Goal", "Last finished turn", "Next step", "Original conversation"}));
        auto* goal = qobject_cast<QLabel*>(views.first());
        QCOMPARE(goal->text(), QStringLiteral("Tidy <b>the</b> docs"));
        QCOMPARE(goal->textFormat(), Qt::PlainText);
        auto* open = qobject_cast<QPushButton*>(views.last());
        QCOMPARE(open->text(), QStringLiteral("Open in Claude"));
        open->click();
        QCOMPARE(opened, 1);
        qDeleteAll(views);
    }
};

VODU_TEST_SUITE(SessionPaneTest)
#include "SessionPaneTest.moc"
