#!/usr/bin/env bash
# Builds the libFuzzer targets with clang's address and undefined-behaviour sanitizers and runs each
# one for a bounded number of inputs (VELMORA_FUZZ_RUNS, default 200000). The playlist target first
# runs on short inputs for a bounded time (VELMORA_FUZZ_M3U_SECONDS, default 480): its decoder faults
# sit at single byte pairs at the very end of a file, which short inputs reach far sooner (a fault of
# that kind took 40 s to 2.5 min from the seeds of the time, and was not found in 15 min of inputs up
# to 64 KiB long).
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
runs=${VELMORA_FUZZ_RUNS:-200000}
m3uSeconds=${VELMORA_FUZZ_M3U_SECONDS:-480}
[ -n "$(ls fuzz/*.cpp 2>/dev/null)" ] || exit 0
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_FUZZ=ON \
    -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF >/dev/null || exit 1
cmake --build "$build" -j"$(nproc)" --target velmora_fuzzers >/dev/null || exit 1
status=0
for f in "$build"/fuzz/fuzz_*; do
    [ -x "$f" ] || continue
    name=$(basename "$f")
    corpus="$build/corpus-$name"
    mkdir -p "$corpus"
    seeds=()
    [ -d "fuzz/seeds/${name#fuzz_}" ] && seeds=("fuzz/seeds/${name#fuzz_}")
    if [ "$name" = fuzz_m3u ] &&
        ! "$f" -runs=-1 -max_total_time="$m3uSeconds" -max_len=64 -timeout=10 "$corpus" \
            "${seeds[@]}" >"$build/$name-short.log" 2>&1; then
        echo "fuzz: $name FAILED on short inputs"; tail -40 "$build/$name-short.log"; status=1
        continue
    fi
    if "$f" -runs="$runs" -max_len=65536 -timeout=10 "$corpus" "${seeds[@]}" >"$build/$name.log" 2>&1; then
        echo "fuzz: $name ok ($(grep -o 'Done [0-9]* runs' "$build/$name.log" | tail -1))"
    else
        echo "fuzz: $name FAILED"; tail -40 "$build/$name.log"; status=1
    fi
done
exit $status
