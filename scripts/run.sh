#!/usr/bin/env bash
# Builds Quor and starts it. Unless QUOR_COM1 already names a device, a
# simulated receiver (gpssim) is started on a pseudo-terminal and given to
# Quor as COM1, so "接続(&G)" shows data at once.
#   QUOR_SIM_RECEIVER  receiver kind for gpssim (default: jupiter-nmea)
#   QUOR_SIM_OFFSET    gpssim's time offset from the PC clock in seconds (default 0)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUOR_BUILD_DIR:-$here/build}
"$here/scripts/build.sh"

sim_pid=""
cleanup() { [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true; }
trap cleanup EXIT

if [ -z "${QUOR_COM1:-}" ] && [ -x "$build/tools/gpssim/gpssim" ]; then
  link=$(mktemp -u /tmp/quor-gpssim.XXXXXX)
  "$build/tools/gpssim/gpssim" --receiver "${QUOR_SIM_RECEIVER:-jupiter-nmea}" \
      --offset "${QUOR_SIM_OFFSET:-0}" --link "$link" >/dev/null &
  sim_pid=$!
  for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
  export QUOR_COM1=$link
  echo "simulated receiver on COM1: $link"
fi

# Without a display, run offscreen.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
fi
"$build/quor"
