#!/usr/bin/env bash
# Builds the packages people install, into dist/:
#   delvaro_VERSION_amd64.deb      the Debian package (programs, manual pages,
#                                  desktop entry and icons)
#   delvaro-VERSION-win64.zip      the Windows programs with a README and the
#                                  samples, to unpack anywhere
#   delvaro-VERSION-setup.exe      the Windows installer, per user, without
#                                  administrator rights
# Installs what is missing first. The Linux programs are built in
# build-package/, the Windows ones by scripts/build-windows.sh in
# build-package-windows/.
set -Eeuo pipefail
trap 'echo "package: failed at line $LINENO: $BASH_COMMAND" >&2' ERR
cd "$(dirname "$0")/.."
root=$(pwd)

packages=(cmake ninja-build g++ qt6-base-dev man-db dpkg-dev lintian desktop-file-utils
          file zip nsis)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "package: installing ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq \
        --no-install-recommends "${missing[@]}"
fi

version=$(sed -n 's/^#define DELVARO_VERSION_TEXT "\(.*\)"$/\1/p' res/version.h)
changelog_version=$(dpkg-parsechangelog -l packaging/debian/changelog -SVersion)
if [ "$version" != "$changelog_version" ]; then
    echo "package: the program is version $version but packaging/debian/changelog" \
         "says $changelog_version; add a changelog entry" >&2
    exit 1
