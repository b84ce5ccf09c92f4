#!/usr/bin/env bash
# Cross-builds kiss2bmp.exe, kissconv.exe and the portable tests for Windows (the windows preset,
# MinGW-w64) and runs them under Wine: every test through ctest, then the sample doll through
# kiss2bmp.exe, compared byte for byte with the golden files, the window driven by its messages,
# and the shared real dolls. One Wine server serves the whole run, on a virtual X display (Xvfb)
# for the window; the Wine prefix lives in the build folder. Output of Wine programs goes to
# files: a pipe from them stays open as long as the server lives.
#
# Usage: bash scripts/test-windows.sh [--prepare | --run]
#   --prepare: only build and make the Wine prefix (scripts/test.sh does it beside other work);
#   --run: only the tests, on what --prepare left. The sample's result goes to build/windows/sample.result,
#   the window's to build/windows/window.result.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/windows
mode=${1:-all}
export WINEPREFIX="$PWD/$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine as a Japanese Windows (ANSI code page 932), where the dolls' Shift-JIS names are at home: Wine takes it from
# the locale, made in the build folder (glibc's LOCPATH; the windows test preset names it too).
locale=$PWD/$build/locale
win() { LOCPATH="$locale" LC_ALL=ja_JP.UTF-8 wine "$@"; }

if [ "$mode" != --run ]; then
  echo "== windows: the libraries, configure, build"
  bash scripts/windows-deps.sh
  cmake --preset windows >/dev/null
  # Making the prefix takes Wine some 15 s, most of it waiting: done beside the build.
  (
    start=$SECONDS
    [ -d "$locale/ja_JP.UTF-8" ] || (mkdir -p "$locale" && localedef -i ja_JP -f UTF-8 "$locale/ja_JP.UTF-8")
    mkdir -p "$WINEPREFIX"
    # Wine now and then loses its server while it makes the prefix, saying nothing: a second try.
    for _ in 1 2; do
      win cmd /c ver >"$build/wine-start.log" 2>&1 && wineserver -w && echo "Wine prefix ready in $((SECONDS - start)) s" &&
        exit 0
    done
    exit 1
  ) &
  prefix=$!
  cmake --build --preset windows
  wait "$prefix" || { cat "$build/wine-start.log" >&2; exit 1; }
fi
[ "$mode" != --prepare ] || exit 0

start=$SECONDS
# The window needs a display: a virtual one, which Wine's server and every program of the run share.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$build/xvfb.display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$build/xvfb.display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$build/xvfb.display")
wineserver -k 2>/dev/null || true # a server left running holds another display
wineserver -p 2>/dev/null || true
trap 'wineserver -k 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true' EXIT
win cmd /c ver >"$build/wine-start.log" 2>&1 || { cat "$build/wine-start.log" >&2; exit 1; }
echo "Wine ready in $((SECONDS - start)) s"

echo "== windows: test under Wine"
status=0
# Wine now and then fails a process of its own accord (a client loses its server: "recvmsg:
# connection reset"); the preset gives a failed test a second run, and a run that could not even
# list the tests is tried once more.
ctest --preset windows >"$build/ctest.log" 2>&1 ||
  grep -q 'tests failed out of' "$build/ctest.log" || ctest --preset windows >"$build/ctest.log" 2>&1 ||
  { cat "$build/ctest.log" && status=1; }
grep -E 'tests passed|Total Test time' "$build/ctest.log" || true
# What Windows cannot hold (links, FIFOs, signals, two names in two cases) is skipped, with the reason.
grep -A1 -E '^\s*[0-9]+ - .*\(Skipped\)' "$build/ctest.log" || true

echo "== windows: the sample doll through kiss2bmp.exe"
out=$build/sample-out
result="kiss2bmp.exe: sets 0 to 2 of the sample doll byte-identical to the golden files"
for set in 0 1 2; do
  rm -rf "$out" && mkdir -p "$out"
  if ! win "$build/cli/kiss2bmp.exe" --set "$set" "Z:$PWD/samples/pip/pip.cnf" "Z:$PWD/$out" \
    >"$build/sample.log" 2>&1; then
    cat "$build/sample.log" >&2
    result="kiss2bmp.exe: set $set failed" && break
  fi
  diff -r tests/cli/golden/set$set "$out" || { result="kiss2bmp.exe: set $set differs" && break; }
done
echo "$result" | tee "$build/sample.result"
[[ $result == *byte-identical* ]] || status=1

