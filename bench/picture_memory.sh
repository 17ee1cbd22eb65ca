#!/usr/bin/env bash
# Peak memory of the game on the costliest picture file the fuzzers have found.
#
#   bench/picture_memory.sh <build> [folder ...]
#
# Every file of the folders (default: the picture fuzzer's corpus and seeds in build-fuzz,
# and the files of past findings) is read as the game reads a picture, each by a process
# of its own; the one that costs the most is then opened as both pictures of Board A in
# the real game, under /usr/bin/time -v, on a private X display when there is none. The
# figure to hold it to: 1.2 times the largest file the game reads.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: $0 <build> [folder ...]}" && pwd)
shift
folders=("$@")
[ ${#folders[@]} -gt 0 ] || folders=("$root/build-fuzz/corpus/fuzz_picture_file" "$root/build-fuzz/seeds/picture"
                                      "$root/tests/resources/findings")
bench=$build/bench/bench_game_memory
[ -x "$bench" ] || { echo "$0: build $bench first (HOPSTONE_BENCH=ON)" >&2; exit 1; }
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "${folders[@]}"
fi

worst= worst_kb=0 files=0
while IFS= read -r -d '' file; do
  kb=$("$bench" --decode "$file" | sed -n 's/^decode maxrss_kb=\([0-9]*\).*/\1/p')
  files=$((files + 1))
  if [ "${kb:-0}" -gt "$worst_kb" ]; then worst=$file worst_kb=$kb; fi
done < <(find "${folders[@]}" -type f -print0 2>/dev/null)
echo "files read: $files; costliest to read: $worst ($worst_kb KB)"

limit_kb=$("$bench" --decode "$worst" | sed -n 's/.* file_limit_kb=\([0-9]*\).*/\1/p')
log=$(mktemp)
/usr/bin/time -v "$bench" --picture "$worst" 2>"$log" | grep '^picture' || true
peak_kb=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$log")
rm -f "$log"
echo "game on it: peak $peak_kb KB = $(( peak_kb * 100 / limit_kb )) % of the file limit ($limit_kb KB; the target is 120 %)"
