#include "AreaHarness.h"
#include "DataTables.h"
#include "SessionJson.h"
#include "TestRegistry.h"
#include "model/RecordIdentity.h"
#include "sessions/association/ActionAssociationArea.h"
#include "sessions/conversation/SessionsController.h"
#include "sessions/home/RunPresenter.h"
#include "sessions/home/SupervisionHome.h"
#include "sessions/home/SupervisionModel.h"
#include "sessions/original/OriginalNavigation.h"
#include "sessions/understanding/UnderstandingPanel.h"
#include "ui/SearchField.h"
#include "ui/ToggleSwitch.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QVBoxLayout>
#include <memory>

// The run area as the Sessions home sees it: the runs it was asked to present and the run its picker mirrors.
class RecordingRunPresenter final : public RunPresenter {
public:
    HomeView presentRun(const QJsonObject& run) override {
        presented.append(deliveryIdentity(run));
        HomeView view;
        view.controls.visible = true;
        return view;
    }
    void mirrorRunSelection(const QString& runIdentity) override { mirrored = runIdentity; }

    QStringList presented;
    QString mirrored;
};

// The conversation area on its own (search field, list, Sessions home and what it draws through); no host.
struct SessionsArea {
    SessionsArea()
        : home(harness.copy), understanding(harness.context, model), association(harness.context, model),
          original(harness.context, model, home),
          sessions(harness.context, model, home, runs, understanding, association, original) {
        auto* column = new QVBoxLayout(&harness.parent);
        column->addWidget(sessions.buildSearchField(&harness.parent));
        column->addWidget(sessions.buildSessionList(&harness.parent));
        auto* content = new QWidget(&harness.parent);
        column->addWidget(content);
        home.build(content);
        association.build(home.runCompanions());
        sessions.buildSessionPane();
        harness.link.connected = true;
    }

    // A snapshot with these session records (JSON array text) while these runs are listed.
    void render(const QString& sessionsJson, const QString& runsJson = QStringLiteral("[]")) {
        model.deliveryRuns = jsonObjects(runsJson);
        const QJsonArray records = QJsonDocument::fromJson(sessionsJson.toUtf8()).array();
        sessions.renderSessionSupervision(
            {{QStringLiteral("sessionSupervision"), QJsonObject{{QStringLiteral("sessions"), records}}}});
    }
    // The list as the user reads it: a heading as its text, a conversation as its title; "|" between rows.
    QString rows() const {
        QStringList texts;
        for (int row = 0; row < table()->model()->rowCount(); ++row)
            texts.append(titleAt(table()->model()->index(row, 0)));
        return texts.join(QLatin1Char('|'));
    }
    QString selectedTitle() const {
        const QModelIndexList selected = table()->selectionModel()->selectedRows();
        return selected.isEmpty() ? QString() : titleAt(selected.first());
    }
    void select(const QString& title) {
        const int row = rows().split(QLatin1Char('|')).indexOf(title);
        QVERIFY2(row >= 0, qPrintable(title));
        table()->selectRow(row);
    }
    QList<RecordingCommandSink::Command> sent(const QString& action) const {
        QList<RecordingCommandSink::Command> matching = harness.commands.commands;
        matching.removeIf([&](const RecordingCommandSink::Command& command) { return command.action != action; });
        return matching;
    }
    template <typename T> T* view(const char* name) const { return harness.view<T>(name); }
    QTableView* table() const { return view<QTableView>("deliveryTable"); }
    QString text(const char* name) const { // a label's or a button's
        auto* label = view<QLabel>(name);
        return label ? label->text() : view<QAbstractButton>(name)->text();
    }
    bool shown(const char* name) const { return !view<QWidget>(name)->isHidden(); }
    void click(const char* name) const {
        QVERIFY2(view<QWidget>(name)->isEnabled(), name);
        view<QAbstractButton>(name)->click();
    }
    static QString titleAt(const QModelIndex& index) {
        return index.data().toString().section(QLatin1Char('\n'), 0, 0);
    }

    AreaHarness harness;
    SupervisionModel model;
    SupervisionHome home;
    RecordingRunPresenter runs;
    UnderstandingPanel understanding;
    ActionAssociationArea association;
    OriginalNavigation original;
    SessionsController sessions;
};

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

