#!/usr/bin/env bash
# Opus, AAC and ALAC conversions of one long WAV (default 10 minutes) with sondrel-cli against the
# reference tools with the same settings as the defaults: `opusenc --bitrate 128` (complexity
# 10, variable rate, as ours), `ffmpeg -c:a aac -b:a 192k` and `ffmpeg -c:a alac`, each writing
# its file to the same disk. Best of three wall times each, whole processes, start-up included;
# the target is at most 1.05 times the reference's time. Each output's length is printed too, so
# a run that wrote nothing useful shows.
#   bench/formats.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
cli="$build/cli/sondrel-cli"
seconds=${2:-600}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cfg="$work/config"
in="$work/long.wav"

echo "Making $seconds s of 44.1 kHz stereo in $work ..."
sox -D -n -r 44100 -c 2 -b 16 "$in" synth "$seconds" pluck 220 sine 330 pinknoise gain -10

now() { date +%s.%N; }
# best COMMAND...: the shortest wall time of three runs, in seconds.
best() {
    local b=999999 t0 t1 t
    for _ in 1 2 3; do
        rm -rf "$work/out"
        mkdir -p "$work/out"
        t0=$(now)
        "$@" >/dev/null 2>&1
        t1=$(now)
        t=$(echo "$t1 - $t0" | bc -l)
        b=$(echo "if ($t < $b) $t else $b" | bc -l)
    done
    printf '%.3f' "$b"
}
length() { ffprobe -v error -select_streams a -show_entries format=duration -of csv=p=0 "$1"; }

echo
echo "Single file of $seconds s against the reference tools"
compare() {
    local format=$1 ext=$2 ours theirs ourLength
    shift 2
    ours=$(best "$cli" --config-dir "$cfg" convert --to "$format" --out "$work/out" --jobs 1 "$in")
    ourLength=$(length "$work/out/long.$ext")
    theirs=$(best "$@")
    printf '  %-5s sondrel-cli: %7.3f s (%s s)  reference: %7.3f s (%s s)  ratio: %.3f (target <= 1.05)\n' \
        "$format" "$ours" "$ourLength" "$theirs" "$(length "$work/out/ref.$ext")" \
        "$(echo "$ours / $theirs" | bc -l)"
}
compare opus opus opusenc --quiet --bitrate 128 --comp 10 "$in" "$work/out/ref.opus"
compare aac m4a ffmpeg -v error -y -i "$in" -c:a aac -b:a 192k "$work/out/ref.m4a"
compare alac m4a ffmpeg -v error -y -i "$in" -c:a alac "$work/out/ref.m4a"
