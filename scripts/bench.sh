#!/usr/bin/env bash
# Whole-run benchmark: converts a large generated doll with kiss2bmp and, side by side in the same
# repetitions, does the I/O floor of the same job (copy the same input files, write the same
# number of output bytes into as many new files). Prints the medians, their ratio, kiss2bmp's
# peak resident memory and the growth over 64, 128 and 256 cels, then checks the targets.
# A stricter floor that reads the inputs instead of copying them is shown beside it as ratio (2).
# Growth is judged on kiss2bmp's own work, counted in instructions by valgrind (deterministic);
# wall times on a shared machine grow also with the kernel's cost of dirty pages.
#
# Usage: scripts/bench.sh [--clean] [REPETITIONS]   (default 7 repetitions)
#   --clean  rebuild the bench preset (build/bench) from nothing first
# Exit status: 0 when every target holds, 1 when one is missed, 2 for a usage or build failure.
set -euo pipefail
cd "$(dirname "$0")/.."

clean=0
reps=7
for arg in "$@"; do
  case "$arg" in
    --clean) clean=1 ;;
    -h|--help) sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *[!0-9]*|'') echo "bench: unknown argument '$arg'" >&2; exit 2 ;;
    *) reps=$arg ;;
  esac
done
if [ "$reps" -lt 1 ]; then echo "bench: at least 1 repetition" >&2; exit 2; fi

bash scripts/setup.sh --tests
if [ ! -x /usr/bin/time ]; then echo "bench: /usr/bin/time is missing (package time)" >&2; exit 2; fi

build=build/bench
if [ "$clean" -eq 1 ]; then rm -rf "$build"; fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset bench >/dev/null || exit 2
fi
cmake --build --preset bench -j2 --target kiss2bmp make_large_doll >/dev/null || exit 2
kiss2bmp=$PWD/$build/cli/kiss2bmp
make_doll=$PWD/$build/bench/make_large_doll

work=$(mktemp -d "${TMPDIR:-/tmp}/kissbench.XXXXXX")
trap 'rm -rf "$work"' EXIT

now() { echo "${EPOCHREALTIME/[,.]/}"; } # microseconds
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
max() { sort -n | tail -n 1; }

# One timed kiss2bmp run into a fresh folder; appends microseconds and peak RSS (KiB).
run_tool() { # doll out
  rm -rf "$2"; mkdir "$2"; sync -f "$2"
  local t0 t1
  t0=$(now)
  /usr/bin/time -f %M -o "$work/rss" "$kiss2bmp" "$1/doll.cnf" "$2" >/dev/null
  t1=$(now)
  echo $((t1 - t0)) >>"$work/tool.times"
  cat "$work/rss" >>"$work/tool.rss"
}

