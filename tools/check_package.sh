#!/usr/bin/env bash
# Makes the Debian package and checks it as a new user would: lintian, then
# install it, run both programs from an unrelated folder, validate the desktop
# entry, AppStream data and manual pages, remove it and look for anything of
# ours left behind. Installs into this machine, so it needs root.
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
app_id=vavurava.rive.show
started=$(date +%s)
step() { echo "package check: $*"; }
fail() { echo "package check: FAILED: $*" >&2; exit 1; }

[ "$(id -u)" -eq 0 ] || fail "run as root: it installs and removes the package"
dpkg-query -W -f='${Status}' vavurava-rive 2>/dev/null | grep -q "install ok installed" &&
    fail "vavurava-rive is already installed; remove it first (apt-get remove vavurava-rive)"
install_packages lintian desktop-file-utils appstream man-db dpkg-dev file
build_show
rm -f "$build"/vavurava-rive_*.deb
cmake --build "$build" --target package >/dev/null
debs=("$build"/vavurava-rive_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no single vavurava-rive_*.deb in $build"
deb=${debs[0]}
step "made $(basename "$deb") ($(du -k "$deb" | cut -f1) KiB)"

lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian reports errors"
step "lintian: no errors"

# Everything of ours on the system, outside the checkout and scratch folders.
ours() {
    find /usr /etc /var /opt -xdev \( -path /var/tmp -o -path "$repo" \) -prune -o -iname '*vavurava*' -print 2>/dev/null |
        sort
}
before=$(ours)
DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq "$deb" >/dev/null ||
    fail "apt-get install $deb"
removed=false
remove_package() {
    if $removed; then return; fi
    removed=true
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 remove -y -qq vavurava-rive >/dev/null
}
trap remove_package EXIT
step "installed; depends on: $(dpkg-query -W -f='${Depends}' vavurava-rive)"

# As a user would: not root (whose PATH leaves out /usr/games), a login
# shell, an unrelated folder.
away=$(mktemp -d)
chown nobody "$away"
as_user() { runuser -u nobody -- env -i HOME="$away" bash -lc "cd '$away' && $1"; }
version=$(dpkg-query -W -f='${Version}' vavurava-rive)
said=$(as_user "vavurava-rive --version") || fail "vavurava-rive --version as a user"
[ "$said" = "vavurava-rive ${version%-*}" ] || fail "vavurava-rive --version says '$said', the package is $version"
as_user "SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy vavurava-capture --frame 5000 -o frame.png" ||
    fail "vavurava-capture --frame 5000 from $away"
(cd "$build" && ./vavurava-capture --frame 5000 -o "$away/built.png") || fail "the build tree's own frame"
cmp -s "$away/frame.png" "$away/built.png" || fail "the installed show's frame at 5 s differs from the build tree's"
diff -rq -x .stamp "$build/dats/" /usr/share/vavurava-rive/dats/ || fail "the installed dats/ differs from the build's"
step "as a user in $away: --version, and the installed show's frame at 5 s is the build tree's; dats/ whole"
status=0
as_user "vavurava-rive --data ." >/dev/null 2>&1 || status=$?
[ "$status" -eq 1 ] || fail "vavurava-rive --data $away (no dats/ there) exited with $status, not 1"

desktop-file-validate "/usr/share/applications/$app_id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "/usr/share/metainfo/$app_id.metainfo.xml" >/dev/null ||
    fail "appstreamcli validate --no-net /usr/share/metainfo/$app_id.metainfo.xml"
for size in 16 32 48 64 128 256 512; do
    icon=/usr/share/icons/hicolor/${size}x$size/apps/$app_id.png
    file "$icon" | grep -q "PNG image data, $size x $size, 8-bit/color RGBA" || fail "$icon: $(file -b "$icon")"
done
for page in vavurava-rive vavurava-capture; do
    text=$(as_user "MANWIDTH=80 man --warnings $page" 2>"$away/man.log") || fail "man $page"
    grep -q "EXIT STATUS" <<<"$text" || fail "man $page: no EXIT STATUS section"
    [ ! -s "$away/man.log" ] || fail "man $page: $(cat "$away/man.log")"
done
step "desktop entry, AppStream data, icons and manual pages are valid"

cd /
rm -rf "$away"
remove_package
left=$(comm -13 <(echo "$before") <(ours))
[ -z "$left" ] || fail "left behind after apt-get remove: $left"
while read -r path; do
    if [ -e "$path" ] && [ ! -d "$path" ]; then fail "left behind after apt-get remove: $path"; fi
done < <(dpkg-deb -c "$deb" | awk '{print substr($6, 2)}')
step "apt-get remove left nothing of ours behind"
step "passed in $(($(date +%s) - started)) s"
