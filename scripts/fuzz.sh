#!/usr/bin/env bash
# Builds the libFuzzer harnesses (fuzz preset) and runs each for SECONDS (default 20) over a
# copy of its committed seeds and past findings, as many at a time as there are cores; exits
# non-zero on any finding. The committed corpus is never written: new inputs and finding files
# stay under build/fuzz/run/NAME, with the log and the result ("no finding" or "finding").
# Usage: bash scripts/fuzz.sh [--build | --run] [SECONDS] [NAME...]
#   --build: only build; --run: only run what is built. KISS_FUZZ_BUILD names the build folder the
#   harnesses are taken from (default build/fuzz): scripts/test.sh runs those of build/asan, built
#   with its tests from the same objects.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KISS_FUZZ_BUILD:-build/fuzz}

mode=all
case "${1:-}" in --build | --run) mode=$1 && shift ;; esac
seconds="${1:-20}"
shift || true
names=("$@")
[ ${#names[@]} -gt 0 ] || names=(decode_cel text conversion archives page fkiss decode_gif decode_jpeg decode_png)

if [ "$mode" != --run ] && [ "$build" = build/fuzz ]; then
  targets=()
  for name in "${names[@]}"; do targets+=("fuzz_$name"); done
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz --target "${targets[@]}"
fi
[ "$mode" != --build ] || exit 0

# The conversion harness makes and removes files for every input: a memory file system is much
# faster than a disk. Whatever the harnesses leave there goes at the end.
scratch_base=/dev/shm
[ -d "$scratch_base" ] && [ -w "$scratch_base" ] || scratch_base="$PWD/build/fuzz/run"
mkdir -p "$scratch_base"
scratch="$(mktemp -d "$scratch_base/kissfuzz-run.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT

# One harness's run; its result goes to its folder.
fuzz() {
  local name=$1 run="build/fuzz/run/$1"
  rm -rf "$run"
  mkdir -p "$run/corpus" "$run/findings" "$scratch/$name"
  cp fuzz/corpus/"$name"/* "$run/corpus/"
  local seeds=("$run/corpus") dict=()
  [ -d "tests/crashers/$name" ] && seeds+=("tests/crashers/$name")
  [ -f "fuzz/$name.dict" ] && dict=("-dict=fuzz/$name.dict")
  # A slow input (more than 10 s) counts as a finding: the tool must never hang.
  if TMPDIR="$scratch/$name" "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$run/findings/" "${dict[@]}" "${seeds[@]}" \
    >"$run/log" 2>&1 && [ -z "$(ls -A "$run/findings")" ]; then
    echo "no finding" >"$run/result"
  else
    echo "finding" >"$run/result"
  fi
}

jobs=$(nproc)
for ((i = 0; i < ${#names[@]}; i += jobs)); do
  batch=("${names[@]:i:jobs}")
  echo "== fuzz ${batch[*]}: ${seconds}s"
  for name in "${batch[@]}"; do fuzz "$name" & done
  wait
done

status=0
for name in "${names[@]}"; do
  run="build/fuzz/run/$name"
  if [ "$(cat "$run/result")" = "no finding" ]; then
    echo "fuzz $name: $(grep -E '^stat::number_of_executed_units' "$run/log" | awk '{print $2}') runs, no finding"
  else
    status=1
    echo "fuzz $name: FINDING (inputs in $run/findings, log in $run/log)" >&2
    tail -n 60 "$run/log" >&2
  fi
done
exit "$status"
