#pragma once

#include "delivery/DeliveryRecords.h"
#include "ui/Copy.h"
#include "ui/Tone.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

// The selected run's pane as one value: what every line, badge, button and picker of the pane shows, decided from
// the run record, its conversation and the pane's own memory. The controller applies it with typed setters and
// keeps the `memory` it returns for the next render.

// The conversation a run continues, as the sessions area reads it.
struct RunSessionFacts {
    QJsonObject record;             // the first conversation with the run's provider and session id
    bool turnRunning = false;       // sessionTurnRunning(record)
    bool autoContinueShown = false; // autoContinuePresentation(record) exists ...
    QString autoContinueStatus;     // ... and gives these three texts
    QString autoContinueTitle;
    QString autoContinueReason;
};

// What the pane remembers between renders.
struct RunPaneMemory {
    QString selectedIdentity; // the run presented last; empty after the empty state
    bool detailsOpen = false;
    bool settingsOpen = false;
    QString policySelectionIdentity; // run and policy the policy picker was last positioned for
    QString lastShownPolicy;
    std::optional<QString> pickedPolicy; // value behind the policy picker's selected item; none: nothing selected
    QList<PendingCriterion> criteria;    // behind the criterion picker's items
    qsizetype criterionIndex = -1;       // the criterion picker's selected index
};

struct RunPresentationInput {
    QJsonObject run;
    std::optional<RunSessionFacts> session;
    RunPaneMemory memory;
    bool fixtureMode = false;
    bool connected = false;
};

struct ButtonState {
    bool enabled = false;
    bool visible = false;
};

struct RunPresentation {
    int situation = 0;       // the row of the situation chain that matched (1-15); 0 in the empty state
    bool runChanged = false; // another run than last time; the disclosures were closed
    RunPaneMemory memory;    // to keep for the next render

    bool previewBadgeVisible = false;
    bool controlsVisible = false;
    QString state; // the run's "state"

    QString headline;
    QString badge;
    bool attentionStyle = false; // styleAttention(on)
    Tone badgeTone = Tone::neutral;
    QString goal; // the goal, progress and attention lines stay hidden in a run render
    bool goalVisible = false;
    QString progress;
    bool progressVisible = false;
    QString attention;
    bool attentionVisible = false;
    QString summary;
    bool summaryVisible = false;
    QString next;
    bool nextVisible = false;

    QString primaryTitle;
    bool primaryEnabled = false;
    bool primaryVisible = false;   // a disabled primary button is never shown
    bool primaryAttention = false; // tintPrimaryTitle(button, attention)

    bool policyPickerEnabled = false;
    std::optional<QString> policySelection; // item to select; none: no item selected
    bool policyApplyEnabled = false;

    QList<PendingCriterion> criteria; // the criterion picker's items ...
    qsizetype criterionIndex = -1;    // ... and its selection
    bool criterionPickerVisible = false;
    ButtonState verify;

    // The approve button's visibility is the pane's own and never changed here; only its enabled state is.
    ButtonState pause;
    ButtonState resume;
    bool approveEnabled = false;
    ButtonState reject;
    ButtonState replan;
    bool replanAttentionTint = false; // Theme.attentionInk when enabled, Theme.secondary otherwise
    ButtonState stop;

    bool detailsGroupVisible = false;
    bool settingsGroupVisible = false;
    bool compactSessionDetails = false;     // the details body shows the conversation's compact summary instead
    bool hideOriginalSessionButton = false; // hide it after showOriginalNavigation, and let the row follow
};

RunPresentation deliveryRunPresentation(const RunPresentationInput& input, const Copy& copy);
