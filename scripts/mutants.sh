#!/bin/sh
# Checks that the test suite catches deliberate faults.
#
# Each line of a list names a product file and a perl substitution that plants
# one fault in it:   registry/RecordRules.cpp: s/NameLimit = 50/NameLimit = 49/
# Lines starting with # are comments. For each fault the script plants it,
# builds ./build, runs the tests (end-to-end run excluded, stopping at the first
# failure) and puts the file back. It prints CAUGHT, MISSED or NOBUILD per fault
# and exits 1 if any fault was missed or did not apply.
#
# With --applies it only checks that every fault still changes its file (after
# code was moved or laid out anew), without building: NOAPPLY names the rest.
#
# Usage: scripts/mutants.sh [--applies] [-R ctest-regex] list...
set -u
cd "$(dirname "$0")/.."

applies_only=false
if [ "${1:-}" = "--applies" ]; then applies_only=true; shift; fi
regex=""
if [ "${1:-}" = "-R" ]; then regex=$2; shift 2; fi

if $applies_only; then
    status=0
    for list in "$@"; do
        while IFS= read -r line; do
            case "$line" in ''|'#'*) continue ;; esac
            file=${line%%: *}
            if perl -0pe "${line#*: }" "$file" | cmp -s - "$file"; then
                echo "NOAPPLY $line"; status=1
            fi
        done < "$list"
    done
    exit $status
fi

runtime_dir=$(mktemp -d)
chmod 700 "$runtime_dir"
backup=$(mktemp)
trap 'rm -rf "$runtime_dir" "$backup"' EXIT
export XDG_RUNTIME_DIR="$runtime_dir" QT_QPA_PLATFORM=offscreen

cmake --build build >/dev/null || { echo "The unchanged tree does not build." >&2; exit 2; }

status=0
for list in "$@"; do
    while IFS= read -r line; do
        case "$line" in ''|'#'*) continue ;; esac
        file=${line%%: *}
        expr=${line#*: }
        cp -p "$file" "$backup"
        perl -0pi -e "$expr" "$file"
        if cmp -s "$file" "$backup"; then
            echo "NOAPPLY $line"; status=1; continue
        fi
        if ! cmake --build build >/dev/null 2>&1; then
            verdict=NOBUILD; status=1
        elif ctest --test-dir build -j2 --timeout 120 --stop-on-failure \
                -E e2e_real_display ${regex:+-R "$regex"} >/dev/null 2>&1; then
            verdict=MISSED; status=1
        else
            verdict=CAUGHT
        fi
        cp -p "$backup" "$file"
        touch "$file"
        # A program a planted fault kept from ending would hold the one-copy
        # lock and fail the next fault's tests whatever that fault does.
        pkill -KILL -f "^$PWD/build/" 2>/dev/null
        echo "$verdict $line"
    done < "$list"
done
cmake --build build >/dev/null
exit $status
