#!/usr/bin/env bash
# Renders the icon's PNG sizes from its SVG into data/icons/<size>/. Run by
# hand after changing the SVG, and commit the PNGs: building and installing
# Navora need no SVG renderer. Needs rsvg-convert (Debian librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../.."
svg=data/icons/scalable/org.navora.Navora.svg
command -v rsvg-convert >/dev/null || { echo "render.sh: rsvg-convert is missing (apt-get install librsvg2-bin)" >&2; exit 1; }
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "data/icons/${size}x${size}"
  rsvg-convert --width "$size" --height "$size" --output "data/icons/${size}x${size}/org.navora.Navora.png" "$svg"
done
echo "render.sh: icons written to data/icons/"
