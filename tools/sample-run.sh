#!/usr/bin/env bash
# Runs LangUpdate.exe on the bundled sample: installs what is missing, builds, lays out the
# sample game and its registry values in a Wine prefix of its own, runs the program in a
# fresh copy of the sample pack and lists the game files it changed. Exits with the
# program's exit code.
#
# Usage: bash tools/sample-run.sh [--no-build] [--headless] [--fresh]
#   --no-build  skip set-up and build (the build folder must be built already)
#   --headless  no windows even when a display is there: the player answers every box
#   --fresh     make a new Wine prefix instead of resetting the one of the last run
# LANGUPDATE_BUILD_DIR (default build/win32) and LANGUPDATE_SAMPLE_DIR (default
# BUILD/sample) choose the build folder and the folder of the prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

build_first=1 headless=0 fresh=0
for option in "$@"; do
  case $option in
    --no-build) build_first=0 ;;
    --headless) headless=1 ;;
    --fresh) fresh=1 ;;
    *) echo "unknown option: $option" >&2; exit 64 ;;
  esac
done

build=${LANGUPDATE_BUILD_DIR:-$root/build/win32}
sample=${LANGUPDATE_SAMPLE_DIR:-$build/sample}

if [ $build_first = 1 ]; then
  bash tools/setup.sh
  cmake --preset win32 -B "$build" >/dev/null
  cmake --build "$build"
fi
for built in "$build/src/LangUpdate.exe" "$build/tools/player/player.exe"; do
  [ -f "$built" ] || { echo "not built: $built" >&2; exit 64; }
done

if [ $headless = 0 ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  driver=x11 screen="x11 $DISPLAY"
else
  driver=null screen=null
fi

mkdir -p "$sample"
exec 8>"$sample.lock"
flock 8
# Wine's server inherits the descriptor and outlives the script, so unlock it explicitly.
trap 'flock -u 8' EXIT
if [ $fresh = 1 ] && [ -d "$sample/prefix" ]; then
  WINEPREFIX=$sample/prefix wineserver -w
  rm -rf "$sample/prefix" "$sample/driver"
fi

export WINEPREFIX=$sample/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
game_win='C:\Program Files\Lanternfall Studio\Tessary'
game=$WINEPREFIX/drive_c/Program\ Files/Lanternfall\ Studio/Tessary
pack_win='C:\Downloads\Tessary Language Pack'
pack=$WINEPREFIX/drive_c/Downloads/Tessary\ Language\ Pack

# wine-run makes the prefix on first use.
tools/wine-run "$WINEPREFIX" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d $driver /f >/dev/null
# Debian's Wine does not find its own fonts (Tahoma, Marlett for the caption buttons).
if [ -d /usr/share/wine/fonts ]; then
  cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
fi
# A running server keeps the driver and display it started with.
if [ "$(cat "$sample/driver" 2>/dev/null)" != "$screen" ]; then
  wineserver -w
  echo "$screen" >"$sample/driver"
fi
wine reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\Tessary.exe' \
  /v Path /d "$game_win" /f /reg:32 >/dev/null
wine reg add 'HKLM\Software\Lanternfall Studio\Tessary' /v version /d 110 /f /reg:32 >/dev/null

rm -rf "$game" "$pack"
mkdir -p "$game" "$pack"
cp -R examples/game/. "$game"
cp -R examples/pack/. "$pack"
cp "$build/src/LangUpdate.exe" "$pack"

snapshot() {
  (cd "$1" && find . -type f -printf '%P\n' | LC_ALL=C sort | while IFS= read -r file; do
    printf '%s\t%s\t%s\n' "$file" "$(stat -c %s "$file")" "$(md5sum <"$file" | cut -c1-32)"
  done)
}
snapshot "$game" >"$sample/game-before.txt"

echo "Game installed in $game_win (registry: App Paths Tessary.exe, version 110)."
echo "Pack in $pack_win: setup.isc, LangUpdate.exe and the language files."
status=0
if [ $driver = x11 ]; then
  echo "Running LangUpdate.exe on $DISPLAY: click through its windows."
  (cd "$pack" && wine LangUpdate.exe) || status=$?
  echo "LangUpdate.exe ended with exit code $status"
else
  echo "Running LangUpdate.exe without a screen; the player answers every box with OK."
  wine "$build/tools/player/player.exe" "$pack_win\\LangUpdate.exe" || status=$?
fi

snapshot "$game" >"$sample/game-after.txt"
echo
awk -F'\t' -v folder="$game_win" '
  NR == FNR { size[$1] = $2; sum[$1] = $3; next }
  { seen[$1] = 1 }
  !($1 in size) { changed[++n] = $1; old[n] = "new"; new[n] = $2; next }
  sum[$1] != $3 { changed[++n] = $1; old[n] = size[$1]; new[n] = $2 }
  END {
    for (file in size) if (!(file in seen)) { changed[++n] = file; old[n] = size[file]; new[n] = "gone" }
    if (n == 0) { print "No file in the game folder " folder " changed."; exit }
    print "Files changed in the game folder " folder ":"
    printf "  %-28s %10s %10s\n", "file", "old bytes", "new bytes"
    for (i = 1; i <= n; i++) {
      name = changed[i]; gsub("/", "\\", name)
      printf "  %-28s %10s %10s\n", name, old[i], new[i]
    }
  }' "$sample/game-before.txt" "$sample/game-after.txt"
exit $status
