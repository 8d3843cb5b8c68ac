#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the Sessions home shows, as one value: every line, badge, button and picker of the pane, and which of its
// components are drawn. `SupervisionHome::apply` is the only code that writes these views.

// A line of the headline area; a hidden line takes no room.
struct HomeLine {
    QString text;
    bool visible = false;
    friend bool operator==(const HomeLine&, const HomeLine&) = default;
};

struct HomeButton {
    QString title;
    bool enabled = false;
    bool visible = false;
    friend bool operator==(const HomeButton&, const HomeButton&) = default;
};

// The run's controls below the headline area: the criterion, the answers to the run, the two disclosures.
struct RunControlsView {
    bool visible = false;
    HomeButton verify;
    HomeButton pause;
    HomeButton resume;
    bool approveEnabled = false; // approve stays hidden: "Review request" offers it
    HomeButton reject;
    HomeButton replan;
    bool replanAttention = false; // tinted with the attention ink while it may be pressed
    HomeButton stop;
    bool policyPickerEnabled = false;
    std::optional<QString> policySelection; // the policy picker's item; none: no item selected
    bool policyApplyEnabled = false;
    QStringList criteria; // the criterion picker's items ...
    qsizetype criterionIndex = -1;
    bool criterionPickerVisible = false;
    bool detailsOpen = false;
    bool settingsOpen = false;
    bool detailsTabsVisible = true;
    int detailsTab = 0;
    friend bool operator==(const RunControlsView&, const RunControlsView&) = default;
};

struct HomeView {
    // The header: whose conversation (or which run) the pane shows.
    QString headerTitle;
    QString headerProvider;
    bool previewBadgeVisible = false;

    bool stateBadgeVisible = false;
    QString stateBadge;
    bool attentionStyle = false; // the attention banner and the badge in the attention colours
    bool sessionStatusVisible = false;
    QString sessionEyeline;
    bool sessionNeedsYou = false;

    int headlineLines = 1;
    HomeLine headline;
    HomeLine goal;
    HomeLine progress;
    HomeLine summary;
    HomeLine attention;
    HomeLine next;

    HomeButton primary;
    bool primaryAttention = false;
    HomeButton original; // the way back to the original conversation
    QString originalToolTip;
    bool startManagedVisible = false; // "Provider setup" while the service lists no conversation

    RunControlsView controls;

    // The feedback line: what the last command about the shown selection reported.
    HomeLine feedback;
    bool feedbackFailure = false;

    // Components below the headline area; the ones hidden here are not drawn at all.
    bool understandingVisible = false;
    bool conversationFormVisible = false;
    bool contextRowVisible = false;

    friend bool operator==(const HomeView&, const HomeView&) = default;
};
