# The browser build's libraries: Debian's own sources of SDL2, libogg,
# libvorbis, libjpeg-turbo and FFmpeg (its MPEG-4 decoder and scaler only),
# fetched with apt-get source and built once with emcc into build-web/prefix,
# with as few of emcc's slow starts as we can: checks answered beforehand,
# SDL from a list of its sources, files compiled by emcc's clang directly.
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

# The CPU seconds in a line of `times` ("1m2.5s 0m3.1s": user, system).
cpu_seconds() {
    awk '{ n = 0; for (i = 1; i <= 2; i++) { split($i, t, /[ms]/); n += t[1] * 60 + t[2] } printf "%.0f", n }'
}

# Runs a library's build, logging to logs/NAME.log beside them, and stamps it.
build_library() {  # name function
    local name=$1 step=$2
    [ -f "$prefix/.built-$name" ] && return 0
    fetch_source "$name"
    mkdir -p "$libraries_root/logs"
    echo "web: building $name with emcc (log: $libraries_root/logs/$name.log)"
    local started=$SECONDS log="$libraries_root/logs/$name.log"
    # In the background, so that set -e holds inside the step; `times` ends
    # the log with the CPU time of the step's programs (user, system).
    (set -e; cd "$sources/$name"; "$step"; times) >"$log" 2>&1 &
    if ! wait $!; then
        echo "web: building $name failed; the end of its log:" >&2
        tail -n 20 "$log" >&2
        return 1
    fi
    echo "web: $name built in $((SECONDS - started)) s, $(tail -n 1 "$log" | cpu_seconds) s of CPU"
    touch "$prefix/.built-$name"
}

# The clang emcc runs and the flags it gives it, for tools/web/emclang: read
# once, when a library is to be built.
use_emclang() {
    [ -n "${EMCLANG:-}" ] && return 0
    local version
    version=$(em-config CLANG_ADD_VERSION 2>/dev/null || true)
    EMCLANG="$(em-config LLVM_ROOT)/clang${version:+-$version}"
    if [ ! -x "$EMCLANG" ]; then
        echo "web: emcc's clang ($EMCLANG) is missing" >&2
        return 1
    fi
    EMCLANG_FLAGS=$(emcc --cflags)
    case $EMCLANG_FLAGS in
    *wasm32*) ;;
    *) echo "web: emcc --cflags names no WebAssembly target: $EMCLANG_FLAGS" >&2; return 1 ;;
    esac
    export EMCLANG EMCLANG_FLAGS
}
emclang="$repo/tools/web/emclang"

