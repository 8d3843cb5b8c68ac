#pragma once

#include "AreaHarness.h"
#include "sessions/ActionAssociationArea.h"
#include "sessions/OriginalNavigation.h"
#include "sessions/RunPresenter.h"
#include "sessions/SessionsController.h"
#include "sessions/SupervisionHome.h"
#include "sessions/SupervisionModel.h"
#include "sessions/UnderstandingPanel.h"

#include <QStringList>

// The run area as the conversation view sees it: what it was asked to select and draw.
class RecordingRunPresenter final : public RunPresenter {
public:
    void selectDeliveryRun(const QString& identity) override { selected.append(identity); }
    void renderSelectedDeliveryRun() override { ++renders; }
    void hideRunControls() override { ++hides; }

    QStringList selected;
    int renders = 0;
    int hides = 0;
};

// The conversation area on its own: the sidebar's search field and list, the Sessions home with the conversation
// pane, and the components it draws through. No host: the test completes the commands.
struct SessionsArea {
    explicit SessionsArea(const QStringList& languages = {QStringLiteral("en-US")});

    // A snapshot with these session records (JSON array text) while these runs are listed; connected unless told.
    void render(const QString& sessions, const QString& runs = QStringLiteral("[]"));
    void renderStatus(const QJsonObject& status);

    // The table as the user reads it: a heading as its text, a conversation as its title; "|" between rows.
    QString rows() const;
    // The selected row's title, or empty.
    QString selectedTitle() const;
    // Clicks the row whose title is `title`.
    void select(const QString& title);
    // The commands sent so far with this action.
    QList<RecordingCommandSink::Command> sent(const QString& action) const;

    template <typename T> T* view(const char* name) const { return harness.view<T>(name); }

    AreaHarness harness;
    SupervisionModel model;
    SupervisionHome home;
    RecordingRunPresenter runs;
    UnderstandingPanel understanding;
    ActionAssociationArea association;
    OriginalNavigation original;
    SessionsController sessions;
};
