#!/usr/bin/env bash
# quor --headless in network mode with the own protocol ("Quor") against a
# server that never answers its handshake (chronyd speaks only NTP) across a
# veth pair between two namespaces of the test's own: the connection times
# out, and Quor connects again by itself after 5 s, then after 10 s, telling
# each state on standard error, instead of staying offline.
set -u
QUOR=$(realpath "$1")
. "$(dirname "$0")/lib.bash"

if [ "${QUOR_IN_NETNS:-}" != 1 ]; then
  if ! unshare --net true 2>/dev/null; then echo "skipped: cannot make a network namespace here"; exit 0; fi
  command -v chronyd >/dev/null || { echo "skipped: chronyd is not installed"; exit 0; }
  command -v nsenter >/dev/null || { echo "skipped: nsenter is not installed"; exit 0; }
  exec unshare --net -- env QUOR_IN_NETNS=1 bash "$0" "$@"
fi

quor_sandbox
quor_veth_pair || { echo "skipped: cannot join two namespaces by a veth pair here"; exit 0; }
quor_chrony_server

quor_instance client "${PEER_NS[@]}"
unset QT_QPA_PLATFORM
printf '[General]\nPort=4\nLanOpt=0\nServerIpAddr=10.77.0.1\nNtpIntv=5\nIsLogOut=1\n' >"$XDG_CONFIG_HOME/Quor.conf"
quor_start --headless
for _ in $(seq 300); do grep -qF "10 秒後に再接続します" "$QDIR/quor.out" && break; sleep 0.1; done
cat "$QDIR/quor.out"
kill -0 "$QUOR_PID" 2>/dev/null || fail "quor --headless ended"
[ "$(grep -cF "タイムアウト発生、回線を切断します!!" "$QDIR/quor.out")" -ge 2 ] || fail "no second time-out on stderr"
grep -qF "5 秒後に再接続します" "$QDIR/quor.out" || fail "no first reconnect wait on stderr"
grep -qF "10 秒後に再接続します" "$QDIR/quor.out" || fail "the second wait is not doubled"
[ "$(grep -cF "NTP接続開始" "$QDIR/quor.out")" -ge 2 ] || fail "never connected again"
[ "$(grep -cF "状態: ネットワーク接続の準備中" "$QDIR/quor.out")" -ge 2 ] || fail "the reconnect's state is not on stderr"
quor_log | grep -qF "5 秒後に再接続します" || fail "the log file has no reconnect line"
echo "headless reconnect: ok"
