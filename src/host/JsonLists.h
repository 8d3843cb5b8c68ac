#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

// A range of bytes in a JSON text.
struct ByteSpan {
    qsizetype offset = 0;
    qsizetype size = 0;
    friend bool operator==(const ByteSpan&, const ByteSpan&) = default;
};

// Where one array of objects lies in a JSON text: the array value as a whole, and each element.
struct ListSpans {
    ByteSpan array;
    QList<ByteSpan> elements;
};

// An array by the keys that lead to it from the top object, e.g. {"status", "tasks", "items"}.
using KeyPath = QList<QByteArray>;

// Finds the arrays of objects at `paths` by reading the text's structure only: no value is built. Each path gets its
// spans, or nullopt when it is absent or its value is not an array. The whole answer is nullopt when the text cannot
// be cut safely (malformed as far as read, a key on a path repeated or written with escapes, an element that is not
// an object, nesting deeper than a parser would take): the caller then parses the text whole.
std::optional<QList<std::optional<ListSpans>>> findObjectLists(QByteArrayView json, const QList<KeyPath>& paths);
