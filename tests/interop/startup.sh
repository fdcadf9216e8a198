#!/usr/bin/env bash
# The real program starts offscreen, logs its start to the file and refuses a
# second copy with exit status 1.
set -u
QUOR=$(realpath "$1")
. "$(dirname "$0")/lib.bash"
quor_sandbox
printf '[General]\nIsLogOut=1\n' >"$XDG_CONFIG_HOME/Quor.conf"

# Arguments: help on stdout with 0, an unknown option gives usage on stderr
# with 2; neither starts the program.
"$QUOR" --help | grep -q -- "--connect" || fail "--help"
"$QUOR" --no-such-option 2>"$SANDBOX/usage" >/dev/null
rc=$?
[ "$rc" -eq 2 ] || fail "unknown option exit status $rc"
grep -q "Usage:" "$SANDBOX/usage" || fail "no usage on stderr"
[ -z "$(ls "$SANDBOX"/cwd)" ] || fail "the program ran"

clock_before=$(date +%s)
quor_start
first=$QUOR_PID
quor_wait_log "Quor運用開始" 15 || fail "no start line in the log"
grep -qE '^[0-9]{2}:[0-9]{2}:[0-9]{2}  Quor運用開始$' <(iconv -f CP932 -t UTF-8 "$SANDBOX"/cwd/Quor*.log) \
  || fail "start line not in the form HH:MM:SS  Quor運用開始"
ls "$SANDBOX"/cwd | grep -qE '^Quor[0-9]{8}\.log$' || fail "log file name"

# A second copy exits at once with 1 while the first runs.
(cd "$SANDBOX/cwd" && timeout 10 capsh --drop=cap_sys_time -- -c "exec \"$QUOR\"")
rc=$?
[ "$rc" -eq 1 ] || fail "second instance exit status $rc"
kill -0 "$first" 2>/dev/null || fail "first instance died"

# Once the first has gone, the lock is free again.
kill -9 "$first"; wait "$first" 2>/dev/null
quor_start
quor_wait_log "Quor運用開始" 15 || true
sleep 0.5
kill -0 "$QUOR_PID" 2>/dev/null || fail "a start after a killed instance did not run"

clock_after=$(date +%s)
[ $((clock_after - clock_before)) -lt 120 ] || fail "host clock moved"
echo "startup: ok"
