#!/bin/sh
# Sets up what is missing, builds, and runs the whole test suite headless.
set -eu
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
# Every C++ file is laid out as .clang-format says.
scripts/check-format.sh
# The tests build with warnings as errors, so that no warning lands.
TESSEL_WARNINGS_AS_ERRORS=ON scripts/build.sh

# A private runtime directory keeps the tests' sockets and locks apart from
# any running desktop session.
runtime_dir=$(mktemp -d)
chmod 700 "$runtime_dir"
trap 'rm -rf "$runtime_dir"' EXIT
export XDG_RUNTIME_DIR="$runtime_dir"
export QT_QPA_PLATFORM=offscreen

ctest --test-dir build --output-on-failure --timeout 300 -j2

# Each fuzz target replays its seed corpus (a second build of the core
# libraries, with clang and its sanitizers). Open-ended fuzzing finds new
# inputs at random, so it runs from scripts/fuzz.sh, not here.
if command -v clang++-14 >/dev/null 2>&1; then
    scripts/fuzz.sh --replay
else
    echo "Fuzz smoke skipped: clang-14 is not installed (scripts/setup-debian.sh installs it)."
fi
