#pragma once

#include "sessions/records/SessionRecords.h"
#include "ui/Copy.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

// The way back to a conversation in its provider's own application. Only a verified Codex thread link built
// from the session id is ever opened; anything else explains how to return by hand. Opening approves nothing.

// "codex://threads/<session>" when the target is a verified "url" whose link is exactly that and the session id
// is a UUID (either case); absent otherwise.
std::optional<QUrl> exactCodexThreadURL(const QJsonObject& target, const QString& session);

struct OriginalNavigationButton {
    bool visible = false;
    QString title;
    QString toolTip;
};

// The run pane's button for `record` (a session or a run; absent for the empty state, which hides it).
OriginalNavigationButton originalNavigationButton(const std::optional<QJsonObject>& record, bool fixtureMode,
                                                  const Copy& copy);

// The record the button opens: the selected conversation unless it is managed, else the selected run.
std::optional<QJsonObject> originalConversationRecord(const std::optional<QJsonObject>& conversation,
                                                      const std::optional<QJsonObject>& run);

struct OriginalConversationOpening {
    enum class Step {
        nothing, // no record, or it names no conversation
        preview, // show `alert` only
        open,    // open `link` when there is one; when there is none or opening fails, show `alert`
    };
    Step step = Step::nothing;
    std::optional<QUrl> link;
    SessionAlert alert;
};

OriginalConversationOpening originalConversationOpening(const std::optional<QJsonObject>& record, bool fixtureMode,
                                                        const Copy& copy);
