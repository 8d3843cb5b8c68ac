#include "delivery/RunPresentation.h"

#include "delivery/RunSituation.h"
#include "model/RecordIdentity.h"
#include "model/SnapshotReading.h"
#include "model/TextSafety.h"
#include "sessions/understanding/Understanding.h"

namespace {

// The criterion picker keeps its selection by id across refills; a refilled picker otherwise selects its first item.
qsizetype criterionToSelect(const RunPaneMemory& before, const QList<PendingCriterion>& criteria) {
    if (before.criterionIndex >= 0 && before.criterionIndex < before.criteria.size()) {
        const QString& remembered = before.criteria.at(before.criterionIndex).id;
        for (qsizetype index = 0; index < criteria.size(); ++index) {
            if (criteria.at(index).id == remembered) {
                return index;
            }
        }
    }
    return criteria.isEmpty() ? -1 : 0;
}

} // namespace

RunPresentation deliveryRunPresentation(const RunPresentationInput& input, const Copy& copy) {
    const QJsonObject& run = input.run;
    const DeliveryRunFacts facts = deliveryRunFacts(run);
    const bool fixture = input.fixtureMode;
    RunPresentation p;
    p.previewBadgeVisible = fixture;
    p.state = facts.state;
    p.memory = input.memory;
    RunPaneMemory& memory = p.memory;

    // Another run: its disclosures start closed.
    const QString identity = deliveryIdentity(run);
    if (identity != memory.selectedIdentity) {
        p.runChanged = true;
        memory.detailsOpen = false;
        memory.settingsOpen = false;
    }
    p.controlsVisible = true;
    p.primaryVisible = true;
    memory.selectedIdentity = identity;

    // A policy picked but not applied survives re-renders of the same run while the host reports the same policy.
    // A picker with nothing selected holds no pick of the user's, so it follows the host too.
    const QString runPolicy = stringAt(run, u"autonomyPolicy").value_or(QString());
    if (memory.policySelectionIdentity != identity || !memory.pickedPolicy ||
        *memory.pickedPolicy == memory.lastShownPolicy) {
        memory.pickedPolicy = isAutonomyPolicy(runPolicy) ? std::optional<QString>(runPolicy) : std::nullopt;
    }
    memory.policySelectionIdentity = identity;
    memory.lastShownPolicy = runPolicy;
    p.policySelection = memory.pickedPolicy;

    // The chain, then the manual recovery note.
    p.badge = deliveryStateName(facts.state, copy);
    const RunSituation situation = runSituation(run, facts, fixture, copy);
    p.situation = situation.row;
    p.headline = situation.headline;
    p.badge = situation.badge.value_or(p.badge);
    p.next = situation.next;
    if (facts.manualRecovery && !p.next.contains(copy.text("元の会話", "original conversation"))) {
        p.next += (p.next.isEmpty() ? QString() : QStringLiteral("\n")) + manualRecoveryNote(facts, copy);
    }

    const bool hasUnderstanding = run.value(u"sessionUnderstanding").isObject();
    const QJsonObject sessionRecord = input.session ? input.session->record : QJsonObject();
    p.nextVisible = hasUnderstanding && understandingVisible(run, sessionRecord) ? false : !p.next.isEmpty();

    // Attention and summary.
    const bool attention = facts.approvalPending || stringAt(run, u"phase") == u"needs_clarification" ||
                           facts.state == u"verification_pending" || facts.handoff || facts.manualRecovery ||
                           (boolAt(run, u"needsAttention") && !facts.waitingForSession);
    if (facts.approvalPending) {
        p.attentionStyle = true;
        p.headline = copy.text("確認をお願いします", "Ready for your review");
        p.summary = copy.text("次の操作にはあなたの許可が必要です。まだ実行されていません。",
                              "The next action needs your permission. It has not been performed yet.");
    } else {
        p.attentionStyle = attention;
        if (facts.state == u"paused") {
            p.headline = copy.text("一時停止しています", "This conversation is paused");
            p.summary = copy.text("準備ができたら再開できます。", "You can pick this up whenever you’re ready.");
        } else if (facts.state == u"active" && !attention && !facts.waitingForSession) {
            p.headline = copy.text("VODU が続きを進めています", "VODU is taking care of it");
            p.summary = copy.text("今は操作不要です。判断が必要になったらお知らせします。",
                                  "No action needed. We’ll ask if a decision needs you.");
        }
    }
    p.badgeTone = p.attentionStyle ? Tone::warning : Tone::neutral;
    p.summaryVisible = !p.summary.isEmpty();

    // Primary button title.
    const bool canResume = boolAt(run, u"canResume");
    const bool canAct = !fixture && input.connected && boolAt(run, u"managed") &&
                        !stringAt(run, u"taskId").value_or(QString()).isEmpty();
    const bool resumeOffer = !facts.handoff && !facts.hasPendingApproval && !facts.waitingForSession;
    if (facts.depWait) {
        p.headline = copy.text("外部の依存条件を待機中", "Waiting for an external dependency");
        p.next =
            safeMessage(stringAt(objectAt(run, u"dependencyWait"), u"condition"), kShortTextLimit).value_or(QString());
        p.nextVisible = true;
        p.primaryTitle = copy.text("依存条件の完了を確認", "Confirm dependency ready");
    } else if (facts.approvalPending) {
        p.primaryTitle = copy.text("内容を確認", "Review request");
    } else if (facts.isRecovery) {
        p.primaryTitle = fixture ? copy.text("引き継ぎをプレビュー", "Preview handoff")
                                 : copy.text("Codex で続ける", "Continue in Codex");
    } else if (resumeOffer && canResume) {
        p.primaryTitle = copy.text("タスクを再開", "Resume task");
    } else {
        p.primaryTitle = copy.text("成功条件を検証", "Verify criterion");
    }
    p.primaryAttention = facts.approvalPending;

    // Policy controls.
    const bool policyEditable = canAct && boolAt(run, u"canSetPolicy");
    p.policyPickerEnabled = policyEditable;
    p.policyApplyEnabled = policyEditable && memory.pickedPolicy && isAutonomyPolicy(*memory.pickedPolicy) &&
                           *memory.pickedPolicy != runPolicy;

    // Manual criteria.
    const QList<PendingCriterion> criteria = pendingManualCriteria(run);
    memory.criterionIndex = criterionToSelect(input.memory, criteria);
    memory.criteria = criteria;
    p.criteria = criteria;
    p.criterionIndex = memory.criterionIndex;
    const bool showVerify = !criteria.isEmpty() && facts.state == u"verification_pending";
    p.primaryAttention = p.primaryAttention || showVerify;
    p.criterionPickerVisible = showVerify;
    p.verify = {canAct && !criteria.isEmpty(), showVerify};

    // Primary button enabled state; a disabled one is hidden.
    if (facts.depWait) {
        p.primaryEnabled = boolAt(run, u"canResolveDependency") && (canAct || fixture);
    } else if (facts.approvalPending) {
        p.primaryEnabled = canAct || fixture;
    } else if (facts.isRecovery) {
        p.primaryEnabled = fixture || (canAct && (canResume || showVerify));
    } else if (resumeOffer) {
        p.primaryEnabled = canAct && (canResume || showVerify);
    } else {
        p.primaryEnabled = canAct && showVerify;
    }
    p.primaryVisible = p.primaryEnabled;

    // Secondary buttons.
    const bool settingsOpen = memory.settingsOpen;
    p.pause.enabled = canAct && boolAt(run, u"canPause");
    p.pause.visible = settingsOpen && p.pause.enabled && !facts.hasPendingApproval;
    p.resume.enabled = canAct && canResume && !facts.depWait;
    p.resume.visible = false; // resuming is the primary button's offer
    p.approveEnabled = canAct && boolAt(run, u"canApprove") && facts.hasPendingApproval;
    p.reject.enabled = canAct && boolAt(run, u"canReject") && facts.hasPendingApproval;
    p.reject.visible = p.reject.enabled;
    p.replan.enabled = canAct && boolAt(run, u"canReplan");
    p.replan.visible = p.replan.enabled;
    p.replanAttentionTint = p.replan.enabled;
    p.stop.enabled = canAct && boolAt(run, u"canStop");
    p.stop.visible = settingsOpen && p.stop.enabled;
    p.detailsGroupVisible = memory.detailsOpen;
    p.settingsGroupVisible = settingsOpen;

    // Compact layer: one headline, one badge, one summary line.
    const bool turnRunning = input.session && input.session->turnRunning;
    if (turnRunning) {
        p.headline = copy.text("実行中", "Running");
        p.badge = p.headline;
        p.summary = copy.text("このターンが終わったら残りの作業を確認します。",
                              "We’ll check what remains when this turn finishes.");
        p.summaryVisible = true;
        p.nextVisible = false;
        p.resume.enabled = false;
        if (!facts.approvalPending && !showVerify) {
            p.primaryEnabled = false;
            p.primaryVisible = false;
        }
    } else if (facts.approvalPending) {
        p.headline = copy.text("あなたの判断が必要です", "Your decision needed");
        p.summary = facts.approvalScope.value_or(facts.approvalSummary.value_or(
            copy.text("元の会話で確認してください。", "Review the requested action in the original conversation.")));
        p.summaryVisible = true;
        p.nextVisible = false;
    } else if (facts.depWait) {
        p.summaryVisible = false;
    } else {
        if (!p.next.isEmpty()) {
            p.summary = p.next;
        }
        p.summaryVisible = !p.summary.isEmpty();
        p.nextVisible = false;
    }
    if (input.session) {
        const RunSessionFacts& session = *input.session;
        if (session.autoContinueShown && !attention && !facts.depWait) {
            p.headline = session.autoContinueTitle;
            p.badge = session.autoContinueStatus;
            p.summary = session.autoContinueReason;
            p.summaryVisible = true;
            p.nextVisible = false;
        }
        const QJsonValue autoContinue = session.record.value(u"autoContinue");
        if (autoContinue.isBool() && autoContinue.toBool() && !facts.depWait && !attention) {
            p.primaryEnabled = false;
            p.primaryVisible = false;
        }
        if (autoContinue.isBool()) {
            p.compactSessionDetails = true;
            p.hideOriginalSessionButton =
                !attention && stringAt(session.record, u"autoContinueStatus") != u"unavailable";
        }
    }
    return p;
}
