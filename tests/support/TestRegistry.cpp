#include "TestRegistry.h"

#include <QApplication>
#include <QTest>

#include <cstdio>
#include <vector>

namespace {

struct Entry {
    const char* name;
    TestRegistry::Factory factory;
};

std::vector<Entry>& entries() {
    static std::vector<Entry> list;
    return list;
}

} // namespace

int TestRegistry::add(const char* name, Factory factory) {
    entries().push_back({name, std::move(factory)});
    return static_cast<int>(entries().size());
}

// Runs every registered class; VODU_TEST_SUITE=<Class> limits the run to one class, and further arguments go to
// QTest (for example a single test function name).
int TestRegistry::runAll(int argc, char** argv) {
    QApplication application(argc, argv);
    const QByteArray only = qgetenv("VODU_TEST_SUITE");
    int failures = 0;
    for (const Entry& entry : entries()) {
        if (!only.isEmpty() && only != entry.name) {
            continue;
        }
        std::unique_ptr<QObject> suite = entry.factory();
        failures += QTest::qExec(suite.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}

int main(int argc, char** argv) {
    return TestRegistry::runAll(argc, argv);
}
