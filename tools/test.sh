#!/usr/bin/env bash
# Runs every test: installs what is missing, builds, then CTest with a
# pass/fail summary on its last line.
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
install_packages $test_packages
build_show
cd "$build"
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
set +e
ctest --output-on-failure -j"$(nproc)" --timeout 600 | tee ctest.log
status=${PIPESTATUS[0]}
passed=$(grep -c ' Passed ' ctest.log || true)
failed=$(grep -cE '\*\*\*Failed|\*\*\*Timeout|\*\*\*Exception|Not Run' ctest.log || true)
skipped=$(grep -c '\*\*\*Skipped' ctest.log || true)
echo "$passed passed, $failed failed, $skipped skipped"
exit "$status"
