#!/usr/bin/env bash
# Measures LangUpdate.exe against its floor, its start-up against a bare message box, and
# its size, on packs made for the run; writes docs/performance.md.
# Usage: bash bench/run.sh [BUILD_DIR]   (default build/win32; BENCH_REPS=5 repetitions)
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s)
build=${1:-build/win32}
reps=${BENCH_REPS:-5}

for tool in cmake ninja wine python3 i686-w64-mingw32-g++-posix; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: run tools/setup.sh" >&2; exit 1; }
done
[ -f "$build/CMakeCache.txt" ] || cmake --preset win32 -B "$build" >/dev/null
cmake -B "$build" -DLANGUPDATE_BENCH=ON >/dev/null
cmake --build "$build" --target LangUpdate bench_driver bench_langupdate_timed \
  bench_floor_copy bench_floor_reads bench_box_only bench_window_steps
build=$(cd "$build" && pwd)
bench=$build/bench
exe=$build/src/LangUpdate.exe

windows_path() { local p=$1; echo "Z:${p//\//\\}"; }

work=$(mktemp -d "${TMPDIR:-/tmp}/langupdate-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
echo "making the packs in $work"
packs=(100x1MiB:100:1048576:10 1000x4KiB:1000:4096:100 10000x4KiB:10000:4096:100)
python3 bench/make_packs.py "$work" "${packs[@]}"

samples=$bench/samples.tsv
echo "measuring, $reps repetitions; progress below"
tools/wine-run "$bench/prefix" "$bench/bench_driver.exe" \
  "$(windows_path "$samples")" "$(windows_path "$work")" "$reps" \
  "$(windows_path "$exe")" "$(windows_path "$bench/bench_langupdate_timed.exe")" \
  "$(windows_path "$bench/bench_floor_copy.exe")" \
  "$(windows_path "$bench/bench_floor_reads.exe")" "$(windows_path "$bench/bench_box_only.exe")" \
  "$(windows_path "$bench/bench_window_steps.exe")" 1000x4KiB \
  "${packs[@]%%:*}"
WINEPREFIX=$bench/prefix wineserver -w

stripped=$work/LangUpdate.stripped.exe
i686-w64-mingw32-strip -o "$stripped" "$exe"
rsrc_hex=$(i686-w64-mingw32-objdump -h "$exe" | awk '$2 == ".rsrc" { print $3 }')
elapsed=$(( $(date +%s) - started ))
facts=$work/facts.tsv
{
  printf 'date\t%s\n' "$(date -u '+%Y-%m-%d %H:%M UTC')"
  printf 'nproc\t%s\n' "$(nproc)"
  printf 'cpu\t%s\n' "$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)"
  printf 'memory_mib\t%s\n' "$(awk '/^MemTotal/ { print int($2 / 1024) }' /proc/meminfo)"
  printf 'os\t%s\n' "$(. /etc/os-release && echo "$PRETTY_NAME")"
  printf 'wine\t%s\n' "$(wine --version)"
  printf 'build_type\t%s\n' "$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")"
  printf 'exe_bytes\t%s\n' "$(stat -c %s "$exe")"
  printf 'stripped_bytes\t%s\n' "$(stat -c %s "$stripped")"
  printf 'rsrc_bytes\t%d\n' "$((16#$rsrc_hex))"
  printf 'bench_time\t%d min %02d s\n' $((elapsed / 60)) $((elapsed % 60))
} > "$facts"
python3 bench/report.py "$samples" "$facts" > docs/performance.md
echo "wrote docs/performance.md ($((elapsed / 60)) min $((elapsed % 60)) s)"
