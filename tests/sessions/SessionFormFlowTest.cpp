// The supervision form with the area around it: drafts per conversation, the auto-continue switch and its
// change in flight, the enrolment limits, a failed analysis, and preview mode, which pretends and sends nothing.
#include "SessionJson.h"
#include "SessionsArea.h"
#include "TestRegistry.h"
#include "ui/ToggleSwitch.h"

#include <QComboBox>
#include <QJsonArray>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace {

const char* kTwo = R"([
    {"provider":"codex","session":"a","title":"Alpha","capabilities":{"canEnroll":true,"canAutoContinue":true}},
    {"provider":"claude","session":"b","title":"Beta","capabilities":{"canEnroll":true,"canAutoContinue":true}}
])";

QString lines(int count, int length) {
    QStringList list;
    for (int line = 0; line < count; ++line) {
        list.append(QString(length, QLatin1Char('c')));
    }
    return list.join(QLatin1Char('\n'));
}

} // namespace

class SessionFormFlowTest final : public QObject {
    Q_OBJECT

    std::unique_ptr<SessionsArea> m_area;
    SessionsArea& area() { return *m_area; }

    void type(const QString& goal, const QString& criteria) {
        area().view<QPlainTextEdit>("sessionGoal")->setPlainText(goal);
        area().view<QPlainTextEdit>("sessionCriteria")->setPlainText(criteria);
    }

    ToggleSwitch* autoContinue() { return area().view<ToggleSwitch>("sessionAutoContinueSwitch"); }
    QString hint() { return area().view<QLabel>("sessionAutoContinueHint")->text(); }

private Q_SLOTS:
    void init() { m_area = std::make_unique<SessionsArea>(); }
    void cleanup() { m_area.reset(); }

    void draftsFollowTheirConversation() {
        area().render(kTwo);
        area().view<QPushButton>("sessionManualToggle")->click();
        area().view<QPushButton>("sessionAdvancedToggle")->click();
        type(QStringLiteral("  Ship it \n"), QStringLiteral("tests pass\n\nreviewed"));
        area().view<QComboBox>("sessionPolicy")->setCurrentIndex(1);
        area().view<QComboBox>("sessionMinutes")->setCurrentIndex(2);

        area().select(QStringLiteral("Beta"));
        QVERIFY(area().view<QPlainTextEdit>("sessionGoal")->toPlainText().isEmpty());
        QVERIFY(area().view<QWidget>("sessionFields")->isHidden());
        QCOMPARE(area().view<QComboBox>("sessionPolicy")->currentData().toString(), QStringLiteral("balanced"));
        type(QStringLiteral("Beta's goal"), QString());

        // A snapshot, the host going away and coming back, and a list without Alpha for a while.
        area().render(kTwo);
        area().harness.link.connected = false;
        area().sessions.renderSelectedSession();
        area().harness.link.connected = true;
        area().render(R"([{"provider":"claude","session":"b","title":"Beta","capabilities":{"canEnroll":true}}])");
        area().render(kTwo);
        QCOMPARE(area().view<QPlainTextEdit>("sessionGoal")->toPlainText(), QStringLiteral("Beta's goal"));

        area().select(QStringLiteral("Alpha"));
        QCOMPARE(area().view<QPlainTextEdit>("sessionGoal")->toPlainText(), QStringLiteral("  Ship it \n"));
        QCOMPARE(area().view<QPlainTextEdit>("sessionCriteria")->toPlainText(),
                 QStringLiteral("tests pass\n\nreviewed"));
        QCOMPARE(area().view<QComboBox>("sessionPolicy")->currentData().toString(), QStringLiteral("strict"));
        QCOMPARE(area().view<QComboBox>("sessionMinutes")->currentData().toInt(), 60);
        QVERIFY(!area().view<QWidget>("sessionFields")->isHidden());
        QVERIFY(!area().view<QWidget>("sessionAdvancedGroup")->isHidden());

        // What was typed is what is sent: two criteria, numbered from one.
        area().view<QPushButton>("sessionManualAction")->click();
        const QJsonObject fields = area().sent(QStringLiteral("session_enroll")).value(0).fields;
        QCOMPARE(fields.value(u"objective").toString(), QStringLiteral("Ship it"));
        QCOMPARE(fields.value(u"autonomyPolicy").toString(), QStringLiteral("strict"));
        QCOMPARE(fields.value(u"maxMinutes").toInt(), 60);
        const QJsonArray criteria = fields.value(u"acceptanceCriteria").toArray();
        QCOMPARE(criteria.size(), 2);
        QCOMPARE(criteria.at(1).toObject().value(u"id").toString(), QStringLiteral("criterion_2"));
        QCOMPARE(criteria.at(1).toObject().value(u"description").toString(), QStringLiteral("reviewed"));
    }

