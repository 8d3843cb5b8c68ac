#include "app/QuitSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kQuitSignals[] = {SIGTERM, SIGINT, SIGHUP};

volatile sig_atomic_t g_wakeFd = -1;

extern "C" void wakeMainLoop(int) {
    const int saved = errno;
    const char byte = 1;
    // A full pipe already holds a wake-up, so a failed write loses nothing.
    [[maybe_unused]] const ssize_t written = ::write(g_wakeFd, &byte, 1);
    errno = saved;
}

} // namespace

QuitSignals::QuitSignals(std::function<void()> onQuitRequest, QObject* parent)
    : QObject(parent), m_onQuitRequest(std::move(onQuitRequest)) {
    int ends[2] = {-1, -1};
    if (g_wakeFd != -1 || ::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    m_readEnd = ends[0];
    m_writeEnd = ends[1];
    g_wakeFd = m_writeEnd;
    m_notifier = new QSocketNotifier(m_readEnd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { drain(); });

    struct sigaction action = {};
    action.sa_handler = wakeMainLoop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int index = 0; index < 3; ++index) {
        ::sigaction(kQuitSignals[index], &action, &m_previous[index]);
    }
}

QuitSignals::~QuitSignals() {
    if (!m_notifier) {
        return;
    }
    for (int index = 0; index < 3; ++index) {
        ::sigaction(kQuitSignals[index], &m_previous[index], nullptr);
    }
    g_wakeFd = -1;
    delete m_notifier;
    ::close(m_writeEnd);
    ::close(m_readEnd);
}

void QuitSignals::drain() {
    char bytes[64];
    bool requested = false;
    while (::read(m_readEnd, bytes, sizeof bytes) > 0) {
        requested = true; // several signals in a row are one request
    }
    if (requested && m_onQuitRequest) {
        m_onQuitRequest();
    }
}
