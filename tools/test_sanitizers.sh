#!/usr/bin/env bash
# Runs the test suite again under the sanitizers and prints a pass/fail
# summary on its last line:
#  - build-asan/: gcc's AddressSanitizer + UndefinedBehaviorSanitizer (undefined
#    behaviour stops the test), the show's tests (whole show and recordings
#    included) but those that only render it again to compare pictures;
#  - build-tsan/: ThreadSanitizer over the tests that start the music thread
#    and hand its device over, two recordings whose encoder runs on its own
#    thread in the capture tool, and one --frame capture, whose virtual clock
#    SDL's dummy sound card reads from its thread (tsan_filter).
# Both reuse dats/ from an existing build (VAVURAVA_DATA_FROM, default build/
# when it has them) instead of generating them again.
set -uo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
asan_build=${ASAN_BUILD_DIR:-$repo/build-asan}
tsan_build=${TSAN_BUILD_DIR:-$repo/build-tsan}
data_from=${VAVURAVA_DATA_FROM:-}
[ -z "$data_from" ] && [ -f "$repo/build/dats/.stamp" ] && data_from=$repo/build
jobs=$(nproc)

# The data builder's own tests (not sanitized, run by tools/test.sh) are not
# built when dats/ are reused; CTest lists them as data_tests_NOT_BUILT.
# The tests that only render the show again to compare pictures or the order
# of parts run no code the whole-show test (both GLs) doesn't, and under the
# sanitizers each would add minutes: the double-size picture, the golden
# frames through either GL, the timeline rendered twice, and the runs made
# twice to compare their bytes.
asan_exclude='^(data_tests_NOT_BUILT|RenderSize\..*|Gl/GoldenFrames\..*|CaptureTool\.TimelineFollows.*|CaptureTool\.TheSameFrameIsByteIdentical.*|Recording\.TheSameRecordingTwice.*)$'
tsan_filter='SampleConversion.*:MusicThread.*:MusicReading.*:MusicFailures.*:WaveOutSink.*:MusicEndToEnd.*:Gl/WholeShow.*/compat:RecordingFormats.TheSameMp4TwiceIsByteIdentical:RecordingFormats.KilledMp4*:CaptureTool.AFrameNamedJpg*'

export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
# Leak checking is off: Mesa's llvmpipe and SDL keep allocations to exit.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$repo/tests/sanitizers/tsan.supp"

summary=()
failures=0
now() { date +%s; }

configure_and_build() {  # folder sanitizers target...
    local folder=$1 sanitize=$2
    shift 2
    cmake -S "$repo" -B "$folder" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVAVURAVA_SANITIZE="$sanitize" \
        ${data_from:+-DVAVURAVA_DATA_FROM="$data_from"} >"$folder/configure.log" 2>&1 &&
        cmake --build "$folder" -j"$jobs" --target "$@" >"$folder/build.log" 2>&1
}

mkdir -p "$asan_build" "$tsan_build"

start=$(now)
if configure_and_build "$asan_build" address,undefined vavurava_tests vavurava-capture vavurava-rive; then
    built=$(now)
    (cd "$asan_build" && ctest --output-on-failure -j"$jobs" --timeout 900 -E "$asan_exclude" >ctest.log 2>&1)
    status=$?
    passed=$(grep -c ' Passed ' "$asan_build/ctest.log" || true)
    failed=$(grep -cE '\*\*\*Failed|\*\*\*Timeout|\*\*\*Exception|Not Run' "$asan_build/ctest.log" || true)
    [ "$status" -eq 0 ] || { failures=$((failures + 1)); grep -E 'Failed|Timeout|Exception|Not Run' "$asan_build/ctest.log"; }
    summary+=("asan+ubsan: $passed passed, $failed failed (build $((built - start)) s, tests $(($(now) - built)) s)")
else
    failures=$((failures + 1))
    tail -30 "$asan_build/build.log" "$asan_build/configure.log" 2>/dev/null
    summary+=("asan+ubsan: build failed, see $asan_build/build.log")
fi

start=$(now)
if configure_and_build "$tsan_build" thread vavurava_tests vavurava-capture; then
    built=$(now)
    # TSan needs the address space layout it expects.
    (cd "$tsan_build" && setarch "$(uname -m)" -R ./vavurava_tests --gtest_filter="$tsan_filter" >tsan.log 2>&1)
    status=$?
    passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$tsan_build/tsan.log")
    failed=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?, listed below.*/\1/p' "$tsan_build/tsan.log")
    if [ "$status" -ne 0 ]; then
        failures=$((failures + 1))
        grep -E 'WARNING: ThreadSanitizer|SUMMARY|^\[  FAILED' "$tsan_build/tsan.log" | head -20
        [ -n "$failed" ] || failed=1
    fi
    summary+=("tsan: ${passed:-0} passed, ${failed:-0} failed (build $((built - start)) s, tests $(($(now) - built)) s)")
else
    failures=$((failures + 1))
    tail -30 "$tsan_build/build.log" "$tsan_build/configure.log" 2>/dev/null
    summary+=("tsan: build failed, see $tsan_build/build.log")
fi

printf '%s\n' "${summary[@]}"
total_passed=0
total_failed=0
for line in "${summary[@]}"; do
    p=$(sed -n 's/.*: \([0-9]*\) passed, \([0-9]*\) failed.*/\1/p' <<<"$line")
    f=$(sed -n 's/.*: \([0-9]*\) passed, \([0-9]*\) failed.*/\2/p' <<<"$line")
    total_passed=$((total_passed + ${p:-0}))
    total_failed=$((total_failed + ${f:-1}))
done
echo "sanitizers: $total_passed passed, $total_failed failed"
[ "$failures" -eq 0 ]