// A linked conversation with two Actions to choose from; every revision is `revision`.
QJsonObject linked(const QString& revision = QStringLiteral("1"), const QString& session = QStringLiteral("s1"),
                   const QString& extra = {}) {
    return json(QStringLiteral(R"({"provider":"codex","session":"%2","taskId":"t1",%3)"
                               R"("actionAssociation":{"status":"bound","contextRevision":%1,)"
                               R"("candidateRevision":%1,"binding":{"revision":%1,)"
                               R"("action":{"id":"a","title":"Fix invoices"}},)"
                               R"("candidates":[{"id":"a","title":"Fix invoices","revision":%1},)"
                               R"({"id":"b","title":"Harden billing","revision":%1}]}})")
                    .arg(revision, session, extra));
}

const QString kDeadline =
    QStringLiteral(R"("actionDeadline":{"status":"due","actionId":"a","actionRevision":7,"bindingRevision":1,)"
                   R"("reminder":{"key":"a:due","revision":1},"recommendation":{"optionId":"keep_scope"},)"
                   R"("options":[{"id":"keep_scope"},{"id":"reduce_scope"}],"remainingWork":["Deploy"]},)");

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
    ActionAssociationArea& association() { return m_area->association; }
    RecordingCommandSink& commands() { return m_area->harness.commands; }
    QList<RecordingCommandSink::Command>& sent() { return m_area->harness.commands.commands; }
    bool enabled(const char* name) const { return m_area->harness.view<QWidget>(name)->isEnabled(); }
    void choose(const QString& id) {
        auto* picker = m_area->harness.view<QComboBox>("actionAssociationPicker");
        picker->setCurrentIndex(picker->findData(id, Qt::UserRole));
    }

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
        area().home.apply(HomeView()); // Without a run the controls only hide, keeping what they showed.
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
        QTest::keyClick(search, Qt::Key_Down); // Down from the search field moves the list, across the heading.
        QCOMPARE(area().selectedTitle(), QStringLiteral("Decide"));
        QCOMPARE(area().model.selectedSessionIdentity, QStringLiteral("codex|b"));
        QTest::keyClick(area().table(), Qt::Key_Up);
        QCOMPARE(area().selectedTitle(), QStringLiteral("Auto"));
        QTest::keyClicks(search, "zzz"); // No hit: nothing is presented.
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

    void reviewedRevisionsAreSentWhileNewerSnapshotsArrive() {
        QSignalSpy messages(&association(), &ActionAssociationArea::feedbackChanged);
        association().renderActionAssociation(linked("1"));
        auto* picker = m_area->harness.view<QComboBox>("actionAssociationPicker");
        m_area->click("actionAssociationToggle");
        association().renderActionAssociation(linked("2"));
        choose(QStringLiteral("b"));
        m_area->click("actionAssociationSelect");
        QCOMPARE(sent().at(0).action, QStringLiteral("session_action_select"));
        QCOMPARE(sent().at(0).fields.value(u"expectedBindingRevision"), QJsonValue(1));
        QCOMPARE(sent().at(0).fields.value(u"expectedActionRevision"), QJsonValue(1));
        // In flight: nothing can be sent again or closed, and the button says so.
        QCOMPARE(m_area->harness.view<QPushButton>("actionAssociationSelect")->text(), QStringLiteral("Saving…"));
        QVERIFY(!enabled("associationCancel"));
        association().closeAssociationPanel();
        QVERIFY(association().associationOpen());
        // Refused: the host's words, and the user may try again.
        const QString refusal = QStringLiteral("The linked Action changed while you were reviewing it.");
        commands().complete(0, false, refusal);
        QCOMPARE(m_area->text("associationError"), refusal);
        m_area->click("actionAssociationSelect");
        // The same answer delivered twice completes the request once.
        const CommandSink::Completion answer = sent().at(2).completion;
        answer(true, std::nullopt);
        answer(true, std::nullopt);
        QVERIFY(!association().associationOpen());
        QCOMPARE(commands().actions(),
                 (QStringList{"session_action_select", "refresh", "session_action_select", "refresh"}));
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages.at(0).at(1).toString(), QStringLiteral("Action association updated"));
        // Closed, the next snapshot's revisions count again; reopened, the earlier draft is forgotten.
        association().renderActionAssociation(linked("2"));
        m_area->click("actionAssociationToggle");
        QCOMPARE(picker->currentData(Qt::UserRole).toString(), QStringLiteral("a"));
        m_area->click("actionAssociationUnlink");
        QCOMPARE(sent().last().action, QStringLiteral("session_action_unlink"));
        QCOMPARE(sent().last().fields.value(u"expectedBindingRevision"), QJsonValue(2));
    }

    void lateAnswerForAnotherConversationIsIgnored() {
        QSignalSpy messages(&association(), &ActionAssociationArea::feedbackChanged);
        association().renderActionAssociation(linked());
        m_area->click("actionAssociationToggle");
        m_area->click("actionAssociationUnlink");
        association().renderActionAssociation(linked("1", QStringLiteral("s2")));
        QVERIFY(!association().associationOpen()); // another record closes the picker and forgets the request
        QVERIFY(enabled("actionAssociationToggle"));
        commands().complete(0, false, QStringLiteral("stale"));
        QCOMPARE(commands().actions(), QStringList{"session_action_unlink"});
        // Coming back to the first conversation does not revive it either.
        association().renderActionAssociation(linked());
        commands().complete(0, true);
        QCOMPARE(messages.size(), 0);
    }

    void previewChangesStayLocal() {
        m_area->harness.link.connected = false;
        m_area->harness.link.fixtureMode = true;
        const QJsonObject record = linked("4");
        const QJsonObject other = linked("4", QStringLiteral("s2"));
        m_area->model.sessionCandidates = {record, other};
        association().renderActionAssociation(record);
        m_area->click("actionAssociationToggle");
        QVERIFY(!enabled("actionAssociationRefresh"));
        choose(QStringLiteral("b"));
        m_area->click("actionAssociationSelect");
        QCOMPARE(m_area->text("actionAssociationLabel"), QStringLiteral("Harden billing"));
        QCOMPARE(m_area->model.sessionCandidates.at(1), other);
        m_area->click("associationCancel");
        // A snapshot that moved the link while the picker was open is not overwritten.
        m_area->click("actionAssociationToggle");
        association().renderActionAssociation(linked("9"));
        m_area->click("actionAssociationUnlink");
        QCOMPARE(m_area->text("associationError"),
                 QStringLiteral("The linked Action changed. Close and review the latest choice."));
        QVERIFY(sent().isEmpty());
    }

    void deadlineRetryReusesTheRequestIdAnotherChoiceRenewsIt() {
        association().renderActionAssociation(linked("1", QStringLiteral("s1"), kDeadline));
        m_area->click("actionDeadlineReview");
        const QList<QRadioButton*> radios =
            m_area->harness.view<QWidget>("deadlineOptions")->findChildren<QRadioButton*>();
        QVERIFY(radios.at(0)->isChecked()); // the recommendation, as nothing was decided yet

        m_area->click("deadlineSave");
        const QJsonObject first = sent().at(0).fields;
        QCOMPARE(sent().at(0).action, QStringLiteral("session_deadline_decide"));
        QVERIFY(!radios.at(1)->isEnabled());
        association().chooseDeadlineOption(QStringLiteral("reduce_scope")); // ignored in flight
        commands().complete(0, false);
        QVERIFY(association().deadlineOpen());

        m_area->click("deadlineSave");
        QCOMPARE(sent().at(1).fields.value(u"requestId"), first.value(u"requestId"));
        QCOMPARE(sent().at(1).fields.value(u"choice").toString(), QStringLiteral("keep_scope"));
        commands().complete(1, false, QStringLiteral("Busy"));
        QCOMPARE(m_area->text("deadlineFeedback"), QStringLiteral("Busy"));

        radios.at(1)->click();
        m_area->click("deadlineSave");
        QCOMPARE(sent().at(2).fields.value(u"choice").toString(), QStringLiteral("reduce_scope"));
        QVERIFY(sent().at(2).fields.value(u"requestId") != first.value(u"requestId"));
        commands().complete(2, true);
        QVERIFY(!association().deadlineOpen());

        // Saved: the next reminder's decision is a new request, even with the same choice preselected.
        QString overdue = QString(kDeadline).replace(QStringLiteral("a:due"), QStringLiteral("a:overdue"));
        overdue.replace(QStringLiteral(R"("status":"due")"),
                        QStringLiteral(R"("status":"overdue","decision":{"choice":"reduce_scope","revision":1})"));
        association().renderActionAssociation(linked("1", QStringLiteral("s1"), overdue));
        m_area->click("actionDeadlineReview");
        m_area->click("deadlineSave");
        QCOMPARE(sent().at(3).fields.value(u"choice").toString(), QStringLiteral("reduce_scope"));
        QVERIFY(sent().at(3).fields.value(u"requestId") != sent().at(2).fields.value(u"requestId"));
    }
};

VODU_TEST_SUITE(SessionsAreaTest)

#include "SessionsAreaTest.moc"
