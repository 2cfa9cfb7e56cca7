#!/usr/bin/env bash
# Builds the packages with scripts/package.sh and tries them as a user would:
#   the Debian package installs with apt-get, its programs start and convert
#   the samples to the expected bytes, man finds both pages, the desktop entry
#   is valid, and purging it leaves none of its files behind;
#   under Wine, delvaro-cli.exe from the zip and from the installer convert the
#   samples to the same bytes, the installer installs silently for the user
#   with its Start-menu shortcut and uninstall entry, and the uninstaller
#   removes every file and the entry.
# Installing the Debian package needs root (or sudo).
set -Eeuo pipefail
trap 'echo "test-packages: failed at line $LINENO: $BASH_COMMAND" >&2' ERR
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/package.sh

for tool in unzip; do
    if ! command -v "$tool" >/dev/null; then
        sudo_cmd=()
        [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
        "${sudo_cmd[@]}" apt-get update -qq
        DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq \
            --no-install-recommends "$tool" >/dev/null
    fi
done

version=$(sed -n 's/^#define DELVARO_VERSION_TEXT "\(.*\)"$/\1/p' res/version.h)
deb=dist/delvaro_${version}_amd64.deb
zip=dist/delvaro-$version-win64.zip
setup=dist/delvaro-$version-setup.exe
expected=$root/tests/fixtures/expected/samples_all_three.txt
work=$root/build-package/test
rm -rf "$work"
mkdir -p "$work"

fail() {
    echo "test-packages: $*" >&2
    exit 1
}
same_bytes() {
    cmp -s "$1" "$2" || fail "$3: the output differs from $2"
}

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

# --- The Debian package -------------------------------------------------------
if dpkg-query -W -f='${Status}' delvaro 2>/dev/null | grep -q 'ok installed'; then
    "${sudo_cmd[@]}" apt-get purge -y -qq delvaro >/dev/null
fi
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
    "$root/$deb" >/dev/null
dpkg-query -L delvaro >"$work/deb-files"

# The installed converter, run from another folder with relative names.
# Its warnings (the samples are three separate networks) are kept in a file.
(cd "$root/samples" && /usr/bin/delvaro-cli -q -o "$work/deb.txt" \
    bern_2026-03-14.asc spiez_2026-03-16.asc thun_2026-03-15.asc 2>"$work/deb.err") ||
    { cat "$work/deb.err" >&2; fail "/usr/bin/delvaro-cli failed to convert the samples"; }
same_bytes "$work/deb.txt" "$expected" "/usr/bin/delvaro-cli"
[ "$(/usr/bin/delvaro-cli --version)" = "Delvaro $version" ] ||
    fail "/usr/bin/delvaro-cli --version does not say Delvaro $version"

# The installed dialog program finds its libraries and stays up until ended.
QT_QPA_PLATFORM=offscreen /usr/bin/delvaro >"$work/delvaro.log" 2>&1 &
dialog=$!
sleep 2
kill -0 "$dialog" 2>/dev/null || { cat "$work/delvaro.log" >&2; fail "/usr/bin/delvaro did not stay up"; }
kill "$dialog"
wait "$dialog" 2>/dev/null || true

for page in delvaro-cli delvaro; do
    if [ ! -f "/usr/share/man/man1/$page.1.gz" ] &&
        grep -qrs '^path-exclude=*/usr/share/man' /etc/dpkg/dpkg.cfg.d/; then
        fail "dpkg on this machine is set to leave out manual pages" \
             "(path-exclude in /etc/dpkg/dpkg.cfg.d/), so $page(1) was not installed"
    fi
    found=$(man -w "$page") || fail "man -w $page finds no page"
    [ "$found" = "/usr/share/man/man1/$page.1.gz" ] || fail "man -w $page gives $found"
done
desktop-file-validate /usr/share/applications/delvaro.desktop ||
    fail "desktop-file-validate rejects the desktop entry"

"${sudo_cmd[@]}" apt-get purge -y -qq delvaro >/dev/null
left=()
while IFS= read -r path; do
    case $path in
        /.|/usr|/usr/bin|/usr/share|/usr/share/applications|/usr/share/doc|/usr/share/man|\
        /usr/share/man/man1|/usr/share/icons|/usr/share/icons/hicolor|/usr/share/icons/hicolor/*x*|\
        /usr/share/icons/hicolor/*x*/apps) continue ;;  # shared with other packages
    esac
    [ -e "$path" ] || [ -L "$path" ] && left+=("$path")
