#!/bin/sh
# Takes the reliability figures of a release build: imports killed at random
# moments, two writer processes at once, and damaged and very large files
# (random bytes, a 100 MB line, 100,000 records, a 50 MB DLD file) through the
# store and the DLD reader. Every figure is printed on a line of its own.
# TESSEL_CRASH_KILLS (default 1000) and WRITER_KEYS (default 500) set the
# number of kills and of keys per writer.
set -eu
cd "$(dirname "$0")/../.."
kills=${TESSEL_CRASH_KILLS:-1000}
keys=${WRITER_KEYS:-500}

scripts/build.sh

work=$(mktemp -d)
chmod 700 "$work"
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work"
export QT_QPA_PLATFORM=offscreen

seconds_since() {
    echo "$(date +%s.%N) $1" | awk '{ printf "%.1f", $1 - $2 }'
}

echo "== Imports of three records killed at random moments"
start=$(date +%s.%N)
TESSEL_CRASH_KILLS=$kills build/tests/test_tessel_admin \
    --gtest_filter='*KilledAtAnyMoment*' --gtest_brief=1
echo "[figure] $kills imports killed at random moments, the old or the whole new registry after each, in $(seconds_since "$start") s"

echo "== Two writer processes (tessel-ini)"
registry=$work/TESSEL.INI
printf '[Target]\r\nValue=old\r\n' >"$registry"
write_keys() {
    i=1
    while [ "$i" -le "$keys" ]; do
        build/bin/tessel-ini set "$registry" Shared "$1$i" "$i"
        i=$((i + 1))
    done
}
start=$(date +%s.%N)
write_keys a &
first=$!
write_keys b &
second=$!
wait "$first"
wait "$second"
elapsed=$(seconds_since "$start")
for prefix in a b; do seq 1 "$keys" | sed "s/.*/$prefix&=&/"; done | sort >"$work/expected"
build/bin/tessel-admin show Shared --registry "$registry" | sort >"$work/written"
if ! diff "$work/expected" "$work/written" >&2; then
    echo "Keys were lost or changed (< expected, > written)" >&2
    exit 1
fi
echo "[figure] two tessel-ini processes wrote $keys keys each at once in $elapsed s; all $((2 * keys)) keys read back"

echo "== Damaged and very large files"
TESSEL_RELIABILITY_FULL=1 build/tests/test_hostile_files --gtest_brief=1
