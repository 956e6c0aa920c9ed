#!/bin/sh
# Checks that every C++ file of the project is laid out as .clang-format
# says; with --fix, lays them out so.
set -eu
cd "$(dirname "$0")/.."
format=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$format" ]; then
    echo "clang-format is not installed (scripts/setup-debian.sh installs it)." >&2
    exit 1
fi
if [ "${1:-}" = "--fix" ]; then
    git ls-files '*.cpp' '*.h' | xargs "$format" -i
else
    git ls-files '*.cpp' '*.h' | xargs "$format" --dry-run --Werror
fi
