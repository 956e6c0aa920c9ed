#!/bin/sh
# Checks what an installation of Tessel lays out.
#   check-install.sh layout|package BUILD_DIR APP_DIR PREFIX
# layout installs the build into a temporary root and checks the application
# directory, launchers, desktop entry, icon and manual page; a second
# installation over a changed registry must keep it. package builds the Debian
# package: the programs and pristine samples, but no file the site changes;
# exits 77 (skipped) without dpkg-deb.
set -eu
part=$1 build=$2 appdir=$3 prefix=$4
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
site_files="TESSEL.INI SRCS.INI LANGUAGE.INI TESSEL.LRT"
install_into() {
    DESTDIR="$1" cmake --install "$build" --prefix "$prefix" >"$scratch/log" 2>&1 || fail "cmake --install: $(cat "$scratch/log")"
}

check_layout() {
    root="$scratch/root" app="$scratch/root$appdir"
    install_into "$root"
    for program in tessel tessel-admin tessel-ini; do
        [ -x "$app/$program" ] || fail "no program $app/$program"
        [ "$(readlink "$root$prefix/bin/$program")" = "$appdir/$program" ] || fail "no launcher $prefix/bin/$program"
    done
    for name in $site_files SAMPLE.DLD; do
        cmp -s "$app/$name" "$app/samples/$name" || fail "$name is missing or differs from its sample"
    done
    desktop="$root$prefix/share/applications/tessel.desktop"
    grep -qx "Exec=$appdir/tessel" "$desktop" && grep -qx "Icon=tessel" "$desktop" || fail "desktop entry"
    grep -q "<svg" "$root$prefix/share/icons/hicolor/scalable/apps/tessel.svg" || fail "no icon"
    [ -f "$root$prefix/share/man/man1/tessel-admin.1" ] || fail "no manual page of tessel-admin"
    # The installed tool works on the registry beside it, which survives a
    # second installation; a missing file returns.
    "$app/tessel-admin" list | grep -q "^Roads	1	" || fail "tessel-admin does not list the sample registry"
    "$app/tessel-admin" remove Roads || fail "tessel-admin remove failed"
    cmp -s "$app/TESSEL.INI" "$app/samples/TESSEL.INI" && fail "tessel-admin remove left TESSEL.INI as it was"
    cp "$app/TESSEL.INI" "$scratch/changed.ini"
    rm "$app/LANGUAGE.INI"
    install_into "$root"
    cmp -s "$app/TESSEL.INI" "$scratch/changed.ini" || fail "the second installation replaced TESSEL.INI"
    [ -f "$app/LANGUAGE.INI" ] || fail "the second installation did not restore LANGUAGE.INI"
    echo "layout checked: $appdir, launchers and desktop files under $prefix"
}

check_package() {
    command -v dpkg-deb >/dev/null || { echo "SKIPPED: no dpkg-deb to build and read the package"; exit 77; }
    cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/deb" >"$scratch/log" 2>&1 || fail "cpack: $(cat "$scratch/log")"
    deb=$(ls "$scratch"/deb/tessel_*.deb) || fail "cpack made no tessel_*.deb"
    dpkg-deb -c "$deb" | awk '{ print $6 }' >"$scratch/contents"
    for path in "$appdir/tessel" "$appdir/tessel-admin" "$appdir/tessel-ini" "$appdir/samples/TESSEL.INI" \
        /usr/bin/tessel /usr/share/applications/tessel.desktop /usr/share/icons/hicolor/scalable/apps/tessel.svg; do
        grep -qx ".$path" "$scratch/contents" || fail "the package lacks $path"
    done
    for name in $site_files; do
        ! grep -qx ".$appdir/$name" "$scratch/contents" || fail "the package owns $appdir/$name: an upgrade would replace it"
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
