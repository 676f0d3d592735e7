#!/usr/bin/env bash
# Makes the README's screenshots from the running station on the simulated camera: the Standard
# and the Law Enforcement layout, a picture under review, and the "Adjust" sheet beside the main
# dialog on its first page, on "Advanced", and on "Crop" after "3/4". Run it again whenever the
# look changes:
#
#     make build && tools/readme-screenshots.sh [OUTPUT_FOLDER]     # default docs/screenshots
#
# Needs Xvfb, xdotool and ImageMagick (apt-get install xvfb xdotool imagemagick). Each shot runs
# a fresh station with its own settings, pictures and runtime folders, so nothing of the user's
# is read or changed.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
station=${ZELVOCAM_BINARY:-$root/build/default/zelvocam}
out=${1:-$root/docs/screenshots}

for tool in Xvfb xdotool import convert; do
    command -v "$tool" >/dev/null || { echo "needs $tool: apt-get install xvfb xdotool imagemagick" >&2; exit 1; }
done
[ -x "$station" ] || { echo "no station at $station: run 'make build' first" >&2; exit 1; }
mkdir -p "$out"

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A private X server on the first free display number.
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=":$display"
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

# Starts a station whose stored settings are the given "Name"=dword:... lines, and waits until
# its first live frame is shown.
start_station() {
    local run="$work/run$RANDOM"
    mkdir -p "$run/config/zelvocam/registry/Software" "$run/data" "$run/runtime"
    chmod 700 "$run/runtime"
    {
        echo 'REGEDIT4'
        echo '[HKEY_CURRENT_USER\Software\ZelvoCam USB]'
        printf '%s\n' "$@"
    } > "$run/config/zelvocam/registry/Software/ZelvoCam USB.reg"
    HOME="$run" XDG_CONFIG_HOME="$run/config" XDG_DATA_HOME="$run/data" \
        XDG_RUNTIME_DIR="$run/runtime" ZELVOCAM_DEVICE=sim ZELVOCAM_MESSAGES=stderr \
        "$station" 2> "$run/log" &
    station_pid=$!
    pids+=("$station_pid")
    for _ in $(seq 300); do
        grep -q '^ready: live picture$' "$run/log" && break
        kill -0 "$station_pid" 2>/dev/null || { cat "$run/log" >&2; exit 1; }
        sleep 0.1
    done
    grep -q '^ready: live picture$' "$run/log" || { echo "the station did not start" >&2; exit 1; }
    window=$(xdotool search --sync --name '^ZelvoCam USB$' | head -n 1)
    xdotool windowfocus --sync "$window"
    sleep 1  # a few more live frames, so the picture is settled
}

stop_station() {
    kill -TERM "$station_pid"
    wait "$station_pid" 2>/dev/null || true
}

# The screen with the empty desktop cut away.
shoot() {
    import -window root "$work/screen.png"
    convert "$work/screen.png" -trim +repage "$out/$1"
    echo "$out/$1"
}

start_station '"Interface"=dword:00000001' '"PreviewCapture"=dword:00000001'
shoot standard-layout.png
xdotool key --window "$window" alt+c
sleep 3  # the capture: stream restart, frame, processing
shoot picture-under-review.png
stop_station

start_station '"Interface"=dword:00000000'
shoot law-enforcement-layout.png
stop_station

# The fixed name as an operator's machine would show it, not this run's temporary folder.
start_station '"Interface"=dword:00000001' '"JPG File Name"="/home/operator/ZelvoCam Temp.JPG"' \
    '"Path"="/home/operator/"'
xdotool key --window "$window" alt+a
sheet=$(xdotool search --sync --name '^Adjust$' | head -n 1)
sleep 0.5
shoot adjust-sheet.png
xdotool key ctrl+Tab
sleep 0.5
shoot advanced-page.png
# The Crop page with "3/4" chosen: the main dialog narrows around the live picture at once. The
# radio button lies in the page, which starts below the tabs.
xdotool key ctrl+Tab ctrl+Tab
eval "$(xdotool getwindowgeometry --shell "$sheet")"
xdotool mousemove $((X + 30)) $((Y + 112)) click 1
sleep 0.8
shoot crop-three-quarters.png
stop_station