fi
# Every date in the packages is the date of the release, so the same sources
# give the same packages.
SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l packaging/debian/changelog -STimestamp)
export SOURCE_DATE_EPOCH
umask 022
mkdir -p dist
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# --- The Debian package -------------------------------------------------------
build_deb() {
    local build=build-package
    local work=$build/deb
    local stage=$work/debian/delvaro
    local deb=dist/delvaro_${version}_amd64.deb
    # Debian's compiler flags (hardening included); the build type adds none
    # of its own.
    export DEB_BUILD_MAINT_OPTIONS=hardening=+all
    cmake -S . -B "$build" -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=None \
        -DCMAKE_INSTALL_PREFIX=/usr -DDELVARO_BUILD_TESTS=OFF \
        -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
        -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
    cmake --build "$build"

    rm -rf "$work"
    mkdir -p "$work/debian"
    DESTDIR=$root/$stage cmake --install "$build" >/dev/null
    strip --strip-unneeded --remove-section=.comment --remove-section=.note \
        "$stage/usr/bin/delvaro" "$stage/usr/bin/delvaro-cli"
    gzip -9n "$stage"/usr/share/man/man1/*.1
    install -D -m 644 packaging/debian/copyright "$stage/usr/share/doc/delvaro/copyright"
    gzip -9nc packaging/debian/changelog >"$stage/usr/share/doc/delvaro/changelog.gz"
    find "$stage" -type d -exec chmod 755 {} +
    find "$stage" -type f -exec chmod 644 {} +
    chmod 755 "$stage"/usr/bin/*

    # The dependencies are those of the libraries the programs load.
    cp packaging/debian/control packaging/debian/changelog "$work/debian/"
    (
        cd "$work"
        mkdir -p debian/delvaro/DEBIAN
        dpkg-shlibdeps -Tdebian/delvaro.substvars debian/delvaro/usr/bin/delvaro \
            debian/delvaro/usr/bin/delvaro-cli
        dpkg-gencontrol -pdelvaro -Tdebian/delvaro.substvars -Pdebian/delvaro \
            -fdebian/files -Vmisc:Depends=
        cd debian/delvaro
        find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum >DEBIAN/md5sums
        chmod 644 DEBIAN/control DEBIAN/md5sums
    )
    # Files not newer than the release, so the same sources give the same bytes.
    find "$stage" -newermt "@$SOURCE_DATE_EPOCH" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
    rm -f "$deb"
    dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null

    # Lintian must find no error, and finds no warning either.
    local report=$build/lintian.txt
    local status=0
    lintian --display-info --fail-on error "$deb" >"$report.all" 2>&1 || status=$?
    grep -v 'running with root privileges' "$report.all" >"$report" || true
    if [ "$status" -ne 0 ]; then
        cat "$report" >&2
        echo "package: lintian found errors in $deb" >&2
        exit 1
    fi
    if [ -s "$report" ]; then
        echo "package: lintian says:"
        sed 's/^/    /' "$report"
    fi
    echo "package: wrote $deb ($(stat -c %s "$deb") bytes)"
}

# --- The Windows zip and installer ----------------------------------------------
# The files both carry, in `stage`, from the programs in `bin`.
stage_windows() {
    local bin=$1 stage=$2
    rm -rf "$stage"
    mkdir -p "$stage/samples"
    for exe in delvaro.exe delvaro-cli.exe; do
        if [ ! -f "$bin/$exe" ]; then
            echo "package: $bin/$exe was not built, so there is no Windows zip or" \
                 "installer; scripts/build-windows.sh must build both programs (the" \
                 "dialog program needs the Win32 window layer in platform/win32/)" >&2
            exit 1
        fi
        x86_64-w64-mingw32-strip -o "$stage/$exe" "$bin/$exe"
    done
    cp samples/*.asc "$stage/samples/"
    # The help of the Linux build is the same program's help.
    local help
    help=$(build-package/bin/delvaro-cli --help)
    awk -v version="$version" -v help="$help" '
        $0 == "@HELP@" { print help; next }
        { gsub(/@VERSION@/, version); print }' packaging/windows/README.txt.in |
        sed 's/$/\r/' >"$stage/README.txt"
    find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

# NSIS macros that install and uninstall exactly the files of `stage`.
write_nsis_file_list() {
    local stage=$1 list=$2
    local files dirs
    files=$(cd "$stage" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
    dirs=$(cd "$stage" && find . -mindepth 1 -type d | sed 's|^\./||' | LC_ALL=C sort -r)
    {
        echo '!macro InstallFiles'
        local dir last=
        while IFS= read -r file; do
            dir=$(dirname "$file")
            if [ "$dir" != "$last" ]; then
                if [ "$dir" = . ]; then echo '  SetOutPath "$INSTDIR"'
                else echo "  SetOutPath \"\$INSTDIR\\${dir//\//\\}\""; fi
                last=$dir
            fi
            echo "  File \"$root/$stage/$file\""
        done <<<"$files"
        echo '!macroend'
        echo '!macro UninstallFiles'
        while IFS= read -r file; do
            echo "  Delete \"\$INSTDIR\\${file//\//\\}\""
        done <<<"$files"
        while IFS= read -r dir; do
            [ -n "$dir" ] && echo "  RMDir \"\$INSTDIR\\${dir//\//\\}\""
        done <<<"$dirs"
        echo '!macroend'
    } >"$list"
}

build_windows() {
    local build=build-package-windows
    if [ ! -x scripts/build-windows.sh ]; then
        echo "package: scripts/build-windows.sh is missing, so there is no Windows zip" \
             "or installer" >&2
        exit 1
    fi
    # Programs left from an earlier build must not pass for new ones.
    rm -f "$build/bin/delvaro.exe" "$build/bin/delvaro-cli.exe"
    scripts/build-windows.sh "$build" -DDELVARO_BUILD_TESTS=OFF
    local work=$build/package
    local name=delvaro-$version
    local zip=dist/$name-win64.zip setup=dist/$name-setup.exe
    stage_windows "$build/bin" "$work/$name"

    rm -f "$zip"
    # Zip keeps local times: UTC makes them the same everywhere.
    (cd "$work" && find "$name" | LC_ALL=C sort | TZ=UTC zip -X -q -@ "$root/$zip")
    echo "package: wrote $zip ($(stat -c %s "$zip") bytes)"

    # The programs' own icon, in all its sizes, as the Windows build wrote it.
    local icon=$build/res/windows/delvaro.ico
    if [ ! -f "$icon" ]; then
        icon=$work/delvaro.ico
        build-package/platform/qt/delvaro_icon_png 128 "$icon"
    fi
    write_nsis_file_list "$work/$name" "$work/files.nsh"
    rm -f "$setup"
    makensis -V2 -DVERSION="$version" -DFILES="$root/$work/files.nsh" -DICON="$root/$icon" \
        -DOUTFILE="$root/$setup" packaging/nsis/delvaro.nsi
    echo "package: wrote $setup ($(stat -c %s "$setup") bytes)"
}

build_deb
build_windows
