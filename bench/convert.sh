#!/usr/bin/env bash
# Batch conversion figures: a batch of short WAVs converted with `--jobs 1` and `--jobs 2`
# (the target is at least 1.8 times the throughput with two lanes on two cores), and single-file
# conversions against the reference encoders run with the same settings (the target is at most
# 1.05 times their time). Best of three runs each, since the machine may be shared.
# sondrel-cli runs its outputs without the 300 ms pause a window gives its progress bar before
# each done event, so the figures are the encoders' and the lanes' own.
#   bench/convert.sh [BUILD_DIR] [FILES] [SECONDS_EACH] [SECONDS_LONG]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
cli="$build/cli/sondrel-cli"
files=${2:-40}
each=${3:-4}
long=${4:-120}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cfg="$work/config"

echo "Making $files WAVs of $each s and one of $long s in $work ..."
mkdir -p "$work/in"
for ((i = 0; i < files; i++)); do
    sox -D -n -r 44100 -c 2 -b 16 "$work/in/f$i.wav" synth "$each" pluck $((200 + i * 7)) \
        sine $((300 + i * 11)) gain -8
done
sox -D -n -r 44100 -c 2 -b 16 "$work/long.wav" synth "$long" pluck 220 sine 330 pinknoise \
    gain -10

now() { date +%s.%N; }
# best COMMAND...: the shortest wall time of three runs, in seconds.
best() {
    local b=999999 t0 t1 t
    for _ in 1 2 3; do
        rm -rf "$work/out"
        t0=$(now)
        "$@" >/dev/null 2>&1
        t1=$(now)
        t=$(echo "$t1 - $t0" | bc -l)
        b=$(echo "if ($t < $b) $t else $b" | bc -l)
    done
    printf '%.3f' "$b"
}

echo
echo "Batch: $files files, wav2mp3 and wav2flac"
for kind in wav2mp3 wav2flac; do
    one=$(best "$cli" --config-dir "$cfg" convert --kind $kind --out "$work/out" --jobs 1 \
        "$work"/in/*.wav)
    two=$(best "$cli" --config-dir "$cfg" convert --kind $kind --out "$work/out" --jobs 2 \
        "$work"/in/*.wav)
    printf '  %-9s --jobs 1: %7.3f s  --jobs 2: %7.3f s  throughput ratio: %.2f (target >= 1.8)\n' \
        $kind "$one" "$two" "$(echo "$one / $two" | bc -l)"
done

echo
echo "Single file of $long s against the reference encoders (same settings as the defaults)"
single() {
    local name=$1 ours theirs
    shift
    ours=$(best "$cli" --config-dir "$cfg" convert --kind "$name" --out "$work/out" --jobs 1 \
        "$work/long.wav")
    theirs=$(best bash -c "mkdir -p '$work/out' && $*")
    printf '  %-9s sondrel-cli: %7.3f s  reference: %7.3f s  ratio: %.3f (target <= 1.05)\n' \
        "$name" "$ours" "$theirs" "$(echo "$ours / $theirs" | bc -l)"
}
single wav2mp3 "lame --quiet -b 128 -m j -q 5 '$work/long.wav' '$work/out/long.mp3'"
single wav2ogg "oggenc --quiet -q 2 -o '$work/out/long.ogg' '$work/long.wav'"
single wav2flac "flac --silent -2 -o '$work/out/long.flac' '$work/long.wav'"
