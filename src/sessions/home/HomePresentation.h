#pragma once

#include "sessions/home/HomeView.h"
#include "ui/Copy.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

// What the link lets the pane say before or instead of a snapshot.
enum class HomeLinkNotice {
    none,         // a snapshot (or preview data) is shown
    waiting,      // the service is starting: its texts replace the headline area
    disconnected, // no status can be had: its texts show while nothing is selected
};

// The feedback line as its owner keeps it: about one subject (a run or a conversation identity).
struct HomeFeedback {
    QString subject;
    QString text;
    bool failure = false;
    friend bool operator==(const HomeFeedback&, const HomeFeedback&) = default;
};

struct HomeInput {
    HomeLinkNotice notice = HomeLinkNotice::none;
    QString disconnectedMessage;
    bool fixtureMode = false;
    bool reachable = false; // connected, or preview
    bool listEmpty = true;  // the service lists no conversation at all
    QString discoveryMessage;
    QList<QJsonObject> runs;
    std::optional<QJsonObject> conversation; // the selected conversation
    std::optional<QJsonObject> run;          // the selected run ...
    std::optional<HomeView> runView;         // ... as the run area presents it
    bool manualOpen = false;                 // the conversation form's manual goal is open
    QString feedback;                        // the line for the shown selection
    bool feedbackFailure = false;
};

// The Sessions home for one moment: the empty state, a conversation's placeholder or view, or a run (under its
// conversation's name, or under its own when the list has no conversation for it) with a pending takeover folded
// in; the link's notices and the feedback line on top.
HomeView supervisionHomeView(const HomeInput& input, const Copy& copy);
