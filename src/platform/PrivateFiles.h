#pragma once

#include <QString>

#include <optional>

// Folders and files only this user can reach, for what the app writes on its own (automation output, the install
// log): nothing is followed through a symbolic link, folders are 0700 and files 0600.
namespace PrivateFiles {

// Makes `path` (and missing parents, 0700) and checks the folder itself: a real folder owned by this user. A folder
// of ours open to others is closed to them. Returns why it was refused, or nothing when it is usable.
std::optional<QString> ensureDirectory(const QString& path);

// Opens a regular file of ours for writing with `flags` (O_APPEND, O_TRUNC, ...), created 0600. A link, a FIFO or
// device, or another user's file is refused (-1) without blocking. The descriptor is close-on-exec.
int openForWriting(const QString& path, int flags);

// Replaces `path` with `bytes` through a private temporary file in the same folder.
bool writeAtomically(const QString& path, const QByteArray& bytes);

} // namespace PrivateFiles
