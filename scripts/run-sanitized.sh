#!/usr/bin/env bash
# Builds the whole program and its tests with the address and undefined-behaviour sanitizers and
# runs the suite. Every report, also from the real program the end-to-end tests start, is written
# to a folder; the run fails when any report appears there. Leaks that belong to system libraries
# are listed in tests/sanitizer/lsan.supp.
#   scripts/run-sanitized.sh [build-folder]
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-asan}
reports=$(mktemp -d /tmp/velmora-sanitizer.XXXXXX)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_SANITIZE=ON -DVELMORA_TESTS=ON \
    -DVELMORA_BENCH=OFF >/dev/null || exit 1
cmake --build "$build" -j"$(nproc)" >/dev/null || exit 1
export ASAN_OPTIONS="log_path=$reports/asan:detect_leaks=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizer/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="log_path=$reports/ubsan:print_stacktrace=1"
VELMORA_SKIP_FUZZ=1 VELMORA_SKIP_PACKAGE=1 scripts/run-tests.sh "$build"
status=$?
if [ -n "$(ls -A "$reports")" ]; then
    echo "sanitizer reports in $reports:"
    head -n 60 "$reports"/*
    status=1
else
    echo "sanitizers: no reports"
    rmdir "$reports"
fi
exit $status
