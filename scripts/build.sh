#!/bin/sh
# Configures and builds Tessel in ./build (Release with debug information).
# TESSEL_WARNINGS_AS_ERRORS=ON makes any compiler warning fail the build.
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTESSEL_WARNINGS_AS_ERRORS="${TESSEL_WARNINGS_AS_ERRORS:-OFF}" >/dev/null
cmake --build build
