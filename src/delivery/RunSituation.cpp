#include "delivery/RunSituation.h"

#include "model/SnapshotReading.h"
#include "model/TextSafety.h"

namespace {

QString handoffBadge(const DeliveryRunFacts& facts, const Copy& copy) {
    return facts.isRecovery ? copy.text("承認済み · 引き継ぎ待ち", "Approved · handoff needed")
                            : copy.text("操作結果を待機中", "Awaiting an action checkpoint");
}

QString handoffNext(const DeliveryRunFacts& facts, const Copy& copy) {
    return facts.isRecovery
               ? copy.text(
                     "「Codex で続ける」で引き継ぎを記録し、元の会話で承認済みの操作を行って結果を報告してください。"
                     "VODU はここで操作を実行しません。",
                     "Record the handoff, then perform the approved action and report its result in the original "
                     "Codex conversation. VODU does not execute it here.")
               : copy.text("引き継ぎを記録しました。元の Codex 会話で承認済みの操作を終え、結果を報告してください。"
                           "実行はまだ検証されていません。",
                           "Handoff recorded. Finish the approved action in the original Codex conversation and report "
                           "its result. Execution is not yet verified.");
}

} // namespace

RunSituation runSituation(const QJsonObject& run, const DeliveryRunFacts& facts, bool fixtureMode, const Copy& copy) {
    const std::optional<QString> phase = stringAt(run, u"phase");
    const std::optional<QString> provider = stringAt(run, u"provider");
    const QString next = facts.next.value_or(QString());
    const QString& state = facts.state;
    if (state == u"reported_done") {
        return {1, copy.text("完了と報告されました", "Reported complete"),
                copy.text("独立検証は未実施", "Not independently verified"),
                copy.text("元の会話は作業完了と報告しています。必要に応じて結果と証拠を確認してください。",
                          "The original conversation reports no remaining work. Review the result and evidence if "
                          "needed.")};
    }
    if (phase == u"understanding") {
        return {2, copy.text("この会話を理解しています", "Understanding this conversation"),
                copy.text("会話を確認中", "Reading context"),
                copy.text("VODU が元の会話を読み、残りの作業と安全な次の手順を見極めています。",
                          "VODU is reading the original conversation to identify the remaining work and a safe next "
                          "step.")};
    }
    if (phase == u"needs_clarification") {
        const std::optional<QString> question =
            safeMessage(stringAt(objectAt(run, u"understandingQuestion"), u"text"), kShortTextLimit);
        return {3, question.value_or(copy.text("続ける前に一つ確認してください", "One detail before continuing")),
                copy.text("回答待ち", "One answer needed"), QString()};
    }
    if (facts.approvalPending) {
        return {4, facts.approvalSummary.value_or(copy.text("この操作の承認が必要です", "Review the requested action")),
                copy.text("あなたの承認待ち", "Waiting for your approval"), QString()};
    }
    if (facts.approvalDenied) {
        return {5, copy.text("承認は却下されました", "Approval was declined"), std::nullopt, next};
    }
    if (facts.handoff) {
        if (provider == u"codex") {
            return {6, copy.text("Codex の元の会話で続ける", "Continue in Codex"), handoffBadge(facts, copy),
                    handoffNext(facts, copy)};
        }
        return {7, copy.text("元の会話で続ける", "Continue in the original conversation"), handoffBadge(facts, copy),
                handoffNext(facts, copy)};
    }
    if (facts.waitingForSession) {
        return {8, copy.text("会話を引き継げるまで待機中", "Waiting for this session"),
                copy.text("安全な引き継ぎ待ち", "Waiting to take over"),
                copy.text("元の会話の利用が終わると、VODU が同じ会話で続けます。今は操作不要です。",
                          "VODU will continue in the same conversation when it is available. No action is needed "
                          "now.")};
    }
    if (state == u"verification_pending") {
        return {9, copy.text("残りの成功条件を確認", "Verify the remaining criterion"), std::nullopt, next};
    }
    if (state == u"paused") {
        return {10, copy.text("一時停止中のタスクを再開", "Resume this paused task"), std::nullopt,
                facts.next.value_or(facts.reason.value_or(QString()))};
    }
    if (state == u"active" && provider == u"claude" && stringAt(run, u"capability") == u"live_hook") {
        return {11, copy.text("Claude の会話を管理中", "Supervision enabled in Claude"),
                copy.text("元の会話で継続", "Continues in the original conversation"), next};
    }
    if (state == u"active" || state == u"auto_resuming") {
        if (run.value(u"sessionUnderstanding").isObject()) {
            return {12, copy.text("この会話を続けています", "Continuing this conversation"),
                    copy.text("継続中", "Continuing") +
                        (fixtureMode ? copy.text(" · サンプル", " · sample") : QString()),
                    next};
        }
        return {13, copy.text("継続を見守っています", "Monitoring continuation"), std::nullopt, next};
    }
    if (facts.isDone) {
        return {14, copy.text("タスクが完了しました", "Task completed"), std::nullopt, next};
    }
    const QString headline = facts.question.value_or(
        facts.manualRecovery ? copy.text("元の会話での対応が必要です", "Continue in the original conversation")
                             : copy.text("次の判断が必要です", "A decision is needed"));
    return {15, headline, std::nullopt, next};
}

QString manualRecoveryNote(const DeliveryRunFacts& facts, const Copy& copy) {
    return facts.providerSessionEnded
               ? copy.text("管理を停止し、対応する新しい会話を選んでください。",
                           "Stop supervision and choose a new supported conversation.")
               : copy.text("元の会話で手動で再開してください。", "Resume manually in the original conversation.");
}
