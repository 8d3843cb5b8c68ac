#pragma once

#include "sessions/list/NeedsYouNotices.h"

#include <QObject>

struct AppContext;
struct SupervisionModel;

// Tells the user, by desktop notification, when a conversation or run newly needs them: one notification per
// conversation, replaced when its reason changes; none in preview, none twice for the same state; at start-up one
// summary for what was already waiting. Without a notification service it asks for the tray's message instead.
class NeedsYouNotifier final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(NeedsYouNotifier)

public:
    NeedsYouNotifier(AppContext& context, const SupervisionModel& model, QObject* parent = nullptr);

    // After the conversations and runs of a snapshot were taken.
    void noteSnapshot();
    // The user opened this conversation or run in the window: its notification has done its work.
    void noteOpened(const QString& conversation, const QString& run);
    // The user's choice, kept for the next start.
    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }

Q_SIGNALS:
    // The notification service did not take it: show it some other way (the tray's message, else attention).
    void undelivered(const QString& title, const QString& body);

private:
    void show(const QString& key, const QString& title, const QString& body);

    AppContext& m_context;
    const SupervisionModel& m_model;
    NoticeHistory m_history;
    bool m_startUp = true;
    bool m_enabled = true;
};
