#!/usr/bin/env bash
# Builds Quor and starts it. Unless QUOR_COM1 already names a device, a
# simulated receiver (gpssim) is started on a pseudo-terminal and given to
# Quor as COM1, so "接続(&G)" shows data at once; Quor then runs without the
# right to set the clock.
#   QUOR_SIM_RECEIVER  receiver kind for gpssim (default: jupiter-nmea)
#   QUOR_SIM_OFFSET    gpssim's time offset from the PC clock in seconds (default 0)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUOR_BUILD_DIR:-$here/build}
"$here/scripts/build.sh"

quor=$build/quor
sim_pid=""
cleanup() { [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true; }
trap cleanup EXIT

# How Quor is started: as it is with a real receiver; beside the simulator
# without the right to set the clock (cap_sys_time), because the simulator's
# time is only the PC's own, shifted by its sentence timing, and setting the
# clock to it would move the clock for nothing.
start=()
if [ -z "${QUOR_COM1:-}" ] && [ -x "$build/tools/gpssim/gpssim" ]; then
  if capsh --has-p=cap_setpcap 2>/dev/null; then
    # Root: cap_sys_time leaves the bounding set, so no exec can regain it.
    # The kernel then refuses a program file whose own rights (setcap)
    # include it, and root does not need them.
    if getcap "$quor" 2>/dev/null | grep -q cap_sys_time; then
      echo "$quor carries the right to set the clock (setcap); as root it is not needed." >&2
      echo "Remove it with 'setcap -r $quor', or start the simulation as a normal user." >&2
      exit 1
    fi
    start=(capsh --drop=cap_sys_time -- -c 'exec "$0" "$@"')
  else
    # A normal user has no cap_sys_time, but a program file given rights with
    # setcap would get them at exec; with no-new-privs it gets none (and one
    # handed down as ambient is lowered too).
    start=(setpriv --no-new-privs --inh-caps=-sys_time --ambient-caps=-sys_time)
  fi
  link=$(mktemp -u /tmp/quor-gpssim.XXXXXX)
  "$build/tools/gpssim/gpssim" --receiver "${QUOR_SIM_RECEIVER:-jupiter-nmea}" \
      --offset "${QUOR_SIM_OFFSET:-0}" --link "$link" >/dev/null &
  sim_pid=$!
  for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
  export QUOR_COM1=$link
  echo "simulated receiver on COM1: $link"
  echo "Quor runs without the right to set the clock (cap_sys_time dropped): the PC clock stays as it is"
fi

# Without a display, run offscreen.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
fi
"${start[@]}" "$quor"