done <"$work/deb-files"
[ ${#left[@]} -eq 0 ] || fail "purging delvaro left ${left[*]}"
! dpkg-query -W delvaro >/dev/null 2>&1 || fail "dpkg still knows delvaro after the purge"
echo "test-packages: the Debian package installs, converts, has its pages and entry, and purges clean"

# --- Windows, under Wine -----------------------------------------------------------
export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver
# One server for the whole stage, its output away from any pipe, and Wine's
# services started before the first program.
mkdir -p "$WINEPREFIX"
"$server" -p </dev/null >/dev/null 2>&1
trap '"$server" -k >/dev/null 2>&1 || true' EXIT
"$wine" wineboot </dev/null >/dev/null 2>&1
win() { "$wine" "$@" </dev/null; }
# A Windows folder of this prefix as a Linux path.
unix_path() { "$wine" winepath -u "$1" </dev/null 2>/dev/null; }
windows_env() { win cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }

convert_samples() {
    local exe=$1 out=$2
    local samples=Z:${root//\//\\}\\samples
    win "$exe" -q -o "Z:${out//\//\\}" "$samples\\bern_2026-03-14.asc" \
        "$samples\\spiez_2026-03-16.asc" "$samples\\thun_2026-03-15.asc" 2>"$out.err" ||
        { cat "$out.err" >&2; fail "$exe failed to convert the samples"; }
}

mkdir -p "$work/zip"
(cd "$work/zip" && unzip -q "$root/$zip")
convert_samples "$work/zip/delvaro-$version/delvaro-cli.exe" "$work/zip.txt"
same_bytes "$work/zip.txt" "$expected" "delvaro-cli.exe from the zip"

# The installer's version, as Windows shows it in the file's properties.
strings -el "$root/$setup" | grep -A1 -x ProductVersion | grep -qx "$version" ||
    fail "$setup carries no ProductVersion $version"
win "$root/$setup" /S || fail "the silent install failed"
local_app_data=$(windows_env LOCALAPPDATA)
install_dir="$local_app_data\\Programs\\Delvaro"
install_path=$(unix_path "$install_dir")
shortcut_path=$(unix_path "$(windows_env APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\Delvaro.lnk")
for file in delvaro.exe delvaro-cli.exe README.txt Uninstall.exe samples/bern_2026-03-14.asc; do
    [ -f "$install_path/$file" ] || fail "the installer put no $file into $install_dir"
done
[ -f "$shortcut_path" ] || fail "the installer made no Start-menu shortcut"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Delvaro'
win reg query "$key" >"$work/uninstall-key.txt" 2>/dev/null || fail "no uninstall entry $key"
for value in "DisplayName.*Delvaro" "DisplayVersion.*$version" \
    "UninstallString.*Programs\\\\Delvaro\\\\Uninstall.exe"; do
    grep -q "$value" "$work/uninstall-key.txt" || fail "the uninstall entry lacks $value"
done
convert_samples "$install_dir\\delvaro-cli.exe" "$work/installed.txt"
same_bytes "$work/installed.txt" "$expected" "the installed delvaro-cli.exe"

# The uninstaller copies itself away and carries on from there, so its
# first process ends early: wait for its work to show.
win "$install_dir\\Uninstall.exe" /S || fail "the silent uninstall failed"
for _ in $(seq 1 60); do
    if [ ! -e "$install_path" ] && [ ! -e "$shortcut_path" ] &&
        ! win reg query "$key" >/dev/null 2>&1; then
        break
    fi
    sleep 0.5
done
[ ! -e "$install_path" ] || fail "the uninstaller left $(cd "$install_path" && find . | tr '\n' ' ')"
[ ! -e "$shortcut_path" ] || fail "the uninstaller left the Start-menu shortcut"
! win reg query "$key" >/dev/null 2>&1 || fail "the uninstaller left the entry $key"
echo "test-packages: under Wine the zip and the installed programs convert as on Linux," \
     "and the installer and uninstaller do their whole work silently"
