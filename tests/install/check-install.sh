#!/bin/sh
# check-install.sh layout|package BUILD_DIR APP_DIR PREFIX: what an installation
# into a temporary root lays out, and what the Debian package holds.
set -eu
part=$1 build=$2 appdir=$3 prefix=$4
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
site_files="TESSEL.INI SRCS.INI LANGUAGE.INI TESSEL.LRT"
install_tessel() { DESTDIR="$scratch/root" cmake --install "$build" --prefix "$prefix" >"$scratch/log" 2>&1 || fail "$(cat "$scratch/log")"; }

check_layout() {
    root="$scratch/root" app="$scratch/root$appdir"
    install_tessel
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
    # The installed tool works on the registry beside it, which a second installation keeps.
    "$app/tessel-admin" list | grep -q "^Roads	1	" || fail "tessel-admin does not list the sample registry"
    "$app/tessel-admin" remove Roads || fail "tessel-admin remove failed"
    ! cmp -s "$app/TESSEL.INI" "$app/samples/TESSEL.INI" || fail "tessel-admin remove left TESSEL.INI as it was"
    cp "$app/TESSEL.INI" "$scratch/changed.ini" && rm "$app/LANGUAGE.INI" && install_tessel
    cmp -s "$app/TESSEL.INI" "$scratch/changed.ini" || fail "the second installation replaced TESSEL.INI"
    [ -f "$app/LANGUAGE.INI" ] || fail "the second installation did not restore LANGUAGE.INI"
}

check_package() {
    command -v dpkg-deb >/dev/null || { echo "SKIPPED: no dpkg-deb to build and read the package"; exit 77; }
    cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/deb" >"$scratch/log" 2>&1 || fail "cpack: $(cat "$scratch/log")"
    deb=$(ls "$scratch"/deb/tessel_*.deb) || fail "cpack made no tessel_*.deb"
    dpkg-deb -c "$deb" | awk '{ print $6 }' >"$scratch/contents"
    for path in "$appdir/tessel" "$appdir/tessel-admin" "$appdir/tessel-ini" "$appdir/samples/TESSEL.INI" \
        /usr/bin/tessel /usr/share/applications/tessel.desktop /usr/share/icons/hicolor/scalable/apps/tessel.svg \
        /usr/share/ansible/plugins/modules/tessel_datasource.py; do
        grep -qx ".$path" "$scratch/contents" || fail "the package lacks $path"
    done
    for name in $site_files; do ! grep -qx ".$appdir/$name" "$scratch/contents" || fail "the package owns $appdir/$name: an upgrade would replace it"; done
    dpkg-deb -f "$deb" Depends | grep -q "libqt6widgets6" || fail "the package does not depend on Qt Widgets"
    dpkg-deb -e "$deb" "$scratch/control" && [ -x "$scratch/control/postinst" ] || fail "the package has no postinst"
}

"check_$part"
