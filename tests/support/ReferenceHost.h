#pragma once

#include "Harness.h"

#include <QTemporaryDir>

// The reference host (companion/) started under a harness with a chosen scenario file, its live timeline off and
// short steps, in an installation home of its own.
class ReferenceHost {
public:
    // `scenario`: a path; empty plays the demo scenario of the source tree.
    explicit ReferenceHost(Harness& harness, const QString& scenario = {});

    // True once the host runs and its first status was drawn.
    bool ready() const { return m_ready; }

private:
    TestBundle m_bundle{TestBundle::ReferenceHost{}};
    QTemporaryDir m_home;
    bool m_ready = false;
};