    void enrolmentLimits_data() {
        QTest::addColumn<QString>("goal");
        QTest::addColumn<QString>("criteria");
        QTest::addColumn<bool>("sent");
        QTest::newRow("20 criteria of 500 and a goal of 2000") << QString(2000, u'g') << lines(20, 500) << true;
        QTest::newRow("21 criteria") << QStringLiteral("Goal") << lines(21, 10) << false;
        QTest::newRow("a criterion of 501") << QStringLiteral("Goal") << lines(1, 501) << false;
        QTest::newRow("a goal of 2001") << QString(2001, u'g') << QStringLiteral("one") << false;
        QTest::newRow("no criteria") << QStringLiteral("Goal") << QStringLiteral(" \n ") << false;
    }

    void enrolmentLimits() {
        QFETCH(QString, goal);
        QFETCH(QString, criteria);
        QFETCH(bool, sent);
        area().render(kTwo);
        area().view<QPushButton>("sessionManualToggle")->click();
        type(goal, criteria);
        auto* submit = area().view<QPushButton>("sessionManualAction");
        submit->click();
        QCOMPARE(area().sent(QStringLiteral("session_enroll")).size(), sent ? 1 : 0);
        auto* message = area().view<QLabel>("sessionActionMessage");
        QVERIFY(!message->isHidden());
        if (!sent) {
            QCOMPARE(message->text(),
                     QStringLiteral("Enter a goal and 1–20 acceptance criteria, each within 500 characters."));
            return;
        }
        QCOMPARE(message->text(), QStringLiteral("Updating session supervision…"));
        QVERIFY(!submit->isEnabled());
        submit->click();
        QCOMPARE(area().sent(QStringLiteral("session_enroll")).size(), 1);
        area().harness.commands.complete(0, false, QStringLiteral("refused"));
        QCOMPARE(message->text(), QStringLiteral("Could not update this session. Refresh and try again."));
        QVERIFY(submit->isEnabled());
        QCOMPARE(area().view<QPlainTextEdit>("sessionGoal")->toPlainText(), goal);
        QCOMPARE(area().harness.commands.actions().last(), QStringLiteral("refresh"));
    }

    void anEnrolmentResultStaysWithItsConversation() {
        area().render(kTwo);
        area().view<QPushButton>("sessionManualToggle")->click();
        type(QStringLiteral("Goal"), QStringLiteral("one"));
        area().view<QPushButton>("sessionManualAction")->click();
        area().select(QStringLiteral("Beta"));
        area().harness.commands.complete(0, true);
        QVERIFY(area().view<QLabel>("sessionActionMessage")->isHidden());
        area().select(QStringLiteral("Alpha"));
        QVERIFY(area().view<QLabel>("sessionActionMessage")->isHidden());
    }

    // Flipping twice sends one request; the switch waits for the host to show the new value.
    void autoContinueChange() {
        area().render(kTwo);
        autoContinue()->click();
        autoContinue()->click();
        QCOMPARE(area().sent(QStringLiteral("session_set_auto_continue")).size(), 1);
        QCOMPARE(area().sent(QStringLiteral("session_set_auto_continue")).first().fields,
                 jsonObject(R"({"provider":"codex","session":"a","enabled":true})"));
        QVERIFY(!autoContinue()->isEnabled() && !autoContinue()->isChecked());
        QCOMPARE(hint(), QStringLiteral("Updating…"));

        area().harness.commands.complete(0, true);
        QCOMPARE(area().harness.commands.actions().last(), QStringLiteral("refresh"));
        QVERIFY(area().sessions.pendingSessionAutoContinue().value(QStringLiteral("codex|a")).accepted);
        area().render(kTwo); // the host has not reflected it yet
        QVERIFY(!autoContinue()->isEnabled());
        area().render(QString::fromLatin1(kTwo).replace(QStringLiteral(R"("title":"Alpha")"),
                                                        QStringLiteral(R"("title":"Alpha","autoContinue":true)")));
        QVERIFY(area().sessions.pendingSessionAutoContinue().isEmpty());
        QVERIFY(autoContinue()->isEnabled() && autoContinue()->isChecked());
        QCOMPARE(area().rows(), QStringLiteral("Auto-continue · 1|Alpha|Conversations · 1|Beta"));

        // Turning it off fails: the error shows under the switch until the next try.
        autoContinue()->click();
        QCOMPARE(area().sent(QStringLiteral("session_set_auto_continue")).last().fields.value(u"enabled"), false);
        area().harness.commands.complete(area().harness.commands.commands.size() - 1, false);
        QVERIFY(autoContinue()->isEnabled() && autoContinue()->isChecked());
        QCOMPARE(area().view<QLabel>("sessionAutoContinueError")->text(),
                 QStringLiteral("Could not change auto-continue. Please retry."));
        QVERIFY(!area().view<QLabel>("sessionAutoContinueError")->isHidden());
        area().view<QPushButton>("sessionAutoContinueLabel")->click();
        QVERIFY(area().view<QLabel>("sessionAutoContinueError")->isHidden());
    }

