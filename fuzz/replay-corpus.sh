#!/usr/bin/env bash
# Replays every input a fuzzing run kept (FUZZ_BUILD/corpus/<target>) through
# the test build's replayer of the same target, which carries AddressSanitizer
# and UBSan: the long runs fuzz without AddressSanitizer for speed.
# Usage: fuzz/replay-corpus.sh TEST_BUILD FUZZ_BUILD
set -u
test_build=${1:?test build folder}
fuzz_build=${2:?fuzz build folder}
failed=0
for dir in "$fuzz_build"/corpus/*/; do
    name=$(basename "$dir")
    replayer=$(find "$test_build/fuzz" -type f -executable -name "$name" | head -1)
    [ -n "$replayer" ] || { echo "no replayer for $name"; failed=1; continue; }
    count=$(find "$dir" -type f | wc -l)
    if LSAN_OPTIONS=detect_leaks=1 "$replayer" "$dir" >/dev/null 2>"$fuzz_build/logs/$name.replay.log"; then
        echo "== $name: $count inputs replayed clean"
    else
        echo "== $name: FAILED, see $fuzz_build/logs/$name.replay.log"
        failed=1
    fi
done
exit $failed
