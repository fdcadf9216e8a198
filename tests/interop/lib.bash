# Helpers for the tests that start the real program. Sourced, not run.
# Every run is isolated: its own working directory, configuration directory
# and lock directory, offscreen, and without the right to set the clock.

quor_sandbox() {
  SANDBOX=$(mktemp -d /tmp/quor-interop.XXXXXX)
  mkdir -p "$SANDBOX/config" "$SANDBOX/run" "$SANDBOX/cwd"
  chmod 700 "$SANDBOX/run"
  export XDG_CONFIG_HOME="$SANDBOX/config" XDG_RUNTIME_DIR="$SANDBOX/run" QT_QPA_PLATFORM=offscreen
  for n in 1 2 3 4; do export QUOR_COM$n="$SANDBOX/no-such-port-$n"; done
  PIDS=()
  trap quor_cleanup EXIT
}

quor_cleanup() {
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null; done
  for p in "${PIDS[@]}"; do wait "$p" 2>/dev/null; done
  rm -rf "$SANDBOX"
}

# Starts the program in the background with CAP_SYS_TIME dropped.
quor_start() {
  (cd "$SANDBOX/cwd" && exec capsh --drop=cap_sys_time -- -c "exec \"$QUOR\"" >"$SANDBOX/quor.out" 2>&1) &
  PIDS+=($!)
  QUOR_PID=$!
}

# Waits up to $2 seconds for the log file (CP932) to hold the text $1.
quor_wait_log() {
  local want=$1 limit=${2:-10} i
  for ((i = 0; i < limit * 10; i++)); do
    if cat "$SANDBOX"/cwd/Quor*.log 2>/dev/null | iconv -f CP932 -t UTF-8 | grep -qF -- "$want"; then
      return 0
    fi
    sleep 0.1
  done
  echo "log never showed: $want" >&2
  cat "$SANDBOX"/cwd/Quor*.log 2>/dev/null | iconv -f CP932 -t UTF-8 >&2
  cat "$SANDBOX/quor.out" >&2
  return 1
}

fail() { echo "FAIL: $*" >&2; exit 1; }
