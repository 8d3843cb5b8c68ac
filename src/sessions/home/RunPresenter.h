#pragma once

#include <QString>

// How the conversation view reaches the run area: a managed conversation is drawn as its run.
class RunPresenter {
public:
    RunPresenter() = default;
    virtual ~RunPresenter() = default;
    RunPresenter(const RunPresenter&) = delete;
    RunPresenter& operator=(const RunPresenter&) = delete;

    // The run picker selects the run with this identity ("provider|session|taskId"), when it lists one.
    virtual void selectDeliveryRun(const QString& identity) = 0;
    // Draws the selected run into the Sessions home.
    virtual void renderSelectedDeliveryRun() = 0;
    // Hides the run controls and groups (a conversation without a managed run is shown).
    virtual void hideRunControls() = 0;
};
