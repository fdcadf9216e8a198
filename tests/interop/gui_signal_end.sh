#!/usr/bin/env bash
# The window program (offscreen) on gpssim, connected with --connect, ended
# by SIGTERM, SIGINT or SIGHUP: it ends as closing the window does, after a
# disconnect, so the log file ends with "接続終了" and "Quor運用終了", and
# the exit status is 0. In a network namespace of the test's own, as the
# program serves port 123.
set -u
QUOR=$(realpath "$1")
GPSSIM=$2/tools/gpssim/gpssim
. "$(dirname "$0")/lib.bash"

quor_own_netns -- "$@"
quor_sandbox
printf '[General]\nIsLogOut=1\n' >"$XDG_CONFIG_HOME/Quor.conf"
quor_gpssim "$SANDBOX/gps0"
export QUOR_COM1=$SANDBOX/gps0

for sig in TERM INT HUP; do
  rm -f "$QDIR"/cwd/Quor*.log
  quor_start --connect
  # Logged once the receiver's data flows.
  quor_wait_log "接続開始" 15 || fail "SIG$sig: never connected"
  # capsh and its shell exec the program, so the started process is quor.
  qpid=$(pgrep -P "$QUOR_PID" -x quor || echo "$QUOR_PID")
  kill -"$sig" "$qpid"
  timeout 5 tail --pid="$qpid" -f /dev/null || fail "SIG$sig: still running 5 s later"
  wait "$QUOR_PID"
  rc=$?
  [ "$rc" -eq 0 ] || { cat "$QDIR/quor.out"; fail "SIG$sig: exit status $rc"; }
  quor_log | tail -n 2 >"$SANDBOX/last"
  cat "$SANDBOX/last"
  sed -n 1p "$SANDBOX/last" | grep -qF "接続終了" || fail "SIG$sig: no 接続終了 before the end"
  sed -n 2p "$SANDBOX/last" | grep -qF "Quor運用終了" || fail "SIG$sig: the log does not end with Quor運用終了"
done
echo "gui signal end: ok"
