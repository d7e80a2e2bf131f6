#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when
# any of them is missing. Safe to run again.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config tzdata
  qt6-base-dev qt6-base-dev-tools
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
  libjpeg62-turbo-dev libqcustomplot-dev
  libxlsxwriter-dev qt6-svg-dev
  fonts-liberation2
  clang libclang-rt-14-dev
  poppler-utils xvfb xauth librsvg2-bin
  python3-numpy python3-openpyxl python3-xlsxwriter python3-matplotlib
  desktop-file-utils dpkg-dev
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
