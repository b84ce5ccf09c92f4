#!/usr/bin/env bash
# Whole-run benchmark: converts a large generated doll with kiss2bmp and, in alternating pairs,
# runs the I/O floor of the same job: bench/io_floor, one process that reads each input file whole
# and writes as many files of the output's names, sizes and folders, nothing else. Prints the
# medians, their ratio, kiss2bmp's peak resident memory, the system calls per image of both (when
# strace is there) and the growth over 64, 128 and 256 cels, then checks the targets. Growth is
# judged on kiss2bmp's own work, counted in instructions by valgrind (deterministic); wall times
# on a shared machine grow also with the kernel's cost of dirty pages.
#
# Usage: scripts/bench.sh [--clean] [PAIRS]   (default 9 pairs)
#   --clean  rebuild the bench preset (build/bench) from nothing first
#   KISS2BMP=PATH times that kiss2bmp instead of the bench build's (an older one, to compare)
# Exit status: 0 when every target holds, 1 when one is missed, 2 for a usage or build failure.
set -euo pipefail
cd "$(dirname "$0")/.."

clean=0
pairs=9
for arg in "$@"; do
  case "$arg" in
    --clean) clean=1 ;;
    -h|--help) sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *[!0-9]*|'') echo "bench: unknown argument '$arg'" >&2; exit 2 ;;
    *) pairs=$arg ;;
  esac
done
if [ "$pairs" -lt 1 ]; then echo "bench: at least 1 pair" >&2; exit 2; fi

bash scripts/setup.sh --tests
if [ ! -x /usr/bin/time ]; then echo "bench: /usr/bin/time is missing (package time)" >&2; exit 2; fi

build=build/bench
if [ "$clean" -eq 1 ]; then rm -rf "$build"; fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset bench >/dev/null || exit 2
fi
cmake --build --preset bench -j2 --target kiss2bmp make_large_doll io_floor >/dev/null || exit 2
kiss2bmp=${KISS2BMP:-$PWD/$build/cli/kiss2bmp}
make_doll=$PWD/$build/bench/make_large_doll
floor=$PWD/$build/bench/io_floor

work=$(mktemp -d "${TMPDIR:-/tmp}/kissbench.XXXXXX")
trap 'rm -rf "$work"' EXIT

now() { echo "${EPOCHREALTIME/[,.]/}"; } # microseconds
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
max() { sort -n | tail -n 1; }

# One timed run into a fresh, empty output folder, both sides through /usr/bin/time alike;
# appends microseconds to SIDE.times and the peak RSS (KiB) to SIDE.rss.
timed() { # side out command...
  local side=$1 out=$2 t0 t1
  shift 2
  rm -rf "$out"; mkdir "$out"; sync -f "$out"
  t0=$(now)
  /usr/bin/time -f %M -o "$work/rss" "$@" >/dev/null
  t1=$(now)
  echo $((t1 - t0)) >>"$work/$side.times"
  cat "$work/rss" >>"$work/$side.rss"
}

# System calls of one run into a fresh folder, all of its processes counted.
syscalls() { # out command...
  local out=$1
  shift
  rm -rf "$out"; mkdir "$out"
  strace -f -c -o "$work/strace" "$@" >/dev/null
  awk '$NF == "total" { print $4 }' "$work/strace"
}

fmt_s() { awk -v us="$1" 'BEGIN { printf "%.3f", us / 1e6 }'; }

echo "kiss2bmp whole-run benchmark, $pairs alternating pairs, $(date -u +%Y-%m-%d), $(nproc) cores"
printf '\n%5s %8s %10s %11s %8s %6s %11s %16s\n' \
  cels Mpixels "input MiB" "kiss2bmp s" "floor s" ratio "peak RSS" "calls per image"
