#include "delivery/RunHomeView.h"

namespace {

HomeButton button(const ButtonState& state, bool busy = false) {
    return {{}, state.enabled && !busy, state.visible};
}

} // namespace

HomeView runHomeView(const RunPresentation& p, const OriginalNavigationButton& original, bool compactDetails,
                     int detailsTab, const RunCommandsInFlight& inFlight) {
    HomeView view;
    view.previewBadgeVisible = p.previewBadgeVisible;
    view.stateBadge = p.badge;
    view.stateBadgeVisible = true;
    view.attentionStyle = p.attentionStyle;
    view.headline = {p.headline, true};
    view.goal = {p.goal, p.goalVisible};
    view.progress = {p.progress, p.progressVisible};
    view.summary = {p.summary, p.summaryVisible};
    view.attention = {p.attention, p.attentionVisible};
    view.next = {p.next, p.nextVisible};

    view.primary = {p.primaryTitle, p.primaryEnabled && !inFlight.dependency, p.primaryVisible};
    view.primaryAttention = p.primaryAttention;
    view.original = {original.title, true, original.visible && !p.hideOriginalSessionButton};
    view.originalToolTip = original.toolTip;

    RunControlsView& controls = view.controls;
    controls.visible = true;
    controls.verify = button(p.verify, inFlight.verify);
    controls.pause = button(p.pause, inFlight.actions);
    controls.resume = button(p.resume, inFlight.actions);
    controls.approveEnabled = p.approveEnabled && !inFlight.actions;
    controls.reject = button(p.reject, inFlight.actions);
    controls.replan = button(p.replan, inFlight.actions);
    controls.replanAttention = p.replanAttentionTint;
    controls.stop = button(p.stop, inFlight.actions);
    controls.policyPickerEnabled = p.policyPickerEnabled;
    controls.policySelection = p.policySelection;
    controls.policyApplyEnabled = p.policyApplyEnabled && !inFlight.policy;
    for (const PendingCriterion& criterion : p.criteria) {
        controls.criteria.append(criterion.title);
    }
    controls.criterionIndex = p.criterionIndex;
    controls.criterionPickerVisible = p.criterionPickerVisible;
    controls.detailsOpen = p.detailsGroupVisible;
    controls.settingsOpen = p.settingsGroupVisible;
    controls.detailsTabsVisible = !compactDetails;
    controls.detailsTab = detailsTab;

    // The compact summary stands in for the understanding panel too.
    view.understandingVisible = !compactDetails;
    return view;
}
