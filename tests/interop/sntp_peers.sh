#!/usr/bin/env bash
# Real NTP clients query a Quor that runs offline, in a network namespace of
# the test's own (loopback only): ntpsec's sntp and chronyd -Q. Skipped where
# a namespace cannot be made, the clients are missing, or Quor could not bind
# port 123.
set -u
QUOR=$(realpath "$1")
. "$(dirname "$0")/lib.bash"

if [ "${QUOR_IN_NETNS:-}" != 1 ]; then
  if ! unshare --net true 2>/dev/null; then echo "skipped: cannot make a network namespace here"; exit 0; fi
  for tool in sntp chronyd; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 0; }
  done
  exec unshare --net -- env QUOR_IN_NETNS=1 bash "$0" "$@"
fi

ip link set lo up
quor_sandbox
printf '[General]\nIsLogOut=1\n' >"$XDG_CONFIG_HOME/Quor.conf"
quor_start
quor_wait_log "Quor運用開始" 15 || fail "no start line"
sleep 0.3
if iconv -f CP932 -t UTF-8 "$SANDBOX"/cwd/Quor*.log | grep -q "UDPポート123を開けません"; then
  echo "skipped: Quor could not bind port 123 here"; exit 0
fi

# sntp reads the offset of an offline Quor (a local clock at stratum 10) from
# the same PC clock: near zero.
out=$(timeout 15 sntp -t 3 127.0.0.1 2>&1)
echo "$out"
echo "$out" | grep -qE ' s10 ' || fail "sntp did not take the reply"
offset=$(echo "$out" | grep -oE '[+-][0-9]+\.[0-9]+ \+/-' | head -1 | cut -d' ' -f1)
[ -n "$offset" ] || fail "sntp printed no offset"
awk -v o="$offset" 'BEGIN { exit !(o < 0.01 && o > -0.01) }' || fail "offset $offset too large"
quor_wait_log "From:127.0.0.1" 5 || fail "the request was not logged"

# chronyd -Q measures without setting anything.
conf="$SANDBOX/chrony.conf"
printf 'server 127.0.0.1 iburst\n' >"$conf"
out=$(timeout 20 capsh --drop=cap_sys_time -- -c "chronyd -Q -n -f '$conf' -t 10 -L 0 2>&1")
echo "$out"
echo "$out" | grep -qE 'System clock wrong by' || fail "chronyd -Q measured no offset from the server"
echo "sntp peers: ok"
