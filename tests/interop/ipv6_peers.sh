#!/usr/bin/env bash
# Quor on gpssim answers over IPv6, in a network namespace of the test's own
# with only loopback: sntp asks ::1 and gets stratum 1, the log shows the
# request as "From:::1", and chronyd takes Quor at ::1 as its source
# (chronyd with -x and without the right to set the clock, serving nothing).
# An IPv4 client is still answered on the same socket. Skipped where a
# namespace cannot be made, the namespace has no IPv6, or a tool is missing.
set -u
QUOR=$(realpath "$1")
GPSSIM=$2/tools/gpssim/gpssim
. "$(dirname "$0")/lib.bash"

quor_own_netns sntp chronyd chronyc -- "$@"
for ((i = 0; i < 30; i++)); do ip -6 addr show dev lo | grep -q '::1/128' && break; sleep 0.1; done
ip -6 addr show dev lo | grep -q '::1/128' || { echo "skipped: no IPv6 loopback here"; exit 0; }
quor_sandbox
quor_on_gpssim

# sntp over IPv6, until Quor claims stratum 1.
for ((i = 0; i < 20; i++)); do
  out=$(timeout 15 sntp -t 3 ::1 2>&1)
  echo "$out" | grep -qE ' s1 ' && break
  sleep 1
done
echo "$out"
echo "$out" | grep -qE ' s1 ' || fail "sntp over IPv6 did not see stratum 1"
quor_wait_log "From:::1" 5 || fail "the IPv6 request was not logged with its address"
out4=$(timeout 15 sntp -t 3 127.0.0.1 2>&1)
echo "$out4" | grep -qE ' s1 ' || fail "IPv4 is no longer answered: $out4"

quor_chrony_client chrony ::1
dir=$CHRONY_DIR
sources=""
for ((i = 0; i < 40; i++)); do
  sleep 1
  sources=$(chronyc -h "$dir/chronyd.sock" -n sources 2>/dev/null)
  echo "$sources" | grep -qE '^\^\* +::1 +1 ' && break
done
echo "$sources"
echo "$sources" | grep -qE '^\^\* +::1 +1 ' || { cat "$dir/out"; fail "chronyd did not take Quor at ::1 (stratum 1) as its source"; }
echo "IPv6 peers: ok"
