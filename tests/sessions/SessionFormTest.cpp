#include "sessions/SessionForm.h"
#include "SessionJson.h"
#include "TestRegistry.h"
#include "model/RecordIdentity.h"

#include <QJsonArray>
#include <QTest>

namespace {

const Copy english{false};
const char* kEnrollable = R"({"provider":"codex","session":"s1","capabilities":{"canEnroll":true}})";

QString lines(int count, int length) {
    QStringList list;
    for (int line = 0; line < count; ++line) {
        list.append(QString(length, QLatin1Char('c')).replace(0, 1, QString::number(line % 10)));
    }
    return list.join(QLatin1Char('\n'));
}

// "identity:desired:accepted" separated by spaces.
PendingSessionAutoContinueTable pendingTable(const QString& text) {
    PendingSessionAutoContinueTable table;
    for (const QString& entry : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList parts = entry.split(QLatin1Char(':'));
        table.insert(parts.at(0), {parts.at(1) == u"1", parts.at(2) == u"1"});
    }
    return table;
}

} // namespace

class SessionFormTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void enrolment_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<SessionDraft>("draft");
        QTest::addColumn<int>("outcome"); // SessionEnrolment::Outcome
        QTest::addColumn<int>("criteria");
        const auto add = [](const char* name, const char* record, const SessionDraft& draft,
                            SessionEnrolment::Outcome outcome, int criteria) {
            QTest::newRow(name) << QString(record) << draft << static_cast<int>(outcome) << criteria;
        };
        using Outcome = SessionEnrolment::Outcome;
        const SessionDraft largest{QString(2000, QLatin1Char('g')), lines(20, 500)};
        add("20 criteria of 500 and a goal of 2000", kEnrollable, largest, Outcome::ready, 20);
        add("21 criteria", kEnrollable, {QStringLiteral("Goal"), lines(21, 10)}, Outcome::refused, 0);
        add("a criterion of 501", kEnrollable, {QStringLiteral("Goal"), lines(1, 501)}, Outcome::refused, 0);
        add("a goal of 2001", kEnrollable, {QString(2001, QLatin1Char('g')), QStringLiteral("one")}, Outcome::refused,
            0);
        add("2000 accented letters of two code units each", kEnrollable,
            {QStringLiteral("e\u0301").repeated(2000), QStringLiteral("one")}, Outcome::ready, 1);
        add("blank goal", kEnrollable, {QStringLiteral(" \n\t"), QStringLiteral("one")}, Outcome::refused, 0);
        add("blank criteria", kEnrollable, {QStringLiteral("Goal"), QStringLiteral("\n \n")}, Outcome::refused, 0);
        add("blank lines and every kind of line break", kEnrollable,
            {QStringLiteral("Goal"), QStringLiteral("a\r\n\r\n  b  \u2028c\rd\n")}, Outcome::ready, 4);
        add("trailing blanks do not count", kEnrollable,
            {QStringLiteral("  Goal  "), QString(500, QLatin1Char('c')) + QStringLiteral("   ")}, Outcome::ready, 1);
        add("turn running", R"({"provider":"codex","session":"s1","isRunning":true,
            "capabilities":{"canEnroll":true}})",
            largest, Outcome::ignored, 0);
        add("enrolment not allowed", R"({"provider":"codex","session":"s1","capabilities":{"canEnroll":"true"}})",
            largest, Outcome::ignored, 0);
        add("no session id", R"({"provider":"codex","session":"","capabilities":{"canEnroll":true}})", largest,
            Outcome::ignored, 0);
        SessionDraft reckless = largest;
        reckless.policy = QStringLiteral("reckless");
        add("policy not offered", kEnrollable, reckless, Outcome::ignored, 0);
        SessionDraft odd = largest;
        odd.minutes = 45;
        add("limit not offered", kEnrollable, odd, Outcome::ignored, 0);
    }

    void enrolment() {
        QFETCH(QString, record);
        QFETCH(SessionDraft, draft);
        QFETCH(int, outcome);
        QFETCH(int, criteria);
        const SessionEnrolment enrolment = sessionEnrolment(jsonObject(record), draft, english);
        QCOMPARE(static_cast<int>(enrolment.outcome), outcome);
        QCOMPARE(enrolment.fields.value(u"acceptanceCriteria").toArray().size(), criteria);
        QCOMPARE(enrolment.message.isEmpty(), enrolment.outcome != SessionEnrolment::Outcome::refused);
        if (enrolment.outcome == SessionEnrolment::Outcome::refused) {
            QCOMPARE(enrolment.message,
                     QStringLiteral("Enter a goal and 1–20 acceptance criteria, each within 500 characters."));
        }
    }

    void enrolmentFields() {
        SessionDraft draft{QStringLiteral("  Ship CSV \n"), QStringLiteral("Rows stream\n\n Tests pass ")};
        draft.policy = QStringLiteral("strict");
        draft.minutes = 60;
        const SessionEnrolment enrolment = sessionEnrolment(jsonObject(kEnrollable), draft, english);
        QCOMPARE(enrolment.fields, jsonObject(R"({"provider":"codex","session":"s1","autonomyPolicy":"strict",
            "maxMinutes":60,"maxContinuations":6,"maxFailures":3,"objective":"Ship CSV","acceptanceCriteria":[
            {"id":"criterion_1","description":"Rows stream","check":{"type":"manual"}},
            {"id":"criterion_2","description":"Tests pass","check":{"type":"manual"}}]})"));
        QCOMPARE(
            previewEnrolmentAlert(enrolment.fields, english).text,
            QStringLiteral("Ship CSV\nAcceptance criteria: 2 · Strict\n\nPreview only. No session will be changed."));
    }

    void analyzeFields_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<bool>("sent");
        const auto add = [](const char* name, const char* record, bool sent) {
            QTest::newRow(name) << QString(record) << sent;
        };
        add("failed analysis", R"({"provider":"codex","session":"s1","analysis":{"state":"failed"},
            "capabilities":{"canAnalyze":true}})",
            true);
        add("auto-continue check failed", R"({"provider":"codex","session":"s1","autoContinueStatus":"error",
            "capabilities":{"canAnalyze":true}})",
            true);
        add("never analysed: no retry to offer", R"({"provider":"codex","session":"s1",
            "capabilities":{"canAnalyze":true}})",
            false);
        add("analysis not allowed", R"({"provider":"codex","session":"s1","analysis":{"state":"failed"}})", false);
        add("turn running", R"({"provider":"codex","session":"s1","isRunning":true,"analysis":{"state":"failed"},
            "capabilities":{"canAnalyze":true}})",
            false);
        add("provider missing", R"({"session":"s1","analysis":{"state":"failed"},"capabilities":{"canAnalyze":true}})",
            false);
    }

    void analyzeFields() {
        QFETCH(QString, record);
        QFETCH(bool, sent);
        const std::optional<QJsonObject> fields = sessionAnalyzeFields(jsonObject(record));
        QCOMPARE(fields.has_value(), sent);
        if (fields) {
            QCOMPARE(*fields, jsonObject(R"({"provider":"codex","session":"s1"})"));
        }
    }

    void reconcile_data() {
        QTest::addColumn<QString>("pending");
        QTest::addColumn<QString>("records");
        QTest::addColumn<QString>("kept");
        QTest::newRow("off asked, value missing") << "codex|a:0:1"
                                                  << R"([{"provider":"codex","session":"a"}])"
                                                  << "";
        QTest::newRow("on asked, value missing") << "codex|a:1:1"
                                                 << R"([{"provider":"codex","session":"a"}])"
                                                 << "codex|a";
        QTest::newRow("on asked and shown") << "codex|a:1:1"
                                            << R"([{"provider":"codex","session":"a","autoContinue":true}])"
                                            << "";
        QTest::newRow("not yet answered") << "codex|a:1:0"
                                          << R"([{"provider":"codex","session":"a","autoContinue":true}])"
                                          << "codex|a";
        QTest::newRow("conversation gone") << "codex|a:0:1"
                                           << "[]"
                                           << "codex|a";
        QTest::newRow("off asked, value of another type")
            << "codex|a:0:1"
            << R"([{"provider":"codex","session":"a","autoContinue":"true"}])"
            << "";
        QTest::newRow("on asked, value of another type")
            << "codex|a:1:1"
            << R"([{"provider":"codex","session":"a","autoContinue":"true"}])"
            << "codex|a";
        QTest::newRow("first of two records decides")
            << "codex|a:1:1 codex|b:1:1"
            << R"([{"provider":"codex","session":"a"},{"provider":"codex","session":"a","autoContinue":true},
                   {"provider":"codex","session":"b","autoContinue":true}])"
            << "codex|a";
    }

    void reconcile() {
        QFETCH(QString, pending);
        QFETCH(QString, records);
        QFETCH(QString, kept);
        const PendingSessionAutoContinueTable table = pendingTable(pending);
        const PendingSessionAutoContinueTable result = reconcilePendingAutoContinue(table, jsonObjects(records));
        QStringList keys = result.keys();
        keys.sort();
        QCOMPARE(keys.join(QLatin1Char(' ')), kept);
        for (const QString& key : keys) {
            QCOMPARE(result.value(key), table.value(key));
        }
    }

    void toggle_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<bool>("reachable");
        QTest::addColumn<bool>("pending");
        QTest::addColumn<int>("outcome"); // AutoContinueToggle::Outcome
        QTest::addColumn<QString>("fields");
        using Outcome = AutoContinueToggle::Outcome;
        const auto add = [](const char* name, const char* record, bool reachable, bool pending, Outcome outcome,
                            const char* fields) {
            QTest::newRow(name) << QString(record) << reachable << pending << static_cast<int>(outcome)
                                << QString(fields);
        };
        const char* allowed = R"({"provider":"codex","session":"s1","capabilities":{"canAutoContinue":true}})";
        add("conversation gone", "null", true, false, Outcome::redraw, "{}");
        add("not allowed", R"({"provider":"codex","session":"s1"})", true, false, Outcome::redraw, "{}");
        add("host unreachable", allowed, false, false, Outcome::redraw, "{}");
        add("a change in flight", allowed, true, true, Outcome::ignored, "{}");
        add("provider missing", R"({"session":"s1","capabilities":{"canAutoContinue":true}})", true, false,
            Outcome::ignored, "{}");
        add("value missing asks for on", allowed, true, false, Outcome::send,
            R"({"provider":"codex","session":"s1","enabled":true})");
        add("on with empty capabilities asks for off", R"({"provider":"codex","session":"s1","autoContinue":true,
            "capabilities":{}})",
            true, false, Outcome::send, R"({"provider":"codex","session":"s1","enabled":false})");
    }

    void toggle() {
        QFETCH(QString, record);
        QFETCH(bool, reachable);
        QFETCH(bool, pending);
        QFETCH(int, outcome);
        QFETCH(QString, fields);
        const AutoContinueToggle toggle = autoContinueToggle(jsonRecord(record), reachable, pending);
        QCOMPARE(static_cast<int>(toggle.outcome), outcome);
        QCOMPARE(toggle.fields, jsonObject(fields));
        QCOMPARE(toggle.desired, toggle.fields.value(u"enabled").toBool());
    }

    void previewAnalysis() {
        QCOMPARE(previewAnalysisResult(jsonObject(R"({"fixtureAnalysisResult":{"state":"no_action"}})"), english),
                 jsonObject(R"({"state":"no_action"})"));
        QCOMPARE(previewAnalysisResult(jsonObject(R"({"fixtureAnalysisResult":"no_action"})"), english),
                 jsonObject(R"({"state":"continue","reason":"The sample conversation has remaining work.",
                     "remaining":["Verify the result"]})"));
    }
};

VODU_TEST_SUITE(SessionFormTest)
#include "SessionFormTest.moc"
