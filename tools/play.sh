#!/usr/bin/env bash
# Plays the show: installs what is missing, builds, makes dats/ and runs the
# show from the folder that holds dats/.
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
install_packages
build_show
here=$(pwd)
cd "$build"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${SDL_VIDEODRIVER:-}" ]; then
    # No screen to play on: record the show with its sound instead.
    echo "vavurava-rive: no display (DISPLAY is not set); recording the show to $here/vavurava-rive.mp4 instead (for a window: xvfb-run -s '-screen 0 1024x768x24' $0)" >&2
    ./vavurava-capture -o "$here/vavurava-rive.mp4"
    exit $?
fi
exec ./vavurava-rive "$@"
