#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the screenshots need, only when missing.
set -euo pipefail
pkgs=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-serialport-dev libgtest-dev libgmock-dev
      libbenchmark-dev nlohmann-json3-dev libcli11-dev fonts-wqy-zenhei xvfb xauth
      libgl1-mesa-dev libxkbcommon-dev
      dpkg-dev lintian desktop-file-utils appstream)
missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "bootstrap: installing ${missing[*]}"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
