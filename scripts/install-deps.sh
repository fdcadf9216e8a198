#!/usr/bin/env bash
# Installs, with apt, whatever of Quor's build and test needs is missing.
set -euo pipefail
packages=(cmake g++ ninja-build pkg-config qt6-base-dev qt6-base-dev-tools qt6-charts-dev
          libgl-dev libgtest-dev libgmock-dev fonts-ipafont-gothic libcap2-bin
          iproute2 util-linux tzdata chrony sntp systemd)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -q
  # chrony is only a test peer, started by the tests in namespaces of their
  # own: its package must not start a system daemon that steers this
  # machine's clock (systemd is here for `systemd-analyze verify` of Quor's
  # unit). A policy file keeps the package scripts from starting any service
  # during the install.
  policy=/usr/sbin/policy-rc.d
  added_policy=""
  if [ ! -e "$policy" ]; then
    printf '#!/bin/sh\nexit 101\n' | $sudo_cmd tee "$policy" >/dev/null
    $sudo_cmd chmod +x "$policy"
    added_policy=1
  fi
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q "${missing[@]}" || status=$?
  [ -n "$added_policy" ] && $sudo_cmd rm -f "$policy"
  [ "${status:-0}" -eq 0 ] || exit "$status"
fi
# Whatever installed it, the system's chrony service stays off here.
if command -v systemctl >/dev/null && systemctl is-enabled chrony >/dev/null 2>&1; then
  $([ "$(id -u)" -ne 0 ] && echo sudo) systemctl disable --now chrony >/dev/null 2>&1 || true
fi
