#!/bin/sh
# Builds the fuzz targets with clang, libFuzzer and the address and
# undefined-behaviour sanitizers in ./build-fuzz, then runs each for SECONDS
# (default 60) starting from its seed corpus in tests/fuzz/corpus. Inputs the
# runs discover are kept in build-fuzz/corpus; an input that breaks a target
# is saved in build-fuzz/crashes and ends the script with an error.
#
# With --replay, each target only runs the seed corpus once, without
# mutating it: a quick check that always gives the same answer, for the
# test suite.
set -eu
cd "$(dirname "$0")/.."
replay=false
if [ "${1:-}" = "--replay" ]; then
    replay=true
    shift
fi
seconds=${1:-60}
build=build-fuzz

CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTESSEL_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target tessel_fuzzers --parallel 2

mkdir -p "$build/crashes"
for fuzzer in "$build"/fuzz/fuzz_*; do
    name=$(basename "$fuzzer")
    seeds=tests/fuzz/corpus/${name#fuzz_}
    found=$build/corpus/${name#fuzz_}
    mkdir -p "$found"
    if $replay; then
        echo "Replaying the seed corpus of $name"
        set -- -runs=0 "$seeds"
    else
        echo "Fuzzing $name for $seconds s"
        # The first corpus directory receives new inputs; the seeds stay untouched.
        set -- -max_total_time="$seconds" "$found" "$seeds"
    fi
    "$fuzzer" "$@" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
        -artifact_prefix="$build/crashes/$name-" -print_final_stats=1 \
        2>"$build/$name.log" || {
        tail -n 40 "$build/$name.log" >&2
        echo "$name failed; the input is in $build/crashes" >&2
        exit 1
    }
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)' "$build/$name.log" | tr '\n' ' '
    echo
done
