// Decoder throughput against a plain memchr scan of the same bytes, for 1 KiB, 64 KiB and 8 MiB frames. The first
// argument is the frame size, the second the read size: 64 KiB reads line up with the frames; reads of an odd size
// cut frames anywhere and start at unaligned addresses, so the decoder has to carry partial frames across reads.
#include "host/DesktopStatusFrames.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

// A stream of frames of `frameBytes` each (newline included), cut into reads of `chunkBytes` as a pipe delivers them.
struct Stream {
    QByteArray bytes;
    std::vector<QByteArrayView> chunks;
};

Stream makeStream(qsizetype frameBytes, qsizetype chunkBytes) {
    constexpr qsizetype kStreamBytes = 32 * 1024 * 1024;
    Stream stream;
    QByteArray frame(frameBytes - 1, 'x');
    frame.append('\n');
    while (stream.bytes.size() < kStreamBytes) {
        stream.bytes.append(frame);
    }
    for (qsizetype offset = 0; offset < stream.bytes.size(); offset += chunkBytes) {
        stream.chunks.emplace_back(stream.bytes.constData() + offset,
                                   std::min(chunkBytes, stream.bytes.size() - offset));
    }
    return stream;
}

void decoder(benchmark::State& state) {
    const Stream stream = makeStream(state.range(0), state.range(1));
    std::int64_t frames = 0;
    DesktopStatusFrames frameDecoder; // one decoder for the app's whole life, as in the app
    for (auto _ : state) {
        for (const QByteArrayView chunk : stream.chunks) {
            frameDecoder.consume(chunk, [&frames](QByteArrayView frame) { frames += frame.size() > 0; }, {});
        }
        benchmark::DoNotOptimize(frames);
    }
    state.SetBytesProcessed(state.iterations() * stream.bytes.size());
}

void memchrScan(benchmark::State& state) {
    const Stream stream = makeStream(state.range(0), state.range(1));
    std::int64_t lines = 0;
    for (auto _ : state) {
        for (const QByteArrayView chunk : stream.chunks) {
            const char* cursor = chunk.data();
            const char* end = cursor + chunk.size();
            while (const void* found = std::memchr(cursor, '\n', static_cast<size_t>(end - cursor))) {
                ++lines;
                cursor = static_cast<const char*>(found) + 1;
            }
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(state.iterations() * stream.bytes.size());
}

// 65,521 is a prime just under 64 KiB: its reads cut frames anywhere and mostly start at unaligned addresses.
void readSizes(benchmark::internal::Benchmark* benchmark) {
    for (const std::int64_t frameBytes : {1024, 64 * 1024, 8 * 1024 * 1024}) {
        for (const std::int64_t chunkBytes : {64 * 1024, 65521}) {
            benchmark->Args({frameBytes, chunkBytes});
        }
    }
}

} // namespace

BENCHMARK(memchrScan)->Apply(readSizes)->Unit(benchmark::kMillisecond);
BENCHMARK(decoder)->Apply(readSizes)->Unit(benchmark::kMillisecond);
