#pragma once

#include <QObject>

#include <functional>
#include <memory>

// Every test class of an area registers itself here; the area's one executable runs them all.
namespace TestRegistry {
using Factory = std::function<std::unique_ptr<QObject>()>;
int add(const char* name, Factory factory);
int runAll(int argc, char** argv);
} // namespace TestRegistry

#define VODU_TEST_SUITE(Class)                                                                                         \
    namespace {                                                                                                        \
    [[maybe_unused]] const int registered##Class =                                                                     \
        TestRegistry::add(#Class, [] { return std::make_unique<Class>(); });                                           \
    }
