#!/bin/sh
# Sets up what is missing, builds, and starts Tessel on its sample data.
set -eu
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
scripts/build.sh
exec build/bin/tessel "$@"