# The floor: copy the inputs, then write as many files of the output's sizes (here every image
# has one size, so one split does them all) and the report's bytes.
run_floor() { # doll out bmp_count bmp_size report_size
  rm -rf "$2"; mkdir -p "$2/in" "$2/out"; sync -f "$2"
  local t0 t1
  t0=$(now)
  cp "$1"/* "$2/in/"
  head -c $(($3 * $4)) /dev/zero | split -b "$4" -a 3 - "$2/out/image"
  head -c "$5" /dev/zero >"$2/out/report.txt"
  t1=$(now)
  echo $((t1 - t0)) >>"$work/floor.times"
}

# A stricter floor for comparison only: read the inputs instead of copying them, same writes.
run_read_floor() { # doll out bmp_count bmp_size report_size
  rm -rf "$2"; mkdir -p "$2/out"; sync -f "$2"
  local t0 t1
  t0=$(now)
  cat "$1"/* >/dev/null
  head -c $(($3 * $4)) /dev/zero | split -b "$4" -a 3 - "$2/out/image"
  head -c "$5" /dev/zero >"$2/out/report.txt"
  t1=$(now)
  echo $((t1 - t0)) >>"$work/read.times"
}

fmt_s() { awk -v us="$1" 'BEGIN { printf "%.3f", us / 1e6 }'; }

echo "kiss2bmp whole-run benchmark, $reps repetitions, $(date -u +%Y-%m-%d), $(nproc) cores"
printf '\n%5s %8s %10s %11s %8s %6s %13s %11s %11s\n' \
  cels Mpixels "input MiB" "kiss2bmp s" "floor s" ratio "read floor s" "ratio (2)" "peak RSS"
status=0
declare -A tool_med floor_med instr
for cels in 64 128 256; do
  doll=$work/doll$cels
  mkdir "$doll"
  "$make_doll" "$doll" "$cels" 640 480

  # A reference run gives the output sizes and checks that the conversion succeeds.
  ref=$work/ref
  rm -rf "$ref"; mkdir "$ref"
  "$kiss2bmp" "$doll/doll.cnf" "$ref" >/dev/null
  bmp_count=$(find "$ref" -name '*.bmp' | wc -l)
  sizes=$(find "$ref" -name '*.bmp' -printf '%s\n' | sort -u)
  if [ "$(echo "$sizes" | wc -l)" -ne 1 ] || [ "$bmp_count" -ne "$cels" ]; then
    echo "bench: expected $cels images of one size" >&2; exit 2
  fi
  bmp_size=$sizes
  report_size=$(stat -c %s "$ref/doll.txt")
  input_bytes=$(du -cb "$doll"/* | tail -n 1 | cut -f 1)
  rm -rf "$ref"

  rm -f "$work"/tool.times "$work"/tool.rss "$work"/floor.times "$work"/read.times
  for ((i = 0; i < reps; i++)); do
    # Alternate the order so drift on the shared machine hits both sides alike.
    if ((i % 2 == 0)); then
      run_tool "$doll" "$work/out"
      run_floor "$doll" "$work/floor" "$bmp_count" "$bmp_size" "$report_size"
      run_read_floor "$doll" "$work/floor" "$bmp_count" "$bmp_size" "$report_size"
    else
      run_read_floor "$doll" "$work/floor" "$bmp_count" "$bmp_size" "$report_size"
      run_floor "$doll" "$work/floor" "$bmp_count" "$bmp_size" "$report_size"
      run_tool "$doll" "$work/out"
    fi
  done
  rm -rf "$work/out" "$work/floor"

  tool=$(median <"$work/tool.times")
  floor=$(median <"$work/floor.times")
  read_floor=$(median <"$work/read.times")
  rss=$(max <"$work/tool.rss")
  ratio=$(awk -v a="$tool" -v b="$floor" 'BEGIN { printf "%.2f", a / b }')
  read_ratio=$(awk -v a="$tool" -v b="$read_floor" 'BEGIN { printf "%.2f", a / b }')
  pixels=$((cels * 640 * 480))
  printf '%5d %8.1f %10.1f %11s %8s %6s %13s %11s %7d KiB\n' "$cels" \
    "$(awk -v p="$pixels" 'BEGIN { print p / 1e6 }')" \
    "$(awk -v b="$input_bytes" 'BEGIN { print b / 1048576 }')" \
    "$(fmt_s "$tool")" "$(fmt_s "$floor")" "$ratio" "$(fmt_s "$read_floor")" "$read_ratio" "$rss"
  tool_med[$cels]=$tool
  floor_med[$cels]=$floor
  if command -v valgrind >/dev/null; then
    rm -rf "$work/out"; mkdir "$work/out"
    instr[$cels]=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null \
      "$kiss2bmp" "$doll/doll.cnf" "$work/out" 2>&1 >/dev/null | awk '/Collected/ { print $NF }')
    rm -rf "$work/out"
  fi

  if [ "$cels" -eq 256 ]; then
    final_ratio=$ratio
    final_rss=$rss
    limit_kib=$(((2 * bmp_size + 16 * 1048576) / 1024))
    largest=$bmp_size
  fi
  rm -rf "$doll"
done

echo
grow() { awk -v a="$1" -v b="$2" 'BEGIN { printf "x%.2f", b / a }'; }
echo "growth from 64 cels, at 128 (2x the pixels) and 256 (4x):"
echo "  kiss2bmp time   $(grow "${tool_med[64]}" "${tool_med[128]}")  $(grow "${tool_med[64]}" "${tool_med[256]}")"
echo "  floor time      $(grow "${floor_med[64]}" "${floor_med[128]}")  $(grow "${floor_med[64]}" "${floor_med[256]}")"
if [ -n "${instr[64]:-}" ]; then
  echo "  kiss2bmp instructions $(grow "${instr[64]}" "${instr[128]}")  $(grow "${instr[64]}" "${instr[256]}")" \
    "(${instr[64]}, ${instr[128]}, ${instr[256]})"
fi
echo
if awk -v r="$final_ratio" 'BEGIN { exit !(r <= 2.0) }'; then verdict=met; else verdict=MISSED; status=1; fi
echo "target ratio <= 2.0 (256 cels): $final_ratio, $verdict"
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
