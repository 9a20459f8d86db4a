#!/usr/bin/env bash
# Rip speed against a plain copy: makes a 74-minute CUE/BIN image in 20 tracks, rips it to WAV
# with sondrel-cli and copies its BIN with cat, and prints both times and their ratio
# (copy time / rip time; 1.0 = as fast as cat, the target is at least 0.5). Then rips it once
# more with --secure (every chunk read twice) and prints that time beside the plain one.
#   bench/rip-wav.sh [BUILD_DIR] [WORK_DIR]
# SONDREL_CLI=path runs another build's sondrel-cli (to compare before and after a change).
# Needs about 2.4 GB free in WORK_DIR (default: a temporary folder, removed afterwards).
set -euo pipefail
. "$(dirname "$0")/image.sh"
bench_dirs "$@"

sectors=$((74 * 60 * 75))
tracks=20
echo "Writing a 74-minute image ($((sectors * 2352 / 1000000)) MB) in $work ..."
head -c $((sectors * 2352)) /dev/urandom >"$work/bench.bin"
write_cue "$work" $sectors $tracks

now() { date +%s.%N; }
# No database lookup: it would time the network, not the rip (a build without the setting
# refuses it, and has no lookup either).
"$cli" --config-dir "$work/config" settings --set AccurateRip.Server= >/dev/null 2>&1 || true
# Both runs read the BIN from the page cache: read it once first.
sync -f "$work/bench.bin"
cat "$work/bench.bin" >/dev/null

# Best of three runs each: the machine is shared, and write-back of earlier runs disturbs a
# single measurement.
copy=999999
rip=999999
secure=999999
for run in 1 2 3; do
    sync
    t0=$(now)
    cat "$work/bench.bin" >"$work/copy.bin"
    sync -f "$work/copy.bin"
    t1=$(now)
    rm -f "$work/copy.bin"
    copy=$(echo "c = $t1 - $t0; if (c < $copy) c else $copy" | bc -l)

    rm -rf "$work/out"
    sync
    t2=$(now)
    "$cli" --config-dir "$work/config" --disc-image "$work/bench.cue" rip --format wav \
        --out "$work/out" >/dev/null 2>"$work/rip.log" || { cat "$work/rip.log" >&2; exit 1; }
    sync -f "$work/out/Track01.wav"
    t3=$(now)
    rip=$(echo "r = $t3 - $t2; if (r < $rip) r else $rip" | bc -l)

    if [ -z "${SONDREL_CLI:-}" ] || "$cli" --help | grep -q -- --secure; then
        rm -rf "$work/out"
        sync
        t4=$(now)
        "$cli" --config-dir "$work/config" --disc-image "$work/bench.cue" rip --format wav \
            --secure --out "$work/out" >/dev/null 2>"$work/rip.log" ||
            { cat "$work/rip.log" >&2; exit 1; }
        sync -f "$work/out/Track01.wav"
        t5=$(now)
        secure=$(echo "r = $t5 - $t4; if (r < $secure) r else $secure" | bc -l)
    fi
done
rm -rf "$work/out"

ratio=$(echo "$copy / $rip" | bc -l)
mb=$(echo "$sectors * 2352 / 1000000" | bc -l)
printf 'cat copy:  %6.2f s  (%.0f MB/s)\n' "$copy" "$(echo "$mb / $copy" | bc -l)"
printf 'WAV rip:   %6.2f s  (%.0f MB/s)\n' "$rip" "$(echo "$mb / $rip" | bc -l)"
printf 'ratio (copy time / rip time): %.2f  (target >= 0.50)\n' "$ratio"
if [ "$secure" != 999999 ]; then
    printf 'secure rip: %6.2f s  (%.0f MB/s, %.2f x the plain rip'"'"'s time)\n' "$secure" \
        "$(echo "$mb / $secure" | bc -l)" "$(echo "$secure / $rip" | bc -l)"
fi
