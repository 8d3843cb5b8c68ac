#include "HookRelay.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// The service keeps at most this much of one event; the rest of a larger input is read and dropped so the
// provider never sees a broken pipe.
constexpr size_t kMaxEventBytes = 1024 * 1024;
// The whole relay, reading included, ends within this time even if the provider keeps its end open.
constexpr auto kDeadline = std::chrono::milliseconds(500);

int millisecondsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Standard input up to its end, the cap or the deadline. Each read waits in poll() first, so the descriptor
// (shared with whoever started the relay, a terminal even) keeps its own flags.
std::string readInput(Clock::time_point deadline) {
    std::string input;
    char buffer[65536];
    for (;;) {
        pollfd readable{STDIN_FILENO, POLLIN, 0};
        const int timeout = millisecondsLeft(deadline);
        const int ready = timeout == 0 ? 0 : ::poll(&readable, 1, timeout);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            break;
        }
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        if (input.size() < kMaxEventBytes) {
            input.append(buffer, std::min(static_cast<size_t>(n), kMaxEventBytes - input.size()));
        }
    }
    return input;
}

// Sends the whole message or gives up at the deadline; a service that is not there costs one failed connect.
void send(const std::string& socketPath, const std::string& message, Clock::time_point deadline) {
    sockaddr_un address{};
    if (socketPath.size() >= sizeof address.sun_path) {
        return;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return;
    }
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        size_t sent = 0;
        while (sent < message.size()) {
            const ssize_t n = ::send(fd, message.data() + sent, message.size() - sent, MSG_NOSIGNAL);
            if (n > 0) {
                sent += static_cast<size_t>(n);
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR) {
                break;
            }
            pollfd writable{fd, POLLOUT, 0};
            const int timeout = millisecondsLeft(deadline);
            if (timeout == 0 || ::poll(&writable, 1, timeout) <= 0) {
                break;
            }
        }
    }
    ::close(fd);
}

} // namespace

int relayHookEvent(const char* provider, const char* home) {
    const std::string name = provider ? provider : "";
    const std::string folder = home ? home : "";
    const auto deadline = Clock::now() + kDeadline;
    std::string message = readInput(deadline);
    if ((name == "claude" || name == "codex") && !folder.empty() && folder[0] == '/' && !message.empty()) {
        message.insert(0, name + "\n");
        send(folder + "/run/hooks/relay.sock", message, deadline);
    }
    return 0;
}
