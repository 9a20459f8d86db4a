#!/usr/bin/env bash
# Encoding while reading: makes a 20-minute CUE/BIN image of music-like noise in 10 tracks and
# rips it at --speed 16 (the image then reads like a 16x drive: 75 s for 20 minutes), to MP3, to
# FLAC, and to FLAC and MP3 from one read. Prints each rip's wall time, the reading time alone
# (a WAV rip at the same speed) and the ratio against the target, reading time plus the last
# track's encoding time (measured by encoding that track alone).
#   bench/rip-overlap.sh [BUILD_DIR] [WORK_DIR]
set -euo pipefail
. "$(dirname "$0")/image.sh"
build=$(cd "${1:-build}" && pwd)
cli="$build/cli/sondrel-cli"
work="${2:-}"
if [ -z "$work" ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
fi
mkdir -p "$work"
speed=16
tracks=10
write_noise_image "$work" 20 $tracks
"$cli" --config-dir "$work/config" settings --set AccurateRip.Server= >/dev/null
cat "$work/bench.bin" >/dev/null

now() { date +%s.%N; }
rip() { # rip FORMATS OUT [more arguments]
    local formats=$1 out=$2
    shift 2
    rm -rf "$out"
    local t0
    t0=$(now)
    "$cli" --config-dir "$work/config" --disc-image "$work/bench.cue" rip --format "$formats" \
        --out "$out" "$@" >/dev/null 2>"$work/err" || { cat "$work/err"; exit 1; }
    echo "$(now) - $t0" | bc
}
read_time=$(rip wav "$work/wav" --speed $speed)
echo "reading alone (WAV at ${speed}x): $read_time s"
# The last track's encoding on its own: its WAV encoded by the converter.
last=$(ls "$work/wav"/*.wav | tail -1)
for f in mp3 flac; do
    t0=$(now)
    "$cli" --config-dir "$work/config" convert --to $f --out "$work/last-$f" "$last" \
        >/dev/null 2>&1
    eval "last_$f=\$(echo \"\$(now) - $t0\" | bc)"
done
last_both=$(echo "$last_mp3 + $last_flac" | bc)
for formats in mp3 flac flac,mp3; do
    case $formats in
    mp3) tail_time=$last_mp3 ;;
    flac) tail_time=$last_flac ;;
    *) tail_time=$last_both ;;
    esac
    t=$(rip $formats "$work/out-${formats/,/-}" --speed $speed)
    target=$(echo "$read_time + $tail_time" | bc)
    printf '%-9s %7.2f s   target (reading + last track) %7.2f s   ratio %.3f\n' \
        "$formats" "$t" "$target" "$(echo "$t / $target" | bc -l)"
done