# Records how emcc runs wasm-ld for a program, for tools/web/emld: one emcc
# link, run with the symbols of emscripten's JavaScript listed for wasm-ld
# (LLD_REPORT_UNDEFINED) and a wasm-ld of ours that writes down its arguments.
use_emld() {
    [ -n "${EMLD_RECORD:-}" ] && return 0
    local dir="$libraries_root/emld" llvm_root version tool
    llvm_root=$(em-config LLVM_ROOT)
    version=$(em-config LLVM_ADD_VERSION 2>/dev/null || true)
    rm -rf "$dir" && mkdir -p "$dir/llvm"
    for tool in "$llvm_root"/*"${version:+-$version}"; do ln -s "$tool" "$dir/llvm/"; done
    local wasm_ld="$llvm_root/wasm-ld${version:+-$version}"
    rm -f "$dir/llvm/$(basename "$wasm_ld")"
    cat >"$dir/llvm/$(basename "$wasm_ld")" <<SCRIPT
#!/bin/sh
printf '%s\\n' "\$@" >"$dir/arguments"
for argument; do
    case \$argument in --allow-undefined-file=*) cp "\${argument#*=}" "$dir/js-symbols" ;; esac
done
exec "$wasm_ld" "\$@"
SCRIPT
    chmod +x "$dir/llvm/$(basename "$wasm_ld")"
    printf 'int main(void) { return 0; }\n' >"$dir/main.c"
    emcc -c "$dir/main.c" -o "$dir/main.o"
    EM_LLVM_ROOT="$dir/llvm" emcc -sLLD_REPORT_UNDEFINED "$dir/main.o" -o "$dir/main.js" >/dev/null
    if [ ! -s "$dir/js-symbols" ]; then
        echo "web: emcc's link ran no wasm-ld with a list of its JavaScript symbols" >&2
        return 1
    fi
    # The program, then its options without the output and the object.
    {
        echo "$wasm_ld"
        awk -v object="$dir/main.o" -v symbols="$dir/js-symbols" '
            skip { skip = 0; next }
            $0 == "-o" { skip = 1; next }
            $0 == object { next }
            /^--allow-undefined-file=/ { print "--allow-undefined-file=" symbols; next }
            { print }' "$dir/arguments"
    } >"$dir/record"
    export EMLD_RECORD="$dir/record"
}
emld="$repo/tools/web/emld"

# libogg, libvorbis and libjpeg-turbo with their own CMake builds, the answers
# to their checks given (tools/web/checks.cmake): only the one static library
# the show links is built, not their programs and tests.
cmake_configure() {  # cmake options
    rm -rf web-build
    emcmake cmake -C "$repo/tools/web/checks.cmake" -S . -B web-build -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_C_FLAGS="$web_cflags" "$@"
}
# Builds one CMake target and puts its archive and headers into the prefix.
cmake_install_target() {  # target archive include-subfolder headers...
    local target=$1 archive=$2 folder=$3
    shift 3
    cmake --build web-build -j2 --target "$target"
    install -d "$prefix/lib" "$prefix/include/$folder"
    install -m 644 "web-build/$archive" "$prefix/lib/"
    install -m 644 "$@" "$prefix/include/$folder/"
}
build_ogg() {
    cmake_configure -DBUILD_SHARED_LIBS=OFF -DINSTALL_DOCS=OFF -DBUILD_TESTING=OFF
    cmake_install_target ogg libogg.a ogg include/ogg/ogg.h include/ogg/os_types.h \
        web-build/include/ogg/config_types.h
}
build_vorbis() {
    cmake_configure -DBUILD_SHARED_LIBS=OFF -DOGG_INCLUDE_DIR="$prefix/include" -DOGG_LIBRARY="$prefix/lib/libogg.a"
    cmake_install_target vorbis lib/libvorbis.a vorbis include/vorbis/*.h
}
build_jpeg() {
    # No SIMD in WebAssembly.
    cmake_configure -DENABLE_SHARED=OFF -DWITH_SIMD=0 -DWITH_TURBOJPEG=OFF
    cmake_install_target jpeg-static libjpeg.a . jpeglib.h jerror.h jmorecfg.h web-build/jconfig.h
}
build_sdl() {
    # SDL's own emscripten configuration and our list of its sources
    # (tools/web/sdl2.mk): its CMake build's checks took most of the time.
    use_emclang
    make -f "$repo/tools/web/sdl2.mk" -j2 CC="$emclang" AR=emar CFLAGS="$web_cflags -DNDEBUG" \
        PREFIX="$prefix" install
}
build_ffmpeg() {
    # The MPEG-4 Part 2 decoder and the scaler that turns its pictures to RGB.
    # Its configure runs some four hundred checks: they compile with emclang,
    # as the build does, and link with emld (wasm-ld as emcc runs it); the
    # build itself links nothing.
    use_emclang
    use_emld
    emconfigure ./configure --prefix="$prefix" --cc="$emclang" --ld="$emld" --cxx=em++ --ar=emar --ranlib=emranlib \
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
    local name
    for name in libogg libvorbis libjpeg-turbo libsdl2 ffmpeg; do
        [ -f "$prefix/.built-$name" ] || fetch_source "$name"
    done
    # FFmpeg's configure runs its checks one after another, keeping one core
    # busy for minutes: the other libraries build on the other meanwhile.
    # Both in the background, as plain commands, so that set -e holds in
    # their steps (it does not in a command that && or || test).
    build_library ffmpeg build_ffmpeg &
    local ffmpeg=$! failed=0
    (
        build_library libogg build_ogg
        build_library libvorbis build_vorbis
        build_library libjpeg-turbo build_jpeg
        build_library libsdl2 build_sdl
    ) &
    wait $! || failed=1
    wait "$ffmpeg" || failed=1
    return "$failed"
}
