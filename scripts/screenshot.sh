#!/usr/bin/env bash
# Converts a doll through the window on a virtual X display and saves a picture of the window.
# Usage: bash scripts/screenshot.sh [CONFIG.cnf] [PICTURE.png]
#        (defaults: the sample doll samples/pip/pip.cnf and docs/window.png)
set -euo pipefail
cd "$(dirname "$0")/.."

config=$(realpath "${1:-samples/pip/pip.cnf}")
picture=$(realpath -m "${2:-docs/window.png}")
build=${SCREENSHOT_BUILD:-build/screenshot}

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target window_screenshot
tool=$(realpath "$build/samples/window_screenshot")
mkdir -p "$(dirname "$picture")"

# The window writes into its output list, which starts in the current directory.
work=$(mktemp -d)
xvfb_pid=
cleanup() {
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
mkdir "$work/bmp"
cd "$work/bmp"

unset QT_QPA_PLATFORM
if command -v xvfb-run >/dev/null 2>&1; then
  xvfb-run -a -s "-screen 0 800x600x24" "$tool" "$config" "$picture"
else
  display=:99
  Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X${display#:}" ] && break
    sleep 0.1
  done
  DISPLAY=$display "$tool" "$config" "$picture"
fi
echo "screenshot: $picture (cels written: $(ls | grep -c '\.bmp$'))"
