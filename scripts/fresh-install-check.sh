#!/bin/sh
# Installs the Debian package of Tessel on a fresh Debian 12 and checks that
# it works there: a minimal bookworm (debootstrap, variant minbase) in a
# chroot stands in for the new machine. Runs as root, needs Debian's package
# mirror and takes minutes, so it is no part of the test suite.
#
#   scripts/fresh-install-check.sh [DEB]
#
# DEB defaults to the newest build/tessel_*.deb. Two rounds, each on its own
# pristine root: apt-get install with the default settings, then with
# --no-install-recommends. Each round checks the installed files, the group
# that may register data sources, tessel-admin on the sample registry, that
# tessel starts and shows its main window (on an Xvfb display of this
# machine), and that removal, reinstallation and purge keep a changed
# TESSEL.INI.
#
# TESSEL_FRESH_CACHE=DIR keeps the pristine root as a tarball and the
# downloaded packages in DIR, so that a rerun needs no debootstrap.
# TESSEL_FRESH_MIRROR overrides the Debian mirror.
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
mirror=${TESSEL_FRESH_MIRROR:-http://deb.debian.org/debian}
appdir=/opt/velum/tessel
title="VelumGIS Datasource Registration"
user=surveyor

[ "$(id -u)" -eq 0 ] || { echo "FAIL: run as root (debootstrap and chroot need it)" >&2; exit 1; }
deb=${1:-$(ls -t "$repo"/build/tessel_*.deb 2>/dev/null | head -n 1)}
[ -f "$deb" ] || { echo "FAIL: no package; build one with (cd build && cpack -G DEB) or name it" >&2; exit 1; }
deb=$(cd "$(dirname "$deb")" && pwd)/$(basename "$deb")

"$repo"/scripts/setup-debian.sh debootstrap xvfb xdotool

work=$(mktemp -d /var/tmp/tessel-fresh.XXXXXX)
store=${TESSEL_FRESH_CACHE:-$work}
tarball=$store/bookworm-minbase.tar
mkdir -p "$store/archives" "$work/logs"
logs=$work/logs
root="" app_pid="" xvfb_pid=""
passed=0 failed=0

unmount_root() {
    [ -n "$root" ] || return 0
    # A process left running in the root would keep it busy.
    for proc in /proc/[0-9]*; do
        if [ "$(readlink "$proc/root" 2>/dev/null)" = "$root" ]; then
            echo "Stopping $(cat "$proc/comm" 2>/dev/null), left running in $root"
            kill "${proc#/proc/}" 2>/dev/null || true
        fi
    done
    for mount in "$root/dev/pts" "$root/proc"; do
        if mountpoint -q "$mount"; then umount "$mount" || umount -l "$mount"; fi
    done
    # Only a root with nothing mounted in it is removed.
    if grep -q " $root/" /proc/self/mounts; then
        echo "Left $root: something is still mounted in it" >&2
    else
        rm -rf "$root"
    fi
    root=""
}

cleanup() {
    [ -z "$app_pid" ] || kill "$app_pid" 2>/dev/null || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
    unmount_root
    echo "Logs: $logs"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

pass() { passed=$((passed + 1)); echo "PASS: [$round] $*"; }
fail() { failed=$((failed + 1)); echo "FAIL: [$round] $*"; }
check() {
    what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}

# Commands run in the root with a clean environment, as root or as the user
# (a member of velum): no variable of this shell leaks in.
root_env="/usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive"
user_env="setpriv --reuid=$user --regid=$user --init-groups env HOME=/home/$user XDG_RUNTIME_DIR=/run/user/$user"
# shellcheck disable=SC2086
in_root() { chroot "$root" $root_env "$@"; }
# shellcheck disable=SC2086
as_user() { chroot "$root" $root_env $user_env "$@"; }

apt_in_root() {
    log=$1
    shift
    in_root apt-get -o Dpkg::Use-Pty=0 "$@" >>"$logs/$log" 2>&1
}

seconds_since() { echo $(($(date +%s) - $1)); }

make_pristine_root() {
    [ -f "$tarball" ] && return 0
    start=$(date +%s)
    echo "debootstrap --variant=minbase bookworm ($mirror)"
    debootstrap --variant=minbase bookworm "$work/pristine" "$mirror" >"$logs/debootstrap.log" 2>&1 ||
        { echo "FAIL: debootstrap, see $logs/debootstrap.log"; exit 1; }
    tar --numeric-owner -C "$work/pristine" -cf "$tarball.new" . && mv "$tarball.new" "$tarball"
    rm -rf "$work/pristine"
    echo "TIME debootstrap: $(seconds_since "$start") s"
}

start_display() {
    [ -z "$xvfb_pid" ] || return 0
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$logs/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.2; done
    display=:$(cat "$work/display")
}

# The new machine: the pristine root with the sources of an installed
# bookworm, /proc and /dev/pts, and no service started by a package.
open_root() {
    root=$work/root-$round
    mkdir "$root"
    tar --numeric-owner -C "$root" -xpf "$tarball"
    cat >"$root/etc/apt/sources.list" <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
EOF
    printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
    chmod 755 "$root/usr/sbin/policy-rc.d"
    mount -t proc proc "$root/proc"
    mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts"
    cp "$deb" "$root/tmp/"
    cp "$store"/archives/*.deb "$root/var/cache/apt/archives/" 2>/dev/null || true
}

check_files() {
    ok=true
    for program in tessel tessel-admin tessel-ini; do
        [ -x "$root$appdir/$program" ] || { echo "  no program $appdir/$program"; ok=false; }
        [ "$(readlink "$root/usr/bin/$program")" = "$appdir/$program" ] ||
            { echo "  launcher /usr/bin/$program is not a link to $appdir/$program"; ok=false; }
    done
    for name in TESSEL.INI SRCS.INI LANGUAGE.INI TESSEL.LRT SAMPLE.DLD; do
        cmp -s "$root$appdir/$name" "$root$appdir/samples/$name" ||
            { echo "  $appdir/$name is missing or differs from its sample"; ok=false; }
    done
    $ok
}

check_desktop_files() {
    grep -qx "Exec=$appdir/tessel" "$root/usr/share/applications/tessel.desktop" &&
        grep -qx "Icon=tessel" "$root/usr/share/applications/tessel.desktop" &&
        grep -q "<svg" "$root/usr/share/icons/hicolor/scalable/apps/tessel.svg"
}

check_group() {
    in_root getent group velum >/dev/null || { echo "  no group velum"; return 1; }
    mode=$(in_root stat -c '%a %G' "$appdir")
    [ "$mode" = "2775 velum" ] || { echo "  $appdir is $mode, not 2775 velum"; return 1; }
    for name in TESSEL.INI SRCS.INI LANGUAGE.INI TESSEL.LRT; do
        mode=$(in_root stat -c '%A %G' "$appdir/$name")
        case $mode in
        ?????w????" velum") ;;
        *) echo "  $appdir/$name is $mode, not writable by the group velum"; return 1 ;;
        esac
    done
}

# tessel-admin lists every record of the sample registry, in file order.
check_admin_list() {
    as_user /usr/bin/tessel-admin list >"$logs/list-$round.txt" 2>&1 || return 1
    grep '^\[' "$root$appdir/samples/TESSEL.INI" | tr -d '[]\r' >"$work/expected"
    cut -f1 "$logs/list-$round.txt" | cmp -s - "$work/expected"
}

main_window() {
    DISPLAY=$display xdotool search --all --onlyvisible --pid "$app_pid" --name "^$title\$" 2>/dev/null
}

# tessel starts from its launcher as a member of velum, shows its main window
# and is still running a few seconds later.
check_start() {
    start_display
    # Started directly, not through a function, so that $! is tessel itself.
    # shellcheck disable=SC2086
    chroot "$root" $root_env $user_env DISPLAY="$display" QT_QPA_PLATFORM=xcb /usr/bin/tessel \
        >"$logs/tessel-$round.log" 2>&1 &
    app_pid=$!
    window=""
    for _ in $(seq 40); do
        window=$(main_window) && break
        kill -0 "$app_pid" 2>/dev/null || break
        sleep 0.5
    done
    [ -n "$window" ] || { echo "  no window \"$title\""; sed 's/^/  tessel: /' "$logs/tessel-$round.log"; return 1; }
    sleep 3
    kill -0 "$app_pid" 2>/dev/null || { echo "  tessel ended"; return 1; }
    main_window >/dev/null || { echo "  the main window is gone"; return 1; }
    if command -v import >/dev/null 2>&1; then
        import -display "$display" -window root "$logs/tessel-$round.png" 2>/dev/null || true
    fi
}

stop_app() {
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
    app_pid=""
}

# The registry belongs to the site: a removal, a reinstallation and a purge
# keep a TESSEL.INI that has been changed.
registry_kept() { cmp -s "$root$appdir/TESSEL.INI" "$work/changed.ini"; }
change_registry() {
    as_user /usr/bin/tessel-admin remove Roads >>"$logs/apt-$round.log" 2>&1 &&
        ! cmp -s "$root$appdir/TESSEL.INI" "$root$appdir/samples/TESSEL.INI" &&
        cp "$root$appdir/TESSEL.INI" "$work/changed.ini"
}
remove_keeps_registry() {
    apt_in_root "apt-$round.log" remove -y tessel && [ ! -e "$root$appdir/tessel" ] && registry_kept
}
reinstall_keeps_registry() {
    apt_in_root "apt-$round.log" install -y ${apt_options:+"$apt_options"} "/tmp/$(basename "$deb")" &&
        [ -x "$root$appdir/tessel" ] && registry_kept
}
purge_keeps_registry() {
    apt_in_root "apt-$round.log" purge -y tessel && registry_kept
}

run_round() {
    round=$1 apt_options=$2
    install="apt-get install ${apt_options:-with the default settings}"
    echo "== $round: $install, $(basename "$deb")"
    open_root
    start=$(date +%s)
    in_root dpkg-query -W -f '${Package}\n' | sort >"$work/before"
    if apt_in_root "apt-$round.log" update &&
        apt_in_root "apt-$round.log" install -y ${apt_options:+"$apt_options"} "/tmp/$(basename "$deb")"; then
        pass "$install"
    else
        fail "$install, see $logs/apt-$round.log"
        tail -n 15 "$logs/apt-$round.log" | sed 's/^/  /'
        unmount_root
        return
    fi
    in_root dpkg-query -W -f '${Package}\n' | sort | comm -13 "$work/before" - >"$logs/pulled-$round.txt"
    echo "TIME apt-get update and install [$round]: $(seconds_since "$start") s," \
        "$(grep -vcx tessel "$logs/pulled-$round.txt") packages pulled in besides tessel"
    cp "$root"/var/cache/apt/archives/*.deb "$store/archives/" 2>/dev/null || true

    start=$(date +%s)
    in_root useradd --create-home --groups velum "$user" || true
    install -d -m 700 "$root/run/user/$user"
    in_root chown "$user:" "/run/user/$user"
    check "programs, launchers and registry files in $appdir" check_files
    check "desktop entry and icon" check_desktop_files
    check "group velum owns $appdir (mode 2775) and the registry files" check_group
    check "tessel-admin list lists the sample registry" check_admin_list
    check "tessel starts from /usr/bin/tessel and keeps its main window up" check_start
    stop_app
    if change_registry; then
        pass "a member of velum changes TESSEL.INI with tessel-admin"
        check "apt-get remove removes the programs and keeps TESSEL.INI" remove_keeps_registry
        check "reinstalling keeps the changed TESSEL.INI" reinstall_keeps_registry
        check "apt-get purge keeps TESSEL.INI" purge_keeps_registry
    else
        fail "a member of velum changes TESSEL.INI with tessel-admin"
    fi
    echo "TIME checks [$round]: $(seconds_since "$start") s"
    unmount_root
}

make_pristine_root
run_round default ""
run_round no-recommends --no-install-recommends

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
