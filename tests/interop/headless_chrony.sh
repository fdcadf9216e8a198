#!/usr/bin/env bash
# quor --headless in network mode (SNTP) keeps its clock from chronyd (-x: it
# never sets the clock; local stratum 1) across a veth pair between two
# network namespaces of the test's own: chronyd at 10.77.0.1, Quor at
# 10.77.0.2. At start it asks at once; its measurement of the reply shows on
# stderr (it cannot set the clock: CAP_SYS_TIME dropped).
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
printf '[General]\nPort=4\nLanOpt=1\nServerIpAddr=10.77.0.1\nNtpIntv=60\nIsLogOut=1\n' >"$XDG_CONFIG_HOME/Quor.conf"
quor_start --headless
for _ in $(seq 100); do grep -qF "時刻校正に失敗" "$QDIR/quor.out" && break; sleep 0.1; done
cat "$QDIR/quor.out"
grep -qF "NTP接続開始" "$QDIR/quor.out" || fail "no connection line on stderr"
grep -qF "時刻校正に失敗［遅延量" "$QDIR/quor.out" || { cat "$SANDBOX/chrony/out"; fail "no reply from chronyd measured"; }
quor_log | grep -qF "時刻校正に失敗" || fail "the log file has no measurement"
echo "headless chrony: ok"
