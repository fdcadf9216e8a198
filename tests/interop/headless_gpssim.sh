#!/usr/bin/env bash
# quor --headless on gpssim (a pseudo-terminal as COM1), in a network
# namespace of the test's own, with no display and no QT_QPA_PLATFORM: it
# connects at once, every log line also goes to stderr, sntp reads stratum 1
# from it, a second headless start is refused with a message, and SIGTERM
# ends it within a second with its closing lines on stderr and status 0.
# SIGHUP (a closed session) ends it as SIGTERM does.
# Without its receiver's port it ends at once with status 1 (a service
# manager then tries again).
set -u
QUOR=$(realpath "$1")
GPSSIM=$2/tools/gpssim/gpssim
. "$(dirname "$0")/lib.bash"

quor_own_netns sntp -- "$@"
quor_sandbox
unset QT_QPA_PLATFORM DISPLAY WAYLAND_DISPLAY
printf '[General]\nIsLogOut=1\n' >"$XDG_CONFIG_HOME/Quor.conf"

(cd "$QDIR/cwd" && timeout 10 capsh --drop=cap_sys_time -- -c "exec '$QUOR' --headless") \
  >/dev/null 2>"$SANDBOX/noport.err"
rc=$?
[ "$rc" -eq 1 ] || { cat "$SANDBOX/noport.err"; fail "without a port: status $rc, not 1"; }
grep -qF "接続に失敗!!" "$SANDBOX/noport.err" || fail "without a port: no 接続に失敗!! on stderr"
tail -n 1 "$SANDBOX/noport.err" | grep -qF "Quor運用終了" || fail "without a port: no closing line"
rm -f "$QDIR"/cwd/Quor*.log
quor_gpssim "$SANDBOX/gps0"
export QUOR_COM1=$SANDBOX/gps0

# Starts the headless program in the background, its pid in $pid, with
# stdout and stderr apart: the log lines belong on stderr. The last run's
# stderr goes first, so a wait never reads an old line.
start_headless() {
  rm -f "$QDIR/stdout" "$QDIR/stderr"
  (cd "$QDIR/cwd" && exec capsh --drop=cap_sys_time -- -c "exec '$QUOR' --headless" \
    >"$QDIR/stdout" 2>"$QDIR/stderr") &
  PIDS+=($!)
  pid=$!
}
start_headless
wait_stderr() {
  local i
  for ((i = 0; i < ${2:-15} * 10; i++)); do grep -qsF -- "$1" "$QDIR/stderr" && return 0; sleep 0.1; done
  cat "$QDIR/stderr" >&2
  fail "stderr never showed: $1"
}
wait_stderr "Quor運用開始"
wait_stderr "受信機への接続要求"
if grep -q "UDPポート123を開けません" "$QDIR/stderr"; then
  echo "skipped: Quor could not bind port 123 here"; exit 0
fi
wait_stderr "接続開始"
quor_sntp_until_s1 20 || fail "sntp did not see stratum 1"
wait_stderr "From:127.0.0.1" 5
# The same lines in the log file (Shift-JIS) as on stderr (UTF-8).
quor_log | grep -qF "From:127.0.0.1" || fail "the log file lacks the request"

# A second headless start is refused with a line on stderr.
(cd "$QDIR/cwd" && timeout 10 capsh --drop=cap_sys_time -- -c "exec '$QUOR' --headless") \
  2>"$SANDBOX/second.err" >/dev/null
rc=$?
[ "$rc" -ne 0 ] || fail "a second instance started"
grep -q "already running" "$SANDBOX/second.err" || fail "no message from the second instance"

# SIGTERM to the program itself (capsh execs it, so $pid's child is quor).
qpid=$(pgrep -P "$pid" -x quor || echo "$pid")
start=$(date +%s%N)
kill -TERM "$qpid"
for _ in $(seq 50); do kill -0 "$qpid" 2>/dev/null || break; sleep 0.02; done
kill -0 "$qpid" 2>/dev/null && fail "still running 1 s after SIGTERM"
wait "$pid"
rc=$?
ms=$(( ($(date +%s%N) - start) / 1000000 ))
echo "SIGTERM to exit: ${ms} ms"
[ "$rc" -eq 0 ] || fail "exit status $rc after SIGTERM"
tail -n 3 "$QDIR/stderr"
grep -qF "接続終了" "$QDIR/stderr" || fail "no 接続終了 on stderr"
tail -n 1 "$QDIR/stderr" | grep -qF "Quor運用終了" || fail "Quor運用終了 is not the last line"
quor_log | tail -n 1 | grep -qF "Quor運用終了" || fail "the log file does not end with Quor運用終了"
[ ! -s "$QDIR/stdout" ] || fail "log lines went to stdout"

# The receiver goes away while connected (gpssim ends, as an unplugged USB
# receiver would): the run ends with status 1 and its closing lines, so the
# service manager starts it again.
quor_gpssim "$SANDBOX/gps1"
export QUOR_COM1=$SANDBOX/gps1
gpid=${PIDS[-1]}
start_headless
wait_stderr "受信中(NMEA)"
kill "$gpid"
timeout 10 tail --pid="$(pgrep -P "$pid" -x quor || echo "$pid")" -f /dev/null
wait "$pid"
rc=$?
[ "$rc" -eq 1 ] || { cat "$QDIR/stderr"; fail "status $rc after the receiver went away, not 1"; }
grep -qF "受信機のポートが失われました" "$QDIR/stderr" || { cat "$QDIR/stderr"; fail "the lost port was not told"; }
tail -n 1 "$QDIR/stderr" | grep -qF "Quor運用終了" || fail "no closing line after the lost port"

# SIGHUP ends it as SIGTERM does: status 0 and its closing lines.
quor_gpssim "$SANDBOX/gps2"
export QUOR_COM1=$SANDBOX/gps2
start_headless
wait_stderr "接続開始"
kill -HUP "$(pgrep -P "$pid" -x quor || echo "$pid")"
timeout 5 tail --pid="$(pgrep -P "$pid" -x quor || echo "$pid")" -f /dev/null
wait "$pid"
rc=$?
[ "$rc" -eq 0 ] || { cat "$QDIR/stderr"; fail "exit status $rc after SIGHUP"; }
grep -qF "接続終了" "$QDIR/stderr" || fail "no 接続終了 on stderr after SIGHUP"
tail -n 1 "$QDIR/stderr" | grep -qF "Quor運用終了" || fail "Quor運用終了 is not the last line after SIGHUP"
echo "headless gpssim: ok"
