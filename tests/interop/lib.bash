# Helpers for the tests that start the real program. Sourced, not run.
# Every run is isolated: its own working directory, configuration directory
# and lock directory, offscreen, and without the right to set the clock.

quor_sandbox() {
  SANDBOX=$(mktemp -d /tmp/quor-interop.XXXXXX)
  QDIR=$SANDBOX
  QUOR_PREFIX=()
  quor_dirs
  PIDS=()
  trap quor_cleanup EXIT
}

# Makes and selects the directories of the instance in $QDIR.
quor_dirs() {
  mkdir -p "$QDIR/config" "$QDIR/run" "$QDIR/cwd"
  chmod 700 "$QDIR/run"
  export XDG_CONFIG_HOME="$QDIR/config" XDG_RUNTIME_DIR="$QDIR/run" QT_QPA_PLATFORM=offscreen
  for n in 1 2 3 4; do export QUOR_COM$n="$QDIR/no-such-port-$n"; done
}

# Selects (and makes on first use) the instance NAME inside the sandbox, with
# configuration, lock and working directories of its own, so that several
# instances can run at once. quor_start, quor_wait_log and quor_log act on the
# selected one. Optional further words: a command prefix to start it with
# (e.g. nsenter into another network namespace).
quor_instance() {
  QDIR=$SANDBOX/$1
  shift
  QUOR_PREFIX=("$@")
  quor_dirs
}

quor_cleanup() {
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null; done
  for p in "${PIDS[@]}"; do wait "$p" 2>/dev/null; done
  rm -rf "$SANDBOX"
}

# Starts the program with the given arguments in the background with
# CAP_SYS_TIME dropped.
quor_start() {
  local args="" a
  for a in "$@"; do args+=" $(printf '%q' "$a")"; done
  (cd "$QDIR/cwd" && exec "${QUOR_PREFIX[@]}" capsh --drop=cap_sys_time -- -c "exec \"$QUOR\"$args" >"$QDIR/quor.out" 2>&1) &
  PIDS+=($!)
  QUOR_PID=$!
}

# The log file of the selected instance, in UTF-8.
quor_log() { cat "$QDIR"/cwd/Quor*.log 2>/dev/null | iconv -f CP932 -t UTF-8; }

# Waits up to $2 seconds for the log file (CP932) to hold the text $1.
quor_wait_log() {
  local want=$1 limit=${2:-10} i
  for ((i = 0; i < limit * 10; i++)); do
    if quor_log | grep -qF -- "$want"; then
      return 0
    fi
    sleep 0.1
  done
  echo "log never showed: $want" >&2
  quor_log >&2
  cat "$QDIR/quor.out" >&2
  return 1
}

# Runs the calling test again in a network namespace of its own (its
# arguments after "--" passed on), then brings loopback up there. Skips the
# test when no namespace can be made, when one of the named tools is
# missing, or when $GPSSIM is set but not built. Usage:
#   quor_own_netns TOOL... -- "$@"
quor_own_netns() {
  local tools=() tool
  while [ $# -gt 0 ] && [ "$1" != -- ]; do tools+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  if [ "${QUOR_IN_NETNS:-}" != 1 ]; then
    unshare --net true 2>/dev/null || { echo "skipped: cannot make a network namespace here"; exit 0; }
    for tool in "${tools[@]}"; do
      command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 0; }
    done
    [ -z "${GPSSIM:-}" ] || [ -x "$GPSSIM" ] || { echo "skipped: gpssim is not built"; exit 0; }
    exec unshare --net -- env QUOR_IN_NETNS=1 bash "$0" "$@"
  fi
  ip link set lo up
}

