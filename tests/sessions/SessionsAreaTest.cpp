#include "SessionsArea.h"
#include "DataTables.h"
#include "TestRegistry.h"
#include "ui/SearchField.h"
#include "ui/ToggleSwitch.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>

#include <memory>

namespace {

const char* kTwo = R"([
    {"provider":"codex","session":"a","title":"Alpha","capabilities":{"canEnroll":true,"canAutoContinue":true}},
    {"provider":"claude","session":"b","title":"Beta","capabilities":{"canEnroll":true,"canAutoContinue":true}}])";

// One conversation per way into a group; titles say where they belong.
const char* kMixed = R"([
    {"provider":"codex","session":"a","title":"Auto","autoContinue":true,"binding":{"mode":"managed"}},
    {"provider":"codex","session":"b","title":"Decide","analysis":{"state":"needs_user"},"cwd":"/home/alex/Ledger-API"},
    {"provider":"claude","session":"c","title":"Managed","binding":{"mode":"managed"}},
    {"provider":"claude","session":"d","title":"Plain","cwd":"/srv/billing"},
    {"provider":"codex","session":"e","title":"Asks","autoContinueStatus":"needs_user"},
    {"provider":"codex","session":"f","title":"Clarify","binding":{"mode":"managed"}}])";
const char* kMixedRuns = R"([{"provider":"codex","session":"f","taskId":"t1","phase":"needs_clarification"},
                             {"provider":"claude","session":"c","taskId":"t2","state":"active"}])";

} // namespace

class SessionsAreaTest final : public QObject {
    Q_OBJECT

    std::unique_ptr<SessionsArea> m_area;
    SessionsArea& area() { return *m_area; }
    void click(const char* name) { area().click(name); }
    void type(const QString& goal, const QString& criteria) {
        area().view<QPlainTextEdit>("sessionGoal")->setPlainText(goal);
        area().view<QPlainTextEdit>("sessionCriteria")->setPlainText(criteria);
    }
    ToggleSwitch* autoContinue() { return area().view<ToggleSwitch>("sessionAutoContinueSwitch"); }

private Q_SLOTS:
    void init() { m_area = std::make_unique<SessionsArea>(); }
    void cleanup() { m_area.reset(); }

    // Which view a binding gets: the run presented through the run area, or the conversation's own form.
    void views_data() {
        textColumns("mode", "drawnRun"); // drawnRun: the run the run area was asked to present; empty: none
        row("managed with its run", "managed", "codex|s1|t1");
        row("takeover over its run", "pending_takeover", "codex|s1|t1");
        row("conversation", "monitor", "");
    }

    void views() {
        const auto [mode, drawnRun] = fetch<QString, QString>({"mode", "drawnRun"});
        area().render(QStringLiteral(R"([{"provider":"codex","session":"s1","binding":{"mode":"%1"}}])").arg(mode),
                      R"([{"provider":"codex","session":"s1","taskId":"t1","state":"active"}])");
        QCOMPARE(area().runs.presented, drawnRun.isEmpty() ? QStringList() : QStringList(drawnRun));
        QCOMPARE(area().runs.mirrored, QStringLiteral("codex|s1|t1"));
        QCOMPARE(area().model.selectedDeliveryIdentity, drawnRun);
        QCOMPARE(area().shown("sessionForm"), drawnRun.isEmpty());
        QCOMPARE(area().shown("deliveryControls"), !drawnRun.isEmpty());
    }

