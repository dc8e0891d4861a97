#!/usr/bin/env bash
# Builds the fuzz targets (clang, FUZZ=ON) in their own build folder and runs
# one of them for a while:
#   tests/fuzz/run.sh fuzz_clip|fuzz_music|fuzz_image SECONDS
# FUZZ_BUILD_DIR (default build-fuzz/ in the repository) holds the build, the
# seed corpora (seeds/), the grown corpora (corpus/), crashes (artifacts/)
# and libFuzzer's log (logs/TARGET.log). VAVURAVA_DATA_FROM names a build
# folder whose dats/ to reuse (default build/ when it has them); FUZZ_RUNS
# stops after that many executions instead of after SECONDS; FUZZ_JOBS runs
# that many fuzzing processes side by side on one corpus (default 1).
set -euo pipefail
target=${1:?usage: run.sh fuzz_clip|fuzz_music|fuzz_image SECONDS}
seconds=${2:?usage: run.sh TARGET SECONDS}
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${FUZZ_BUILD_DIR:-$repo/build-fuzz}
data_from=${VAVURAVA_DATA_FROM:-}
[ -z "$data_from" ] && [ -f "$repo/build/dats/.stamp" ] && data_from=$repo/build

case "$target" in
    fuzz_clip) kind=clip max_len=32768 ;;
    fuzz_music) kind=music max_len=32768 ;;
    fuzz_image) kind=image max_len=8192 ;;
    *) echo "run.sh: unknown target $target" >&2; exit 2 ;;
esac

CC=${CC:-clang-14} CXX=${CXX:-clang++-14} cmake -S "$repo" -B "$build" -DFUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo ${data_from:+-DVAVURAVA_DATA_FROM="$data_from"} >/dev/null
cmake --build "$build" -j2 --target fuzz_clip fuzz_music fuzz_image fuzz_seed_clips >/dev/null

if [ ! -d "$build/seeds/$kind" ]; then
    "$repo/tests/fuzz/make_corpus.sh" "$build/dats" "$build/seeds"
    "$build/fuzz_seed_clips" "$build/seeds/clip"
fi
mkdir -p "$build/corpus/$kind" "$build/artifacts" "$build/logs/$target"
# Each target runs in a folder of its own, so that two can run at once.
cd "$build/logs/$target"
# FUZZ_JOBS processes (one by default), below normal priority; the messages
# the loaders print for every bad input go nowhere (-close_fd_mask=2),
# libFuzzer's own reports still do.
jobs=${FUZZ_JOBS:-1}
rm -f fuzz-*.log
set +e
nice -n 10 "$build/$target" -jobs="$jobs" -workers="$jobs" -max_total_time="$seconds" -max_len="$max_len" \
    -close_fd_mask=2 -print_final_stats=1 ${FUZZ_RUNS:+-runs=$FUZZ_RUNS} -artifact_prefix="$build/artifacts/$target-" \
    "$build/corpus/$kind" "$build/seeds/$kind" >"$build/logs/$target.out" 2>&1
status=$?
set -e
cat fuzz-*.log >"../$target.log" 2>/dev/null || true
for log in fuzz-*.log; do
    [ -f "$log" ] || continue
    echo "$log: $(grep -E '^#[0-9]+' "$log" | tail -1)"
    grep -E 'stat::number_of_executed_units|stat::average_exec_per_sec|Done [0-9]+ runs' "$log" || true
done
# The executions of all jobs together.
awk '/stat::number_of_executed_units/ { total += $2 } END { if (total) print "executions in all: " total }' \
    fuzz-*.log 2>/dev/null || true
[ "$status" -eq 0 ] || { echo "run.sh: $target failed ($status); see $build/logs/$target.log" >&2; exit "$status"; }
