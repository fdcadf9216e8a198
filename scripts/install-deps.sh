#!/usr/bin/env bash
# Installs, with apt, whatever of Quor's build and test needs is missing.
set -euo pipefail
packages=(cmake g++ ninja-build pkg-config qt6-base-dev qt6-base-dev-tools
          libgl-dev libgtest-dev libgmock-dev fonts-ipafont-gothic libcap2-bin
          iproute2 util-linux tzdata chrony sntp)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q "${missing[@]}"
fi
