#!/usr/bin/env bash
# Replies per second of SNTP servers on port 123 under sntp_load: chronyd, the
# UDP endpoint alone (udp_reflector) and Quor. Everything runs in a network
# namespace of its own with only loopback, without the right to set the
# clock; every server is stopped by its PID. Prints figures only.
#
#   bench/sntp_rate.sh [seconds = 5] [sockets = 4] [window = 8]
#
# Needs chronyd (package chrony) and the built sntp_load and udp_reflector.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUOR_BUILD_DIR:-$here/build}
seconds=${1:-5}
sockets=${2:-4}
window=${3:-8}

if [ "${QUOR_BENCH_NETNS:-}" != 1 ]; then
  if unshare --net true 2>/dev/null; then
    ns=(unshare --net)
  elif unshare --net --map-root-user true 2>/dev/null; then
    ns=(unshare --net --map-root-user)
  else
    echo "sntp_rate: cannot make a network namespace here" >&2
    exit 1
  fi
  QUOR_BENCH_NETNS=1 QUOR_BUILD_DIR="$build" exec "${ns[@]}" -- \
    capsh --drop=cap_sys_time -- "$0" "$@"
fi

# From here on: inside the namespace.
ip link set lo up
work=$(mktemp -d /tmp/quor-sntp-rate.XXXXXX)
PIDS=()
cleanup() {
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${PIDS[@]}"; do wait "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# Waits up to 5 s for something to listen on UDP port $1.
wait_for_port() {
  local i
  for ((i = 0; i < 50; i++)); do
    [ -n "$(ss -Hlun "sport = :$1")" ] && return 0
    sleep 0.1
  done
  return 1
}

# measure NAME COMMAND...: starts the server command in the background, waits
# for port 123, runs the load against it, then stops the server by its PID.
measure() {
  local name=$1
  shift
  echo "== $name"
  "$@" >"$work/$name.out" 2>&1 &
  local pid=$!
  PIDS+=("$pid")
  if ! wait_for_port 123; then
    echo "$name did not bind port 123:" >&2
    cat "$work/$name.out" >&2
    kill "$pid" 2>/dev/null || true
    return 1
  fi
  "$build/bench/sntp_load" 127.0.0.1 123 "$seconds" "$sockets" "$window"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  # What the server itself counted, if it says.
  grep -h "^udp_reflector:" "$work/$name.out" || true
}

chronyd_server() {
  mkdir -p "$work/chrony"
  cat >"$work/chrony/chrony.conf" <<EOF
local stratum 1
allow
port 123
cmdport 0
bindcmdaddress /
pidfile $work/chrony/chronyd.pid
driftfile $work/chrony/drift
dumpdir $work/chrony
ntsdumpdir $work/chrony
EOF
  exec chronyd -x -d -u root -f "$work/chrony/chrony.conf"
}

# The UDP endpoint answering each request at once; prints its counts when
# stopped.
reflector_server() {
  exec "$build/bench/udp_reflector" 123
}

# ---- Quor as the server ----------------------------------------------------
# The command that starts Quor answering SNTP on port 123 in this namespace
# (offscreen, with a configuration directory of its own under $work, as
# tests/interop/lib.bash does); measure runs it and stops it by its PID.
# Empty: Quor is left out.
quor_command=()
# -----------------------------------------------------------------------------

measure chronyd chronyd_server
measure udp_reflector reflector_server
if [ ${#quor_command[@]} -gt 0 ]; then
  measure quor "${quor_command[@]}"
fi
