# The browser build's libraries: Debian's own sources of SDL2, libogg,
# libvorbis, libjpeg-turbo and FFmpeg (its MPEG-4 decoder and scaler only),
# fetched with apt-get source and built once with emcc into build-web/prefix.
# Sourced by tools/web.sh; each library is skipped once its stamp exists.

web_root="$repo/build-web"
# VAVURAVA_WEB_CACHE, when set, keeps the libraries outside the tree, so that
# fresh clones on the same machine (CI's) reuse them.
libraries_root="${VAVURAVA_WEB_CACHE:-$web_root}"
prefix="$libraries_root/prefix"
sources="$libraries_root/sources"
apt_dir="$libraries_root/apt"

# emcc on this Debian: its node does not look in /usr/share/nodejs, the HTML
# minifier crashes above -O0, and node 20's fetch breaks the loader's run checks.
export NODE_PATH=/usr/share/nodejs
export NODE_OPTIONS=--no-experimental-fetch
# Its cache is read-only here, so the sanity check it keeps there would run
# again on every call.
export EMCC_SKIP_SANITY_CHECK=1
# Debian's own python starts emcc in half the time of one with many site
# packages earlier on PATH, and emcc starts for every file and every check.
[ -x /usr/bin/python3 ] && export EMSDK_PYTHON=/usr/bin/python3
web_cflags="-O2"

# apt-get with a sources list of our own (deb-src only), leaving the
# machine's apt configuration as it is.
own_apt() {
    apt-get -o Dir::Etc::SourceList="$apt_dir/sources.list" -o Dir::Etc::SourceParts="$apt_dir/parts" \
        -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir/cache" -o Debug::NoLocking=1 "$@"
}

# Fetches and unpacks one source package into $sources/NAME (once).
fetch_source() {  # package
    local name=$1
    [ -d "$sources/$name" ] && return 0
    if [ ! -f "$apt_dir/lists/.updated" ]; then
        mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/parts"
        local key=/usr/share/keyrings/debian-archive-keyring.gpg
        cat > "$apt_dir/sources.list" <<LIST
deb-src [signed-by=$key] http://deb.debian.org/debian bookworm main
deb-src [signed-by=$key] http://deb.debian.org/debian bookworm-updates main
deb-src [signed-by=$key] http://deb.debian.org/debian-security bookworm-security main
LIST
        echo "web: reading Debian's source package lists"
        own_apt update -qq
        touch "$apt_dir/lists/.updated"
    fi
    echo "web: fetching the source of $name"
    local download="$sources/.download-$name"
    rm -rf "$download" && mkdir -p "$download"
    (cd "$download" && own_apt source -qq "$name" >/dev/null 2>&1) || {
        echo "web: cannot fetch the Debian source package $name" >&2
        return 1
    }
    local unpacked
    unpacked=$(find "$download" -mindepth 1 -maxdepth 1 -type d | head -n 1)
    mv "$unpacked" "$sources/$name"
    rm -rf "$download"
}

# Runs a library's build, logging to logs/NAME.log beside them, and stamps it.
build_library() {  # name function
    local name=$1 step=$2
    [ -f "$prefix/.built-$name" ] && return 0
    fetch_source "$name"
    mkdir -p "$libraries_root/logs"
    echo "web: building $name with emcc (log: $libraries_root/logs/$name.log)"
    local started=$SECONDS
    # In the background, so that set -e holds inside the step.
    (set -e; cd "$sources/$name"; "$step") >"$libraries_root/logs/$name.log" 2>&1 &
    if ! wait $!; then
        echo "web: building $name failed; the end of its log:" >&2
        tail -n 20 "$libraries_root/logs/$name.log" >&2
        return 1
    fi
    echo "web: $name built in $((SECONDS - started)) s"
    touch "$prefix/.built-$name"
}

cmake_static() {  # cmake options
    rm -rf web-build
    emcmake cmake -S . -B web-build -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DCMAKE_C_FLAGS="$web_cflags" "$@"
    cmake --build web-build -j2
    cmake --install web-build
}

# CMake rather than their configure scripts: under emcc those run every
# check through node and take many minutes.
# CMake's type size checks read a program's strings, which emcc leaves in the
# .wasm beside the .js they look in, so they find nothing: the sizes are given.
type_sizes() {  # VARIABLE=BYTES...
    for pair in "$@"; do echo "-D${pair%%=*}=${pair#*=}" "-DHAVE_${pair%%=*}=TRUE"; done
}
build_ogg() {
    # shellcheck disable=SC2046
    cmake_static -DBUILD_SHARED_LIBS=OFF -DINSTALL_DOCS=OFF $(type_sizes INT16_SIZE=2 UINT16_SIZE=2 \
        U_INT16_SIZE=2 INT32_SIZE=4 UINT32_SIZE=4 U_INT32_SIZE=4 INT64_SIZE=8 SHORT_SIZE=2 INT_SIZE=4 LONG_SIZE=4 \
        LONG_LONG_SIZE=8)
}
build_vorbis() {
    cmake_static -DBUILD_SHARED_LIBS=OFF -DOGG_INCLUDE_DIR="$prefix/include" -DOGG_LIBRARY="$prefix/lib/libogg.a"
}
build_jpeg() {
    # No SIMD in WebAssembly; the type sizes, which its checks do not find.
    # shellcheck disable=SC2046
    cmake_static -DENABLE_SHARED=OFF -DWITH_SIMD=0 -DWITH_TURBOJPEG=OFF $(type_sizes SIZE_T=4 UNSIGNED_LONG=4)
}
build_sdl() {
    # The emscripten video and audio drivers, no threads (none are needed and
    # threads would need cross-origin isolation on the server).
    cmake_static -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_THREADS=OFF -DSDL_PTHREADS=OFF
}
build_ffmpeg() {
    # The MPEG-4 Part 2 decoder and the scaler that turns its pictures to RGB.
    emconfigure ./configure --prefix="$prefix" --cc=emcc --cxx=em++ --ar=emar --ranlib=emranlib \
        --nm=llvm-nm --target-os=none --arch=x86_32 --enable-cross-compile --disable-asm \
        --disable-inline-asm --disable-x86asm --disable-runtime-cpudetect --disable-pthreads \
        --disable-w32threads --disable-os2threads --disable-network --disable-autodetect \
        --disable-everything --disable-programs --disable-doc --disable-debug \
        --disable-avformat --disable-avfilter --disable-avdevice --disable-swresample --disable-postproc \
        --enable-decoder=mpeg4 --enable-swscale --optflags="$web_cflags"
    emmake make -j2
    emmake make install
}

build_web_libraries() {
    mkdir -p "$prefix" "$sources"
    build_library libogg build_ogg
    build_library libvorbis build_vorbis
    build_library libjpeg-turbo build_jpeg
    build_library libsdl2 build_sdl
    build_library ffmpeg build_ffmpeg
}
