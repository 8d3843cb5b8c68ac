#include "host/JsonLists.h"

#include <array>

namespace {

// Well below the nesting a JSON parser accepts, so that nothing cut here is refused later for its depth alone.
constexpr int kDepthLimit = 200;

// The bytes that matter while skipping a value: quotes and brackets.
constexpr std::array<bool, 256> kStructural = [] {
    std::array<bool, 256> table{};
    for (const unsigned char c : {'"', '{', '}', '[', ']'}) {
        table[c] = true;
    }
    return table;
}();

class Reader {
public:
    Reader(QByteArrayView json, const QList<KeyPath>& paths) : m_json(json), m_paths(paths) {
        m_found.resize(paths.size());
    }

    std::optional<QList<std::optional<ListSpans>>> read() {
        skipSpace();
        if (at() != '{') {
            return m_found; // an array or a scalar: no path can lead anywhere
        }
        QList<qsizetype> all(m_paths.size());
        for (qsizetype index = 0; index < all.size(); ++index) {
            all[index] = index;
        }
        if (!readObject(all, 0)) {
            return std::nullopt;
        }
        return m_found;
    }

private:
    char at() const { return m_position < m_json.size() ? m_json[m_position] : '\0'; }

    void skipSpace() {
        while (m_position < m_json.size()) {
            const char c = m_json[m_position];
            if (c != ' ' && c != '\n' && c != '\r' && c != '\t') {
                return;
            }
            ++m_position;
        }
    }

    // At an opening quote; ends after the closing one. False when the text ends first.
    bool skipString() {
        ++m_position;
        while (m_position < m_json.size()) {
            const char c = m_json[m_position++];
            if (c == '"') {
                return true;
            }
            if (c == '\\') {
                ++m_position;
            }
        }
        return false;
    }

    // Any value, by its brackets and strings only: what is inside is checked by whoever parses it.
    bool skipValue() {
        const char first = at();
        if (first == '"') {
            return skipString();
        }
        if (first != '{' && first != '[') {
            while (m_position < m_json.size()) {
                const char c = m_json[m_position];
                if (c == ',' || c == '}' || c == ']' || c == ' ' || c == '\n' || c == '\r' || c == '\t') {
                    break;
                }
                ++m_position;
            }
            return true;
        }
        int depth = 0;
        while (m_position < m_json.size()) {
            const auto c = static_cast<unsigned char>(m_json[m_position]);
            if (!kStructural[c]) {
                ++m_position;
                continue;
            }
            if (c == '"') {
                if (!skipString()) {
                    return false;
                }
                continue;
            }
            ++m_position;
            if (c == '{' || c == '[') {
                if (++depth > kDepthLimit) {
                    return false;
                }
            } else if (--depth == 0) {
                return true;
            }
        }
        return false;
    }

    // An object whose keys are looked up at `level` of the paths in `active`.
    bool readObject(const QList<qsizetype>& active, qsizetype level) {
        ++m_position; // '{'
        skipSpace();
        if (at() == '}') {
            ++m_position;
            return true;
        }
        QList<QByteArrayView> seen;
        while (true) {
            skipSpace();
            if (at() != '"') {
                return false;
            }
            const qsizetype keyStart = m_position + 1;
            if (!skipString()) {
                return false;
            }
            const QByteArrayView key = m_json.sliced(keyStart, m_position - 1 - keyStart);
            skipSpace();
            if (at() != ':') {
                return false;
            }
            ++m_position;
            skipSpace();
            if (!readMember(active, level, key, seen)) {
                return false;
            }
            skipSpace();
            if (at() == ',') {
                ++m_position;
                continue;
            }
            if (at() == '}') {
                ++m_position;
                return true;
            }
            return false;
        }
    }

    bool readMember(const QList<qsizetype>& active, qsizetype level, QByteArrayView key, QList<QByteArrayView>& seen) {
        if (active.isEmpty()) {
            return skipValue();
        }
        // An escaped key may spell a path key; a parser would see it, so the text is not cut.
        if (key.contains('\\')) {
            return false;
        }
        QList<qsizetype> deeper;
        qsizetype leaf = -1;
        for (const qsizetype path : active) {
            if (m_paths.at(path).at(level) != key) {
                continue;
            }
            if (m_paths.at(path).size() == level + 1) {
                leaf = path;
            } else {
                deeper.append(path);
            }
        }
        if (leaf < 0 && deeper.isEmpty()) {
            return skipValue();
        }
        // A repeated key leaves it to the parser which one counts.
        if (seen.contains(key)) {
            return false;
        }
        seen.append(key);
        if (leaf >= 0 && at() == '[') {
            return readList(leaf);
        }
        if (!deeper.isEmpty() && at() == '{') {
            return readObject(deeper, level + 1);
        }
        return skipValue();
    }

    bool readList(qsizetype path) {
        ListSpans list;
        list.array.offset = m_position;
        ++m_position; // '['
        skipSpace();
        if (at() != ']') {
            while (true) {
                skipSpace();
                if (at() != '{') {
                    return false;
                }
                const qsizetype start = m_position;
                if (!skipValue()) {
                    return false;
                }
                list.elements.append({start, m_position - start});
                skipSpace();
                if (at() == ',') {
                    ++m_position;
                    continue;
                }
                if (at() == ']') {
                    break;
                }
                return false;
            }
        }
        ++m_position;
        list.array.size = m_position - list.array.offset;
        m_found[path] = std::move(list);
        return true;
    }

    QByteArrayView m_json;
    const QList<KeyPath>& m_paths;
    QList<std::optional<ListSpans>> m_found;
    qsizetype m_position = 0;
};

} // namespace

std::optional<QList<std::optional<ListSpans>>> findObjectLists(QByteArrayView json, const QList<KeyPath>& paths) {
    return Reader(json, paths).read();
}
