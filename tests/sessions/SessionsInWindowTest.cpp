// The conversation area inside the whole app, against the reference host: a link to an Action, an unlink and a
// deadline decision reach the host and come back in the next status.
#include "Harness.h"
#include "ReferenceHost.h"
#include "TestRegistry.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

class SessionsInWindowTest final : public HarnessTest {
    Q_OBJECT

    QString text(const char* name) { return view<QLabel>(app(), name)->text(); }
    void click(const char* name) {
        auto* button = view<QAbstractButton>(app(), name);
        QVERIFY2(button && button->isEnabled(), name);
        button->click();
    }
    void select(const QString& title) {
        auto* table = view<QTableView>(app(), "deliveryTable");
        const QModelIndexList rows = table->model()->match(table->model()->index(0, 0), Qt::DisplayRole, title + u'\n');
        QVERIFY2(!rows.isEmpty(), qPrintable(title));
        table->selectRow(rows.first().row());
    }

private Q_SLOTS:
    void actionLinkAndDeadlineReachTheReferenceHost() {
        ReferenceHost host(harness());
        QVERIFY(host.ready());

        // Link the conversation the host could not decide on.
        select(QStringLiteral("Rotate the staging database credentials"));
        QCOMPARE(text("actionAssociationLabel"), QStringLiteral("More than one task may fit. You can choose one."));
        click("actionAssociationToggle");
        auto* picker = view<QComboBox>(app(), "actionAssociationPicker");
        picker->setCurrentIndex(picker->findData(QStringLiteral("act_infra_hygiene"), Qt::UserRole));
        click("actionAssociationSelect");
        QTRY_VERIFY_WITH_TIMEOUT(text("actionAssociationLabel").startsWith(u"Quarterly infrastructure hygiene · Due "),
                                 10000);
        QVERIFY(!view<QWidget>(app(), "associationPanel")->isVisible());
        QCOMPARE(text("deliveryActionMessage"), QStringLiteral("Action association updated"));

        click("actionAssociationToggle");
        click("actionAssociationUnlink");
        QTRY_COMPARE_WITH_TIMEOUT(text("actionAssociationLabel"), QStringLiteral("Not linked"), 10000);

        // Decide how to meet the deadline of the linked Action that is due soon.
        select(QStringLiteral("Stream invoice exports as CSV"));
        QCOMPARE(text("actionDeadlineTitle"), QStringLiteral("The Action is due soon"));
        click("actionDeadlineReview");
        for (QRadioButton* radio : view<QWidget>(app(), "deadlineOptions")->findChildren<QRadioButton*>()) {
            if (radio->property("optionId").toString() == u"reduce_scope")
                radio->click();
        }
        click("deadlineSave");
        QTRY_COMPARE_WITH_TIMEOUT(text("actionDeadlineTitle"), QStringLiteral("Decision saved"), 10000);
        QCOMPARE(text("actionDeadlineSummary"), QStringLiteral("Propose a smaller scope"));
    }
};

VODU_TEST_SUITE(SessionsInWindowTest)
#include "SessionsInWindowTest.moc"
