#include "host/DesktopStatusFrames.h"

#include <cstring>
#include <utility>

DesktopStatusFrames::DesktopStatusFrames(qsizetype maximumBytes) : m_maximumBytes(maximumBytes) {}

void DesktopStatusFrames::consume(QByteArrayView chunk, const FrameCallback& frame,
                                  const OversizedCallback& oversized) {
    const char* cursor = chunk.data();
    const char* const end = chunk.data() + chunk.size();
    while (cursor < end) {
        const auto* newline = static_cast<const char*>(std::memchr(cursor, '\n', static_cast<size_t>(end - cursor)));
        const char* segmentEnd = newline ? newline : end;
        const QByteArrayView segment(cursor, segmentEnd - cursor);

        if (!m_discarding) {
            if (segment.size() > m_maximumBytes - m_pending.size()) {
                m_pending.resize(0);
                m_discarding = true;
                if (oversized) {
                    oversized();
                }
            } else if (newline && m_pending.isEmpty()) {
                // Whole line inside this chunk: hand it over without copying.
                if (frame) {
                    frame(segment);
                }
                cursor = newline + 1;
                continue;
            } else {
                m_pending.append(segment);
            }
        }
        if (!newline) {
            return;
        }
        // Delivered from a second buffer: the callback may reset the decoder while it runs. Both buffers keep
        // their capacity, so a stream of large frames does not allocate for every frame.
        const bool deliver = !m_discarding;
        m_discarding = false;
        std::swap(m_pending, m_delivering);
        m_pending.resize(0);
        if (deliver && frame) {
            frame(QByteArrayView(m_delivering));
        }
        m_delivering.resize(0);
        cursor = newline + 1;
    }
}

void DesktopStatusFrames::reset() {
    // A host has ended: give the memory back too.
    m_pending = QByteArray();
    m_discarding = false;
}
