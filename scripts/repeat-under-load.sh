#!/usr/bin/env bash
# Runs the test suite of a build tree N times in a row (default 10) while two busy loops keep both
# cores of the machine loaded, and reports how many runs failed. A check for tests that only pass
# on an idle machine.
#   scripts/repeat-under-load.sh [build-folder] [N]
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-test}
runs=${2:-10}
busy=()
for _ in 1 2; do
    ( while :; do :; done ) &
    busy+=($!)
done
trap 'kill "${busy[@]}" 2>/dev/null' EXIT
failed=0
for i in $(seq "$runs"); do
    if VELMORA_SKIP_FUZZ=1 VELMORA_SKIP_PACKAGE=1 scripts/run-tests.sh "$build" >"/tmp/velmora-load-run-$i.log" 2>&1; then
        echo "run $i: passed"
    else
        echo "run $i: FAILED (/tmp/velmora-load-run-$i.log)"
        grep -E '^\s+[0-9]+ - ' "/tmp/velmora-load-run-$i.log"
        failed=$((failed + 1))
    fi
done
echo "$((runs - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
