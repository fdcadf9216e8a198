#!/usr/bin/env bash
# Two Quors speak the own LAN protocol across a veth pair between two network
# namespaces of the test's own. The server at 10.77.0.1 is the program on
# gpssim (a pseudo-terminal as COM1), started with --connect. The client at
# 10.77.0.2 is the windowed program in the GUI test NetworkPeer with the
# protocol setting "Quor": the handshake, "ﾓﾆﾀｰ" showing the server's
# position, an answered SNTP request, and once the test has stopped the
# server, the time-out that ends the connection.
set -u
QUOR=$(realpath "$1")
BUILD=$(realpath "$2")
GUI_TESTS=$BUILD/tests/quor_gui_tests
GPSSIM=$BUILD/tools/gpssim/gpssim
. "$(dirname "$0")/lib.bash"

if [ "${QUOR_IN_NETNS:-}" != 1 ]; then
  if ! unshare --net true 2>/dev/null; then echo "skipped: cannot make a network namespace here"; exit 0; fi
  command -v nsenter >/dev/null || { echo "skipped: nsenter is not installed"; exit 0; }
  [ -x "$GUI_TESTS" ] || { echo "skipped: the GUI tests are not built"; exit 0; }
  [ -x "$GPSSIM" ] || { echo "skipped: gpssim is not built"; exit 0; }
  exec unshare --net -- env QUOR_IN_NETNS=1 bash "$0" "$@"
fi

quor_sandbox
quor_veth_pair || { echo "skipped: cannot join two namespaces by a veth pair here"; exit 0; }

quor_instance server
quor_gpssim "$QDIR/gps0"
export QUOR_COM1=$QDIR/gps0
printf '[General]\nIsLogOut=1\n' >"$XDG_CONFIG_HOME/Quor.conf"
quor_start --connect
server_pid=$QUOR_PID
quor_wait_log "接続開始" 15 || fail "the server got no data from its receiver"
if quor_log | grep -q "UDPポート123を開けません"; then
  echo "skipped: Quor could not bind port 123 here"; exit 0
fi
# Until the receiver's position is shown (the client asks for it).
sleep 3
server_dir=$QDIR

quor_instance client "${PEER_NS[@]}"
printf '[General]\nPort=4\nLanOpt=0\nServerIpAddr=10.77.0.1\nNtpIntv=0\nIsLogOut=1\n' >"$XDG_CONFIG_HOME/Quor.conf"
(cd "$QDIR/cwd" && QUOR_PEER_LANOPT=0 QUOR_PEER_SERVER_PID=$server_pid "${PEER_NS[@]}" \
  capsh --drop=cap_sys_time -- -c "exec '$GUI_TESTS' --gtest_filter=NetworkPeer.*") >"$QDIR/quor.out" 2>&1
rc=$?
cat "$QDIR/quor.out"
client_log=$(quor_log)
QDIR=$server_dir
[ "$rc" -eq 0 ] || { quor_log; fail "the client test failed"; }
grep -q "SKIPPED" "$SANDBOX/client/quor.out" && fail "the client test was skipped"
echo "$client_log" | grep -F -e "Quor接続開始" -e "時刻校正に失敗" -e "タイムアウト発生" || fail "client log"
quor_log | grep -F ",From:10.77.0.2" || fail "the server did not log the client's request"
echo "quor pair: ok"
