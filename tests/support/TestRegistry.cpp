#include "TestRegistry.h"

#include <QApplication>
#include <QTest>

#include <cstdio>
#include <utility>
#include <vector>

namespace {

std::vector<std::pair<const char*, TestRegistry::Factory>>& entries() {
    static std::vector<std::pair<const char*, TestRegistry::Factory>> list;
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
    for (const auto& [name, factory] : entries()) {
        if (only.isEmpty() || only == name) {
            failures += QTest::qExec(factory().get(), argc, argv);
        }
    }
    return failures == 0 ? 0 : 1;
}

int main(int argc, char** argv) {
    return TestRegistry::runAll(argc, argv);
}
