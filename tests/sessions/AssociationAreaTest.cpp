// The Action link and deadline area on its own: what the picker sends while snapshots keep arriving, which answers
// it accepts, the waiting notice, the deadline request id, and the preview's local changes.
#include "AreaHarness.h"
#include "SessionJson.h"
#include "TestRegistry.h"
#include "host/CommandEnvelope.h"
#include "sessions/association/ActionAssociationArea.h"
#include "sessions/home/SupervisionModel.h"

#include <QComboBox>
#include <QJsonDocument>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

namespace {

// A linked conversation with two Actions to choose from; every revision is `revision`.
QJsonObject linked(const QString& revision = QStringLiteral("1"), const QString& session = QStringLiteral("s1"),
                   const QString& extra = {}) {
    return jsonObject(QStringLiteral(R"({"provider":"codex","session":"%2","taskId":"t1",%3)"
                                     R"("actionAssociation":{"status":"bound","contextRevision":%1,)"
                                     R"("candidateRevision":%1,"binding":{"revision":%1,)"
                                     R"("action":{"id":"a","title":"Fix invoices"}},)"
                                     R"("candidates":[{"id":"a","title":"Fix invoices","revision":%1},)"
                                     R"({"id":"b","title":"Harden billing","revision":%1}]}})")
                          .arg(revision, session, extra));
}

const char* kDeadline = R"("actionDeadline":{"status":"due","actionId":"a","actionRevision":7,"bindingRevision":1,)"
                        R"("reminder":{"key":"a:due","revision":1},"recommendation":{"optionId":"keep_scope"},)"
                        R"("options":[{"id":"keep_scope"},{"id":"reduce_scope"}],"remainingWork":["Deploy"]},)";

struct AssociationHarness {
    AssociationHarness() : area(harness.context, model) {
        auto* column = new QVBoxLayout(&harness.parent);
        auto* content = new QWidget(&harness.parent);
        new QVBoxLayout(content);
        column->addWidget(content);
        area.build(content);
        harness.link.connected = true;
        harness.parent.resize(700, 400);
    }

    template <typename T> T* view(const char* name) const { return harness.view<T>(name); }
    QString text(const char* name) const { return view<QLabel>(name)->text(); }
    bool enabled(const char* name) const { return view<QWidget>(name)->isEnabled(); }
    void choose(const QString& id) {
        auto* picker = view<QComboBox>("actionAssociationPicker");
        picker->setCurrentIndex(picker->findData(id, Qt::UserRole));
    }
    void click(const char* name) {
        auto* button = view<QPushButton>(name);
        QVERIFY2(button->isEnabled(), name);
        button->click();
    }

    AreaHarness harness;
    SupervisionModel model;
    ActionAssociationArea area;
};

} // namespace

class AssociationAreaTest final : public QObject {
    Q_OBJECT

    std::unique_ptr<AssociationHarness> m_h;
    AssociationHarness& h() { return *m_h; }
    QList<RecordingCommandSink::Command>& sent() { return h().harness.commands.commands; }

private Q_SLOTS:
    void init() { m_h = std::make_unique<AssociationHarness>(); }
    void cleanup() { m_h.reset(); }

