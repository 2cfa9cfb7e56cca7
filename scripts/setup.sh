#!/usr/bin/env bash
# Installs the Debian packages the project needs when any is missing, then
# configures and builds into build/ (or the folder given as $1).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev
          libgeographiclib-dev qt6-base-dev xvfb xauth locales clang libclang-rt-14-dev time
          chromium libmpfr-dev man-db)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# A locale with a decimal comma, so that the tests of numbers under one run.
if ! locale -a 2>/dev/null | grep -qx 'de_DE\.utf8'; then
    echo "setup: generating the de_DE.UTF-8 locale"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    # Listed in locale.gen, it survives the next locale-gen.
    "${sudo_cmd[@]}" sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)$/\1/' /etc/locale.gen
    if ! grep -qx 'de_DE\.UTF-8 UTF-8' /etc/locale.gen; then
        echo 'de_DE.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
    fi
    "${sudo_cmd[@]}" locale-gen >/dev/null
fi

build=${1:-build}
shift || true
if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja "$@" >/dev/null
fi
cmake --build "$build"
