#!/bin/sh
# Renders the application icon (resources/org.zelvocam.Station.svg) into the PNG files kept
# beside it, resources/icons/NxN.png: the desktop's icon theme installs them, and the station
# has them built in for its window icon and the About box. Run it again after changing the
# drawing and commit the PNG files; it needs rsvg-convert (librsvg2-bin).
set -eu
cd "$(dirname "$0")/../resources"
svg=org.zelvocam.Station.svg
mkdir -p icons
for size in 16 22 24 32 48 64 128 256 512; do
    rsvg-convert --width "$size" --height "$size" --output "icons/${size}x${size}.png" "$svg"
done
