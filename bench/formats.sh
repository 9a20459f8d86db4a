#!/usr/bin/env bash
# Opus, AAC and ALAC conversions of one long WAV (default 10 minutes) with sondrel-cli against the
# reference tools with the same settings as the defaults: `opusenc --bitrate 128` (complexity
# 10, variable rate, as ours), `ffmpeg -c:a aac -b:a 192k` and `ffmpeg -c:a alac`, each writing
# its file to the same disk. Whole processes, start-up included; the target is at most 1.05
# times the reference's time. The two run in turn, three times each, and the best wall time and
# the best processor time (user + system, which other work on a shared machine disturbs less)
# of each are kept. Each output's length is printed too, so a run that wrote nothing useful
# shows.
#   bench/formats.sh [BUILD_DIR] [SECONDS] [RUNS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
cli="$build/cli/sondrel-cli"
seconds=${2:-600}
runs=${3:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cfg="$work/config"
in="$work/long.wav"

echo "Making $seconds s of 44.1 kHz stereo in $work ..."
sox -D -n -r 44100 -c 2 -b 16 "$in" synth "$seconds" pluck 220 sine 330 pinknoise gain -10

# timed COMMAND...: "wall cpu" of one run, in seconds.
timed() {
    /usr/bin/time -f '%e %U %S' -o "$work/time" "$@" >/dev/null 2>&1
    awk '{ printf "%s %.2f\n", $1, $2 + $3 }' "$work/time"
}
min() { echo "if ($1 < $2) $1 else $2" | bc -l; }
length() { ffprobe -v error -show_entries format=duration -of csv=p=0 "$1"; }

echo
echo "Single file of $seconds s against the reference tools (best of $runs, taken in turn)"
compare() {
    local format=$1 ext=$2 ow=999999 oc=999999 tw=999999 tc=999999 w c
    shift 2
    for ((i = 0; i < runs; i++)); do
        rm -rf "$work/out" && mkdir -p "$work/out"
        read -r w c < <(timed "$cli" --config-dir "$cfg" convert --to "$format" \
            --out "$work/out" --jobs 1 "$in")
        ow=$(min "$w" "$ow") oc=$(min "$c" "$oc")
        read -r w c < <(timed "$@")
        tw=$(min "$w" "$tw") tc=$(min "$c" "$tc")
    done
    printf '  %-5s wall %6.2f s against %6.2f s: %.3f;  cpu %6.2f s against %6.2f s: %.3f' \
        "$format" "$ow" "$tw" "$(echo "$ow / $tw" | bc -l)" "$oc" "$tc" \
        "$(echo "$oc / $tc" | bc -l)"
    printf '  (lengths %s s, %s s)\n' "$(length "$work/out/long.$ext")" \
        "$(length "$work/out/ref.$ext")"
}
compare opus opus opusenc --quiet --bitrate 128 --comp 10 "$in" "$work/out/ref.opus"
compare aac m4a ffmpeg -v error -y -i "$in" -c:a aac -b:a 192k "$work/out/ref.m4a"
compare alac m4a ffmpeg -v error -y -i "$in" -c:a alac "$work/out/ref.m4a"
