#!/usr/bin/env bash
# Runs every built fuzzer for SECONDS each, one at a time and niced, with the
# generated seeds, the committed seeds and regressions, a dictionary where the
# format has keywords, and seeds cut from the shared sample files when they
# are there. A crash lands in fuzz/regressions/<target>/, where the test
# build's replayer picks it up as a ctest.
# Usage: fuzz/run-fuzzers.sh BUILD_DIR SECONDS [TARGET...]
# With FUZZ_RUNS=N each target stops after N inputs (or SECONDS, whichever first).
set -u
build=${1:?build folder}
seconds=${2:?seconds per target}
shift 2
here=$(cd "$(dirname "$0")" && pwd)
corpus=${CX_CORPUS_DIR:-$here/../../shared/corpus}
stats=$build/fuzz-stats.tsv
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for f in "$build"/fuzzers/*; do [ -x "$f" ] && targets+=("$(basename "$f")"); done
fi

"$build"/fuzz/cx_fuzz_seeds "$build"/seeds >/dev/null || exit 1

# Shared sample kinds each target reads, and how much of each file it gets:
# head (the start), tail (the end, where tag blocks live) or all.
shared_kinds() {
    case $1 in
        fuzz_lrc) echo "lrc:all" ;;
        fuzz_ultrastar) echo "ultrastar:all" ;;
        fuzz_midi_smf | fuzz_midi_words) echo "midi:all kar:all" ;;
        playlist_fuzz) echo "playlist:all" ;;
        cdg_decode_fuzzer) echo "cdg:head" ;;
        fuzz_lyrics3 | fuzz_media_tail | fuzz_display_block) echo "mp3:tail" ;;
        fuzz_wav_header) echo "wav:head mp3:head" ;;
        fuzz_id3v2_lyrics) echo "mp3:head" ;;
    esac
}
# Larger inputs only slow the search: every block these readers look for
# fits in a few kilobytes, and the shared samples are cut to this size.
max_len() {
    case $1 in
        cdg_decode_fuzzer) echo 16384 ;;
        *) echo 4096 ;;
    esac
}

shared_seeds() {
    local name=$1 out=$build/shared-seeds/$1
    rm -rf "$out"
    [ -d "$corpus" ] || return 0
    mkdir -p "$out"
    local entry kind how f bytes
    bytes=$(max_len "$name")
    for entry in $(shared_kinds "$name"); do
        kind=${entry%%:*} how=${entry#*:}
        [ -d "$corpus/$kind" ] || continue
        for f in "$corpus/$kind"/*; do
            [ -f "$f" ] || continue
            case $how in
                all) cp "$f" "$out/" ;;
                head) head -c "$bytes" "$f" >"$out/$(basename "$f")" ;;
                tail) tail -c "$bytes" "$f" >"$out/$(basename "$f")" ;;
            esac
        done
    done
}

failed=0
for name in "${targets[@]}"; do
    bin=$build/fuzzers/$name
    [ -x "$bin" ] || { echo "no fuzzer $name"; failed=1; continue; }
    work=$build/corpus/$name
    regress=$here/regressions/$name
    mkdir -p "$work" "$regress"
    shared_seeds "$name"
    args=(-max_total_time="$seconds" -print_final_stats=1 -timeout=10 -max_len="$(max_len "$name")"
          -artifact_prefix="$regress/")
    [ -f "$here/dict/$name.dict" ] && args+=(-dict="$here/dict/$name.dict")
    [ -n "${FUZZ_RUNS:-}" ] && args+=(-runs="$FUZZ_RUNS")
    dirs=("$work" "$regress")
    [ -d "$build/seeds/$name" ] && dirs+=("$build/seeds/$name")
    [ -d "$here/seeds/$name" ] && dirs+=("$here/seeds/$name")
    [ -d "$build/shared-seeds/$name" ] && dirs+=("$build/shared-seeds/$name")
    log=$build/logs/$name${FUZZ_LOG_SUFFIX:-}.log
    mkdir -p "$build/logs"
    echo "== $name for $seconds s"
    nice -n 15 "$bin" "${args[@]}" "${dirs[@]}" >"$log" 2>&1
    rc=$?
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    printf '%s\t%s\t%s\t%s\t%s\n' "$(date -u +%FT%TZ)" "$name" "$seconds" "${execs:-?}" "$rc" >>"$stats"
    echo "   executions: ${execs:-?}  exit: $rc"
    if [ $rc -ne 0 ]; then
        failed=1
        echo "   FAILED: see $log; the input is in $regress/"
        grep -m3 -E "ERROR|SUMMARY|Test unit written" "$log" | sed 's/^/   /'
    fi
done
echo "== executions so far, per target (every run in $stats):"
awk -F'\t' '$4 ~ /^[0-9]+$/ { sum[$2] += $4 } END { for (t in sum) printf "   %-22s %12d\n", t, sum[t] }' "$stats" | sort
exit $failed
