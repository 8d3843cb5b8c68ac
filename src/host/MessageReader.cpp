#include "host/MessageReader.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>

namespace {

std::optional<QJsonObject> parseObject(QByteArrayView bytes) {
    // Read in place: the view outlives the parse, so no copy of a large frame is made.
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromRawData(bytes.data(), bytes.size()));
    if (!document.isObject()) {
        return std::nullopt;
    }
    return document.object();
}

QJsonObject withValueAt(QJsonObject object, const KeyPath& path, qsizetype level, const QJsonValue& value) {
    const QString key = QString::fromLatin1(path.at(level));
    object.insert(key,
                  level + 1 == path.size() ? value : withValueAt(object.value(key).toObject(), path, level + 1, value));
    return object;
}

} // namespace

MessageReader::MessageReader(qsizetype splitFrom) : m_splitFrom(splitFrom) {}

const QList<KeyPath>& MessageReader::statusLists() {
    static const QList<KeyPath> lists{
        {"status", "tasks", "items"},
        {"status", "sessionSupervision", "sessions"},
        {"status", "deliveryHooks", "runs"},
    };
    return lists;
}

std::optional<QJsonObject> MessageReader::read(QByteArrayView frame) {
    if (frame.size() >= m_splitFrom) {
        const auto lists = findObjectLists(frame, statusLists());
        if (lists && std::any_of(lists->begin(), lists->end(), [](const auto& list) { return list.has_value(); })) {
            if (std::optional<QJsonObject> message = readSplit(frame, *lists)) {
                return message;
            }
        }
    }
    return parseObject(frame);
}

std::optional<QJsonObject> MessageReader::readSplit(QByteArrayView frame,
                                                    const QList<std::optional<ListSpans>>& lists) {
    // The message without the lists' contents: each array is left empty in place.
    QByteArray rest;
    rest.reserve(frame.size());
    QList<qsizetype> order;
    for (qsizetype index = 0; index < lists.size(); ++index) {
        if (lists.at(index)) {
            order.append(index);
        }
    }
    std::sort(order.begin(), order.end(),
              [&](qsizetype a, qsizetype b) { return lists.at(a)->array.offset < lists.at(b)->array.offset; });
    qsizetype copied = 0;
    for (const qsizetype index : order) {
        const ByteSpan array = lists.at(index)->array;
        rest.append(frame.sliced(copied, array.offset - copied)).append("[]");
        copied = array.offset + array.size;
    }
    rest.append(frame.sliced(copied));
    std::optional<QJsonObject> message = parseObject(rest);
    if (!message) {
        return std::nullopt;
    }

    QList<KnownList> known(lists.size());
    for (const qsizetype index : order) {
        bool parsed = true;
        const QJsonArray records = recordsOf(
            frame, *lists.at(index), index < m_known.size() ? m_known.at(index) : KnownList{}, known[index], parsed);
        if (!parsed) {
            return std::nullopt;
        }
        *message = withValueAt(*message, statusLists().at(index), 0, records);
    }
    m_frame = frame.toByteArray();
    m_known = std::move(known);
    return message;
}

QJsonArray MessageReader::recordsOf(QByteArrayView frame, const ListSpans& spans, const KnownList& known,
                                    KnownList& next, bool& parsed) const {
    const auto knownBytes = [&](qsizetype index) {
        const ByteSpan span = known.spans.at(index);
        return QByteArrayView(m_frame).sliced(span.offset, span.size);
    };
    // Records usually keep their places; after one is added or removed the rest have shifted by as many.
    qsizetype shift = 0;
    int missesInARow = 0;
    QHash<QByteArrayView, qsizetype> knownAt;
    QList<qsizetype> replaced; // places whose record is not the one known there
    next.spans = spans.elements;
    next.records.reserve(spans.elements.size());
    for (qsizetype index = 0; index < spans.elements.size(); ++index) {
        const ByteSpan span = spans.elements.at(index);
        const QByteArrayView bytes = frame.sliced(span.offset, span.size);
        std::optional<QJsonObject> record;
        const qsizetype guess = index + shift;
        if (guess >= 0 && guess < known.spans.size() && knownBytes(guess) == bytes) {
            record = known.records.at(guess);
            if (guess != index) {
                replaced.append(index);
            }
        } else {
            replaced.append(index);
            // Two misses in a row look like a shift rather than a changed record: look every known record up.
            if (missesInARow > 0 && knownAt.isEmpty()) {
                for (qsizetype at = 0; at < known.spans.size(); ++at) {
                    knownAt.insert(knownBytes(at), at);
                }
            }
            const auto found = knownAt.constFind(bytes);
            if (found != knownAt.constEnd()) {
                shift = *found - index;
                record = known.records.at(*found);
            }
        }
        missesInARow = record ? 0 : missesInARow + 1;
        if (!record) {
            record = parseObject(bytes);
            if (!record) {
                parsed = false;
                return {};
            }
        }
        next.records.append(*record);
    }
    if (spans.elements.size() == known.spans.size() && replaced.size() < spans.elements.size() / 2) {
        // An unchanged list is the same array as before, which makes comparing it with the last one cheap; a list
        // with a few records changed in place is the known array with those replaced.
        next.array = known.array;
        for (const qsizetype index : std::as_const(replaced)) {
            next.array.replace(index, next.records.at(index));
        }
    } else {
        for (const QJsonObject& record : std::as_const(next.records)) {
            next.array.append(record);
        }
    }
    return next.array;
}
