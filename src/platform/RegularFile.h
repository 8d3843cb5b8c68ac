#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Reads a file the user named (preview data) without ever blocking: a FIFO, a device or a folder is refused, and so
// is a file larger than `maximumBytes`.
std::optional<QByteArray> readRegularFile(const QString& path, qint64 maximumBytes);
