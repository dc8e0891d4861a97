#!/usr/bin/env bash
# Plays the show: installs what is missing, builds, makes dats/ and runs the
# show from the folder that holds dats/.
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
install_packages
build_show
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${SDL_VIDEODRIVER:-}" ]; then
    echo "vavurava-rive: no display (DISPLAY is not set); start one, e.g. run: xvfb-run -s '-screen 0 800x600x24' $0" >&2
    exit 1
fi
cd "$build"
exec ./vavurava-rive
