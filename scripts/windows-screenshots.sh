#!/bin/sh
# Pictures of the Windows dialog program under Wine for docs/: the dialog
# tests of a cross build (scripts/build-windows.sh) run once on a private
# X server, with Wine drawing its own window frames, and save what the
# screen shows.
#   scripts/windows-screenshots.sh [BUILD_DIR]   (default build-windows)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-windows}" && pwd)
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
tests="$build/bin/app_tests.exe"
[ -x "$tests" ] || { echo "windows-screenshots: no $tests: build it first" >&2; exit 1; }

# A display number that no one else uses.
display=$((57 + $$ % 400))
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
  display=$((display + 1))
done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
shots=$(mktemp -d)
cleanup() {
  WINEPREFIX="$prefix" "$wineserver" -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$shots"
}
prefix="$build/wine-x11"
trap cleanup EXIT
i=0
until [ -e "/tmp/.X11-unix/X$display" ]; do
  i=$((i + 1)); [ $i -le 100 ] || { echo "windows-screenshots: Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done

mkdir -p "$prefix"
export DISPLAY=":$display" WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$wineserver" -p </dev/null >/dev/null 2>&1
"$wine" wineboot </dev/null >/dev/null 2>&1
# Without a window manager Wine draws the frames and title bars itself.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

DELVARO_SCREENSHOT_DIR="$shots" "$wine" "$tests" \
  --gtest_filter='WinMainDialog.SystemMenuOpensTheAboutBox:WinConversion.TwoFilesGiveTheSameBytesAsTheCommandLineConverter' \
  </dev/null >"$shots/log" 2>&1 || { cat "$shots/log" >&2; exit 1; }
convert "$shots/main_dialog_after_conversion.bmp" "$root/docs/delvaro-dialog-windows.png"
convert "$shots/about_box.bmp" "$root/docs/delvaro-about-windows.png"
echo "docs/delvaro-dialog-windows.png docs/delvaro-about-windows.png"