    void hostTextIsShownSafely() {
        area().render(
            QStringLiteral(R"([{"provider":"<i>codex</i>","session":"s1","binding":{"mode":"pending_takeover"},
            "title":"<b>Bold</b>\u0007 <img src=x> %1","reason":"see https:\/\/evil.test\/x and token=abc123"}])")
                .arg(QString(10000, u'x')));
        for (const char* name : {"sessionHeaderTitle", "sessionHeaderProvider", "deliveryGoal", "deliveryAttention",
                                 "deliveryHeadline", "deliveryNext", "deliveryState"}) {
            QCOMPARE(area().view<QLabel>(name)->textFormat(), Qt::PlainText);
        }
        QCOMPARE(area().rows().section(QLatin1Char('|'), 1), area().text("sessionHeaderTitle"));
    }

    // The home's button reaches the platform with a verified link, or an alert for a refusal or the preview.
    void originalConversation_data() {
        // alert: message, then the informative text's last line
        columns<bool, bool, QString>({"fixture", "openSucceeds", "alert"});
        row("verified thread", false, true, "");
        row("the desktop refuses the link", false, false,
            "Could not open the original conversation|Session ID: " + kUuid);
        row("preview", true, true,
            "Sample conversation|Preview only. No conversation will open and no approval will be sent.");
    }

    void originalConversation() {
        const auto [fixture, openSucceeds, alert] = fetch<bool, bool, QString>({"fixture", "openSucceeds", "alert"});
        area().harness.link.fixtureMode = fixture;
        area().harness.platform.openUrlSucceeds = openSucceeds;
        area().render(QStringLiteral(R"([{"provider":"codex","session":"%1","originalSessionTarget":{"kind":"url",
            "verifiedOnPlatform":true,"url":"codex:\/\/threads\/%1"}}])")
                          .arg(kUuid));
        click("originalSessionButton");
        QCOMPARE(area().harness.platform.openedUrls.size(), fixture ? 0 : 1);
        QCOMPARE(area().harness.platform.alerts.size(), alert.isEmpty() ? 0 : 1);
        if (!alert.isEmpty()) {
            const AlertRequest& shown = area().harness.platform.alerts.first();
            QCOMPARE(shown.message + u'|' + shown.informativeText.section(QLatin1Char('\n'), -1), alert);
            QVERIFY(!shown.informativeText.contains(QStringLiteral("https")));
        }
    }

    // Each field of the value lands in its own view (the value holds the view's name); a hidden component only hides.
    void homeDrawsEachFieldOfItsValue() {
        HomeView value;
        value.headerTitle = QStringLiteral("sessionHeaderTitle");
        value.stateBadge = QStringLiteral("deliveryState");
        value.sessionEyeline = QStringLiteral("sessionEyeline");
        value.sessionStatusVisible = true;
        const std::pair<HomeLine HomeView::*, const char*> lines[] = {
            {&HomeView::headline, "deliveryHeadline"},     {&HomeView::goal, "deliveryGoal"},
            {&HomeView::progress, "deliveryProgress"},     {&HomeView::summary, "deliverySummary"},
            {&HomeView::attention, "deliveryAttention"},   {&HomeView::next, "deliveryNext"},
            {&HomeView::feedback, "deliveryActionMessage"}};
        for (const auto& [line, name] : lines)
            value.*line = {QString::fromLatin1(name), line != &HomeView::progress};
        value.primary = {QStringLiteral("deliveryPrimary"), false, true};
        value.original = {QStringLiteral("originalSessionButton"), true, true};
        value.controls.visible = true;
        area().home.apply(value);
        for (const char* name : {"sessionHeaderTitle", "deliveryState", "sessionEyeline", "deliveryHeadline",
                                 "deliveryGoal", "deliveryProgress", "deliverySummary", "deliveryAttention",
                                 "deliveryNext", "deliveryActionMessage", "deliveryPrimary", "originalSessionButton"}) {
            QCOMPARE(area().text(name), QString::fromLatin1(name));
        }
        QVERIFY(area().shown("deliverySummary") && !area().shown("deliveryProgress"));
        QVERIFY(!area().view<QWidget>("deliveryPrimary")->isEnabled());
        // Without a run the controls only hide, keeping what they showed.
        area().home.apply(HomeView());
        QVERIFY(!area().shown("deliveryControls") && !area().shown("deliveryPrimaryRow"));
        QCOMPARE(area().text("deliveryPrimary"), QStringLiteral("deliveryPrimary"));
    }

    // Each conversation keeps its own draft and its own result; another conversation closes details and settings.
    void draftsFollowTheirConversation() {
        area().render(QString::fromLatin1(kTwo).replace(QStringLiteral(R"("title":"Alpha")"),
                                                        QStringLiteral(R"("title":"Alpha","originalSessionTarget":{
            "kind":"manual"},"analysis":{"state":"needs_user","reason":"Which style guide?","remaining":["Fix"]})")));
        QCOMPARE(area().text("sessionIntro"), QStringLiteral("Which style guide?"));
        QVERIFY(area().shown("sessionAnalysisOriginal") && !area().shown("sessionAction") &&
                !area().shown("sessionAnalysisDetails"));
        click("sessionEvidenceToggle");
        click("sessionPreferencesToggle");
        click("sessionManualToggle");
        QVERIFY(area().shown("sessionAnalysisDetails") && area().shown("sessionPreferencesGroup"));
        type(QStringLiteral("Goal"), QStringLiteral(" \n "));
        click("sessionManualAction");
        QVERIFY(area().harness.commands.commands.isEmpty() && area().shown("sessionActionMessage"));
        type(QStringLiteral("  Ship it \n"), QStringLiteral("tests pass\n\nreviewed"));
        area().view<QComboBox>("sessionMinutes")->setCurrentIndex(2);

        area().select(QStringLiteral("Beta"));
        QVERIFY(area().view<QPlainTextEdit>("sessionGoal")->toPlainText().isEmpty() && !area().shown("sessionFields"));
        QVERIFY(!area().shown("sessionAnalysisDetails") && !area().shown("sessionPreferencesGroup"));
        type(QStringLiteral("Beta's goal"), QString());
        // A snapshot, and a list without Alpha for a while.
        area().render(R"([{"provider":"claude","session":"b","title":"Beta","capabilities":{"canEnroll":true}}])");
        area().render(kTwo);
        QCOMPARE(area().view<QPlainTextEdit>("sessionGoal")->toPlainText(), QStringLiteral("Beta's goal"));

        area().select(QStringLiteral("Alpha"));
        QCOMPARE(area().view<QPlainTextEdit>("sessionGoal")->toPlainText(), QStringLiteral("  Ship it \n"));
        auto* submit = area().view<QPushButton>("sessionManualAction");
        submit->click();
        QCOMPARE(area().sent(QStringLiteral("session_enroll")).value(0).fields.value(u"maxMinutes"), QJsonValue(60));
        QVERIFY(!submit->isEnabled());
        area().harness.commands.complete(0, false, QStringLiteral("refused"));
        QCOMPARE(area().text("sessionActionMessage"),
                 QStringLiteral("Could not update this session. Refresh and try again."));
        submit->click();
        area().select(QStringLiteral("Beta"));
        area().harness.commands.complete(1, true);
        QVERIFY(!area().shown("sessionActionMessage"));
    }

    // The switch waits for the host to show the new value; a failure shows under it until the next try.
    void autoContinueChange() {
        area().render(kTwo);
        autoContinue()->click();
        autoContinue()->click();
        QCOMPARE(area().sent(QStringLiteral("session_set_auto_continue")).size(), 1);
        QVERIFY(!autoContinue()->isEnabled() && !autoContinue()->isChecked());
        area().harness.commands.complete(0, true);
        area().render(kTwo); // the host has not reflected it yet
        QVERIFY(!autoContinue()->isEnabled());
        area().render(QString::fromLatin1(kTwo).replace(QStringLiteral(R"("title":"Alpha")"),
                                                        QStringLiteral(R"("title":"Alpha","autoContinue":true)")));
        QVERIFY(autoContinue()->isEnabled() && autoContinue()->isChecked());

        autoContinue()->click();
        area().harness.commands.complete(area().harness.commands.commands.size() - 1, false);
        QVERIFY(autoContinue()->isEnabled() && autoContinue()->isChecked());
        QCOMPARE(area().text("sessionAutoContinueError"),
                 QStringLiteral("Could not change auto-continue. Please retry."));
        QVERIFY(area().shown("sessionAutoContinueError"));
        click("sessionAutoContinueLabel");
        QVERIFY(!area().shown("sessionAutoContinueError"));
    }

    void aFailedAnalysisOffersARetry() {
        area().render(R"([{"provider":"codex","session":"a","title":"Alpha","analysis":{"state":"failed"},
                           "capabilities":{"canAnalyze":true}}])");
        click("sessionAction");
        QCOMPARE(area().sent(QStringLiteral("session_analyze")).value(0).fields,
                 json(R"({"provider":"codex","session":"a"})"));
        QCOMPARE(area().text("sessionEyeline"), QStringLiteral("Queued for analysis"));
        QVERIFY(!area().shown("sessionAction"));
        area().harness.commands.complete(0, false);
        QCOMPARE(area().text("sessionEyeline"), QStringLiteral("Analysis unavailable"));
        QVERIFY(area().shown("sessionAction"));
    }

    void previewPretends() {
        area().harness.link.fixtureMode = true;
        area().harness.link.connected = false;
        area().render(R"([{"provider":"codex","session":"a","title":"Alpha","analysis":{"state":"uncertain"},
                           "capabilities":{"canAnalyze":true,"canAutoContinue":true,"canEnroll":true},
                           "fixtureAnalysisResult":{"state":"no_action"}}])");
        click("sessionAction");
        QCOMPARE(area().text("sessionFormHeading"), QStringLiteral("Nothing left to continue"));
        click("sessionManualToggle");
        type(QStringLiteral("Ship it"), QStringLiteral("one\ntwo"));
        click("sessionManualAction");
        QCOMPARE(
            area().harness.platform.alerts.value(0).informativeText,
            QStringLiteral("Ship it\nAcceptance criteria: 2 · Balanced\n\nPreview only. No session will be changed."));
        QVERIFY(area().harness.commands.commands.isEmpty());
    }

    void groups() {
        area().render(kMixed, kMixedRuns);
        QCOMPARE(area().rows(), QStringLiteral("Auto-continue · 1|Auto|Needs you · 3|Decide|Asks|Clarify|"
                                               "Supervising · 1|Managed|Conversations · 1|Plain"));
        // Headings are never selected: the first conversation is.
        QVERIFY(!(area().table()->model()->flags(area().table()->model()->index(0, 0)) & Qt::ItemIsSelectable));
        QCOMPARE(area().selectedTitle(), QStringLiteral("Auto"));
        QVERIFY(!area().shown("startManagedButton"));
        // Records that are not objects are dropped; mistyped keys fall back to their defaults.
        area().render(R"([7, "codex", null, [], {"provider":3,"session":["s"],"title":{"t":1},"binding":"managed",
                          "autoContinue":"true","analysis":{"state":"needs_user","awaitingTurn":"yes"}}])");
        QCOMPARE(area().rows(), QStringLiteral("Needs you · 1| · "));
        area().render(QStringLiteral("[]"));
        QVERIFY(area().rows().isEmpty() && area().shown("startManagedButton"));
    }

    void typingFiltersAndArrowsMove() {
        area().render(kMixed, kMixedRuns);
        auto* search = area().view<SearchField>("sessionSearch");
        QTest::keyClicks(search, "code");
        QCOMPARE(area().rows(), QStringLiteral("Auto-continue · 1|Auto|Needs you · 3|Decide|Asks|Clarify"));
        QCOMPARE(area().selectedTitle(), QStringLiteral("Auto"));
        // Down from the search field moves the list, across the heading.
        QTest::keyClick(search, Qt::Key_Down);
        QCOMPARE(area().selectedTitle(), QStringLiteral("Decide"));
        QCOMPARE(area().model.selectedSessionIdentity, QStringLiteral("codex|b"));
        QTest::keyClick(area().table(), Qt::Key_Up);
        QCOMPARE(area().selectedTitle(), QStringLiteral("Auto"));
        // No hit: nothing is presented.
        QTest::keyClicks(search, "zzz");
        QVERIFY(area().rows().isEmpty() && area().model.selectedSessionIdentity.isEmpty());
        QCOMPARE(area().text("deliveryHeadline"), QStringLiteral("Select a session"));
    }

    // A heartbeat redraws nothing, a rename its own row; a decided conversation changes group and stays selected.
    void selectionFollowsTheConversation() {
        area().render(kMixed, kMixedRuns);
        area().select(QStringLiteral("Decide"));
        QSignalSpy resets(area().table()->model(), &QAbstractItemModel::modelReset);
        QSignalSpy changed(area().table()->model(), &QAbstractItemModel::dataChanged);
        area().render(QString::fromLatin1(kMixed).replace(u',', QStringLiteral(", ")), kMixedRuns);
        QCOMPARE(changed.count(), 0);
        area().render(QString::fromLatin1(kMixed).replace(QStringLiteral("Plain"), QStringLiteral("Renamed")),
                      kMixedRuns);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().at(0).toModelIndex().row(), changed.first().at(1).toModelIndex().row());
        // Decided, while Clarify's run has gone: both rows move.
        area().render(QString::fromLatin1(kMixed).replace(QStringLiteral(R"({"state":"needs_user"})"),
                                                          QStringLiteral(R"({"state":"continue"})")),
                      R"([{"provider":"claude","session":"c","taskId":"t2","state":"active"}])");
        QCOMPARE(resets.count(), 0);
        QCOMPARE(area().rows(),
                 QStringLiteral("Auto-continue · 1|Auto|Needs you · 1|Asks|Supervising · 2|Managed|Clarify|"
                                "Conversations · 2|Decide|Plain"));
        QCOMPARE(area().selectedTitle(), QStringLiteral("Decide"));
        QCOMPARE(area().model.selectedSessionIdentity, QStringLiteral("codex|b"));
    }
};

VODU_TEST_SUITE(SessionsAreaTest)
#include "SessionsAreaTest.moc"