# Starts chronyd as a client of the server "$2" (an address, optionally with
# options such as "key 1") in $SANDBOX/$1, without the right to set the clock
# and with a control socket of its own; further arguments are more lines of
# its configuration. Sets CHRONY_DIR and CHRONY_PID.
quor_chrony_client() {
  local server=$2
  CHRONY_DIR=$SANDBOX/$1
  shift 2
  mkdir -p "$CHRONY_DIR"
  chmod 700 "$CHRONY_DIR"
  {
    echo "server $server iburst minpoll 0 maxpoll 0"
    [ $# -gt 0 ] && printf '%s\n' "$@"
    cat <<CONF
port 0
bindcmdaddress $CHRONY_DIR/chronyd.sock
pidfile $CHRONY_DIR/chronyd.pid
driftfile $CHRONY_DIR/drift
CONF
  } >"$CHRONY_DIR/chrony.conf"
  capsh --drop=cap_sys_time -- -c "exec chronyd -x -d -u root -f '$CHRONY_DIR/chrony.conf'" >"$CHRONY_DIR/out" 2>&1 &
  CHRONY_PID=$!
  PIDS+=("$CHRONY_PID")
}

fail() { echo "FAIL: $*" >&2; exit 1; }

# Inside a network namespace of the test's own: makes a second one joined to
# this by a veth pair, 10.77.0.1/24 here and 10.77.0.2/24 there, and sets
# PEER_NS=(nsenter ...) as the prefix that runs a command there. Its holder
# process is stopped with the other peers. Returns 1 when it cannot be made.
quor_veth_pair() {
  unshare --net sleep infinity &
  local holder=$!
  PIDS+=("$holder")
  local i
  for ((i = 0; i < 50; i++)); do
    [ "$(readlink /proc/$holder/ns/net)" != "$(readlink /proc/self/ns/net)" ] && break
    sleep 0.05
  done
  PEER_NS=(nsenter -t "$holder" -n)
  ip link set lo up &&
    ip link add q0 type veth peer name q1 netns "$holder" &&
    ip addr add 10.77.0.1/24 dev q0 && ip link set q0 up &&
    "${PEER_NS[@]}" sh -c 'ip link set lo up && ip addr add 10.77.0.2/24 dev q1 && ip link set q1 up'
}

# Starts gpssim (receiver kind $2, default jupiter-nmea) on a pseudo-terminal
# linked at $1, with its output in $1.out, and waits for the link; fails the
# test when none appears.
quor_gpssim() {
  local link=$1 kind=${2:-jupiter-nmea} i
  "$GPSSIM" --receiver "$kind" --link "$link" >"$link.out" 2>&1 &
  PIDS+=($!)
  for ((i = 0; i < 50; i++)); do [ -e "$link" ] && return 0; sleep 0.1; done
  fail "gpssim made no pseudo-terminal"
}

# Starts Quor with --connect on gpssim (a pseudo-terminal as COM1) with the
# log file on, and waits until the receiver's data come; skips the test when
# Quor could not bind port 123. Optional: further settings lines ("Name=value").
quor_on_gpssim() {
  quor_gpssim "$SANDBOX/gps0"
  export QUOR_COM1=$SANDBOX/gps0
  { printf '[General]\nIsLogOut=1\n'; local line; for line in "$@"; do printf '%s\n' "$line"; done; } \
    >"$XDG_CONFIG_HOME/Quor.conf"
  quor_start --connect
  quor_wait_log "受信機への接続要求" 15 || fail "--connect did not connect"
  if quor_log | grep -q "UDPポート123を開けません"; then
    echo "skipped: Quor could not bind port 123 here"; exit 0
  fi
  quor_wait_log "接続開始" 15 || fail "no data from the receiver"
}

# Starts chronyd as a stratum-1 server on port 123 of this namespace, without
# the right to set the clock, with its files in $SANDBOX/chrony; fails the
# test when it does not bind the port. Optional: further configuration lines.
quor_chrony_server() {
  local dir=$SANDBOX/chrony i
  mkdir -p "$dir"
  { local line; for line in "$@"; do printf '%s\n' "$line"; done; } >"$dir/extra.conf"
  cat "$dir/extra.conf" - >"$dir/chrony.conf" <<CONF
local stratum 1
allow
port 123
cmdport 0
bindcmdaddress /
pidfile $dir/chronyd.pid
driftfile $dir/drift
dumpdir $dir
ntsdumpdir $dir
CONF
  capsh --drop=cap_sys_time -- -c "exec chronyd -x -d -u root -f '$dir/chrony.conf'" >"$dir/out" 2>&1 &
  PIDS+=($!)
  for ((i = 0; i < 50; i++)); do [ -n "$(ss -Hlun 'sport = :123')" ] && return 0; sleep 0.1; done
  cat "$dir/out"
  fail "chronyd did not bind port 123"
}

# Asks 127.0.0.1 with sntp, once a second for up to $1 seconds, until the
# answer claims stratum 1 (Quor claims it once its time has been checked
# against the receiver at a 5-second mark). Leaves the last answer in $out.
quor_sntp_until_s1() {
  local limit=${1:-20} i
  for ((i = 0; i < limit; i++)); do
    out=$(timeout 15 sntp -t 3 127.0.0.1 2>&1)
    echo "$out" | grep -qE ' s1 ' && { echo "$out"; return 0; }
    sleep 1
  done
  echo "$out"
  return 1
}
