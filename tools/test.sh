#!/usr/bin/env bash
# Installs what is missing, builds the 32-bit Windows program and its tests, and runs
# every test under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32
ctest --preset win32
