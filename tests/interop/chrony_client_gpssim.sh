#!/usr/bin/env bash
# chronyd as a client of a Quor on gpssim (a pseudo-terminal as COM1, no
# 1PPS), in a network namespace of the test's own: chronyd takes Quor as its
# source and reports the stratum Quor claims (1, so chronyd is at 2), and a
# root dispersion that covers the offset it measures. chronyd runs with -x
# and without the right to set the clock; it serves nothing (port 0).
set -u
QUOR=$(realpath "$1")
GPSSIM=$2/tools/gpssim/gpssim
. "$(dirname "$0")/lib.bash"

quor_own_netns chronyd chronyc -- "$@"
quor_sandbox
quor_on_gpssim

quor_chrony_client chrony 127.0.0.1
dir=$CHRONY_DIR

tracking=""
for ((i = 0; i < 40; i++)); do
  sleep 1
  tracking=$(chronyc -h "$dir/chronyd.sock" -n tracking 2>/dev/null)
  echo "$tracking" | grep -qE '^Reference ID +: 7F000001' && break
done
echo "$tracking"
echo "$tracking" | grep -qE '^Reference ID +: 7F000001' || { cat "$dir/out"; fail "chronyd did not take Quor as its source"; }
echo "$tracking" | grep -qE '^Stratum +: 2$' || fail "chronyd is not at stratum 2 below Quor's stratum 1"
# The offset chronyd measured lies within the root dispersion Quor claims
# (plus the delay it measured itself, as chronyd's root dispersion adds it).
awk '
  /^Last offset/ { offset = $4 < 0 ? -$4 : $4 }
  /^Root dispersion/ { dispersion = $4 }
  END { printf "offset %.6f s, root dispersion %.6f s\n", offset, dispersion
        exit !(dispersion >= 0.03 && offset <= dispersion) }' <<<"$tracking" ||
  fail "the root dispersion does not cover the offset"
echo "chrony client of Quor on gpssim: ok"