    void autoContinueNeedsAHostAndPermission_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<bool>("connected");
        QTest::addColumn<bool>("sent");
        QTest::newRow("allowed") << R"({"provider":"codex","session":"a","capabilities":{"canAutoContinue":true}})"
                                 << true << true;
        QTest::newRow("not allowed") << R"({"provider":"codex","session":"a","capabilities":{}})" << true << false;
        QTest::newRow("no host") << R"({"provider":"codex","session":"a","capabilities":{"canAutoContinue":true}})"
                                 << false << false;
        QTest::newRow("no session id") << R"({"provider":"codex","capabilities":{"canAutoContinue":true}})" << true
                                       << false;
    }

    void autoContinueNeedsAHostAndPermission() {
        QFETCH(QString, record);
        QFETCH(bool, connected);
        QFETCH(bool, sent);
        area().render(QLatin1Char('[') + record + QLatin1Char(']'));
        area().harness.link.connected = connected;
        const bool before = autoContinue()->isChecked();
        area().sessions.toggleSessionAutoContinue();
        QCOMPARE(area().sent(QStringLiteral("session_set_auto_continue")).size(), sent ? 1 : 0);
        QCOMPARE(autoContinue()->isChecked(), before);
    }

    void aFailedAnalysisOffersARetry() {
        area().render(R"([{"provider":"codex","session":"a","title":"Alpha","analysis":{"state":"failed"},
                           "capabilities":{"canAnalyze":true}}])");
        auto* retry = area().view<QPushButton>("sessionAction");
        QVERIFY(!retry->isHidden() && retry->isEnabled());
        retry->click();
        QCOMPARE(area().sent(QStringLiteral("session_analyze")).value(0).fields,
                 jsonObject(R"({"provider":"codex","session":"a"})"));
        QCOMPARE(area().view<QLabel>("sessionEyeline")->text(), QStringLiteral("Queued for analysis"));
        QVERIFY(retry->isHidden());
        area().harness.commands.complete(0, false);
        QCOMPARE(area().view<QLabel>("sessionEyeline")->text(), QStringLiteral("Analysis unavailable"));
        QVERIFY(!retry->isHidden() && retry->isEnabled());
        QCOMPARE(area().harness.commands.actions(),
                 QStringList({QStringLiteral("session_analyze"), QStringLiteral("refresh")}));
    }

    void previewPretends() {
        area().harness.link.fixtureMode = true;
        area().harness.link.connected = false;
        area().render(R"([{"provider":"codex","session":"a","title":"Alpha","analysis":{"state":"uncertain"},
                           "capabilities":{"canAnalyze":true,"canAutoContinue":true,"canEnroll":true},
                           "fixtureAnalysisResult":{"state":"no_action"}}])");
        autoContinue()->click();
        QCOMPARE(area().sessions.lastPreviewSessionAction(), QStringLiteral("session_set_auto_continue"));
        QVERIFY(!autoContinue()->isChecked() && !autoContinue()->isEnabled());
        QTest::qWait(200);
        QVERIFY(!autoContinue()->isChecked());
        QTRY_VERIFY_WITH_TIMEOUT(autoContinue()->isChecked() && autoContinue()->isEnabled(), 1000);
        QCOMPARE(area().rows(), QStringLiteral("Auto-continue · 1|Alpha"));

        area().view<QPushButton>("sessionAction")->click();
        QCOMPARE(area().sessions.lastPreviewSessionAction(), QStringLiteral("session_analyze"));
        QCOMPARE(area().view<QLabel>("sessionFormHeading")->text(), QStringLiteral("Nothing left to continue"));

        area().view<QPushButton>("sessionManualToggle")->click();
        type(QStringLiteral("Ship it"), QStringLiteral("one\ntwo"));
        area().view<QPushButton>("sessionManualAction")->click();
        QCOMPARE(area().harness.platform.alerts.size(), 1);
        QCOMPARE(area().harness.platform.alerts.first().message, QStringLiteral("Review sample setup"));
        QCOMPARE(
            area().harness.platform.alerts.first().informativeText,
            QStringLiteral("Ship it\nAcceptance criteria: 2 · Balanced\n\nPreview only. No session will be changed."));
        QVERIFY(area().harness.commands.commands.isEmpty());
    }
};

VODU_TEST_SUITE(SessionFormFlowTest)
#include "SessionFormFlowTest.moc"
