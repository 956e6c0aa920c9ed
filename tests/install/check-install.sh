#!/bin/sh
# Checks what an installation of Tessel lays out.
#
#   check-install.sh layout  BUILD_DIR APP_DIR PREFIX
#     installs the build into a temporary root and checks the application
#     directory, the launchers, the desktop entry, the icon and the manual
#     page; then installs again over a changed registry, which must stay.
#   check-install.sh package BUILD_DIR APP_DIR PREFIX
#     builds the Debian package and checks its contents: the program and the
#     pristine samples, but no registry file the site changes. Exits 77
#     (skipped) when dpkg-deb is missing.
set -eu

part=$1 build=$2 appdir=$3 prefix=$4
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

registry_files="TESSEL.INI SRCS.INI LANGUAGE.INI TESSEL.LRT"

check_layout() {
    root="$scratch/root"
    app="$root$appdir"
    DESTDIR="$root" cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1 ||
        fail "cmake --install failed: $(cat "$scratch/install.log")"

    for program in tessel tessel-admin tessel-ini; do
        [ -x "$app/$program" ] || fail "no program $app/$program"
        target=$(readlink "$root$prefix/bin/$program") || fail "no launcher $prefix/bin/$program"
        [ "$target" = "$appdir/$program" ] || fail "launcher $program points to $target"
    done
    for name in $registry_files SAMPLE.DLD; do
        [ -f "$app/$name" ] || fail "no $name in the application directory"
        cmp -s "$app/$name" "$app/samples/$name" || fail "$name differs from its sample"
    done

    desktop="$root$prefix/share/applications/tessel.desktop"
    [ -f "$desktop" ] || fail "no desktop entry"
    grep -qx "Exec=$appdir/tessel" "$desktop" || fail "the desktop entry does not start $appdir/tessel"
    grep -qx "Icon=tessel" "$desktop" || fail "the desktop entry names no icon"
    icon="$root$prefix/share/icons/hicolor/scalable/apps/tessel.svg"
    grep -q "<svg" "$icon" 2>/dev/null || fail "no icon at $icon"
    [ -f "$root$prefix/share/man/man1/tessel-admin.1" ] || fail "no manual page of tessel-admin"

    # The installed tool works on the registry beside it.
    "$app/tessel-admin" list >"$scratch/list" || fail "tessel-admin list failed"
    grep -q "^Roads	1	" "$scratch/list" || fail "tessel-admin does not list the sample registry"

    # A registry in use survives a second installation; a missing file returns.
    "$app/tessel-admin" remove Roads >/dev/null || fail "tessel-admin remove failed"
    cmp -s "$app/TESSEL.INI" "$app/samples/TESSEL.INI" && fail "tessel-admin remove left TESSEL.INI as it was"
    cp "$app/TESSEL.INI" "$scratch/changed.ini"
    rm "$app/LANGUAGE.INI"
    DESTDIR="$root" cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1 ||
        fail "the second cmake --install failed"
    cmp -s "$app/TESSEL.INI" "$scratch/changed.ini" || fail "the second installation replaced TESSEL.INI"
    [ -f "$app/LANGUAGE.INI" ] || fail "the second installation did not restore LANGUAGE.INI"
    echo "layout checked: $appdir, launchers and desktop files under $prefix"
}

check_package() {
    if ! command -v dpkg-deb >/dev/null 2>&1; then
        echo "SKIPPED: dpkg-deb is missing, so the Debian package cannot be built or read"
        exit 77
    fi
    cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/deb" >"$scratch/cpack.log" 2>&1 ||
        fail "cpack failed: $(cat "$scratch/cpack.log")"
    deb=$(ls "$scratch"/deb/tessel_*.deb) || fail "cpack made no tessel_*.deb"
    dpkg-deb -c "$deb" | awk '{ print $6 }' >"$scratch/contents"
    for path in "$appdir/tessel" "$appdir/tessel-admin" "$appdir/tessel-ini" \
        "$appdir/samples/TESSEL.INI" /usr/bin/tessel /usr/share/applications/tessel.desktop \
        /usr/share/icons/hicolor/scalable/apps/tessel.svg; do
        grep -qx ".$path" "$scratch/contents" || fail "the package lacks $path"
    done
    for name in $registry_files; do
        ! grep -qx ".$appdir/$name" "$scratch/contents" ||
            fail "the package owns $appdir/$name: an upgrade would replace the site's file"
    done
    dpkg-deb -f "$deb" Depends | grep -q "libqt6widgets6" || fail "the package does not depend on Qt Widgets"
    dpkg-deb -e "$deb" "$scratch/control"
    [ -x "$scratch/control/postinst" ] || fail "the package has no postinst"
    echo "package checked: $(basename "$deb")"
}

case $part in
layout) check_layout ;;
package) check_package ;;
*) fail "unknown part $part" ;;
esac
