#include "SessionsArea.h"
#include "TestRegistry.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>

#include <memory>

namespace {

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

class AssociationAreaTest final : public QObject {
    Q_OBJECT

    std::unique_ptr<SessionsArea> m_h;

    ActionAssociationArea& area() { return m_h->association; }
    RecordingCommandSink& commands() { return m_h->harness.commands; }
    QList<RecordingCommandSink::Command>& sent() { return m_h->harness.commands.commands; }
    bool enabled(const char* name) const { return m_h->harness.view<QWidget>(name)->isEnabled(); }
    void choose(const QString& id) {
        auto* picker = m_h->harness.view<QComboBox>("actionAssociationPicker");
        picker->setCurrentIndex(picker->findData(id, Qt::UserRole));
    }

private Q_SLOTS:
    void init() { m_h = std::make_unique<SessionsArea>(); }
    void cleanup() { m_h.reset(); }

    void reviewedRevisionsAreSentWhileNewerSnapshotsArrive() {
        QSignalSpy messages(&area(), &ActionAssociationArea::feedbackChanged);
        area().renderActionAssociation(linked("1"));
        auto* picker = m_h->harness.view<QComboBox>("actionAssociationPicker");
        m_h->click("actionAssociationToggle");
        area().renderActionAssociation(linked("2"));
        choose(QStringLiteral("b"));
        m_h->click("actionAssociationSelect");
        QCOMPARE(sent().at(0).action, QStringLiteral("session_action_select"));
        QCOMPARE(sent().at(0).fields.value(u"expectedBindingRevision"), QJsonValue(1));
        QCOMPARE(sent().at(0).fields.value(u"expectedActionRevision"), QJsonValue(1));
        // In flight: nothing can be sent again or closed, and the button says so.
        QCOMPARE(m_h->harness.view<QPushButton>("actionAssociationSelect")->text(), QStringLiteral("Saving…"));
        QVERIFY(!enabled("associationCancel"));
        area().closeAssociationPanel();
        QVERIFY(area().associationOpen());
        // Refused: the host's words, and the user may try again.
        const QString refusal = QStringLiteral("The linked Action changed while you were reviewing it.");
        commands().complete(0, false, refusal);
        QCOMPARE(m_h->text("associationError"), refusal);
        m_h->click("actionAssociationSelect");
        // The same answer delivered twice completes the request once.
        const CommandSink::Completion answer = sent().at(2).completion;
        answer(true, std::nullopt);
        answer(true, std::nullopt);
        QVERIFY(!area().associationOpen());
        QCOMPARE(commands().actions(),
                 (QStringList{"session_action_select", "refresh", "session_action_select", "refresh"}));
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages.at(0).at(1).toString(), QStringLiteral("Action association updated"));
        // Closed, the next snapshot's revisions count again; reopened, the earlier draft is forgotten.
        area().renderActionAssociation(linked("2"));
        m_h->click("actionAssociationToggle");
        QCOMPARE(picker->currentData(Qt::UserRole).toString(), QStringLiteral("a"));
        m_h->click("actionAssociationUnlink");
        QCOMPARE(sent().last().action, QStringLiteral("session_action_unlink"));
        QCOMPARE(sent().last().fields.value(u"expectedBindingRevision"), QJsonValue(2));
    }

    void lateAnswerForAnotherConversationIsIgnored() {
        QSignalSpy messages(&area(), &ActionAssociationArea::feedbackChanged);
        area().renderActionAssociation(linked());
        m_h->click("actionAssociationToggle");
        m_h->click("actionAssociationUnlink");
        area().renderActionAssociation(linked("1", QStringLiteral("s2")));
        QVERIFY(!area().associationOpen()); // another record closes the picker and forgets the request
        QVERIFY(enabled("actionAssociationToggle"));
        commands().complete(0, false, QStringLiteral("stale"));
        QCOMPARE(commands().actions(), QStringList{"session_action_unlink"});
        // Coming back to the first conversation does not revive it either.
        area().renderActionAssociation(linked());
        commands().complete(0, true);
        QCOMPARE(messages.size(), 0);
    }

