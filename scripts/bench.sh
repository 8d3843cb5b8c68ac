#!/usr/bin/env bash
# Builds the benchmarks in build-bench/ (Release, no tests; build/ is left alone), runs them, starts the app and a
# bare Qt app side by side, and prints one Markdown table of today's figures against their targets.
#   --quick             3 repetitions, 3 starts, 10 s of idle: a check that everything runs, not figures to quote
#   --runs N            starts of each process (default 9); VODU_BENCH_RUNS does the same
#   --idle-seconds S    the idle CPU window (default 60); VODU_BENCH_IDLE_SECONDS does the same
# Progress goes to stderr, the table to stdout.
export VODU_BUILD_DIR="${VODU_BENCH_BUILD_DIR:-$(cd "$(dirname "$0")/.." && pwd)/build-bench}"
source "$(dirname "$0")/lib/common.sh"

runs="${VODU_BENCH_RUNS:-9}"
idle_seconds="${VODU_BENCH_IDLE_SECONDS:-60}"
repetitions=5
quick=()
while [ $# -gt 0 ]; do
    case "$1" in
    --quick)
        runs=3 idle_seconds=10 repetitions=3 quick=(--quick)
        ;;
    --runs)
        runs="$2"
        shift
        ;;
    --idle-seconds)
        idle_seconds="$2"
        shift
        ;;
    *)
        echo "usage: $0 [--quick] [--runs N] [--idle-seconds S]" >&2
        exit 2
        ;;
    esac
    shift
done

ensure_packages "${build_packages[@]}" libbenchmark-dev python3
ensure_node

if ! grep -qs '^VODU_BUILD_BENCHMARKS:BOOL=ON' "$build_dir/CMakeCache.txt"; then
    cmake -S "$repo_root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVODU_BUILD_BENCHMARKS=ON \
        -DVODU_BUILD_TESTS=OFF >&2
fi
cmake --build "$build_dir" --parallel "$(nproc)" >&2

exec python3 -B "$repo_root/scripts/lib/bench.py" --build "$build_dir" --source "$repo_root" --runs "$runs" \
    --repetitions "$repetitions" --idle-seconds "$idle_seconds" "${quick[@]}"
