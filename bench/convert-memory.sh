#!/usr/bin/env bash
# Peak memory of `sondrel-cli convert` over one long file (an hour by default) for each input
# kind (PCM WAV, MP3 inside WAV, MP3, WMA) and each output format. The target is a peak
# resident set under 64 MB for every pair, whatever the file's length. Each output's length is
# checked with ffprobe, so a run that failed early cannot pass for a frugal one. The files live
# in a temporary folder (about 1.5 GB for an hour) removed at the end.
#   bench/convert-memory.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
cli="$build/cli/sondrel-cli"
seconds=${2:-3600}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cfg="$work/config"

echo "Making the inputs ($seconds s, 44.1 kHz stereo) in $work ..."
sox -D -n -r 44100 -c 2 -b 16 "$work/pcm.wav" synth "$seconds" pluck 220 sine 330 pinknoise \
    gain -10
ff() { ffmpeg -nostdin -hide_banner -loglevel error -y -i "$work/pcm.wav" "$@"; }
ff -c:a libmp3lame -b:a 128k -f wav "$work/mp3inwav.wav"
ff -c:a libmp3lame -b:a 128k "$work/mp3.mp3"
ff -c:a wmav2 -b:a 128k "$work/wma.wma"

seconds_of() {
    ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 "$1" 2>/dev/null ||
        echo 0
}

printf '\n%-10s %-5s %12s %9s %10s %s\n' input to "peak RSS MB" "wall s" "output s" result
worst=0
for input in pcm.wav mp3inwav.wav mp3.mp3 wma.wma; do
    for to in wav mp3 ogg wma flac ape; do
        out="$work/out-$to"
        rm -rf "$out"
        set +e
        /usr/bin/time -v -o "$work/time.txt" "$cli" --config-dir "$cfg" convert --to "$to" \
            --out "$out" --jobs 1 "$work/$input" >/dev/null 2>"$work/err.txt"
        rc=$?
        set -e
        kb=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt")
        wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time.txt")
        file=$(find "$out" -type f 2>/dev/null | head -n 1)
        length=0
        [ -n "$file" ] && length=$(seconds_of "$file")
        result=ok
        if [ "$rc" -ne 0 ]; then
            result="rc $rc: $(tail -n 1 "$work/err.txt")"
        elif [ "$(echo "$length < $seconds - 1" | bc -l)" -eq 1 ]; then
            result="output too short"
        elif [ "$kb" -ge 65536 ]; then
            result="over 64 MB"
        fi
        [ "$kb" -gt "$worst" ] && worst=$kb
        printf '%-10s %-5s %12.1f %9s %10.1f %s\n' "${input%.*}" "$to" "$(echo "$kb / 1024" | bc -l)" \
            "$wall" "$length" "$result"
        rm -rf "$out"
    done
done
printf '\nHighest peak: %.1f MB (target < 64 MB)\n' "$(echo "$worst / 1024" | bc -l)"
