#!/usr/bin/env bash
# The tools follow the command-line conventions: --help prints the usage on
# stdout with status 0, --version the version; a bad command line gives a
# message on stderr, nothing on stdout, and a non-zero status.
set -u
BUILD=$(realpath "$2")
fail() { echo "FAIL: $*" >&2; exit 1; }
GPSSIM=$BUILD/tools/gpssim/gpssim
DECODE=$BUILD/tools/quor-decode/quor-decode
[ -x "$GPSSIM" ] && [ -x "$DECODE" ] || { echo "skipped: the tools are not built"; exit 0; }
tmp=$(mktemp -d /tmp/quor-tools.XXXXXX)
trap 'rm -rf "$tmp"' EXIT

for tool in "$GPSSIM" "$DECODE"; do
  name=${tool##*/}
  for opt in --help -h; do
    "$tool" $opt >"$tmp/out" 2>"$tmp/err" || fail "$name $opt: status $?"
    grep -q "^usage: $name" "$tmp/out" || fail "$name $opt: no usage on stdout"
    [ ! -s "$tmp/err" ] || fail "$name $opt: wrote to stderr"
  done
  "$tool" --version >"$tmp/out" || fail "$name --version: status $?"
  grep -qx "$name [0-9.]*" "$tmp/out" || fail "$name --version: $(cat "$tmp/out")"
done

# tool | arguments | text expected on stderr
cases=(
  "$GPSSIM|--no-such-option|unknown option"
  "$GPSSIM|--receiver nonesuch|bad value for --receiver"
  "$GPSSIM|--offset|missing value"
  "$GPSSIM||--receiver is required"
  "$DECODE|--no-such-option|unknown option"
  "$DECODE|--chunk 0|bad chunk size"
  "$DECODE|--receiver nonesuch|bad receiver"
  "$DECODE|a b|more than one file"
  "$DECODE|$tmp/no-such-file|cannot open"
)
for c in "${cases[@]}"; do
  IFS='|' read -r tool args want <<<"$c"
  # shellcheck disable=SC2086
  timeout 5 "$tool" $args >"$tmp/out" 2>"$tmp/err" </dev/null
  rc=$?
  [ "$rc" -ne 0 ] && [ "$rc" -ne 124 ] || fail "${tool##*/} $args: status $rc"
  grep -q -- "$want" "$tmp/err" || fail "${tool##*/} $args: stderr lacks '$want': $(cat "$tmp/err")"
  [ ! -s "$tmp/out" ] || fail "${tool##*/} $args: wrote to stdout"
done
echo "tools cli: ok"