    void reviewedRevisionsAreSentWhileNewerSnapshotsArrive() {
        h().area.renderActionAssociation(linked("1"));
        h().click("actionAssociationToggle");
        QVERIFY(h().area.associationOpen());
        QVERIFY(h().view<QWidget>("associationPanel")->isVisible());
        h().area.renderActionAssociation(linked("2"));
        h().choose(QStringLiteral("b"));
        h().click("actionAssociationSelect");
        QCOMPARE(sent().size(), 1);
        const QJsonObject fields = sent().at(0).fields;
        QCOMPARE(sent().at(0).action, QStringLiteral("session_action_select"));
        QCOMPARE(fields.value(u"actionId").toString(), QStringLiteral("b"));
        for (const char* key : {"expectedBindingRevision", "expectedContextRevision", "expectedCandidateRevision",
                                "expectedActionRevision"}) {
            QCOMPARE(fields.value(QLatin1String(key)), QJsonValue(1));
        }
        // In flight: nothing can be sent again or closed, and the button says so.
        QCOMPARE(h().view<QPushButton>("actionAssociationSelect")->text(), QStringLiteral("Saving…"));
        QVERIFY(!h().enabled("associationCancel"));
        h().area.closeAssociationPanel();
        QVERIFY(h().area.associationOpen());

        h().harness.commands.complete(0, true);
        QVERIFY(!h().area.associationOpen());
        QCOMPARE(h().harness.commands.actions(), (QStringList{"session_action_select", "refresh"}));
        // Closed, the next snapshot's revisions count again.
        h().area.renderActionAssociation(linked("2"));
        h().area.unlinkActionAssociation();
        QCOMPARE(sent().last().fields.value(u"expectedBindingRevision"), QJsonValue(2));
    }

    void answers_data() {
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("feedback");
        QTest::addColumn<QString>("actionMessage");
        QTest::newRow("accepted") << true << ""
                                  << ""
                                  << "Action association updated";
        QTest::newRow("refused with the host's words")
            << false << "The linked Action changed while you were reviewing it."
            << "The linked Action changed while you were reviewing it."
            << "";
        QTest::newRow("refused without words") << false << ""
                                               << "Could not save. Reload and try again."
                                               << "";
    }
    void answers() {
        QFETCH(bool, ok);
        QFETCH(QString, message);
        QSignalSpy messages(&h().area, &ActionAssociationArea::feedbackChanged);
        h().area.renderActionAssociation(linked());
        h().click("actionAssociationToggle");
        h().click("actionAssociationRefresh");
        QCOMPARE(h().text("associationError"), QStringLiteral("Saving…"));
        // The same answer delivered twice completes the request once.
        const CommandSink::Completion completion = sent().at(0).completion;
        const std::optional<QString> words = message.isEmpty() ? std::nullopt : std::optional<QString>(message);
        completion(ok, words);
        completion(ok, words);
        QCOMPARE(h().harness.commands.actions(), (QStringList{"session_action_refresh", "refresh"}));
        QCOMPARE(h().area.associationOpen(), !ok);
        if (!ok) {
            QTEST(h().text("associationError"), "feedback");
            QVERIFY(h().enabled("actionAssociationSelect")); // the user may try again
        }
        QFETCH(QString, actionMessage);
        QCOMPARE(messages.size(), actionMessage.isEmpty() ? 0 : 1);
        if (!actionMessage.isEmpty()) {
            QCOMPARE(messages.at(0).at(1).toString(), actionMessage);
        }
    }

    void lateAnswerForAnotherConversationIsIgnored() {
        QSignalSpy messages(&h().area, &ActionAssociationArea::feedbackChanged);
        h().area.renderActionAssociation(linked());
        h().click("actionAssociationToggle");
        h().click("actionAssociationUnlink");
        h().area.renderActionAssociation(linked("1", QStringLiteral("s2")));
        QVERIFY(!h().area.associationOpen()); // another record closes the picker and forgets the request
        QVERIFY(h().enabled("actionAssociationToggle"));
        h().harness.commands.complete(0, false, QStringLiteral("stale"));
        QCOMPARE(h().harness.commands.actions(), QStringList{"session_action_unlink"});
        QCOMPARE(messages.size(), 0);
        // Coming back to the first conversation does not revive it either.
        h().area.renderActionAssociation(linked());
        h().harness.commands.complete(0, true);
        QCOMPARE(messages.size(), 0);
    }

    void reopeningForgetsAnEarlierDraft() {
        h().area.renderActionAssociation(linked());
        auto* picker = h().view<QComboBox>("actionAssociationPicker");
        QCOMPARE(picker->currentData(Qt::UserRole).toString(), QStringLiteral("a")); // the linked Action
        h().click("actionAssociationToggle");
        h().choose(QStringLiteral("b"));
        h().click("associationCancel");
        h().click("actionAssociationToggle");
        QCOMPARE(picker->currentData(Qt::UserRole).toString(), QStringLiteral("a"));
        QCOMPARE(picker->count(), 3); // "Choose an Action…" and the two Actions
    }

