#!/usr/bin/env bash
# Takes a picture of the main window with the built-in sample, without any display:
#   scripts/screenshot.sh [BUILD_DIR] [OUTPUT.png]
set -euo pipefail
build_dir=${1:-build}
output=${2:-atelion-window.png}
QT_QPA_PLATFORM=offscreen QT_QPA_FONTDIR=${QT_QPA_FONTDIR:-/usr/share/fonts/truetype/dejavu} \
  "$build_dir/atelion" --screenshot "$output"
echo "Wrote $output"
