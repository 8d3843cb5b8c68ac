#pragma once

#include "AreaHarness.h"
#include "SessionJson.h"
#include "model/RecordIdentity.h"
#include "sessions/association/ActionAssociationArea.h"
#include "sessions/conversation/SessionsController.h"
#include "sessions/home/RunPresenter.h"
#include "sessions/home/SupervisionHome.h"
#include "sessions/home/SupervisionModel.h"
#include "sessions/original/OriginalNavigation.h"
#include "sessions/understanding/UnderstandingPanel.h"

// The run area as the Sessions home sees it: the runs it was asked to present and the run its picker mirrors.
class RecordingRunPresenter final : public RunPresenter {
public:
    HomeView presentRun(const QJsonObject& run) override {
        presented.append(deliveryIdentity(run));
        HomeView view;
        view.controls.visible = true;
        return view;
    }
    void mirrorRunSelection(const QString& runIdentity) override { mirrored = runIdentity; }

    QStringList presented;
    QString mirrored;
};

// The conversation area on its own: the sidebar's search field and list, the Sessions home with the conversation
// pane, and the components it draws through. No host: the test completes the commands.
struct SessionsArea {
    SessionsArea();

    // A snapshot with these session records (JSON array text) while these runs are listed.
    void render(const QString& sessions, const QString& runs = QStringLiteral("[]"));
    // The list as the user reads it: a heading as its text, a conversation as its title; "|" between rows.
    QString rows() const;
    QString selectedTitle() const;
    void select(const QString& title);
    // The commands sent so far with this action.
    QList<RecordingCommandSink::Command> sent(const QString& action) const;
    template <typename T> T* view(const char* name) const { return harness.view<T>(name); }
    QString text(const char* name) const; // a label's or a button's
    bool shown(const char* name) const { return !view<QWidget>(name)->isHidden(); }

    AreaHarness harness;
    SupervisionModel model;
    SupervisionHome home;
    RecordingRunPresenter runs;
    UnderstandingPanel understanding;
    ActionAssociationArea association;
    OriginalNavigation original;
    SessionsController sessions;
};