    void lockedLinkRefusesChanges() {
        QJsonObject record = linked();
        QJsonObject association = record.value(u"actionAssociation").toObject();
        association.insert(QStringLiteral("canCorrect"), false);
        record.insert(QStringLiteral("actionAssociation"), association);
        h().area.renderActionAssociation(record);
        h().click("actionAssociationToggle");
        h().choose(QStringLiteral("b"));
        QVERIFY(!h().enabled("actionAssociationSelect"));
        QVERIFY(!h().enabled("actionAssociationUnlink"));
        QVERIFY(h().enabled("actionAssociationRefresh"));
        h().area.selectActionAssociation();
        QCOMPARE(h().text("associationError"), QStringLiteral("Changes are unavailable. Reconnect and reload."));
        h().area.unlinkActionAssociation();
        QVERIFY(sent().isEmpty());
    }

    void recordWithoutTaskIdCannotChange() {
        QJsonObject record = linked();
        record.remove(QStringLiteral("taskId"));
        h().area.renderActionAssociation(record);
        h().click("actionAssociationToggle");
        h().click("actionAssociationRefresh");
        QCOMPARE(h().text("associationError"),
                 QStringLiteral("The conversation is still loading. Reload and try again."));
        QVERIFY(sent().isEmpty());
    }

    void signedOutOpensTheConnectionSettings() {
        QSignalSpy settings(&h().area, &ActionAssociationArea::connectionSettingsRequested);
        h().area.renderActionAssociation(
            jsonObject(R"({"provider":"codex","session":"s1","actionAssociation":{"status":"signed_out"}})"));
        QCOMPARE(h().text("actionAssociationLabel"), QStringLiteral("Sign in to see your tasks"));
        QCOMPARE(h().view<QPushButton>("actionAssociationToggle")->text(), QStringLiteral("Sign in"));
        h().click("actionAssociationToggle");
        QCOMPARE(settings.size(), 1);
        QVERIFY(!h().area.associationOpen());
    }

    void waitingNoticeOnlyForTheRequestStillInFlight() {
        h().area.setWaitingNoticeInterval(std::chrono::milliseconds(1));
        h().area.renderActionAssociation(linked());
        h().click("actionAssociationToggle");
        h().click("actionAssociationRefresh");
        QTRY_COMPARE(h().text("associationError"),
                     QStringLiteral("Waiting for confirmation. The request is still in progress."));
        h().harness.commands.complete(0, false, QStringLiteral("Refused"));
        QCOMPARE(h().text("associationError"), QStringLiteral("Refused"));
        // A notice timed for an answered request says nothing.
        h().area.setWaitingNoticeInterval(std::chrono::milliseconds(20));
        h().click("actionAssociationRefresh");
        h().harness.commands.complete(2, false, QStringLiteral("Refused again"));
        QTest::qWait(60);
        QCOMPARE(h().text("associationError"), QStringLiteral("Refused again"));
    }

    // Revisions arrive as text on the host's line and must leave as the same text.
    void revisionsKeepTheirTextOnTheWire() {
        const QByteArray line = R"({"provider":"codex","session":"s1","taskId":"t1","actionAssociation":)"
                                R"({"contextRevision":"ctx-9","candidateRevision":null,)"
                                R"("binding":{"revision":9007199254740993,"action":{"id":"a","title":"A"}},)"
                                R"("candidates":[{"id":"b","title":"B","revision":-9223372036854775807}]}})";
        h().area.renderActionAssociation(QJsonDocument::fromJson(line).object());
        h().click("actionAssociationToggle");
        h().choose(QStringLiteral("b"));
        h().click("actionAssociationSelect");
        const RecordingCommandSink::Command& command = sent().at(0);
        const QByteArray wire =
            commandLine(commandEnvelope(newCommandId(), command.action, false, std::nullopt, command.fields))
                .value_or(QByteArray());
        for (const char* expected :
             {R"("expectedBindingRevision":9007199254740993)", R"("expectedContextRevision":"ctx-9")",
              R"("expectedCandidateRevision":null)", R"("expectedActionRevision":-9223372036854775807)"}) {
            QVERIFY2(wire.contains(expected), wire.constData());
        }
    }

