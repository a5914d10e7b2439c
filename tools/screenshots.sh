#!/usr/bin/env bash
# Takes the pictures in docs/images/: runs the real LangUpdate.exe under Xvfb with Wine's
# x11 driver in a prefix of its own, on the sample pack and on three broken variants of
# it, and crops each window out of the screen while the player holds it open.
#
# Usage: bash tools/screenshots.sh [--no-build]
# LANGUPDATE_BUILD_DIR (default build/win32) chooses the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${LANGUPDATE_BUILD_DIR:-$root/build/win32}
work=$build/screenshots
images=$root/docs/images

if [ -z "${LANGUPDATE_UNDER_XVFB:-}" ]; then
  if [ "${1:-}" != --no-build ]; then
    bash tools/setup.sh
    cmake --preset win32 -B "$build" >/dev/null
    cmake --build "$build"
  fi
  LANGUPDATE_UNDER_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0"
fi

export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
game_win='C:\Program Files\Lanternfall Studio\Tessary'
game=$WINEPREFIX/drive_c/Program\ Files/Lanternfall\ Studio/Tessary
pack_win='C:\Downloads\Tessary Language Pack'
pack=$WINEPREFIX/drive_c/Downloads/Tessary\ Language\ Pack
shots=$work/shots

# A server left by an earlier run would still talk to that run's display.
[ ! -d "$WINEPREFIX" ] || wineserver -w
rm -rf "$work"
mkdir -p "$work" "$images"
tools/wine-run "$WINEPREFIX" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null
# No window manager runs under Xvfb: Wine draws the captions and frames itself.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null
# Classic look, as the program's controls are drawn without visual styles on Windows: with
# Wine's default theme the bar would be one smooth fill instead of blocks.
wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' /v ThemeActive /d 0 /f >/dev/null
# Debian's Wine does not find its own fonts (Tahoma, Marlett for the caption buttons).
cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
wineserver -w

reset_sample() {
  rm -rf "$game" "$pack" "$shots"
  mkdir -p "$game" "$pack" "$shots"
  cp -R examples/game/. "$game"
  cp -R examples/pack/. "$pack"
  cp "$build/src/LangUpdate.exe" "$pack"
  wine reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\Tessary.exe' \
    /v Path /d "$game_win" /f /reg:32 >/dev/null
  wine reg add 'HKLM\Software\Lanternfall Studio\Tessary' /v version /d 110 /f /reg:32 >/dev/null
}

# play NAME=FILE...: runs the program through the player and saves the windows it names
# (box1, box2, progress2, ...) as docs/images/FILE.png.
play() {
  local wanted=" $* " line name left top right bottom file pair
  wine "$build/tools/player/player.exe" --capture "Z:$shots" "$pack_win\\LangUpdate.exe" |
    while IFS= read -r line; do
      echo "$line"
      [[ $line == capture\ * ]] || continue
      read -r _ name left top right bottom <<<"$line"
      if [[ $wanted == *" $name="* ]]; then
        file=${wanted#* "$name"=}
        file=${file%% *}
        import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage \
          -strip -define png:compression-level=9 "PNG8:$images/$file.png"
        echo "$name" >>"$shots/saved"
        echo "  (saved docs/images/$file.png)"
      fi
      touch "$shots/$name.done"
    done || true
  for pair in "$@"; do
    grep -qx "${pair%%=*}" "$shots/saved" 2>/dev/null || { echo "no ${pair%%=*} was shown" >&2; exit 1; }
  done
}

echo "== the sample pack"
reset_sample
play box1=confirm box2=success

echo "== a pack whose third file goes to a folder the game lacks"
reset_sample
rm -rf "$game/Lang/French"
play box2=copy-error progress2=progress

echo "== the game not installed"
reset_sample
wine reg delete 'HKLM\Software\Lanternfall Studio\Tessary' /f /reg:32 >/dev/null
play box2=not-installed

echo "== a setup script without FirmName"
reset_sample
sed -i '/^FirmName=/d' "$pack/setup.isc"
play box1=fatal-not-found

montage "$images/confirm.png" "$images/progress.png" "$images/success.png" -tile 1x \
  -geometry +10+8 -background '#3a6ea5' -strip "PNG8:$images/run.png"
wineserver -w
ls -l "$images"
