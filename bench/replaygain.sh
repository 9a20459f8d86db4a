#!/usr/bin/env bash
# What ReplayGain costs a rip: makes a 20-minute CUE/BIN image of music-like noise in 10 tracks,
# keeps it in the page cache, and rips it without throttle (no --speed) with --replaygain off,
# track and album, in turn, RUNS times each, to FLAC (the cheapest encoder, so the measurement
# weighs most) and to FLAC and MP3 from one read. Prints the best wall time and the least
# processor time (user + system) of each mode, and their cost against off in per cent.
#   bench/replaygain.sh [BUILD_DIR] [WORK_DIR] [RUNS]
set -euo pipefail
. "$(dirname "$0")/image.sh"
build=$(cd "${1:-build}" && pwd)
cli="$build/cli/sondrel-cli"
work="${2:-}"
runs="${3:-5}"
if [ -z "$work" ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
fi
mkdir -p "$work"
tracks=10
write_noise_image "$work" 20 $tracks
"$cli" --config-dir "$work/config" settings --set AccurateRip.Server= >/dev/null
cat "$work/bench.bin" >/dev/null

rip() { # rip FORMATS MODE: prints "wall cpu" in seconds
    local out="$work/out"
    rm -rf "$out"
    /usr/bin/time -f '%e %U %S' -o "$work/time" "$cli" --config-dir "$work/config" \
        --disc-image "$work/bench.cue" rip --format "$1" --replaygain "$2" --out "$out" \
        >/dev/null 2>"$work/err" || { cat "$work/err"; exit 1; }
    awk '{ printf "%s %.2f\n", $1, $2 + $3 }' "$work/time"
}
min() { if (($(echo "$1 < $2" | bc))); then echo "$1"; else echo "$2"; fi; }
for formats in flac flac,mp3; do
    declare -A wall=([off]=999999 [track]=999999 [album]=999999)
    declare -A cpu=([off]=999999 [track]=999999 [album]=999999)
    for ((i = 0; i < runs; i++)); do
        for mode in off track album; do
            read -r w c < <(rip "$formats" $mode)
            wall[$mode]=$(min "$w" "${wall[$mode]}")
            cpu[$mode]=$(min "$c" "${cpu[$mode]}")
        done
    done
    for mode in off track album; do
        printf '%-9s %-6s wall %6.2f s (%+5.1f %%)   cpu %6.2f s (%+5.1f %%)\n' "$formats" $mode \
            "${wall[$mode]}" "$(echo "(${wall[$mode]} / ${wall[off]} - 1) * 100" | bc -l)" \
            "${cpu[$mode]}" "$(echo "(${cpu[$mode]} / ${cpu[off]} - 1) * 100" | bc -l)"
    done
done
