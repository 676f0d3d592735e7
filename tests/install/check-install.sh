#!/bin/sh
# Installs the build under /usr in a temporary DESTDIR, as the Debian package does, and checks
# the tree: every program answers --version and --help from there and has a manual page that
# renders without warnings, the desktop entry and the AppStream metadata validate, nothing
# points back into the build, and the installed station starts on the simulated camera.
#
#   check-install.sh CMAKE BUILD_DIR VERSION
set -eu
cmake=$1 build=$2 version=$3
id=org.zelvocam.Station

root=$(mktemp -d)
station=
cleanup() {
    [ -z "$station" ] || kill "$station" 2>/dev/null || true
    rm -rf "$root"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

DESTDIR=$root "$cmake" --install "$build" --prefix /usr >/dev/null
usr=$root/usr

for program in "$usr"/bin/*; do
    name=${program##*/}
    [ "$("$program" --version)" = "$name $version" ] || fail "$name --version"
    "$program" --help | grep -q "^usage: $name" || fail "$name --help"
    if readelf -d "$program" | grep -q -E 'RPATH|RUNPATH'; then
        fail "$name carries a library path"
    fi
    page=$usr/share/man/man1/$name.1.gz
    [ -f "$page" ] || fail "$name has no manual page"
    warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$name.1: $warnings"
done

desktop-file-validate "$usr/share/applications/$id.desktop" || fail "desktop entry"
# The metadata, and that its desktop entry and icon are in the tree beside it.
appstreamcli validate-tree --no-net "$root" >/dev/null ||
    fail "$(appstreamcli validate-tree --no-net "$root")"
for size in 16 22 24 32 48 64 128 256 512; do
    icon=$usr/share/icons/hicolor/${size}x${size}/apps/$id.png
    [ -f "$icon" ] || fail "no $size px icon"
done
if grep -r -l -F -e "$build" "$usr/share"; then
    fail "files above point into the build"
fi

# The station from the tree, on the simulated camera, until its first live frame; then the
# close a desktop's log-out sends, which ends it normally.
mkdir -m 0700 "$root/run"
log=$root/station.log
XDG_RUNTIME_DIR=$root/run XDG_CONFIG_HOME=$root/config XDG_DATA_HOME=$root/data \
    QT_QPA_PLATFORM=offscreen ZELVOCAM_DEVICE=sim ZELVOCAM_MESSAGES=stderr \
    "$usr/bin/zelvocam" >"$log" 2>&1 &
station=$!
tries=0
until grep -q '^ready: live picture' "$log"; do
    kill -0 "$station" 2>/dev/null || fail "the installed station ended: $(cat "$log")"
    tries=$((tries + 1))
    [ "$tries" -lt 600 ] || fail "the installed station showed no live picture: $(cat "$log")"
    sleep 0.1
done
kill -TERM "$station"
status=0
wait "$station" || status=$?
station=
[ "$status" -eq 0 ] || fail "the installed station exited with $status: $(cat "$log")"
echo "installed tree checked"
