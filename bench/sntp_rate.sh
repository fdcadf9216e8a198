#!/usr/bin/env bash
# Replies per second of SNTP servers on port 123 under sntp_load: chronyd, the
# UDP endpoint alone (udp_reflector) and Quor. Everything runs in a network
# namespace of its own with only loopback, without the right to set the
# clock; every server is stopped by its PID. For chronyd and Quor it also
# takes the median |offset| that sntp sees over $QUOR_BENCH_QUERIES (20)
# queries, both serving the same PC clock, and prints Quor against chronyd.
# Prints figures only.
#
#   bench/sntp_rate.sh [seconds = 5] [sockets = 4] [window = 8]
#
# Needs chronyd (package chrony), sntp (package sntp) and the built quor,
# sntp_load and udp_reflector.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUOR_BUILD_DIR:-$here/build}
seconds=${1:-5}
queries=${QUOR_BENCH_QUERIES:-20}
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
  "$build/bench/sntp_load" 127.0.0.1 123 "$seconds" "$sockets" "$window" | tee "$work/$name.load"
  awk '/replies per second/ { print $4 }' "$work/$name.load" >"$work/$name.rate"
  awk '/^  loss/ { print $2 }' "$work/$name.load" >"$work/$name.loss"
  if [ "$name" != udp_reflector ]; then median_offset "$name"; fi
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
quor_server() {
  mkdir -p "$work/quor/config" "$work/quor/run" "$work/quor/cwd"
  chmod 700 "$work/quor/run"
  # Offline (no receiver connected), with the log file on as a user would.
  printf '[General]\nIsLogOut=1\n' >"$work/quor/config/Quor.conf"
  cd "$work/quor/cwd"
  export XDG_CONFIG_HOME="$work/quor/config" XDG_RUNTIME_DIR="$work/quor/run" QT_QPA_PLATFORM=offscreen
  for n in 1 2 3 4; do export QUOR_COM$n="$work/quor/no-such-port-$n"; done
  exec "$build/quor"
}
quor_command=(quor_server)
# -----------------------------------------------------------------------------

# median SUFFIX NAME: the median of the absolute values (seconds) in
# $work/NAME.SUFFIX, in microseconds.
median() {
  awk '{ print ($1 < 0 ? -$1 : $1) * 1e6 }' "$work/$2.$1" | sort -g |
    awk '{ v[NR] = $1 }
      END { if (NR == 0) { print "none"; exit }
            printf "%.1f\n", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# median_offset NAME: $queries queries one after another, from sntp (a Python
# program: its own wake-up adds tens of microseconds of noise) and from
# chronyd -Q (kernel time stamps, four samples a run); the median |offset| of
# each in microseconds into $work/NAME.offset and NAME.qoffset.
median_offset() {
  local i out
  : >"$work/$1.offsets"
  : >"$work/$1.qoffsets"
  printf 'server 127.0.0.1 iburst minpoll -6 maxpoll -6\n' >"$work/query.conf"
  for ((i = 0; i < queries; i++)); do
    out=$(timeout 10 sntp -t 2 127.0.0.1 2>&1 || true)
    echo "$out" | grep -oE '[+-][0-9]+\.[0-9]+ \+/-' | head -1 | cut -d' ' -f1 >>"$work/$1.offsets"
  done
  for ((i = 0; i < queries; i++)); do
    out=$(timeout 10 chronyd -Q -n -f "$work/query.conf" -t 5 -L 0 2>&1 || true)
    echo "$out" | sed -n 's/.*System clock wrong by \([-+0-9.]*\) seconds.*/\1/p' | head -1 >>"$work/$1.qoffsets"
  done
  median offsets "$1" >"$work/$1.offset"
  median qoffsets "$1" >"$work/$1.qoffset"
  echo "  sntp:       median |offset| $(cat "$work/$1.offset") us over $(grep -c . "$work/$1.offsets") of $queries queries"
  echo "    offsets, us: $(awk '{ printf "%+.0f ", $1 * 1e6 }' "$work/$1.offsets")"
  echo "  chronyd -Q: median |offset| $(cat "$work/$1.qoffset") us over $(grep -c . "$work/$1.qoffsets") of $queries queries"
}

measure chronyd chronyd_server
measure udp_reflector reflector_server
if [ ${#quor_command[@]} -gt 0 ]; then
  measure quor "${quor_command[@]}"
fi

if [ -s "$work/quor.rate" ] && [ -s "$work/chronyd.rate" ]; then
  echo "== Quor / chronyd"
  awk -v q="$(cat "$work/quor.rate")" -v c="$(cat "$work/chronyd.rate")" \
      -v ql="$(cat "$work/quor.loss")" -v cl="$(cat "$work/chronyd.loss")" \
      'BEGIN { printf "  replies per second  %.2fx  (Quor %d at %s %% loss, chronyd %d at %s %% loss)\n", q / c, q, ql, c, cl }'
  for f in offset:sntp qoffset:"chronyd -Q"; do
    awk -v q="$(cat "$work/quor.${f%%:*}")" -v c="$(cat "$work/chronyd.${f%%:*}")" -v by="${f#*:}" \
        'BEGIN { printf "  median |offset|     Quor %s us, chronyd %s us, difference %+.1f us (%s)\n", q, c, q - c, by }'
  done
fi
