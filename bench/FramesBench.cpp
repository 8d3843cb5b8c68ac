// Decoder throughput against a plain memchr scan of the same bytes, for 1 KiB, 64 KiB and 8 MiB frames.
#include "host/DesktopStatusFrames.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

// A stream of frames of `frameBytes` each (newline included), cut into 64 KiB reads like a pipe delivers them.
struct Stream {
    QByteArray bytes;
    std::vector<QByteArrayView> chunks;
};

Stream makeStream(qsizetype frameBytes) {
    constexpr qsizetype kStreamBytes = 32 * 1024 * 1024;
    constexpr qsizetype kChunkBytes = 64 * 1024;
    Stream stream;
    QByteArray frame(frameBytes - 1, 'x');
    frame.append('\n');
    while (stream.bytes.size() < kStreamBytes) {
        stream.bytes.append(frame);
    }
    for (qsizetype offset = 0; offset < stream.bytes.size(); offset += kChunkBytes) {
        stream.chunks.emplace_back(stream.bytes.constData() + offset,
                                   std::min(kChunkBytes, stream.bytes.size() - offset));
    }
    return stream;
}

void decoder(benchmark::State& state) {
    const Stream stream = makeStream(state.range(0));
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
    const Stream stream = makeStream(state.range(0));
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

} // namespace

BENCHMARK(memchrScan)->Arg(1024)->Arg(64 * 1024)->Arg(8 * 1024 * 1024)->Unit(benchmark::kMillisecond);
BENCHMARK(decoder)->Arg(1024)->Arg(64 * 1024)->Arg(8 * 1024 * 1024)->Unit(benchmark::kMillisecond);
