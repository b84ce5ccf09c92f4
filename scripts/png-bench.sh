#!/usr/bin/env bash
# The PNG writer over real dolls: converts every configuration of each shared doll
# (../shared/dolls/*.lzh) with --page --format png, which writes the images of every set, and
# prints the bytes of the indexed PNG files against `optipng -o2` run on copies of them (when
# optipng is there: `apt-get install optipng`), and bench/png_bench's times of our writer against
# libspng at its defaults over the same images, with libspng reading every pixel back.
#
# Usage: scripts/png-bench.sh [ROUNDS]   (default 15)
# Exit status: 0 when the targets hold (within 10% of optipng's bytes, at most 1.3 times
# libspng's time, every colour read back), 1 when one is missed, 2 when it cannot run.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-15}
dolls=../shared/dolls
if ! ls "$dolls"/*.lzh >/dev/null 2>&1; then echo "png-bench: no dolls at $dolls" >&2 && exit 2; fi

build=build/bench
[ -f "$build/CMakeCache.txt" ] || cmake --preset bench >/dev/null || exit 2
cmake --build --preset bench -j2 --target kiss2bmp png_bench >/dev/null || exit 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for archive in "$dolls"/*.lzh; do
  name=$(basename "$archive" .lzh)
  # An archive of several configurations names them when none is chosen.
  configurations=$("$build/cli/kiss2bmp" --check "$archive" 2>&1 | sed -n 's/.*choose one with --cnf: //p' || true)
  for cnf in ${configurations:-""}; do
    "$build/cli/kiss2bmp" --page --format png -q ${cnf:+--cnf "$cnf"} "$archive" "$work/$name-${cnf%.*}" \
      >/dev/null || exit 2
  done
done
# The indexed PNG files (colour type 3, byte 25): a 32-bit cel's are truecolour.
mapfile -t pngs < <(for f in "$work"/*/*.png; do [ "$(od -An -tu1 -j25 -N1 "$f")" -eq 3 ] && echo "$f"; done)
ours=$(cat "${pngs[@]}" | wc -c)
echo "${#pngs[@]} indexed PNG files of $(ls "$dolls"/*.lzh | wc -l) dolls: $ours bytes"

status=0
if command -v optipng >/dev/null; then
  mkdir "$work/optipng"
  for f in "${pngs[@]}"; do cp "$f" "$work/optipng/$(basename "$(dirname "$f")")-$(basename "$f")"; done
  optipng -o2 -quiet "$work"/optipng/*.png
  optimised=$(cat "$work"/optipng/*.png | wc -c)
  awk -v o="$ours" -v p="$optimised" 'BEGIN {
    printf "optipng -o2: %d bytes; ours are %.1f%% of them (target: at most 110%%)\n", p, 100 * o / p
    exit !(o <= 1.1 * p) }' || status=1
else
  echo "optipng is missing (apt-get install optipng): no comparison of bytes"
fi
"$build/bench/png_bench" "$rounds" "${pngs[@]}" | tee "$work/times" || status=1
sed -n 's/.*(time \([0-9.]*\)x.*/\1/p' "$work/times" | awk '{ exit !($1 <= 1.3) }' ||
  { echo "png-bench: slower than 1.3 times libspng's defaults" && status=1; }
exit "$status"
