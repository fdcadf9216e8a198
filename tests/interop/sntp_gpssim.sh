#!/usr/bin/env bash
# sntp queries a Quor connected to a simulated receiver (gpssim on a
# pseudo-terminal as COM1, started with --connect), in a network namespace of
# the test's own with only loopback: the reply claims stratum 1 "GPS"
# (precision 2^-3 s: a pseudo-terminal has no DSR line, so no 1PPS edge).
# Skipped where a namespace cannot be made, sntp or gpssim is missing, or
# Quor could not bind port 123.
set -u
QUOR=$(realpath "$1")
GPSSIM=$2/tools/gpssim/gpssim
. "$(dirname "$0")/lib.bash"

quor_own_netns sntp -- "$@"
quor_sandbox
quor_on_gpssim
quor_sntp_until_s1 20 || fail "sntp did not see stratum 1"
offset=$(echo "$out" | grep -oE '[+-][0-9]+\.[0-9]+ \+/-' | head -1 | cut -d' ' -f1)
[ -n "$offset" ] || fail "sntp printed no offset"
echo "offset seen by sntp from Quor on gpssim: $offset s"
# sntp does not print the reference: read it from a reply of our own asking,
# with what it claims: the sentences' precision, a root dispersion of tens of
# ms that covers the offset sntp saw, no root delay of the request's (1 s
# each is sent), and a reference time of the last check.
claim=$(timeout 10 python3 - "$offset" <<'PY'
import socket, struct, sys, time
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.settimeout(3)
request = bytes([0x23, 0, 6, 0]) + struct.pack(">II", 0x10000, 0x10000) + bytes(36)
s.sendto(request, ("127.0.0.1", 123))
reply = s.recv(512)
precision = struct.unpack(">b", reply[3:4])[0]
delay, dispersion = (v / 65536 for v in struct.unpack(">II", reply[4:12]))
reference = struct.unpack(">I", reply[16:20])[0] - 2208988800
ok = (-8 <= precision <= -3 and delay == 0 and abs(float(sys.argv[1])) <= dispersion <= 0.2
      and abs(time.time() - reference) < 60)
print(reply[1], reply[12:16].rstrip(b"\0").decode("ascii", "replace"),
      "claims ok" if ok else "claims wrong: prec %d delay %.3f disp %.3f ref %d s ago" % (
          precision, delay, dispersion, time.time() - reference))
PY
)
echo "$claim"
[ "$claim" = "1 GPS claims ok" ] || fail "stratum, reference and claims: '$claim'"
quor_wait_log "From:127.0.0.1" 5 || fail "the request was not logged"
echo "sntp gpssim: ok"
