#pragma once

#include "host/JsonLists.h"

#include <QJsonArray>
#include <QJsonObject>

#include <optional>

// Reads the host's messages. A status repeats most of its records from one snapshot to the next, so the records of
// its long lists (tasks, conversations, runs) are parsed only when their bytes changed; the rest of the message is
// parsed whole. The result is the object a plain parse gives, whichever way it was read.
class MessageReader {
public:
    // Frames shorter than `splitFrom` bytes are parsed whole: cutting them saves nothing.
    explicit MessageReader(qsizetype splitFrom = 32 * 1024);

    // The message in `frame`, or nullopt when it is not a JSON object.
    std::optional<QJsonObject> read(QByteArrayView frame);

    // `frame` as bytes to keep: the reader's own copy when it is the frame it last read record by record.
    QByteArray keptCopy(QByteArrayView frame) const { return frame == m_frame ? m_frame : frame.toByteArray(); }

    // The lists read record by record, each by its keys from the top of a status message.
    static const QList<KeyPath>& statusLists();

private:
    struct KnownList {
        QList<ByteSpan> spans; // into m_frame
        QList<QJsonObject> records;
        QJsonArray array;
    };

    std::optional<QJsonObject> readSplit(QByteArrayView frame, const QList<std::optional<ListSpans>>& lists);
    QJsonArray recordsOf(QByteArrayView frame, const ListSpans& spans, const KnownList& known, KnownList& next,
                         bool& parsed) const;

    qsizetype m_splitFrom;
    QByteArray m_frame; // the last frame read record by record
    QList<KnownList> m_known;
};
