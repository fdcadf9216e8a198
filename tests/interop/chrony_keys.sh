#!/usr/bin/env bash
# Shared keys with chronyd, in a network namespace of the test's own.
# chronyd as a client of a Quor on gpssim with the same key file: with each
# key type (MD5, SHA256 cut to 20 bytes, AES128 CMAC; MD5 also over ::1) chronyd takes Quor as
# its source and calls it authenticated; with a key of the same number but
# another secret it never does (Quor answers with crypto-NAKs). Then Quor
# in network mode as a client of chronyd, across a veth pair: with the key
# its request is answered and measured; with a wrong key nothing is taken.
# chronyd runs with -x and without the right to set the clock.
set -u
QUOR=$(realpath "$1")
GPSSIM=$2/tools/gpssim/gpssim
. "$(dirname "$0")/lib.bash"

quor_own_netns chronyd chronyc nsenter -- "$@"
quor_sandbox
keys=$SANDBOX/ntp.keys
cat >"$keys" <<'KEYS'
# shared with chronyd
1 MD5 quor-and-chrony-1
2 SHA256 HEX:00112233445566778899aabbccddeeff00112233
3 AES128 HEX:2b7e151628aed2a6abf7158809cf4f3c
KEYS
chmod 600 "$keys"
wrong=$SANDBOX/wrong.keys
printf '1 MD5 quor-and-chrony-X\n' >"$wrong"
chmod 600 "$wrong"

quor_on_gpssim "KeyFile=$keys"
quor_wait_log "から鍵を 3 個読みました" 5 || fail "Quor did not read the key file"

# chronyd NAME KEYFILE KEYID [ADDRESS REFID]: a client of Quor at 127.0.0.1
# (or ADDRESS, whose reference id is REFID) with that key; leaves its
# tracking report in $tracking and its source data in $ntpdata once it took
# Quor as its source, or after 15 s.
chrony_client() {
  local i address=${4:-127.0.0.1} refid=${5:-7F000001}
  quor_chrony_client "$1" "$address key $3" "keyfile $2"
  local dir=$CHRONY_DIR pid=$CHRONY_PID
  tracking=""
  for ((i = 0; i < 15; i++)); do
    sleep 1
    tracking=$(chronyc -h "$dir/chronyd.sock" -n tracking 2>/dev/null)
    echo "$tracking" | grep -qE "^Reference ID +: $refid" && break
  done
  ntpdata=$(chronyc -h "$dir/chronyd.sock" -n ntpdata "$address" 2>/dev/null)
  kill "$pid"
  wait "$pid" 2>/dev/null
}

for id in 1 2 3; do
  chrony_client "chrony-key$id" "$keys" "$id"
  echo "$tracking" | grep -qE '^Reference ID +: 7F000001' ||
    { echo "$tracking"; echo "$ntpdata"; cat "$SANDBOX/chrony-key$id/out"; fail "chronyd with key $id did not take Quor"; }
  echo "$ntpdata" | grep -qE '^Authenticated +: Yes' || { echo "$ntpdata"; fail "key $id: not authenticated"; }
  echo "key $id: taken, authenticated"
done

# The same over IPv6: chronyd names an IPv6 source by the MD5 of its address.
chrony_client chrony-key1-v6 "$keys" 1 ::1 CF404DC8
echo "$tracking" | grep -qE '^Reference ID +: CF404DC8' ||
  { echo "$tracking"; echo "$ntpdata"; cat "$SANDBOX/chrony-key1-v6/out"; fail "chronyd with key 1 over ::1 did not take Quor"; }
echo "$ntpdata" | grep -qE '^Authenticated +: Yes' || { echo "$ntpdata"; fail "key 1 over ::1: not authenticated"; }
echo "key 1 over ::1: taken, authenticated"

chrony_client chrony-wrong "$wrong" 1
echo "$ntpdata"
echo "$tracking" | grep -qE '^Reference ID +: 7F000001' && fail "chronyd with a wrong key took Quor"
echo "$ntpdata" | grep -qE '^Total RX +: [1-9]' || fail "no answers reached chronyd"
echo "$ntpdata" | grep -qE '^Total valid RX +: 0$' || fail "chronyd took an answer under a wrong key"
echo "wrong key: refused"

# Quor as a client of chronyd across the veth pair.
quor_veth_pair || { echo "skipped: cannot join two namespaces by a veth pair here"; exit 0; }
quor_chrony_server "keyfile $keys"
for case in "2 $keys good" "1 $wrong bad"; do
  read -r id file want <<<"$case"
  quor_instance "client-$want" "${PEER_NS[@]}"
  unset QT_QPA_PLATFORM
  printf '[General]\nPort=4\nLanOpt=1\nServerIpAddr=10.77.0.1\nNtpIntv=60\nIsLogOut=1\nKeyFile=%s\nServerKey=%s\n' \
    "$file" "$id" >"$XDG_CONFIG_HOME/Quor.conf"
  quor_start --headless
  for _ in $(seq 100); do grep -qE "時刻校正に失敗|NTP応答を採用しません|応答がありません" "$QDIR/quor.out" && break; sleep 0.1; done
  cat "$QDIR/quor.out"
  kill "$QUOR_PID"
  if [ "$want" = good ]; then
    grep -qF "時刻校正に失敗［遅延量" "$QDIR/quor.out" || { cat "$SANDBOX/chrony/out"; fail "no keyed reply from chronyd measured"; }
  else
    grep -qF "時刻校正に失敗［" "$QDIR/quor.out" && fail "a reply to a request under a wrong key was taken"
    grep -qE "NTP応答を採用しません\((サーバが鍵を認めません|鍵で認証できません)\)|応答がありません" "$QDIR/quor.out" ||
      fail "the refusal was not told"
  fi
done
echo "chrony keys: ok"
