#!/usr/bin/env bash
# Builds the libFuzzer harnesses (fuzz preset) and runs each for SECONDS (default 30) over a
# copy of its committed seeds and past findings; exits non-zero on any finding. The committed
# corpus is never written: new inputs and finding files stay under build/fuzz/run/NAME.
# Usage: bash scripts/fuzz.sh [SECONDS] [NAME...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-20}"
shift || true
names=("$@")
[ ${#names[@]} -gt 0 ] || names=(decode_cel text conversion archives)

targets=()
for name in "${names[@]}"; do targets+=("fuzz_$name"); done
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${targets[@]}"

# The conversion harness makes and removes files for every input: a memory file system is much
# faster than a disk. Whatever the harnesses leave there goes at the end.
scratch_base=/dev/shm
[ -d "$scratch_base" ] && [ -w "$scratch_base" ] || scratch_base="$PWD/build/fuzz/run"
mkdir -p "$scratch_base"
scratch="$(mktemp -d "$scratch_base/kissfuzz-run.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT

status=0
for name in "${names[@]}"; do
  run="build/fuzz/run/$name"
  rm -rf "$run"
  mkdir -p "$run/corpus" "$run/findings"
  cp fuzz/corpus/"$name"/* "$run/corpus/"
  seeds=("$run/corpus")
  [ -d "tests/crashers/$name" ] && seeds+=("tests/crashers/$name")
  dict=()
  [ -f "fuzz/$name.dict" ] && dict=("-dict=fuzz/$name.dict")

  echo "== fuzz $name: ${seconds}s"
  # A slow input (more than 10 s) counts as a finding: the tool must never hang.
  if TMPDIR="$scratch" "build/fuzz/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 \
      -print_final_stats=1 -artifact_prefix="$run/findings/" "${dict[@]}" "${seeds[@]}" \
      >"$run/log" 2>&1 && [ -z "$(ls -A "$run/findings")" ]; then
    grep -E 'DONE|^stat::peak_rss_mb' "$run/log" || true
  else
    status=1
    echo "fuzz $name: FINDING (inputs in $run/findings, log in $run/log)" >&2
    tail -n 60 "$run/log" >&2
  fi
done
exit "$status"
