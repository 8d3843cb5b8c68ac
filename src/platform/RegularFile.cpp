#include "platform/RegularFile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::optional<QByteArray> readRegularFile(const QString& path, qint64 maximumBytes) {
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer. The kind is checked on the open
    // descriptor, so a file swapped after a check cannot slip through.
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        return std::nullopt;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size > maximumBytes) {
        ::close(descriptor);
        return std::nullopt;
    }
    QByteArray bytes;
    char chunk[65536];
    for (;;) {
        const ssize_t count = ::read(descriptor, chunk, sizeof chunk);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0 || bytes.size() + count > maximumBytes) {
            ::close(descriptor);
            return std::nullopt; // unreadable, or grew past the limit while being read
        }
        if (count == 0) {
            break;
        }
        bytes.append(chunk, count);
    }
    ::close(descriptor);
    return bytes;
}
