// The frame decoder must cut a stream into the same frames however the stream arrives: whole, or in pieces of any
// size. It never buffers more than its cap, never hands out a line feed, and reports each oversized line once.
#include "FuzzSupport.h"
#include "host/DesktopStatusFrames.h"

#include <QByteArray>
#include <QList>

namespace {

// A frame, or an oversized report (empty optional in the list), in the order the decoder gave them.
struct Event {
    bool oversized = false;
    QByteArray frame;
    friend bool operator==(const Event&, const Event&) = default;
};

void consumeChecked(DesktopStatusFrames& decoder, QByteArrayView chunk, QList<Event>& events) {
    decoder.consume(
        chunk,
        [&](QByteArrayView frame) {
            FUZZ_CHECK(!frame.contains('\n'), "a frame holds a line feed");
            FUZZ_CHECK(frame.size() <= decoder.maximumBytes(), "a frame is longer than the cap");
            events.append(Event{false, frame.toByteArray()});
        },
        [&] {
            events.append(Event{true, {}});
        });
    FUZZ_CHECK(decoder.pendingSize() <= decoder.maximumBytes(), "more than the cap is buffered");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    // Small caps reach the oversized path with small inputs; the default cap is checked too.
    const qsizetype cap = input.ConsumeBool() ? input.ConsumeIntegralInRange<qsizetype>(1, 64)
                                              : DesktopStatusFrames::kDefaultMaximumBytes;
    const std::vector<uint8_t> cuts = input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange<size_t>(0, 64));
    const std::string stream = input.ConsumeRemainingBytesAsString();

    DesktopStatusFrames whole(cap);
    QList<Event> expected;
    consumeChecked(whole, QByteArrayView(stream.data(), qsizetype(stream.size())), expected);

    DesktopStatusFrames pieces(cap);
    QList<Event> actual;
    size_t offset = 0;
    for (size_t index = 0; offset < stream.size(); ++index) {
        // Each cut byte is a piece length (0 gives an empty chunk); past the cuts, the rest comes whole.
        const size_t length =
            index < cuts.size() ? std::min<size_t>(cuts[index], stream.size() - offset) : stream.size() - offset;
        consumeChecked(pieces, QByteArrayView(stream.data() + offset, qsizetype(length)), actual);
        offset += length;
    }
    FUZZ_CHECK(actual == expected, "cutting the stream into pieces changed the frames");
    FUZZ_CHECK(pieces.pendingSize() == whole.pendingSize(), "pieces left a different partial line");
    FUZZ_CHECK(pieces.isDiscarding() == whole.isDiscarding(), "pieces left a different discarding state");

    // After a reset the decoder starts from a clean line.
    pieces.reset();
    QList<Event> afterReset;
    consumeChecked(pieces, "x\n", afterReset);
    FUZZ_CHECK((afterReset == QList<Event>{Event{false, "x"}}), "a reset kept part of the old line");
    return 0;
}
