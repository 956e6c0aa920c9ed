#!/bin/sh
# Sets up what is missing, builds, and runs the whole test suite headless.
set -eu
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
scripts/build.sh

# A private runtime directory keeps the tests' sockets and locks apart from
# any running desktop session.
runtime_dir=$(mktemp -d)
chmod 700 "$runtime_dir"
trap 'rm -rf "$runtime_dir"' EXIT
export XDG_RUNTIME_DIR="$runtime_dir"
export QT_QPA_PLATFORM=offscreen

ctest --test-dir build --output-on-failure --timeout 300 -j2
