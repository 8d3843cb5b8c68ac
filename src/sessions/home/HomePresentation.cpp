#include "sessions/home/HomePresentation.h"

#include "model/SnapshotReading.h"
#include "model/TextSafety.h"
#include "sessions/conversation/SessionPresentation.h"
#include "sessions/records/SessionRecords.h"

namespace {

HomeLine shownWhenSet(const QString& text) {
    return {text, !text.isEmpty()};
}

// A run without a conversation in the list says itself which run it is: its objective, else provider and id.
QString runHeaderTitle(const QJsonObject& run) {
    return cleanLabel(safeMessage(stringAt(run, u"objective"), kShortTextLimit)).value_or(sessionDisplayTitle(run));
}

void presentRun(HomeView& view, const HomeInput& input, const Copy& copy) {
    view = *input.runView;
    view.headlineLines = 3;
    view.previewBadgeVisible = input.fixtureMode;
    if (!input.conversation) {
        view.headerTitle = runHeaderTitle(*input.run);
        view.headerProvider = providerDisplayName(*input.run);
        return;
    }
    view.headerTitle = sessionDisplayTitle(*input.conversation);
    view.headerProvider = providerDisplayName(*input.conversation);
    view.contextRowVisible = true;
    const SessionPanePresentation pane = sessionPanePresentation(*input.conversation, input.runs, copy);
    if (pane.takeover) {
        // The run is not steered while the original conversation may still write.
        view.headlineLines = pane.headlineLines;
        view.headline = shownWhenSet(pane.headline);
        view.stateBadge = pane.badge;
        view.stateBadgeVisible = true;
        view.attention = shownWhenSet(pane.attention);
        view.next = shownWhenSet(pane.next);
        view.primary.visible = false;
    }
}

void presentConversation(HomeView& view, const HomeInput& input, const Copy& copy) {
    const QJsonObject& record = *input.conversation;
    view.headerTitle = sessionDisplayTitle(record);
    view.headerProvider = providerDisplayName(record);
    view.contextRowVisible = true;
    const SessionPanePresentation pane = sessionPanePresentation(record, input.runs, copy);
    if (pane.kind != SessionPaneKind::conversation) {
        view.stateBadge = pane.badge;
        view.stateBadgeVisible = true;
        view.headlineLines = pane.headlineLines;
        view.headline = shownWhenSet(pane.headline);
        view.goal = shownWhenSet(pane.goal.value_or(QString()));
        view.attention = shownWhenSet(pane.attention);
        view.next = shownWhenSet(pane.next);
        return;
    }
    const SessionConversationPresentation conversation =
        sessionConversationPresentation(record, input.manualOpen, input.reachable, copy);
    view.stateBadge = conversation.badge; // kept hidden: the eyeline says it
    view.sessionStatusVisible = true;
    view.sessionEyeline = conversation.eyeline;
    view.sessionNeedsYou = conversation.needsYou;
    view.conversationFormVisible = true;
}

void presentNothing(HomeView& view, const HomeInput& input, const Copy& copy) {
    const SessionEmptyState empty = sessionEmptyState(input.discoveryMessage, copy);
    view.headerTitle = empty.title;
    view.stateBadgeVisible = true;
    if (input.notice == HomeLinkNotice::disconnected) {
        view.stateBadge = copy.text("未接続", "Disconnected");
        view.headline = {copy.text("状態を取得できません", "Status unavailable"), true};
        view.next = shownWhenSet(input.disconnectedMessage);
        return;
    }
    view.stateBadge = empty.badge;
    view.headlineLines = 3;
    view.headline = shownWhenSet(empty.headline);
    view.next = shownWhenSet(empty.next);
}

} // namespace

HomeView supervisionHomeView(const HomeInput& input, const Copy& copy) {
    HomeView view;
    if (input.run && input.runView) {
        presentRun(view, input, copy);
    } else if (input.conversation) {
        presentConversation(view, input, copy);
    } else {
        presentNothing(view, input, copy);
    }
    if (input.notice == HomeLinkNotice::waiting) {
        view.stateBadge = copy.text("接続中…", "Connecting…");
        view.stateBadgeVisible = true;
        view.attentionStyle = false;
        view.headline = {copy.text("管理中の作業を確認中…", "Checking managed work…"), true};
        view.goal = {};
        view.progress = {};
        view.summary = {};
        view.attention = {};
        view.next = {copy.text("サービスから状態を取得しています。", "Waiting for service status."), true};
        view.primary.visible = false;
        view.controls.visible = false;
        view.understandingVisible = false;
    }
    view.startManagedVisible = input.listEmpty;
    // Always shown: an empty line takes no room, and a line shown once is never left hidden under a new text.
    view.feedback = {input.feedback, true};
    view.feedbackFailure = input.feedbackFailure && !input.feedback.isEmpty();
    return view;
}