status=0
declare -A tool_med floor_med instr
for cels in 64 128 256; do
  doll=$work/doll$cels
  mkdir "$doll"
  "$make_doll" "$doll" "$cels" 640 480

  # A reference run gives the output's names and sizes and checks that the conversion succeeds.
  ref=$work/ref
  rm -rf "$ref"; mkdir "$ref"
  "$kiss2bmp" "$doll/doll.cnf" "$ref" >/dev/null
  bmp_count=$(find "$ref" -name '*.bmp' | wc -l)
  largest=$(find "$ref" -name '*.bmp' -printf '%s\n' | sort -n | tail -n 1)
  if [ "$bmp_count" -ne "$cels" ]; then echo "bench: expected $cels images" >&2; exit 2; fi
  mapfile -t inputs < <(find "$doll" -type f | sort)
  mapfile -t outputs < <(cd "$ref" && find . -type f -printf '%P=%s\n' | sort)
  input_bytes=$(du -cb "${inputs[@]}" | tail -n 1 | cut -f 1)
  rm -rf "$ref"

  tool_cmd=("$kiss2bmp" "$doll/doll.cnf" "$work/out")
  floor_cmd=("$floor" "$work/out" "${inputs[@]}" -- "${outputs[@]}")
  rm -f "$work"/tool.* "$work"/floor.*
  for ((i = 0; i < pairs; i++)); do
    # Alternate the order so drift on the shared machine hits both sides alike.
    if ((i % 2 == 0)); then
      timed tool "$work/out" "${tool_cmd[@]}"
      timed floor "$work/out" "${floor_cmd[@]}"
    else
      timed floor "$work/out" "${floor_cmd[@]}"
      timed tool "$work/out" "${tool_cmd[@]}"
    fi
  done

  calls=-
  if command -v strace >/dev/null; then
    calls=$(awk -v a="$(syscalls "$work/out" "${tool_cmd[@]}")" \
      -v b="$(syscalls "$work/out" "${floor_cmd[@]}")" -v n="$cels" \
      'BEGIN { printf "%.1f / %.1f", a / n, b / n }')
  fi
  rm -rf "$work/out"

  tool=$(median <"$work/tool.times")
  floor_time=$(median <"$work/floor.times")
  rss=$(max <"$work/tool.rss")
  ratio=$(awk -v a="$tool" -v b="$floor_time" 'BEGIN { printf "%.2f", a / b }')
  pixels=$((cels * 640 * 480))
  printf '%5d %8.1f %10.1f %11s %8s %6s %7d KiB %16s\n' "$cels" \
    "$(awk -v p="$pixels" 'BEGIN { print p / 1e6 }')" \
    "$(awk -v b="$input_bytes" 'BEGIN { print b / 1048576 }')" \
    "$(fmt_s "$tool")" "$(fmt_s "$floor_time")" "$ratio" "$rss" "$calls"
  tool_med[$cels]=$tool
  floor_med[$cels]=$floor_time
  if command -v valgrind >/dev/null; then
    rm -rf "$work/out"; mkdir "$work/out"
    instr[$cels]=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null \
      "$kiss2bmp" "$doll/doll.cnf" "$work/out" 2>&1 >/dev/null | awk '/Collected/ { print $NF }')
    rm -rf "$work/out"
  fi

  if [ "$cels" -eq 256 ]; then
    final_ratio=$ratio
    final_rss=$rss
    limit_kib=$(((2 * largest + 16 * 1048576) / 1024))
  fi
  rm -rf "$doll"
done

echo
echo "calls per image: system calls of the whole run (strace -f -c) over its cels, kiss2bmp / floor"
grow() { awk -v a="$1" -v b="$2" 'BEGIN { printf "x%.2f", b / a }'; }
echo "growth from 64 cels, at 128 (2x the pixels) and 256 (4x):"
echo "  kiss2bmp time   $(grow "${tool_med[64]}" "${tool_med[128]}")  $(grow "${tool_med[64]}" "${tool_med[256]}")"
echo "  floor time      $(grow "${floor_med[64]}" "${floor_med[128]}")  $(grow "${floor_med[64]}" "${floor_med[256]}")"
if [ -n "${instr[64]:-}" ]; then
  echo "  kiss2bmp instructions $(grow "${instr[64]}" "${instr[128]}")  $(grow "${instr[64]}" "${instr[256]}")" \
    "(${instr[64]}, ${instr[128]}, ${instr[256]})"
fi
echo
if awk -v r="$final_ratio" 'BEGIN { exit !(r <= 1.25) }'; then verdict=met; else verdict=MISSED; status=1; fi
echo "target ratio <= 1.25 (256 cels, median of $pairs pairs): $final_ratio, $verdict"
if [ "$final_rss" -le "$limit_kib" ]; then verdict=met; else verdict=MISSED; status=1; fi
echo "target peak RSS <= 2 x largest BMP ($largest bytes) + 16 MiB = $limit_kib KiB: $final_rss KiB, $verdict"
# Linear: 4x the pixels may cost at most 4.4x the work (a fixed start-up cost only lowers it).
if [ -n "${instr[64]:-}" ]; then
  growth=$(grow "${instr[64]}" "${instr[256]}")
  if awk -v a="${instr[64]}" -v b="${instr[256]}" 'BEGIN { exit !(b / a <= 4.4) }'; then
    verdict=met
  else
    verdict=MISSED; status=1
  fi
  echo "target linear growth (4x pixels, instructions at most x4.4): $growth, $verdict"
else
  echo "target linear growth: not judged (valgrind is missing to count instructions)"
fi
exit $status
