#!/usr/bin/env bash
# Sets up, builds and runs every test: the whole suite once under the sanitizers, with short fuzz
# runs of the same build, what differs in the optimised build (kiss2bmp's process and its golden
# output, the page in a browser), the desktop entry, manual page and Debian package, the portable
# tests, the sample doll and the shared real dolls built for Windows (with its libraries from
# Debian's sources) and run under Wine. The builds for the later stages go beside the rest, the
# optimised one at low priority. Each stage says when it starts; the last line is the verdict,
# summed over every stage: "N passed, N failed, N skipped" (a ctest test counts as one, and so does
# each other check and each fuzz run). A failed set-up or build stops the run after its verdict;
# the exit status is 1 when anything failed.
set -uo pipefail
cd "$(dirname "$0")/.."

logs=build/test-logs
rm -rf "$logs" && mkdir -p "$logs"
passed=0 failed=0 skipped=0 begun=$SECONDS

stage() { printf '== %s (at %d:%02d)\n' "$1" $(((SECONDS - begun) / 60)) $(((SECONDS - begun) % 60)); }
verdict() {
  printf '%d passed, %d failed, %d skipped\n' "$passed" "$failed" "$skipped"
  exit $((failed > 0))
}
# One check: its command's status, its name named when it fails.
check() {
  local name=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)) && echo "FAILED: $name" >&2; fi
}
# What cannot go on without: a failure is counted and ends the run.
must() {
  local name=$1
  shift
  "$@" || { failed=$((failed + 1)) && echo "FAILED: $name (the run stops here)" >&2 && verdict; }
}
# The counts of a ctest log ("N% tests passed, F tests failed out of T", skipped tests listed as
# such); no summary counts as one failure.
count_ctest() {
  local log=$1 total fails skips
  total=$(sed -n 's/.* tests failed out of \([0-9]*\)$/\1/p' "$log" | tail -n 1)
  fails=$(sed -n 's/.* \([0-9]*\) tests failed out of .*/\1/p' "$log" | tail -n 1)
  if [ -z "$total" ]; then
    failed=$((failed + 1)) && echo "FAILED: no test summary in $log" >&2 && return
  fi
  skips=$(grep -c '^\s*[0-9]* - .*(Skipped)$' "$log")
  passed=$((passed + total - fails - skips)) failed=$((failed + fails)) skipped=$((skipped + skips))
}
# Runs ctest for a preset into a log, shown as it goes; its counts join the verdict.
run_ctest() {
  ctest --preset "$1" 2>&1 | tee "$logs/ctest-$1.log" | grep -vE '^\s+Start|Test +#[0-9]+: .* Passed'
  count_ctest "$logs/ctest-$1.log"
}
# Waits for a file the background chain leaves.
await() { while [ ! -f "$1" ]; do sleep 1; done; }
# Waits for a build of the background chain and shows its log when it failed.
built() {
  await "$logs/build-$1.status"
  [ "$(cat "$logs/build-$1.status")" = 0 ] || { tail -n 40 "$logs/build-$1.log" >&2 && return 1; }
}

stage "set-up"
must "set-up" bash scripts/setup.sh --tests
check "test ratio" bash scripts/test-ratio.sh
check "page logic" timeout 120 node --test tests/web/ # a player that hangs fails too

# The optimised build needs only what the process tests and the package use.
build_default() {
  cmake --preset default >/dev/null &&
    cmake --build --preset default --target kiss2bmp kissconv package_files cli_tests
}
build_windows() { bash scripts/test-windows.sh --prepare; }
# The tests under Wine go once their build and the browser's rows are done.
rm -f build/windows/{ctest.log,sample.result,window.result,real-dolls.result} # a run that ends early counts as failed
set -m # the chain in a process group of its own, ended whole if the run stops early
(
  # The Windows build is the longest way to the end: only the first build gives way to the rest.
  for name in default windows; do
    niceness=10 && [ "$name" = windows ] && niceness=0
    nice -n "$niceness" bash -c "$(declare -f "build_$name"); build_$name" >"$logs/build-$name.log" 2>&1
    status=$?
    echo "$status" >"$logs/build-$name.status"
    [ "$status" = 0 ] || exit
  done
  await "$logs/browser.done" # Wine beside Chromium slows both down
  bash scripts/test-windows.sh --run >"$logs/windows-run.log" 2>&1
  echo $? >"$logs/windows-run.status"
) &
chain=$!
set +m
fuzzing=
trap 'kill -- -"$chain" ${fuzzing:+-"$fuzzing"} 2>/dev/null; wait' EXIT

