#pragma once

#include "delivery/RunPresentation.h"
#include "sessions/home/HomeView.h"
#include "sessions/original/OriginalConversation.h"

// Commands about one run still waiting for their result; their buttons stay disabled until then.
struct RunCommandsInFlight {
    bool actions = false; // pause, resume, approve, reject, replan, stop
    bool policy = false;
    bool verify = false;
    bool dependency = false; // the primary button's dependency answer
    bool any() const { return actions || policy || verify || dependency; }
};

// The run's part of the Sessions home: its presentation with the way back, the details tabs (hidden while the
// details body holds the conversation's compact summary) and the buttons of commands in flight disabled.
HomeView runHomeView(const RunPresentation& p, const OriginalNavigationButton& original, bool compactDetails,
                     int detailsTab, const RunCommandsInFlight& inFlight);
