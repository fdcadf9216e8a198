#!/usr/bin/env bash
# quor --status against a headless Quor on gpssim (a pseudo-terminal as
# COM1), in a network namespace of the test's own: with none running it
# exits 1 and says so; with one running it prints the mode, the source,
# stratum 1 once the time is checked, and the requests served (sntp asks
# twice); --json gives the same facts as one JSON object. Another user's
# Quor is not reached: the socket is its owner's alone.
set -u
QUOR=$(realpath "$1")
GPSSIM=$2/tools/gpssim/gpssim
. "$(dirname "$0")/lib.bash"

quor_own_netns sntp -- "$@"
quor_sandbox
unset QT_QPA_PLATFORM DISPLAY WAYLAND_DISPLAY
printf '[General]\nIsLogOut=1\n' >"$XDG_CONFIG_HOME/Quor.conf"

status() { capsh --drop=cap_sys_time -- -c "exec '$QUOR' --status $*"; }

out=$(status 2>&1)
rc=$?
echo "$out"
[ "$rc" -eq 1 ] || fail "with no Quor running: status $rc, not 1"
echo "$out" | grep -qF "no Quor is running" || fail "with no Quor running: no clear message"

quor_gpssim "$SANDBOX/gps0"
export QUOR_COM1=$SANDBOX/gps0
quor_start --headless
quor_wait_log "接続開始" 15 || fail "no data from the receiver"
quor_log | grep -q "UDPポート123を開けません" && { echo "skipped: Quor could not bind port 123 here"; exit 0; }
quor_sntp_until_s1 30 >/dev/null || fail "sntp never read stratum 1"
timeout 15 sntp -t 3 127.0.0.1 >/dev/null 2>&1

out=$(status)
rc=$?
echo "$out"
[ "$rc" -eq 0 ] || fail "--status: status $rc"
echo "$out" | grep -qE '^Mode +: receiver$' || fail "no receiver mode"
echo "$out" | grep -qE '^Source +: GPS receiver' || fail "no receiver source"
echo "$out" | grep -qE '^Stratum +: 1$' || fail "not stratum 1"
echo "$out" | grep -qE '^Leap status +: Normal$' || fail "no leap status"
echo "$out" | grep -qE '^Last offset +: [-+][0-9.]+ seconds$' || fail "no last offset"
echo "$out" | grep -qE '^Requests served +: ([2-9]|[1-9][0-9]+)$' || fail "the requests served are not counted"
echo "$out" | grep -qE '^Clients last hour +: 1$' || fail "not one client in the last hour"

json=$(status --json)
echo "$json"
python3 -c '
import json, sys
j = json.loads(sys.argv[1])
assert j["mode"] == "receiver" and j["stratum"] == 1, j
assert j["requests_served"] >= 2 and j["clients_last_hour"] == 1, j
' "$json" || fail "--json is not the same facts"

# Another user cannot ask (only root can, being root).
if id nobody >/dev/null 2>&1 && command -v setpriv >/dev/null; then
  sock=$XDG_RUNTIME_DIR/quor-status
  [ "$(stat -c %a "$sock")" = 700 ] || [ "$(stat -c %a "$sock")" = 600 ] || fail "the socket is open to others: $(stat -c %a "$sock")"
  chmod 755 "$XDG_RUNTIME_DIR"
  setpriv --reuid nobody --regid nogroup --clear-groups env XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" \
    "$QUOR" --status >/dev/null 2>&1 && fail "another user got an answer"
  chmod 700 "$XDG_RUNTIME_DIR"
fi
echo "status of a headless Quor: ok"
