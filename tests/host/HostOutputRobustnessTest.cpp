#include "Harness.h"
#include "TestRegistry.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTest>

namespace {

// Keys and words the service uses, so random records often hit the branches the app reads.
const char* const kVocabulary[] = {"acceptanceCriteria",
                                   "action",
                                   "actionAssociation",
                                   "actionDeadline",
                                   "actionId",
                                   "actionRevision",
                                   "active",
                                   "activeCount",
                                   "alternatives",
                                   "ambiguous",
                                   "analysis",
                                   "analyzing",
                                   "answer",
                                   "appearance",
                                   "approvalId",
                                   "approvedAction",
                                   "assessing",
                                   "assessment",
                                   "at",
                                   "auth",
                                   "autoContinue",
                                   "autoContinueReason",
                                   "autoContinueStatus",
                                   "auto_resuming",
                                   "autonomous",
                                   "autonomyPolicy",
                                   "availability",
                                   "available",
                                   "awaitingTurn",
                                   "balanced",
                                   "baseline",
                                   "basis",
                                   "binding",
                                   "bindingRevision",
                                   "blastRadius",
                                   "blocked",
                                   "blocker",
                                   "bound",
                                   "budgetLimited",
                                   "canAnalyze",
                                   "canAnswer",
                                   "canApprove",
                                   "canAutoContinue",
                                   "canContinue",
                                   "canCorrect",
                                   "canEnroll",
                                   "canMonitor",
                                   "canPause",
                                   "canReject",
                                   "canReplan",
                                   "canResolveDependency",
                                   "canResume",
                                   "canSetPolicy",
                                   "canStop",
                                   "canceled",
                                   "cancelled",
                                   "candidateRevision",
                                   "candidates",
                                   "capabilities",
                                   "capability",
                                   "cause",
                                   "check",
                                   "check_failed",
                                   "check_update",
                                   "checkedAt",
                                   "checking",
                                   "choice",
                                   "claude",
                                   "claude_hooks",
                                   "claude_login",
                                   "code",
                                   "codex",
                                   "codex_app_server",
                                   "codex_hooks",
                                   "codex_login",
                                   "coding",
                                   "complete",
                                   "completed",
                                   "condition",
                                   "conflicts",
                                   "connecting",
                                   "connection",
                                   "context",
                                   "contextRevision",
                                   "continue",
                                   "criterionId",
                                   "criterion_",
                                   "current",
                                   "cwd",
                                   "decided",
                                   "decision",
                                   "decisionHistory",
                                   "delivery",
                                   "deliveryHooks",
                                   "delivery_approve",
                                   "delivery_dependency_ready",
                                   "delivery_pause",
                                   "delivery_reject",
                                   "delivery_replan",
                                   "delivery_resume",
                                   "delivery_set_policy",
                                   "delivery_stop",
                                   "delivery_verify",
                                   "denied",
                                   "dependencyWait",
                                   "description",
                                   "destructive",
                                   "detail",
                                   "diagnosis",
                                   "disabled",
                                   "discovery",
                                   "done",
                                   "downloaded",
                                   "downloading",
                                   "due",
                                   "dueAt",
                                   "emphasized",
                                   "enabled",
                                   "entryPath",
                                   "error",
                                   "escalation",
                                   "evidenceRefs",
                                   "exactPath",
                                   "exhausted",
                                   "expectedActionRevision",
                                   "expectedBindingRevision",
                                   "expectedCandidateRevision",
                                   "expectedContextRevision",
                                   "expectedDecisionRevision",
                                   "expectedValue",
                                   "expectedVerification",
                                   "expired",
                                   "external",
                                   "externalEffect",
                                   "failed",
                                   "false",
                                   "file_contains",
                                   "file_exists",
                                   "finished",
                                   "fixtureAnalysisResult",
                                   "fixtureDetailsOpen",
                                   "fixtureSelectedSession",
                                   "force",
                                   "goal",
                                   "hidden",
                                   "high",
                                   "http",
                                   "https",
                                   "id",
                                   "inObjective",
                                   "in_progress",
                                   "install_plugins",
                                   "installer",
                                   "installing",
                                   "instruction",
                                   "irreversible",
                                   "isRunning",
                                   "items",
                                   "keep_scope",
                                   "key",
                                   "kind",
                                   "label",
                                   "lastSuccessAt",
                                   "latestVersion",
                                   "light",
                                   "limit",
                                   "links",
                                   "live_hook",
                                   "loading",
                                   "locked",
                                   "login",
                                   "low",
                                   "managed",
                                   "manual",
                                   "manual_recovery",
                                   "maxContinuations",
                                   "maxFailures",
                                   "maxMinutes",
                                   "medium",
                                   "merge_ready",
                                   "message",
                                   "missing",
                                   "mode",
                                   "monitor",
                                   "multi_system",
                                   "needsAttention",
                                   "needs_clarification",
                                   "needs_user",
                                   "nextAction",
                                   "nextStep",
                                   "no_action",
                                   "no_match",
                                   "none",
                                   "objective",
                                   "observed",
                                   "offline",
                                   "ok",
                                   "online",
                                   "optionId",
                                   "options",
                                   "origin",
                                   "originalSessionTarget",
                                   "outcome",
                                   "outdated",
                                   "overdue",
                                   "path",
                                   "paused",
                                   "pending",
                                   "pendingApproval",
                                   "pending_sync",
                                   "pending_takeover",
                                   "persona",
                                   "phase",
                                   "pid",
                                   "plan",
                                   "pluginSetup",
                                   "policy",
                                   "pr_ready_for_review",
                                   "previewSelectedSession",
                                   "previousAnalysis",
                                   "process_conflict",
                                   "production",
                                   "provider",
                                   "providerGoal",
                                   "provider_goal",
                                   "providers",
                                   "purpose",
                                   "question",
                                   "questionId",
                                   "queued",
                                   "quit",
                                   "read",
                                   "ready",
                                   "reason",
                                   "recommendation",
                                   "reconnect",
                                   "recovery_required",
                                   "reduce_scope",
                                   "refresh",
                                   "refreshPending",
                                   "releases",
                                   "remaining",
                                   "remainingWork",
                                   "reminder",
                                   "reminderKey",
                                   "reminderRevision",
                                   "report",
                                   "reported_done",
                                   "requestId",
                                   "restarting",
                                   "result",
                                   "results",
                                   "reversibility",
                                   "reversible",
                                   "revise_deadline",
                                   "revision",
                                   "risk",
                                   "risks",
                                   "role",
                                   "rollback",
                                   "running",
                                   "runs",
                                   "sampledAt",
                                   "scope",
                                   "scope_change",
                                   "selectedOptionId",
                                   "session",
                                   "sessionSupervision",
                                   "sessionUnderstanding",
                                   "session_action_refresh",
                                   "session_action_select",
                                   "session_action_unlink",
                                   "session_analyze",
                                   "session_answer",
                                   "session_deadline_decide",
                                   "session_enroll",
                                   "session_set_auto_continue",
                                   "sessions",
                                   "sha256",
                                   "signed_in",
                                   "signed_out",
                                   "single_file",
                                   "snippet",
                                   "source",
                                   "standard_loop",
                                   "state",
                                   "status",
                                   "stopped",
                                   "strict",
                                   "succeeded",
                                   "successCriteria",
                                   "summary",
                                   "supervising",
                                   "target_version",
                                   "task",
                                   "taskId",
                                   "taskKey",
                                   "task_detail",
                                   "tasks",
                                   "technicalInstruction",
                                   "technicalResult",
                                   "test",
                                   "test_result",
                                   "testsRun",
                                   "text",
                                   "title",
                                   "tool",
                                   "total",
                                   "tried",
                                   "true",
                                   "truncated",
                                   "type",
                                   "unanalysed",
                                   "unauthorized",
                                   "unavailable",
                                   "uncertain",
                                   "uncertainty",
                                   "understanding",
                                   "understandingQuestion",
                                   "unknown",
                                   "unmanaged",
                                   "unresolvedItems",
                                   "update",
                                   "update_available",
                                   "update_failed",
                                   "updatedAt",
                                   "updating",
                                   "url",
                                   "usageLimited",
                                   "user",
                                   "userChoice",
                                   "userLabel",
                                   "userQuestion",
                                   "user_attestation",
                                   "user_request",
                                   "verification",
                                   "verification_pending",
                                   "verified",
                                   "verifiedOnPlatform",
                                   "version",
                                   "waitId",
                                   "waiting",
                                   "waiting_boundary",
                                   "waiting_for_idle",
                                   "watching",
                                   "webOrigin",
                                   "write"};

class RandomRecords {
public:
    explicit RandomRecords(quint32 seed) : m_random(seed) {}

