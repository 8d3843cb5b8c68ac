#pragma once

#include "Harness.h"

#include <QTemporaryDir>

// The reference host (companion/) started under a harness with a chosen scenario file, its live timeline off and
// short steps, in an installation home of its own.
class ReferenceHost {
public:
    struct Options {
        QString scenario;          // a path; empty plays the demo scenario of the source tree
        QString faults;            // VODU_HOST_FAULT: how the host misbehaves ("silent", "crash-after=3" ...)
        QString home;              // an installation home shared with another host; empty: one of its own
        bool waitForStatus = true; // else ready once the host runs
    };

    explicit ReferenceHost(Harness& harness, const QString& scenario = {});
    ReferenceHost(Harness& harness, const Options& options);

    // True once the host runs and, unless told otherwise, its first status was drawn.
    bool ready() const { return m_ready; }
    QString home() const { return m_home.path(); }

private:
    TestBundle m_bundle{TestBundle::ReferenceHost{}};
    QTemporaryDir m_home;
    bool m_ready = false;
};
