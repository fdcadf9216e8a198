#!/usr/bin/env bash
# Builds and runs the benchmarks; prints figures only.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUOR_BUILD_DIR:-$here/build}
"$here/scripts/build.sh" >/dev/null
"$build/bench/pps_step_bench"
"$build/bench/receive_storm_bench"
"$here/bench/idle_cpu.sh" 60 "$build"
if command -v chronyd >/dev/null; then
  "$here/bench/sntp_rate.sh" || echo "sntp_rate: not run"
else
  echo "sntp_rate: chronyd missing (scripts/install-deps.sh installs it)"
fi