    void previewChangesStayLocal() {
        h().harness.link.connected = false;
        h().harness.link.fixtureMode = true;
        const QJsonObject record = linked("4");
        QJsonObject other = linked("4", QStringLiteral("s2"));
        h().model.sessionCandidates = {record, other};
        h().model.deliveryRuns = {record};
        h().area.renderActionAssociation(record);
        h().click("actionAssociationToggle");
        QVERIFY(!h().enabled("actionAssociationRefresh"));
        h().choose(QStringLiteral("b"));
        h().click("actionAssociationSelect");
        QVERIFY(sent().isEmpty());
        QCOMPARE(h().text("associationError"), QStringLiteral("Sample association updated."));
        QCOMPARE(h().text("actionAssociationLabel"), QStringLiteral("Harden billing"));
        for (const QJsonObject& changed : {h().model.sessionCandidates.at(0), h().model.deliveryRuns.at(0)}) {
            const QJsonObject binding = changed.value(u"actionAssociation").toObject().value(u"binding").toObject();
            QCOMPARE(binding.value(u"revision").toInteger(), 5);
            QCOMPARE(binding.value(u"action").toObject().value(u"id").toString(), QStringLiteral("b"));
        }
        QCOMPARE(h().model.sessionCandidates.at(1), other);

        // A snapshot that moved the link meanwhile is not overwritten.
        h().area.renderActionAssociation(linked("9"));
        h().click("actionAssociationUnlink");
        QCOMPARE(h().text("associationError"),
                 QStringLiteral("The linked Action changed. Close and review the latest choice."));
        h().click("associationCancel");
        h().click("actionAssociationToggle");
        h().click("actionAssociationUnlink");
        QCOMPARE(h().text("actionAssociationLabel"), QStringLiteral("Not linked"));
        QVERIFY(sent().isEmpty());
    }

    // Deadline.

    void deadlineRetryReusesTheRequestIdAnotherChoiceRenewsIt() {
        h().area.renderActionAssociation(linked("1", QStringLiteral("s1"), QString::fromUtf8(kDeadline)));
        QCOMPARE(h().text("actionDeadlineTitle"), QStringLiteral("The Action is due soon"));
        QCOMPARE(h().text("actionDeadlineSummary"), QStringLiteral("Deploy"));
        h().click("actionDeadlineReview");
        QVERIFY(h().area.deadlineOpen());
        const QList<QRadioButton*> radios = h().view<QWidget>("deadlineOptions")->findChildren<QRadioButton*>();
        QCOMPARE(radios.size(), 2);
        QCOMPARE(radios.at(0)->text(), QStringLiteral("Keep the current scope · Recommended"));
        QVERIFY(radios.at(0)->isChecked()); // the recommendation, as nothing was decided yet
        QCOMPARE(h().text("deadlineWork"), QStringLiteral("Still to do: Deploy"));
        QVERIFY(h().view<QWidget>("deadlineBlocker")->isHidden());

        h().click("deadlineSave");
        QCOMPARE(sent().size(), 1);
        const QJsonObject first = sent().at(0).fields;
        QCOMPARE(first.value(u"choice").toString(), QStringLiteral("keep_scope"));
        QCOMPARE(first.value(u"expectedDecisionRevision"), QJsonValue(QJsonValue::Null));
        QCOMPARE(h().view<QPushButton>("deadlineSave")->text(), QStringLiteral("Saving…"));
        QVERIFY(!radios.at(1)->isEnabled());
        h().area.chooseDeadlineOption(QStringLiteral("reduce_scope")); // ignored in flight
        h().harness.commands.complete(0, false);
        QCOMPARE(h().text("deadlineFeedback"), QStringLiteral("Could not save. Close and reload before retrying."));
        QVERIFY(h().area.deadlineOpen());

        h().click("deadlineSave");
        QCOMPARE(sent().at(1).fields.value(u"requestId"), first.value(u"requestId"));
        QCOMPARE(sent().at(1).fields.value(u"choice").toString(), QStringLiteral("keep_scope"));
        h().harness.commands.complete(1, false, QStringLiteral("Busy"));
        QCOMPARE(h().text("deadlineFeedback"), QStringLiteral("Busy"));

        radios.at(1)->click();
        QVERIFY(!radios.at(0)->isChecked());
        h().click("deadlineSave");
        QCOMPARE(sent().at(2).fields.value(u"choice").toString(), QStringLiteral("reduce_scope"));
        QVERIFY(sent().at(2).fields.value(u"requestId") != first.value(u"requestId"));
        h().harness.commands.complete(2, true);
        QVERIFY(!h().area.deadlineOpen());

        // Saved: the next reminder's decision is a new request, even with the same choice preselected.
        QString overdue = QString::fromUtf8(kDeadline).replace(QStringLiteral("a:due"), QStringLiteral("a:overdue"));
        overdue.replace(QStringLiteral(R"("status":"due")"),
                        QStringLiteral(R"("status":"overdue","decision":{"choice":"reduce_scope","revision":1})"));
        h().area.renderActionAssociation(linked("1", QStringLiteral("s1"), overdue));
        h().click("actionDeadlineReview");
        h().click("deadlineSave");
        QCOMPARE(sent().at(3).fields.value(u"choice").toString(), QStringLiteral("reduce_scope"));
        QVERIFY(sent().at(3).fields.value(u"requestId") != sent().at(2).fields.value(u"requestId"));
    }