stage "asan: configure, build (the other builds begin beside it)"
configure() { cmake --preset "$1" >/dev/null; }
must "asan configure" configure asan
must "asan build" cmake --build --preset asan
stage "asan: every test"
run_ctest asan

# The fuzz runs take a fixed time whatever else runs: they go beside the builds of the later stages.
rm -rf build/fuzz/run
set -m
(
  renice -n 10 "$BASHPID" >/dev/null
  KISS_FUZZ_BUILD=build/asan bash scripts/fuzz.sh --run "${FUZZ_SECONDS:-5}" >"$logs/fuzz.log" 2>&1
  echo $? >"$logs/fuzz.status"
) &
fuzzing=$!
set +m

# The browser's rows spend much of their time waiting: they run beside the Windows build, and the
# tests under Wine only after them (beside each other, both take several times as long).
stage "default: the process tests and the page in a browser"
must "default build" built default
run_ctest default
# The convertor in the browser (docs/web.md): emscripten comes with setup.sh --tests (a machine
# without it skips, saying so); the module and the app against the default build's kiss2bmp.
stage "web: kiss2bmp in WebAssembly, the app in Chromium"
if command -v emcc >/dev/null; then
  if bash scripts/build-web.sh >"$logs/build-web.log" 2>&1; then
    passed=$((passed + 1))
    check "the module and the app as native kiss2bmp" env KISS2BMP="$PWD/build/default/cli/kiss2bmp" \
      timeout 180 node --test tests/wasm/
  else
    tail -n 40 "$logs/build-web.log" >&2 && failed=$((failed + 1)) && echo "FAILED: web build" >&2
  fi
else
  echo "web: skipped: emscripten is not installed (apt-get install emscripten)"
  skipped=$((skipped + 1))
fi
touch "$logs/browser.done"

stage "desktop entry, manual page, Debian package"
check "desktop entry" desktop-file-validate ui/kissconv.desktop
manual_page() {
  local warnings
  warnings=$(man --warnings -l "$1" 2>&1 >/dev/null) && [ -z "$warnings" ] ||
    { echo "$1: $warnings" >&2 && return 1; }
}
check "manual page kiss2bmp.1 without warnings" manual_page cli/kiss2bmp.1
check "manual page kissconv.1 without warnings" manual_page ui/kissconv.1
package() {
  rm -f build/default/kissconv_*.deb
  (cd build/default && cpack -G DEB >/dev/null && lintian --fail-on error kissconv_*.deb)
}
check "Debian package" package

stage "windows: the portable tests, the sample doll, the window and the real dolls under Wine"
must "windows build" built windows
await "$logs/windows-run.status"
cat "$logs/windows-run.log"
count_ctest build/windows/ctest.log
check "kiss2bmp.exe gives the golden files" grep -q '^kiss2bmp.exe: sets 0 to 2 .* byte-identical' \
  build/windows/sample.result
check "kissconv.exe's rows pass under Wine and its files match" grep -q '^kissconv.exe: every row' \
  build/windows/window.result
if grep -q skipped build/windows/real-dolls.result 2>/dev/null; then
  skipped=$((skipped + 1))
else
  check "kiss2bmp.exe converts the real dolls as the Linux build" grep -q 'as the Linux build$' \
    build/windows/real-dolls.result
fi

stage "fuzz: short runs of the sanitizer build"
wait "$fuzzing"
fuzzing=
grep -v '^== fuzz' "$logs/fuzz.log"
fuzzed=$(cat "$logs/fuzz.status")
for result in build/fuzz/run/*/result; do
  [ -f "$result" ] && check "fuzz $(basename "$(dirname "$result")")" grep -qx 'no finding' "$result"
done
if [ "$fuzzed" != 0 ] && ! grep -qx finding build/fuzz/run/*/result 2>/dev/null; then
  check "fuzz runs" false
fi

stage "done"
verdict
