#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and fuzzes each in turn, printing per target the executions,
# the corpus size and the findings (crash-, leak-, timeout- and oom- files).
# Usage: scripts/fuzz-campaign.sh [seconds per target, default 600] [target...]
# Environment: QVLRX_FUZZ_BUILD (build folder, default build-fuzz), QVLRX_FUZZ_PARALLEL (targets fuzzed at
# once, default 1), QVLRX_FUZZ_NICE (niceness, default 19).
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_PER_TARGET="${1:-600}"
shift || true
BUILD_DIR="${QVLRX_FUZZ_BUILD:-build-fuzz}"
PARALLEL="${QVLRX_FUZZ_PARALLEL:-1}"
NICENESS="${QVLRX_FUZZ_NICE:-19}"

CC=clang CXX=clang++ cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQVLRX_FUZZ=ON \
    ${CMAKE_CXX_COMPILER_LAUNCHER:+-DCMAKE_CXX_COMPILER_LAUNCHER=$CMAKE_CXX_COMPILER_LAUNCHER} >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"

BUILD_DIR="$(cd "$BUILD_DIR" && pwd)"
SEEDS="$BUILD_DIR/fuzz-seeds"
"$BUILD_DIR/fuzz/qvlrx_seedcorpus" "$SEEDS"

if [ "$#" -gt 0 ]; then
    TARGETS=("$@")
else
    TARGETS=()
    for binary in "$BUILD_DIR"/fuzz/fuzz_*; do
        TARGETS+=("$(basename "$binary" | sed 's/^fuzz_//')")
    done
fi

fuzz_one() {
    local target="$1"
    local corpus="$BUILD_DIR/fuzz-corpus/$target"
    local findings="$BUILD_DIR/fuzz-findings/$target"
    local log="$BUILD_DIR/fuzz-logs/$target.log"
    mkdir -p "$corpus" "$findings" "$(dirname "$log")"
    local extra=()
    [ -d "fuzz/regressions/$target" ] && extra+=("fuzz/regressions/$target")
    [ -d "$SEEDS/$target" ] && extra+=("$SEEDS/$target")
    # Findings end a run; the target is fuzzed on until its time is used up.
    local started=$SECONDS runs=0
    while [ $((SECONDS - started)) -lt "$SECONDS_PER_TARGET" ]; do
        local left=$((SECONDS_PER_TARGET - (SECONDS - started)))
        nice -n "$NICENESS" "$BUILD_DIR/fuzz/fuzz_$target" -max_total_time="$left" -timeout=1 -rss_limit_mb=2048 \
            -max_len=262144 -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "${extra[@]}" \
            >>"$log" 2>&1 || true
        runs=$((runs + $(grep -a 'stat::number_of_executed_units' "$log" | tail -1 | awk '{print $2}')))
        # A run that ended early without a finding (it cannot start) ends the target.
        [ "$(grep -ac 'Test unit written to' "$log")" -gt 0 ] || break
        extra=()
    done
    # A time-out on a loaded machine may be the machine: each is run again alone, and one that then ends
    # within the limit is set aside as unconfirmed instead of counted.
    local unit
    for unit in "$findings"/timeout-*; do
        [ -f "$unit" ] || continue
        if nice -n "$NICENESS" "$BUILD_DIR/fuzz/fuzz_$target" -runs=0 -timeout=1 "$unit" >/dev/null 2>&1; then
            mkdir -p "$BUILD_DIR/fuzz-unconfirmed/$target"
            mv "$unit" "$BUILD_DIR/fuzz-unconfirmed/$target/"
        fi
    done
    local executions
    executions=$(grep -a 'stat::number_of_executed_units' "$log" | awk '{s += $2} END {print s + 0}')
    printf '%-14s %6ds %10s executions %6s corpus files %3s findings %3s unconfirmed time-outs\n' "$target" \
        "$((SECONDS - started))" "$executions" "$(find "$corpus" -type f | wc -l)" "$(find "$findings" -type f | wc -l)" \
        "$(find "$BUILD_DIR/fuzz-unconfirmed/$target" -type f 2>/dev/null | wc -l)"
}

printf 'Fuzzing %d targets, %ss each, %s at once; logs in %s/fuzz-logs\n' "${#TARGETS[@]}" "$SECONDS_PER_TARGET" \
    "$PARALLEL" "$BUILD_DIR"
running=0
for target in "${TARGETS[@]}"; do
    fuzz_one "$target" &
    running=$((running + 1))
    if [ "$running" -ge "$PARALLEL" ]; then
        wait -n
        running=$((running - 1))
    fi
done
wait
found=$(find "$BUILD_DIR/fuzz-findings" -type f | wc -l)
echo "findings in all: $found"
[ "$found" -eq 0 ]
