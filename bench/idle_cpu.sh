#!/usr/bin/env bash
# Idle CPU of Quor while connected to a receiver: the window (offscreen) and
# the headless service, each on gpssim for $1 seconds (default 60), in a
# network namespace of its own, the whole run without the right to set the
# clock (gpssim's time is the PC's own). Prints the CPU seconds (user +
# system) each used over the run. Usage: bench/idle_cpu.sh [seconds] [build dir]
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=$(realpath "${2:-${QUOR_BUILD_DIR:-$here/build}}")
QUOR=$build/quor
GPSSIM=$build/tools/gpssim/gpssim
if [ "${QUOR_IN_NETNS:-}" != 1 ]; then
  unshare --net true 2>/dev/null || { echo "idle_cpu: cannot make a network namespace here"; exit 0; }
  exec unshare --net -- env QUOR_IN_NETNS=1 capsh --drop=cap_sys_time -- "$0" "$seconds" "$build"
fi
ip link set lo up
. "$here/tests/interop/lib.bash"

# CPU seconds of a process so far: utime + stime of /proc/PID/stat.
cpu_seconds() {
  local ticks
  ticks=$(awk '{print $14 + $15}' "/proc/$1/stat")
  awk -v t="$ticks" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.2f", t / hz }'
}

# The program's own process under the capsh wrapper.
quor_pid() {
  local i p
  for ((i = 0; i < 50; i++)); do
    p=$(pgrep -n -f "^$QUOR" ) && { echo "$p"; return 0; }
    sleep 0.1
  done
  return 1
}

run() {
  local what=$1
  shift
  quor_sandbox
  quor_gpssim "$SANDBOX/gps0"
  export QUOR_COM1=$SANDBOX/gps0
  printf '[General]\nIsLogOut=1\n' >"$XDG_CONFIG_HOME/Quor.conf"
  quor_start "$@"
  quor_wait_log "接続開始" 20 >/dev/null 2>&1 || { echo "idle_cpu $what: no data from gpssim"; quor_cleanup; return; }
  local pid start
  pid=$(quor_pid) || { echo "idle_cpu $what: no process"; quor_cleanup; return; }
  start=$(cpu_seconds "$pid")
  sleep "$seconds"
  local end
  end=$(cpu_seconds "$pid")
  awk -v a="$start" -v b="$end" -v w="$what" -v s="$seconds" \
    'BEGIN { printf "idle_cpu %-8s %5.2f s CPU in %d s connected to gpssim\n", w, b - a, s }'
  quor_cleanup
  trap - EXIT
}

run window --connect
run headless --headless