echo "== windows: the window kissconv.exe, driven by its messages"
# The driver checks the controls, the keys, the lists, an error box, the open dialog and the list of an
# archive's two configurations, and converts the sample's set 1 and a shared doll's set 0 from its archive;
# the files are compared here, with the golden files and with the Linux build's kiss2bmp.
work=$PWD/$build/window-work
winpath() { echo "Z:${1//\//\\}"; }
rm -rf "$work" && mkdir -p "$work/two"
printf '%%PIP.KCF\r\n#1 BODY.CEL\r\n' >"$work/two/two.cnf" # one cel of the sample's
(cd samples/pip && zip -q -j "$work/two.zip" pip.cnf "$work/two/two.cnf" pip.kcf body.cel)
archive=
for doll in ../shared/dolls/*.lzh; do
  [ -f "$doll" ] && [ -d "${doll%.lzh}" ] && [ -x build/default/cli/kiss2bmp ] || continue
  build/default/cli/kiss2bmp -q --set 0 "$doll" "$work/linux-archive" >/dev/null 2>&1 || continue
  archive=$(realpath "$doll") && break
done
result="kissconv.exe: every row of the window passed under Wine"
if ! win "$build/tests/ui/win32/kissconv_driver.exe" "$(winpath "$PWD/$build/ui/win32/kissconv.exe")" \
  "$(winpath "$work")" "$(winpath "$PWD/samples/pip/pip.cnf")" "$(winpath "$work/two.zip")" \
  ${archive:+"$(winpath "$archive")"} \
  >"$build/window.log" 2>&1; then
  grep -E '^FAILED|usage' "$build/window.log" >&2
  result="kissconv.exe: rows failed (build/windows/window.log)"
fi
diff -r tests/cli/golden/set1 "$work/out/Beta/inner" || result="kissconv.exe: set 1 of the sample differs"
if [ -n "$archive" ]; then
  diff -r "$work/linux-archive" "$work/out/alpha" ||
    result="kissconv.exe: $(basename "$archive") differs from the Linux build"
  [[ $result != *"every row"* ]] || result+=", the sample and $(basename "$archive") as the Linux build"
elif [[ $result == *"every row"* ]]; then
  result+=", the sample as the golden files (no shared doll archive or Linux build for the second)"
fi
echo "$result" | tee "$build/window.result"
[[ $result == *"every row"* ]] || status=1

echo "== windows: the shared real dolls from their archives, as the Linux build converts them"
# Every configuration and its sets as PNG files with the snapshot and the page, and --check: the same
# exit status and the same files and findings, byte for byte, as build/default's kiss2bmp. A Wine
# process spends most of its time starting: one comparison per core at a time.
shared=../shared native=build/default/cli/kiss2bmp out=$build/real-dolls
# One run: SIDE ROOT (how the program names the host's /) PROGRAM...; its status and what it wrote
# (or, for --check, printed) in $dir/SIDE.
run() {
  local side=$dir/$1 root=$2 status=0 && shift 2 && mkdir -p "$side"
  if [ "$set" = check ]; then
    "$@" --check --cnf "$cnf" "$root$archive" >"$side/printed" 2>/dev/null || status=$?
  else
    "$@" -q --cnf "$cnf" --set "$set" --format png --page --snapshot "$root$side/set.png" \
      "$root$archive" "$root$side" >/dev/null 2>&1 || status=$?
  fi
  echo "$status" >"$side/status"
}
# One comparison: N ARCHIVE CNF SET in $out/N; a difference leaves $out/N/differs naming the run.
compare() {
  local dir=$PWD/$out/$1 archive=$2 cnf=$3 set=$4
  run linux "" "$native" && run windows Z: win "$build/cli/kiss2bmp.exe"
  # A difference is looked at again once, in case it was Wine's own failure (above).
  diff -rq "$dir/linux" "$dir/windows" >/dev/null ||
    { rm -rf "$dir/windows" && run windows Z: win "$build/cli/kiss2bmp.exe"; }
  diff -r "$dir/linux" "$dir/windows" >"$dir/diff" 2>&1 ||
    echo "$(basename "$archive") $cnf ($set)" >"$dir/differs"
}
dolls=("$shared"/dolls/*.lzh "$shared"/kiss-tests/*.lzh)
if [ ! -f "${dolls[0]}" ]; then
  result="kiss2bmp.exe and the real dolls: skipped, no doll archives in $shared/dolls"
elif [ ! -x "$native" ]; then
  result="kiss2bmp.exe and the real dolls: skipped, no Linux build at $native"
else
  rm -rf "$out" && mkdir -p "$out"
  n=0
  for archive in "${dolls[@]}"; do
    archive=$(realpath "$archive")
    [ -d "${archive%.lzh}" ] || continue # an archive Debian's lha cannot unpack has no folder to list
    for cnf in $(cd "${archive%.lzh}" && find . -iname '*.cnf' -printf '%P\n'); do
      # The sets its "$" lines place, and the first set past them: each set past its lines takes the
      # same way through the run.
      sets=$(grep -c '^\$' "${archive%.lzh}/$cnf" || true)
      for set in check $(seq 0 $((sets < 10 ? sets : 9))); do
        printf '%s\0%s\0%s\0%s\0' $((n += 1)) "$archive" "$cnf" "$set"
      done
    done
  done >"$out/jobs"
  export -f win run compare && export build locale native out
  xargs -0 -n 4 -P "$(nproc)" bash -c 'compare "$@"' compare <"$out/jobs"
  differs=$(find "$out" -name differs | sort -V | head -n 1)
  if [ -n "$differs" ]; then
    cat "$(dirname "$differs")/diff" >&2
    result="kiss2bmp.exe: $(cat "$differs") differs from the Linux build"
  else
    result="kiss2bmp.exe: ${#dolls[*]} real dolls, every configuration and its sets ($n runs), as the Linux build"
  fi
fi
echo "$result" | tee "$build/real-dolls.result"
[[ $result == *"as the Linux build" || $result == *skipped* ]] || status=1
exit "$status"
