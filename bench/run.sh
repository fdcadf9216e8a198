#!/usr/bin/env bash
# Builds and runs the benchmarks; prints figures only.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUOR_BUILD_DIR:-$here/build}
"$here/scripts/build.sh" >/dev/null
"$build/bench/pps_step_bench"
"$build/bench/receive_storm_bench"
