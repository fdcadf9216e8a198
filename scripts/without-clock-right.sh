# Sourced by the scripts that run tests and fuzz targets: runs a command with
# CAP_SYS_TIME dropped when this shell has it, so nothing can set the clock.
without_clock_right() {
  if capsh --has-p=cap_sys_time 2>/dev/null; then
    capsh --drop=cap_sys_time -- -c '"$@"' without_clock_right "$@"
  else
    "$@"
  fi
}
