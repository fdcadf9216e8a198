#!/usr/bin/env bash
# Quor in network mode with SNTP as its protocol keeps its clock from chronyd
# (-x: it never sets the clock; local stratum 1), across a veth pair between
# two network namespaces of the test's own: chronyd at 10.77.0.1, Quor at
# 10.77.0.2 (both bind port 123). The client is the windowed program in the
# GUI test NetworkPeer, which presses "接続(&G)" and "同期" and reads the
# measured delay and offset; it cannot set the clock (CAP_SYS_TIME dropped).
set -u
QUOR=$(realpath "$1")
BUILD=$(realpath "$2")
GUI_TESTS=$BUILD/tests/quor_gui_tests
. "$(dirname "$0")/lib.bash"

if [ "${QUOR_IN_NETNS:-}" != 1 ]; then
  if ! unshare --net true 2>/dev/null; then echo "skipped: cannot make a network namespace here"; exit 0; fi
  command -v chronyd >/dev/null || { echo "skipped: chronyd is not installed"; exit 0; }
  command -v nsenter >/dev/null || { echo "skipped: nsenter is not installed"; exit 0; }
  [ -x "$GUI_TESTS" ] || { echo "skipped: the GUI tests are not built"; exit 0; }
  exec unshare --net -- env QUOR_IN_NETNS=1 bash "$0" "$@"
fi

quor_sandbox
quor_veth_pair || { echo "skipped: cannot join two namespaces by a veth pair here"; exit 0; }

quor_chrony_server

quor_instance client "${PEER_NS[@]}"
printf '[General]\nPort=4\nLanOpt=1\nServerIpAddr=10.77.0.1\nNtpIntv=0\nIsLogOut=1\n' >"$XDG_CONFIG_HOME/Quor.conf"
(cd "$QDIR/cwd" && QUOR_PEER_LANOPT=1 "${PEER_NS[@]}" capsh --drop=cap_sys_time -- -c \
  "exec '$GUI_TESTS' --gtest_filter=NetworkPeer.*") >"$QDIR/quor.out" 2>&1
rc=$?
cat "$QDIR/quor.out"
[ "$rc" -eq 0 ] || { cat "$SANDBOX/chrony/out"; fail "the client test failed"; }
grep -q "SKIPPED" "$QDIR/quor.out" && fail "the client test was skipped"
quor_log | grep -F "時刻校正に失敗" || fail "the log file has no measurement"
echo "chrony server: ok"
