#!/usr/bin/env bash
# Converts a doll through kissconv.exe under Wine, as a Japanese Windows, on a virtual X display,
# and saves a picture of the window: the output folder, D:\人形\出力 (drive D: is a temporary
# folder), has a Japanese name, shown in the IPA Gothic fonts (fonts-ipafont-gothic), which Wine's
# dialog fonts are linked to for the run; the frame's buttons come from fonts-wine.
# Usage: bash scripts/screenshot-windows.sh [CONFIG.cnf] [PICTURE.png]
#        (defaults: the sample doll samples/pip/pip.cnf and docs/window-windows.png)
set -euo pipefail
cd "$(dirname "$0")/.."

config=$(realpath "${1:-samples/pip/pip.cnf}")
picture=$(realpath -m "${2:-docs/window-windows.png}")
build=build/windows

bash scripts/setup.sh --tests
bash scripts/windows-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target kissconv window_screenshot_win32
export WINEPREFIX="$PWD/$build/screenshot-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
locale=$PWD/$build/locale
[ -d "$locale/ja_JP.UTF-8" ] || (mkdir -p "$locale" && localedef -i ja_JP -f UTF-8 "$locale/ja_JP.UTF-8")
win() { LOCPATH="$locale" LC_ALL=ja_JP.UTF-8 wine "$@"; }

work=$(mktemp -d)
xvfb_pid=
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -f "$WINEPREFIX/dosdevices/d:"
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")

mkdir -p "$WINEPREFIX"
win cmd /c ver >/dev/null 2>&1
# Wine draws the frame itself (no window manager here), and its dialog fonts take Japanese from IPA Gothic.
link='ipag.ttf,IPAGothic\0ipagp.ttf,IPAPGothic'
for font in Tahoma "MS UI Gothic" "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif"; do
  win reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v "$font" \
    /t REG_MULTI_SZ /d "$link" /f >/dev/null 2>&1
done
win reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" # the frame's buttons
wineserver -w

folder="$work/d/人形/出力"
mkdir -p "$folder/元の画像" "$folder/archive" "$(dirname "$picture")"
ln -sfn "$work/d" "$WINEPREFIX/dosdevices/d:"
winpath() { echo "Z:${1//\//\\}"; }
win "$build/samples/window_screenshot_win32.exe" "$(winpath "$(realpath "$build/ui/win32/kissconv.exe")")" \
  'D:\人形\出力' "$(winpath "$config")" "$(winpath "$work/window.png")" >"$work/log" 2>&1 ||
  { cat "$work/log" >&2 && exit 1; }
cp "$work/window.png" "$picture"
echo "screenshot: $picture (cels written: $(ls "$folder" | grep -c '\.bmp$'))"
