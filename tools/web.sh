#!/usr/bin/env bash
# The show in a web browser: installs what is missing, builds the libraries
# with emcc once into build-web/ (Debian's sources, fetched with apt-get
# source), builds the native show for its data, builds the page into
# build-web/site/ and serves that folder on http://127.0.0.1:8000/.
#   ./tools/web.sh               build and serve
#   ./tools/web.sh --build-only  build only
#   ./tools/web.sh --check       build, then check the page in headless
#                                chromium against the native capture
#   ./tools/web.sh --port N      serve on another port
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
source "$repo/tools/web/libs.sh"

build_only=false
check=false
port=8000
while [ $# -gt 0 ]; do
    case $1 in
    --build-only) build_only=true ;;
    --check) check=true ;;
    --port) port=${2:?--port: needs a number}; shift ;;
    -h|--help) sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "web.sh: $1: unknown option (try --help)" >&2; exit 2 ;;
    esac
    shift
done

# emcc, the tools apt-get source needs, and python3 to serve the page.
install_packages emscripten dpkg-dev python3
# The browser build's MPEG-4 decoder is FFmpeg's, called as xvidcore is: it
# takes xvidcore's header from Debian's package.
mkdir -p "$prefix/include"
cp /usr/include/xvid.h "$prefix/include/xvid.h"

build_web_libraries
# The data (dats/ and the geometry tables) come from the native build.
build_show
echo "web: building the page"
emcmake cmake -S "$repo" -B "$web_root/show" -DCMAKE_BUILD_TYPE=Release -DVAVURAVA_WEB_PREFIX="$prefix" \
    -DVAVURAVA_DATA_FROM="$build" -DVAVURAVA_SITE_DIR="$web_root/site" >/dev/null
cmake --build "$web_root/show" -j2
echo "web: the page is in build-web/site ($(du -sh "$web_root/site" | cut -f1))"
if $check; then
    install_packages chromium ffmpeg nodejs node-ws
    # The check uses node's own fetch, which emcc's setting above turns off.
    NODE_OPTIONS= exec node "$repo/web/check.mjs" "$web_root/site" "$build"
fi
$build_only && exit 0
echo "web: serving build-web/site on http://127.0.0.1:$port/ (Ctrl-C stops)"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$web_root/site"