    void deadlineAnswerForAnotherRecordIsIgnored() {
        h().area.setWaitingNoticeInterval(std::chrono::milliseconds(1));
        h().area.renderActionAssociation(linked("1", QStringLiteral("s1"), QString::fromUtf8(kDeadline)));
        h().click("actionDeadlineReview");
        h().click("deadlineSave");
        QTRY_COMPARE(h().text("deadlineFeedback"),
                     QStringLiteral("Waiting for confirmation. The request is still in progress."));
        h().area.renderActionAssociation(linked("1", QStringLiteral("s2"), QString::fromUtf8(kDeadline)));
        QVERIFY(!h().area.deadlineOpen());
        QVERIFY(h().enabled("actionDeadlineReview"));
        h().harness.commands.complete(0, true);
        h().click("actionDeadlineReview");
        QVERIFY(h().enabled("deadlineSave"));
        h().click("deadlineSave");
        // Another record's decision is another request.
        QVERIFY(sent().at(1).fields.value(u"requestId") != sent().at(0).fields.value(u"requestId"));
    }

    void previewDecisionIsLocal() {
        h().harness.link.connected = false;
        h().harness.link.fixtureMode = true;
        const QJsonObject record = linked("1", QStringLiteral("s1"), QString::fromUtf8(kDeadline));
        h().model.deliveryRuns = {record};
        h().area.renderActionAssociation(record);
        h().click("actionDeadlineReview");
        h().area.chooseDeadlineOption(QStringLiteral("reduce_scope"));
        h().click("deadlineSave");
        QVERIFY(sent().isEmpty());
        QVERIFY(!h().area.deadlineOpen());
        QCOMPARE(h().text("actionDeadlineTitle"), QStringLiteral("Decision saved"));
        QCOMPARE(h().text("actionDeadlineSummary"), QStringLiteral("Propose a smaller scope"));
        const QJsonObject decision =
            h().model.deliveryRuns.at(0).value(u"actionDeadline").toObject().value(u"decision").toObject();
        QCOMPARE(decision.value(u"choice").toString(), QStringLiteral("reduce_scope"));
        QCOMPARE(decision.value(u"revision").toInteger(), 1);
    }
};

VODU_TEST_SUITE(AssociationAreaTest)
#include "AssociationAreaTest.moc"
