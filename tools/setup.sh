#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12; quick when all is there.
set -euo pipefail

need=()
command -v i686-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-i686)
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
command -v wine >/dev/null || need+=(wine)
dpkg -s wine32:i386 >/dev/null 2>&1 || need+=(wine32:i386)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
command -v xvfb-run >/dev/null || need+=(xvfb)
command -v zip >/dev/null || need+=(zip)
command -v file >/dev/null || need+=(file)
command -v python3 >/dev/null || need+=(python3)
# The sample run's display check and the screenshots.
command -v xdpyinfo >/dev/null || need+=(x11-utils)
command -v import >/dev/null || need+=(imagemagick)
[ -f /usr/share/wine/fonts/tahoma.ttf ] || need+=(fonts-wine)

if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages: ${need[*]} (run as root to install them)" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${need[@]}"
fi
