#!/usr/bin/env bash
# Long fuzz runs of every fuzz target (tests/fuzz), for SECONDS each (default
# 600), under the address and undefined-behaviour sanitizers:
#
#   bench/fuzz_long.sh [SECONDS]
#
# With clang and libFuzzer (on Debian: apt-get install clang libclang-rt-14-dev)
# the targets are built for libFuzzer into build-libfuzzer/ and fuzzed with
# coverage feedback, seeded with the receiver captures; the inputs it finds
# new stay in build-libfuzzer/corpus/<target>/ for the next run, and an input
# that stops a target is written to build-libfuzzer/findings/. Without them,
# the standalone driver runs in the sanitizer build (build-ubsan/) in batches
# of 50000 inputs from a new random seed each until the time is up
# (QUOR_FUZZ_ENGINE=standalone chooses this also when clang is there). Inputs
# are at most 4096 bytes. Prints what it ran.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
"$here/scripts/install-deps.sh"

source "$here/scripts/without-clock-right.sh"

have_libfuzzer() {
  [ "${QUOR_FUZZ_ENGINE:-}" != standalone ] || return 1
  command -v clang++ >/dev/null || return 1
  local probe
  probe=$(mktemp -d)
  echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' \
    >"$probe/probe.cpp"
  clang++ -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" -o "$probe/probe" 2>/dev/null
  local ok=$?
  rm -rf "$probe"
  return $ok
}

if have_libfuzzer; then
  build=$here/build-libfuzzer
  echo "libFuzzer ($(clang++ --version | head -n1)), ASan and UBSan, $seconds s per target"
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ -DQUOR_SANITIZE=address,undefined -DQUOR_LIBFUZZER=ON >/dev/null
  cmake --build "$build" -j "$(nproc)" --target quor_fuzz_targets
  # libFuzzer takes the seeds as they are: the captures without their
  # leading '#' comment lines.
  seeds=$build/seeds
  mkdir -p "$seeds" "$build/findings"
  for capture in "$here"/tests/data/captures/*.log; do
    comments=$(awk '!/^#/ { print NR - 1; exit }' "$capture")
    tail -n +"$((${comments:-0} + 1))" "$capture" >"$seeds/$(basename "$capture")"
  done
  for target in "$build"/tests/fuzz/*_fuzz; do
    name=$(basename "$target")
    corpus=$build/corpus/$name
    mkdir -p "$corpus"
    options=(-max_total_time="$seconds" -max_len=4096 -print_final_stats=1 -artifact_prefix="$build/findings/$name-")
    [ -f "$here/tests/fuzz/$name.dict" ] && options+=(-dict="$here/tests/fuzz/$name.dict")
    echo "== $name: libFuzzer for $seconds s, corpus $corpus"
    without_clock_right "$target" "${options[@]}" "$corpus" "$seeds"
  done
else
  build=$here/build-ubsan
  if [ "${QUOR_FUZZ_ENGINE:-}" != standalone ]; then
    echo "clang with libFuzzer not found (apt-get install clang libclang-rt-14-dev)"
  fi
  echo "standalone driver under ASan and UBSan, $seconds s per target"
  # Configured as scripts/test-sanitizers.sh does, so the two share the build.
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
        -DQUOR_SANITIZE=address,undefined >/dev/null
  cmake --build "$build" -j "$(nproc)" --target quor_fuzz_targets
  cd "$build"  # where a target writes the input that stopped it
  for target in "$build"/tests/fuzz/*_fuzz; do
    name=$(basename "$target")
    echo "== $name: standalone driver, batches of 50000 inputs for $seconds s"
    start=$SECONDS
    seed=1
    while [ $((SECONDS - start)) -lt "$seconds" ]; do
      without_clock_right "$target" --runs 50000 --seed "$seed" "$here"/tests/data/captures/*.log
      seed=$((seed + 1))
    done
    echo "== $name: $((seed - 1)) batches, seeds 1..$((seed - 1)), $((SECONDS - start)) s"
  done
fi
