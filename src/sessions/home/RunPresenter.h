#pragma once

#include "sessions/home/HomeView.h"

#include <QJsonObject>
#include <QString>

// How the Sessions home reaches the run area: a selected run is presented through it.
class RunPresenter {
public:
    RunPresenter() = default;
    virtual ~RunPresenter() = default;
    RunPresenter(const RunPresenter&) = delete;
    RunPresenter& operator=(const RunPresenter&) = delete;

    // The run's part of the Sessions home (lines, badge, primary button, controls, the way back); the run area
    // draws the details sections it owns on the way.
    virtual HomeView presentRun(const QJsonObject& run) = 0;
    // The settings sheet's run picker shows this run; empty: no item.
    virtual void mirrorRunSelection(const QString& runIdentity) = 0;
};