    QString word() { return QString::fromLatin1(kVocabulary[m_random.bounded(int(std::size(kVocabulary)))]); }

    QJsonValue value(int depth) {
        switch (m_random.bounded(depth > 0 ? 9 : 6)) {
        case 0:
            return QJsonValue(QJsonValue::Null);
        case 1:
            return m_random.bounded(2) == 1;
        case 2:
            return qint64(m_random.generate64()) >> m_random.bounded(64);
        case 3:
            return m_random.generateDouble() * 1e6 - 5e5;
        case 4:
            return word();
        case 5:
            return oddText();
        case 6: {
            QJsonArray array;
            for (int count = m_random.bounded(5); count > 0; --count) {
                array.append(value(depth - 1));
            }
            return array;
        }
        default:
            return object(depth - 1);
        }
    }

    QJsonObject object(int depth) {
        QJsonObject record;
        for (int count = m_random.bounded(8); count > 0; --count) {
            record.insert(word(), value(depth));
        }
        return record;
    }

    QString oddText() {
        const QString samples[] = {QString(),
                                   QStringLiteral(" \n "),
                                   QString(5000, QLatin1Char('x')),
                                   QStringLiteral("javascript:alert(1)"),
                                   QStringLiteral("2026-12-06T09:00:00Z"),
                                   QStringLiteral("2026-13-45T99:00:00Z"),
                                   QStringLiteral("1.2.3"),
                                   QStringLiteral("https://user:pw@example.test/"),
                                   QStringLiteral("token=abc \u202e\u0000"),
                                   QStringLiteral("👨‍👩‍👧 日本語\r\n**bold** [x](https://x.test)")};
        return samples[m_random.bounded(int(std::size(samples)))];
    }

