#include "platform/PrivateFiles.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::optional<QString> PrivateFiles::ensureDirectory(const QString& path) {
    const QString clean = QDir::cleanPath(path);
    qsizetype from = clean.startsWith(QLatin1Char('/')) ? 1 : 0;
    while (from <= clean.size()) {
        qsizetype slash = clean.indexOf(QLatin1Char('/'), from);
        if (slash < 0) {
            slash = clean.size();
        }
        // Failures show in the check below.
        ::mkdir(QFile::encodeName(clean.left(slash)).constData(), 0700);
        from = slash + 1;
    }
    const QByteArray encoded = QFile::encodeName(clean);
    // Opened without following a link, so the checks and the mode change apply to the very folder found here.
    const int descriptor = ::open(encoded.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0) {
        return errno == ELOOP || errno == ENOTDIR ? QStringLiteral("%1 is a link or not a folder").arg(clean)
                                                  : QStringLiteral("%1 cannot be made").arg(clean);
    }
    struct stat status {};
    std::optional<QString> refusal;
    if (::fstat(descriptor, &status) != 0 || !S_ISDIR(status.st_mode)) {
        refusal = QStringLiteral("%1 is not a folder").arg(clean);
    } else if (status.st_uid != ::getuid()) {
        refusal = QStringLiteral("%1 belongs to another user").arg(clean);
    } else if ((status.st_mode & 077) != 0 && ::fchmod(descriptor, 0700) != 0) {
        refusal = QStringLiteral("%1 cannot be made private").arg(clean);
    }
    ::close(descriptor);
    return refusal;
}

int PrivateFiles::openForWriting(const QString& path, int flags) {
    // Non-blocking for the open only: a FIFO planted here must not hang us waiting for a reader.
    const int descriptor = ::open(QFile::encodeName(path).constData(),
                                  O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | flags, 0600);
    if (descriptor < 0) {
        return -1;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != ::getuid() ||
        ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(descriptor);
        return -1;
    }
    if ((status.st_mode & 077) != 0) {
        ::fchmod(descriptor, 0600);
    }
    return descriptor;
}

bool PrivateFiles::writeAtomically(const QString& path, const QByteArray& bytes) {
    QByteArray temporary = QFile::encodeName(path) + ".XXXXXX";
    const int descriptor = ::mkostemp(temporary.data(), O_CLOEXEC); // 0600, never an existing name
    if (descriptor < 0) {
        return false;
    }
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t count =
            ::write(descriptor, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            break;
        }
        written += count;
    }
    const bool complete = ::close(descriptor) == 0 && written == bytes.size();
    if (!complete || std::rename(temporary.constData(), QFile::encodeName(path).constData()) != 0) {
        ::unlink(temporary.constData());
        return false;
    }
    return true;
}
