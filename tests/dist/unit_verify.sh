#!/usr/bin/env bash
# The installed systemd unit passes `systemd-analyze verify` without a word
# (its ExecStart must exist, so it is checked where an install put it).
set -u
BUILD=$(realpath "$2")
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v systemd-analyze >/dev/null || { echo "skipped: systemd-analyze is not installed"; exit 0; }
tmp=$(mktemp -d /tmp/quor-unit.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
cmake --install "$BUILD" --prefix "$tmp/usr" >/dev/null || fail "install"
unit=$tmp/usr/lib/systemd/system/quor.service
out=$(systemd-analyze verify --man=no "$unit" 2>&1)
rc=$?
echo "$out"
[ "$rc" -eq 0 ] || fail "systemd-analyze verify: status $rc"
[ -z "$out" ] || fail "systemd-analyze verify had remarks"
for line in "User=quor" "AmbientCapabilities=CAP_SYS_TIME CAP_NET_BIND_SERVICE" \
  "CapabilityBoundingSet=CAP_SYS_TIME CAP_NET_BIND_SERVICE" "ProtectSystem=strict" "DevicePolicy=closed"; do
  grep -qx "$line" "$unit" || fail "unit lacks $line"
done
echo "unit verify: ok"
