#!/usr/bin/env bash
# Real NTP clients query a Quor that runs offline, in a network namespace of
# the test's own (loopback only): ntpsec's sntp and chronyd -Q refuse it, as
# it has no time source, and take it once it serves its local clock. Skipped where
# a namespace cannot be made, the clients are missing, or Quor could not bind
# port 123.
set -u
QUOR=$(realpath "$1")
. "$(dirname "$0")/lib.bash"

quor_own_netns sntp chronyd -- "$@"
quor_sandbox

# An offline Quor, then one told to serve its local clock: clients refuse the
# first (no time source, LI 3, stratum 0) and take the second (stratum 10).
start_offline() {
  printf '[General]\nIsLogOut=1\nServeLocalClock=%s\n' "$1" >"$XDG_CONFIG_HOME/Quor.conf"
  quor_start
  quor_wait_log "Quor運用開始" 15 || fail "no start line"
  sleep 0.3
  if iconv -f CP932 -t UTF-8 "$QDIR"/cwd/Quor*.log | grep -q "UDPポート123を開けません"; then
    echo "skipped: Quor could not bind port 123 here"; exit 0
  fi
}
stop_quor() {
  kill "$QUOR_PID"
  wait "$QUOR_PID" 2>/dev/null
  rm -f "$QDIR"/cwd/Quor*.log
}
chrony_measures() {
  local conf="$SANDBOX/chrony.conf" out
  printf 'server 127.0.0.1 iburst\n' >"$conf"
  out=$(timeout 25 capsh --drop=cap_sys_time -- -c "chronyd -Q -n -f '$conf' -t 8 -L 0 2>&1")
  echo "$out"
  echo "$out" | grep -qE 'System clock wrong by'
}

start_offline 0
out=$(timeout 15 sntp -t 3 127.0.0.1 2>&1)
echo "$out"
echo "$out" | grep -qE '[+-][0-9]+\.[0-9]+ \+/-' && fail "sntp took the time of a Quor without a source"
quor_wait_log "From:127.0.0.1" 5 || fail "the request was not logged"
chrony_measures && fail "chronyd -Q took the time of a Quor without a source"
stop_quor

start_offline 1
# sntp reads the offset of the local clock (stratum 10) from the same PC
# clock: near zero.
out=$(timeout 15 sntp -t 3 127.0.0.1 2>&1)
echo "$out"
echo "$out" | grep -qE ' s10 ' || fail "sntp did not take the local clock"
offset=$(echo "$out" | grep -oE '[+-][0-9]+\.[0-9]+ \+/-' | head -1 | cut -d' ' -f1)
[ -n "$offset" ] || fail "sntp printed no offset"
awk -v o="$offset" 'BEGIN { exit !(o < 0.01 && o > -0.01) }' || fail "offset $offset too large"
# chronyd -Q measures without setting anything.
chrony_measures || fail "chronyd -Q measured no offset from the local clock"
echo "sntp peers: ok"