    QByteArray frame() {
        const char* types[] = {"status", "status", "status", "error", "result", "task_detail", "other"};
        QJsonObject message = object(1);
        message.insert(QStringLiteral("type"), QString::fromLatin1(types[m_random.bounded(int(std::size(types)))]));
        message.insert(QStringLiteral("status"), object(5));
        message.insert(QStringLiteral("task"), object(4));
        return QJsonDocument(message).toJson(QJsonDocument::Compact);
    }

    QByteArray garbage() {
        QByteArray bytes(m_random.bounded(200), Qt::Uninitialized);
        for (char& byte : bytes) {
            byte = static_cast<char>(m_random.bounded(256));
        }
        return bytes;
    }

    int bounded(int limit) { return m_random.bounded(limit); }

private:
    QRandomGenerator m_random;
};

} // namespace

// Whatever the service writes, the app keeps running and recovers with the next good snapshot.
class HostOutputRobustnessTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void randomOutputNeverBreaksTheApp_data() {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed = 1; seed <= 6; ++seed) {
            QTest::addRow("seed %u", seed) << seed;
        }
    }

    void randomOutputNeverBreaksTheApp() {
        QFETCH(quint32, seed);
        Harness harness;
        AppDelegate& app = harness.app();
        RandomRecords records(seed);
        for (int index = 0; index < 300; ++index) {
            QByteArray chunk = records.bounded(10) == 0 ? records.garbage() : records.frame();
            chunk.append('\n');
            app.consumeOnMain(chunk);
            if (records.bounded(20) == 0) {
                app.fixtureMode = !app.fixtureMode;
            }
        }
        app.fixtureMode = false;
        app.consumeOnMain("{\"type\":\"status\",\"status\":{\"connection\":{\"state\":\"online\"}}}\n");
        QVERIFY(app.connected);
        QVERIFY(app.webRoot == std::nullopt || app.webRoot->scheme().startsWith(QLatin1String("http")));
    }
};

VODU_TEST_SUITE(HostOutputRobustnessTest)
#include "HostOutputRobustnessTest.moc"
