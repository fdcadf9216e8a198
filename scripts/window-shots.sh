#!/usr/bin/env bash
# Draws every window into PNG files under a real X server (Xvfb), to check
# that all texts show whole: scripts/window-shots.sh [OUTPUT_DIR]
# (default: build/window-shots). Builds first; installs Xvfb when missing.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUOR_BUILD_DIR:-$here/build}
out=${1:-$build/window-shots}
if ! command -v xvfb-run >/dev/null; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q xvfb xauth
fi
"$here/scripts/build.sh"
cmake --build "$build" --target window_shots >/dev/null
unset QT_QPA_PLATFORM
xvfb-run -a -s "-screen 0 1600x1200x24" "$build/tests/window_shots" "$out"
