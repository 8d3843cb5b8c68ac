#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <functional>

// Cuts the host's output stream into line-feed terminated frames. Bytes are never interpreted; a line longer than
// the cap is reported once and skipped up to its line feed, so no more than the cap is ever buffered.
class DesktopStatusFrames final {
public:
    static constexpr qsizetype kDefaultMaximumBytes = 8388608;

    using FrameCallback = std::function<void(QByteArrayView frame)>;
    using OversizedCallback = std::function<void()>;

    explicit DesktopStatusFrames(qsizetype maximumBytes = kDefaultMaximumBytes);

    // Calls `frame` for every line completed by `chunk` and `oversized` once per line that crosses the cap, in
    // stream order, before returning. A frame view is valid only during its callback.
    void consume(QByteArrayView chunk, const FrameCallback& frame, const OversizedCallback& oversized);

    // Forgets a partial line, so the next host starts from a clean line.
    void reset();

    qsizetype maximumBytes() const { return m_maximumBytes; }
    qsizetype pendingSize() const { return m_pending.size(); }
    bool isDiscarding() const { return m_discarding; }

private:
    qsizetype m_maximumBytes;
    QByteArray m_pending;
    QByteArray m_delivering;
    bool m_discarding = false;
};
