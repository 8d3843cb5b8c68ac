// Contents/MacOS/vodu: starts the local service for the desktop app by replacing itself with the bundled runtime
// (no shell in between, so the service is up sooner), hands the installer step of an update to its script, or
// relays a provider's hook event to the service. Deliberately without Qt: it only finds its bundle and execs.
#include "HookRelay.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The bundle's Contents folder: two levels above this executable's resolved path (Contents/MacOS/vodu).
std::string contentsFolder() {
    std::vector<char> path(PATH_MAX + 1);
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), PATH_MAX);
    if (length <= 0) {
        return {};
    }
    std::string self(path.data(), static_cast<size_t>(length));
    for (int level = 0; level < 2; ++level) {
        const size_t slash = self.rfind('/');
        if (slash == std::string::npos || slash == 0) {
            return {};
        }
        self.resize(slash);
    }
    return self;
}

int execute(const std::string& program, std::vector<std::string> arguments) {
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    std::fprintf(stderr, "vodu: cannot start %s: %s\n", program.c_str(), std::strerror(errno));
    return 127;
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "--hook-relay") {
        return relayHookEvent(argc > 2 ? argv[2] : nullptr, argc > 3 ? argv[3] : nullptr);
    }
    if (command != "--desktop-host" && command != "--install-selected-desktop") {
        std::fprintf(stderr, "usage: vodu --desktop-host | vodu --install-selected-desktop PID\n");
        return 2;
    }
    const std::string contents = contentsFolder();
    if (contents.empty()) {
        std::fprintf(stderr, "vodu: cannot tell where the app is installed\n");
        return 1;
    }
    if (command == "--desktop-host") {
        const std::string runtime = contents + "/Resources/runtime/bin/node";
        std::vector<std::string> arguments{runtime, contents + "/Resources/cli/src/desktop-host.js"};
        arguments.insert(arguments.end(), argv + 1, argv + argc);
        return execute(runtime, std::move(arguments));
    }
    std::vector<std::string> arguments{"/bin/sh", contents + "/Resources/install-selected-desktop.sh"};
    arguments.insert(arguments.end(), argv + 1, argv + argc);
    return execute("/bin/sh", std::move(arguments));
}
