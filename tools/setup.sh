# Shared by the play and test commands: installs the Debian packages the show
# needs (when run as root or through sudo) and builds it into build/.
set -euo pipefail

# What the show and its tools need to build and run.
packages="build-essential cmake pkg-config libsdl2-dev libogg-dev libvorbis-dev libjpeg62-turbo-dev
  libxvidcore-dev libpng-dev libfreetype-dev fonts-dejavu-core libgtest-dev libgl-dev
  libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev
  libgl1-mesa-dri libegl-mesa0 libebur128-dev libfftw3-dev"
# What the tests add: a real X screen and its tools, a sound server, ffmpeg.
test_packages="ffmpeg xvfb xauth xdotool x11-utils pulseaudio pulseaudio-utils"

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$repo/build"

install_packages() {  # [extra packages]
    local missing=()
    for p in $packages "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null; then sudo="sudo"; else
            echo "setup: missing Debian packages: ${missing[*]} (run as root or install them)" >&2
            return 1
        fi
    fi
    echo "setup: installing ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
}

build_show() {
    cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" -j"$(nproc)"
}
