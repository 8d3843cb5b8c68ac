#pragma once

// How the conversation view reaches the run area: a managed conversation is drawn as its run.
class RunPresenter {
public:
    RunPresenter() = default;
    virtual ~RunPresenter() = default;
    RunPresenter(const RunPresenter&) = delete;
    RunPresenter& operator=(const RunPresenter&) = delete;

    // Draws the selected run into the Sessions home.
    virtual void renderSelectedDeliveryRun() = 0;
};
