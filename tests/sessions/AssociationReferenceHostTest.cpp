// The whole app against the reference host: linking a conversation to an Action, a relink on a stale review,
// unlinking and a deadline decision reach the host, and the next status shows them.
#include "Harness.h"
#include "ReferenceHost.h"
#include "TestRegistry.h"
#include "host/HostLink.h"
#include "model/RecordIdentity.h"
#include "model/SnapshotReading.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

namespace {

const char* kAmbiguous = "codex|7d1b4e8a-3c62-4f95-b0a7-e5c2d9f1a346|task_staging_rotation";
const char* kDue = "codex|0f3a9d27-6b1e-4c58-a2d4-7e91b3c60f85|task_stream_exports";

} // namespace

class AssociationReferenceHostTest final : public HarnessTest {
    Q_OBJECT

    QJsonObject session(const char* identity) {
        for (const QJsonObject& record : app().supervision().sessionCandidates) {
            if (deliveryIdentity(record) == QLatin1String(identity)) {
                return record;
            }
        }
        return {};
    }
    QJsonObject association(const char* identity) { return objectAt(session(identity), u"actionAssociation"); }
    QString linkedActionId(const char* identity) {
        return stringAt(objectAt(objectAt(association(identity), u"binding"), u"action"), u"id").value_or(QString());
    }

    void select(const QString& title) {
        auto* table = view<QTableView>(app(), "deliveryTable");
        for (int row = 0; row < table->model()->rowCount(); ++row) {
            if (table->model()->index(row, 0).data().toString().section(QLatin1Char('\n'), 0, 0) == title) {
                table->selectRow(row);
                return;
            }
        }
        QFAIL(qPrintable(QStringLiteral("no row titled ") + title));
    }
    void click(const char* name) {
        auto* button = view<QPushButton>(app(), name);
        QVERIFY2(button && button->isEnabled(), name);
        button->click();
    }
    void choose(const char* id) {
        auto* picker = view<QComboBox>(app(), "actionAssociationPicker");
        const int index = picker->findData(QString::fromLatin1(id), Qt::UserRole);
        QVERIFY2(index > 0, id);
        picker->setCurrentIndex(index);
    }
    QString text(const char* name) { return view<QLabel>(app(), name)->text(); }
    bool panelOpen() { return view<QWidget>(app(), "associationPanel")->isVisible(); }

private Q_SLOTS:
    void changesReachTheHostAndTheNextStatusShowsThem() {
        ReferenceHost host(harness());
        QVERIFY(host.ready());

        // Link the conversation the host could not decide on.
        select(QStringLiteral("Rotate the staging database credentials"));
        QCOMPARE(text("actionAssociationLabel"), QStringLiteral("More than one task may fit. You can choose one."));
        click("actionAssociationToggle");
        QVERIFY(panelOpen());
        choose("act_infra_hygiene");
        click("actionAssociationSelect");
        QTRY_COMPARE_WITH_TIMEOUT(linkedActionId(kAmbiguous), QStringLiteral("act_infra_hygiene"), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!panelOpen(), 10000);
        QCOMPARE(text("deliveryActionMessage"), QStringLiteral("Action association updated"));
        QTRY_VERIFY_WITH_TIMEOUT(text("actionAssociationLabel").startsWith(u"Quarterly infrastructure hygiene · Due "),
                                 10000);

        // Relink on a review that went stale: the link moved on the host while the picker was open.
        click("actionAssociationToggle");
        const QJsonObject current = association(kAmbiguous);
        bool sent = false;
        app().link().send(
            QStringLiteral("session_action_select"), false, std::nullopt,
            QJsonObject{{QStringLiteral("provider"), QStringLiteral("codex")},
                        {QStringLiteral("session"), QStringLiteral("7d1b4e8a-3c62-4f95-b0a7-e5c2d9f1a346")},
                        {QStringLiteral("taskId"), QStringLiteral("task_staging_rotation")},
                        {QStringLiteral("expectedBindingRevision"), objectAt(current, u"binding").value(u"revision")},
                        {QStringLiteral("expectedContextRevision"), current.value(u"contextRevision")},
                        {QStringLiteral("expectedCandidateRevision"), current.value(u"candidateRevision")},
                        {QStringLiteral("actionId"), QStringLiteral("act_staging_refresh")},
                        {QStringLiteral("expectedActionRevision"), 6}},
            [&sent](bool ok, const std::optional<QString>&) { sent = ok; });
        QTRY_VERIFY_WITH_TIMEOUT(sent, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(linkedActionId(kAmbiguous), QStringLiteral("act_staging_refresh"), 10000);
        choose("act_infra_hygiene");
        click("actionAssociationSelect");
        QTRY_COMPARE_WITH_TIMEOUT(
            text("associationError"),
            QStringLiteral("The linked Action changed while you were reviewing it. Close, reload and choose again."),
            10000);
        QVERIFY(panelOpen());
        QCOMPARE(linkedActionId(kAmbiguous), QStringLiteral("act_staging_refresh"));

        // Unlink after a fresh look.
        click("associationCancel");
        QVERIFY(!panelOpen());
        click("actionAssociationToggle");
        click("actionAssociationUnlink");
        QTRY_VERIFY_WITH_TIMEOUT(linkedActionId(kAmbiguous).isEmpty(), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(text("actionAssociationLabel"), QStringLiteral("Not linked"), 10000);

        // Decide how to meet the deadline of the linked Action that is due soon.
        select(QStringLiteral("Stream invoice exports as CSV"));
        QCOMPARE(text("actionDeadlineTitle"), QStringLiteral("The Action is due soon"));
        click("actionDeadlineReview");
        auto* radios = view<QWidget>(app(), "deadlineOptions");
        for (QRadioButton* radio : radios->findChildren<QRadioButton*>()) {
            if (radio->property("optionId").toString() == u"reduce_scope") {
                radio->click();
            }
        }
        click("deadlineSave");
        QTRY_COMPARE_WITH_TIMEOUT(stringAt(objectAt(session(kDue), u"actionDeadline"), u"status").value_or(QString()),
                                  QStringLiteral("decided"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(text("actionDeadlineTitle"), QStringLiteral("Decision saved"), 10000);
        QCOMPARE(text("actionDeadlineSummary"), QStringLiteral("Propose a smaller scope"));
        QVERIFY(!view<QWidget>(app(), "actionDeadlinePanel")->isVisible());
    }
};

VODU_TEST_SUITE(AssociationReferenceHostTest)
#include "AssociationReferenceHostTest.moc"
