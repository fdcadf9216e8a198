#!/usr/bin/env bash
# Builds the core's unit tests and the fuzz targets with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-ubsan/ (or $QUOR_SANITIZE_BUILD_DIR),
# then runs the unit tests and a short fuzz run of every fuzz target
# ($QUOR_FUZZ_RUNS inputs each, default 20000) seeded with the receiver
# captures. Any sanitizer finding fails the run. Like the other tests, the
# runs go without the right to set the clock.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUOR_SANITIZE_BUILD_DIR:-$here/build-ubsan}
runs=${QUOR_FUZZ_RUNS:-20000}
"$here/scripts/install-deps.sh"

source "$here/scripts/without-clock-right.sh"

start=$SECONDS
# -O1 with line tables only: half the build time of RelWithDebInfo, stack
# traces with file and line, and the assertions on.
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
      -DQUOR_SANITIZE=address,undefined >/dev/null
cmake --build "$build" -j "$(nproc)" --target quor_unit_tests quor_fuzz_targets
echo "sanitizer build: $((SECONDS - start)) s"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
start=$SECONDS
without_clock_right "$build/tests/quor_unit_tests" --gtest_brief=1
echo "unit tests under the sanitizers: $((SECONDS - start)) s"

# Fuzz targets write the input that stopped them into the build folder.
cd "$build"
shopt -s nullglob
targets=("$build"/tests/fuzz/*_fuzz)
[ ${#targets[@]} -gt 0 ] || { echo "no fuzz targets in $build/tests/fuzz" >&2; exit 1; }
for target in "${targets[@]}"; do
  without_clock_right "$target" --runs "$runs" "$here"/tests/data/captures/*.log
done
