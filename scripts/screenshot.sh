#!/usr/bin/env bash
# Takes pictures of the desktop program on a virtual X display (Xvfb): the main window after it
# has drawn the built-in sample, and optionally the drawing-parameters window with its preview.
#   scripts/screenshot.sh [BUILD_DIR] [WINDOW.png] [PARAMETERS.png] [PRINT.png] [BATCH.png] [SCRIPT.png] [FRAME.png] [TEXT.png]
# Installs xvfb and xauth through apt when they are missing.
set -euo pipefail
build_dir=${1:-build}
output=${2:-atelion-window.png}
parameters_output=${3:-}
print_output=${4:-}
batch_output=${5:-}
script_output=${6:-}
frame_output=${7:-}
text_output=${8:-}

if ! command -v xvfb-run >/dev/null || ! command -v xauth >/dev/null; then
  sudo=
  [ "$(id -u)" = 0 ] || sudo=sudo
  echo "Installing: xvfb xauth" >&2
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends xvfb xauth >/dev/null
fi

# The pictures show the program as it starts for a new user: no settings file of this machine.
config_home=$(mktemp -d)
trap 'rm -rf "$config_home"' EXIT

arguments=(--screenshot "$output")
[ -n "$parameters_output" ] && arguments+=(--parameters-screenshot "$parameters_output")
[ -n "$print_output" ] && arguments+=(--print-screenshot "$print_output")
[ -n "$batch_output" ] && arguments+=(--batch-screenshot "$batch_output")
[ -n "$script_output" ] && arguments+=(--script-screenshot "$script_output")
[ -n "$frame_output" ] && arguments+=(--frame-screenshot "$frame_output")
[ -n "$text_output" ] && arguments+=(--text-screenshot "$text_output")
XDG_CONFIG_HOME="$config_home" QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1920x1080x24" "$build_dir/atelion" "${arguments[@]}"
echo "Wrote $output${parameters_output:+, $parameters_output}${print_output:+, $print_output}${batch_output:+, $batch_output}${script_output:+, $script_output}${frame_output:+, $frame_output}${text_output:+, $text_output}"
