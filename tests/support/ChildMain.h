#pragma once

#include <QStringList>

#include <functional>
#include <optional>

namespace vesk::test {

// A second entry point of a test executable, for a test that needs a child process of
// its own (a writer to kill in the middle of its work, say). The shared main runs it,
// instead of the tests, when the executable is started with childArguments(name); it
// is no test, so every listed test still runs.
bool registerChildMain(const char* name, std::function<int()> main);
QStringList childArguments(const char* name);
// The exit status of the child named in `arguments`, or nothing when none is named.
std::optional<int> runChildMain(const QStringList& arguments);

} // namespace vesk::test

// VESK_TEST_CHILD(writer) { ...; return 0; }
#define VESK_TEST_CHILD(name)                                                                                \
    static int name##ChildMain();                                                                            \
    [[maybe_unused]] static const bool name##ChildRegistered =                                               \
        ::vesk::test::registerChildMain(#name, &name##ChildMain);                                            \
    static int name##ChildMain()