    void previewChangesStayLocal() {
        m_h->harness.link.connected = false;
        m_h->harness.link.fixtureMode = true;
        const QJsonObject record = linked("4");
        const QJsonObject other = linked("4", QStringLiteral("s2"));
        m_h->model.sessionCandidates = {record, other};
        area().renderActionAssociation(record);
        m_h->click("actionAssociationToggle");
        QVERIFY(!enabled("actionAssociationRefresh"));
        choose(QStringLiteral("b"));
        m_h->click("actionAssociationSelect");
        QCOMPARE(m_h->text("actionAssociationLabel"), QStringLiteral("Harden billing"));
        QCOMPARE(m_h->model.sessionCandidates.at(1), other);
        m_h->click("associationCancel");
        // A snapshot that moved the link while the picker was open is not overwritten.
        m_h->click("actionAssociationToggle");
        area().renderActionAssociation(linked("9"));
        m_h->click("actionAssociationUnlink");
        QCOMPARE(m_h->text("associationError"),
                 QStringLiteral("The linked Action changed. Close and review the latest choice."));
        QVERIFY(sent().isEmpty());
    }

    void deadlineRetryReusesTheRequestIdAnotherChoiceRenewsIt() {
        area().renderActionAssociation(linked("1", QStringLiteral("s1"), kDeadline));
        m_h->click("actionDeadlineReview");
        const QList<QRadioButton*> radios =
            m_h->harness.view<QWidget>("deadlineOptions")->findChildren<QRadioButton*>();
        QVERIFY(radios.at(0)->isChecked()); // the recommendation, as nothing was decided yet

        m_h->click("deadlineSave");
        const QJsonObject first = sent().at(0).fields;
        QCOMPARE(sent().at(0).action, QStringLiteral("session_deadline_decide"));
        QVERIFY(!radios.at(1)->isEnabled());
        area().chooseDeadlineOption(QStringLiteral("reduce_scope")); // ignored in flight
        commands().complete(0, false);
        QVERIFY(area().deadlineOpen());

        m_h->click("deadlineSave");
        QCOMPARE(sent().at(1).fields.value(u"requestId"), first.value(u"requestId"));
        QCOMPARE(sent().at(1).fields.value(u"choice").toString(), QStringLiteral("keep_scope"));
        commands().complete(1, false, QStringLiteral("Busy"));
        QCOMPARE(m_h->text("deadlineFeedback"), QStringLiteral("Busy"));

        radios.at(1)->click();
        m_h->click("deadlineSave");
        QCOMPARE(sent().at(2).fields.value(u"choice").toString(), QStringLiteral("reduce_scope"));
        QVERIFY(sent().at(2).fields.value(u"requestId") != first.value(u"requestId"));
        commands().complete(2, true);
        QVERIFY(!area().deadlineOpen());

        // Saved: the next reminder's decision is a new request, even with the same choice preselected.
        QString overdue = QString(kDeadline).replace(QStringLiteral("a:due"), QStringLiteral("a:overdue"));
        overdue.replace(QStringLiteral(R"("status":"due")"),
                        QStringLiteral(R"("status":"overdue","decision":{"choice":"reduce_scope","revision":1})"));
        area().renderActionAssociation(linked("1", QStringLiteral("s1"), overdue));
        m_h->click("actionDeadlineReview");
        m_h->click("deadlineSave");
        QCOMPARE(sent().at(3).fields.value(u"choice").toString(), QStringLiteral("reduce_scope"));
        QVERIFY(sent().at(3).fields.value(u"requestId") != sent().at(2).fields.value(u"requestId"));
    }
};

VODU_TEST_SUITE(AssociationAreaTest)
#include "AssociationAreaTest.moc"
