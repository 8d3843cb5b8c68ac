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
                m_pending.clear();
                m_pending.squeeze();
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
        // Taken out first: the callback may reset the decoder while it runs.
        const QByteArray line = std::exchange(m_pending, QByteArray());
        const bool deliver = !m_discarding;
        m_discarding = false;
        if (deliver && frame) {
            frame(QByteArrayView(line));
        }
        cursor = newline + 1;
    }
}

void DesktopStatusFrames::reset() {
    m_pending.clear();
    m_pending.squeeze();
    m_discarding = false;
}
