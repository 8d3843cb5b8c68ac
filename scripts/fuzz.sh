#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer) in build-fuzz/ and runs each
# for SECONDS (default 60), one after the other. Seeds come from tests/fuzz/corpus/<target>/; what the fuzzer adds
# goes to build-fuzz/corpus/<target>/ and findings to build-fuzz/findings/<target>/. Any finding fails the run.
#   scripts/fuzz.sh 600                    every target for ten minutes
#   VODU_FUZZ_TARGETS="frames markdown" scripts/fuzz.sh 60
# A finding replays with: build-fuzz/tests/fuzz/fuzz_<target> build-fuzz/findings/<target>/crash-...
# (VODU_FUZZ_SHOW=1 prints the texts for the safe_message and markdown targets).
source "$(dirname "$0")/lib/common.sh"

seconds="${1:-60}"
fuzz_dir="${VODU_FUZZ_BUILD_DIR:-$repo_root/build-fuzz}"
targets=(${VODU_FUZZ_TARGETS:-frames messages markdown versions safe_message render})

ensure_packages "${build_packages[@]}" clang libclang-rt-dev
ensure_node
if [ ! -f "$fuzz_dir/build.ninja" ]; then
    CXX=clang++ cmake -S "$repo_root" -B "$fuzz_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVODU_BUILD_FUZZERS=ON -DVODU_BUILD_TESTS=OFF
fi
cmake --build "$fuzz_dir" --parallel "${VODU_BUILD_JOBS:-$(nproc)}" --target "${targets[@]/#/fuzz_}"

export QT_QPA_PLATFORM=offscreen LANG=C.UTF-8
# Leaks are the sanitized test suite's business: a long-lived app keeps caches that only look like leaks here.
export ASAN_OPTIONS="detect_leaks=0:allocator_may_return_null=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
failed=()
for target in "${targets[@]}"; do
    corpus="$fuzz_dir/corpus/$target"
    findings="$fuzz_dir/findings/$target"
    mkdir -p "$corpus" "$findings"
    log="$fuzz_dir/fuzz-$target.log"
    echo "== fuzz_$target for ${seconds}s =="
    if "$fuzz_dir/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=4096 \
        -max_len=16384 -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" \
        "$repo_root/tests/fuzz/corpus/$target" >"$log" 2>&1; then
        grep -E '^stat::number_of_executed_units' "$log" | sed "s/^/fuzz_$target /"
    else
        echo "fuzz_$target: FINDING (see $log and $findings/)"
        grep -E 'fuzz check failed|ERROR: |SUMMARY: ' "$log" | head -5 || true
        failed+=("$target")
    fi
done
if [ "${#failed[@]}" -gt 0 ]; then
    echo "Findings in: ${failed[*]}"
    exit 1
fi
