#!/usr/bin/env bash
# quor --headless in network mode (SNTP) obeys a server's kisses, across a
# veth pair between two network namespaces of the test's own: a scripted
# server at 10.77.0.1 (kiss_server.py; the installed chronyd sends no kisses
# of its own) answers the first request with "RATE" and the next with
# "DENY"; Quor at 10.77.0.2 asks at once, again 5 s after the RATE, and then
# never again. It cannot set the clock (CAP_SYS_TIME dropped).
set -u
QUOR=$(realpath "$1")
HERE=$(dirname "$(realpath "$0")")
. "$HERE/lib.bash"

if [ "${QUOR_IN_NETNS:-}" != 1 ]; then
  if ! unshare --net true 2>/dev/null; then echo "skipped: cannot make a network namespace here"; exit 0; fi
  for tool in nsenter python3; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 0; }
  done
  exec unshare --net -- env QUOR_IN_NETNS=1 bash "$0" "$@"
fi

quor_sandbox
quor_veth_pair || { echo "skipped: cannot join two namespaces by a veth pair here"; exit 0; }

SERVER_LOG=$SANDBOX/kiss_server.log
python3 "$HERE/kiss_server.py" 10.77.0.1 "$SERVER_LOG" RATE DENY TIME &
PIDS+=($!)
for _ in $(seq 50); do grep -q ready "$SERVER_LOG" 2>/dev/null && break; sleep 0.1; done
grep -q ready "$SERVER_LOG" 2>/dev/null || fail "the scripted server did not start"

quor_instance client "${PEER_NS[@]}"
unset QT_QPA_PLATFORM
printf '[General]\nPort=4\nLanOpt=1\nServerIpAddr=10.77.0.1\nNtpIntv=5\nIsLogOut=1\n' >"$XDG_CONFIG_HOME/Quor.conf"
quor_start --headless
for _ in $(seq 150); do grep -qF "再接続まで要求しません" "$QDIR/quor.out" && break; sleep 0.1; done
sleep 3  # time for a request that should not be sent
cat "$QDIR/quor.out"
cat "$SERVER_LOG"
grep -qF "要求を控えるよう求められました(RATE)、5 秒待ちます" "$QDIR/quor.out" || fail "no RATE line on stderr"
grep -qF "NTPサーバに拒否されました(DENY)、再接続まで要求しません" "$QDIR/quor.out" || fail "no DENY line on stderr"
quor_log | grep -qF "(DENY)" || fail "the log file has no DENY line"
grep -qF "同期しました" "$QDIR/quor.out" && fail "a kiss set the clock"
grep -qF "時刻校正に失敗" "$QDIR/quor.out" && fail "a kiss reached the clock"
mapfile -t times < <(awk '$1 == "request" { print $2 }' "$SERVER_LOG")
[ "${#times[@]}" -eq 2 ] || fail "the server saw ${#times[@]} requests, not 2"
gap=$(awk -v a="${times[0]}" -v b="${times[1]}" 'BEGIN { printf "%.1f", b - a }')
awk -v g="$gap" 'BEGIN { exit !(g >= 4.8 && g <= 6.5) }' || fail "the request after RATE came after $gap s, not 5 s"
grep -q "port 123$" "$SERVER_LOG" || fail "the requests did not come from port 123"
echo "headless kisses: ok (asked again $gap s after RATE, never after DENY)"
