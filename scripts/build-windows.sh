#!/usr/bin/env bash
# Cross-builds the Windows programs on Debian with MinGW-w64: installs what is
# missing (the posix-thread compilers, windres, Wine for the tests), then
# configures and builds into build-windows/ (or the folder given as $1; further
# arguments go to CMake). The programs land in BUILD_DIR/bin/ as
# delvaro-cli.exe and delvaro.exe, statically linked.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
          binutils-mingw-w64-x86-64 googletest wine64 wine fonts-wine)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "build-windows: installing ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq \
        --no-install-recommends "${missing[@]}"
fi

build=${1:-build-windows}
shift || true
if [ ! -f "$build/build.ninja" ]; then
    launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S . -B "$build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$(pwd)/cmake/mingw-w64-x86_64.cmake" "${launcher[@]}" "$@" >/dev/null
fi
cmake --build "$build"
