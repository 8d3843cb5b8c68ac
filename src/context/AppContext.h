#pragma once

#include "context/CommandSink.h"
#include "context/Feedback.h"
#include "context/LinkState.h"

#include <QPointer>
#include <QWidget>

class Platform;
struct Copy;

// What every area may use, handed over at construction. Keep it this small: an area that needs more from another
// one asks for it by a signal.
struct AppContext {
    Platform& platform;
    const Copy& copy;
    CommandSink& commands;
    const LinkState& link;
    Feedback& feedback;
    QPointer<QWidget> window; // alerts and sheets attach here; set once the window is built
};

// Sends `action` without fields; a failure puts the host's message (or a fixed text) in the footer.
void runAction(const AppContext& context, const QString& action, bool force = false,
               std::function<void(bool ok)> completion = {});
