#!/usr/bin/env bash
# Makes bench/out/music.wav: about 9 minutes of real music (the three Ogg Vorbis tracks of the
# Debian package lincity-ng-data), decoded to 16-bit stereo 44.1 kHz PCM. Then run e.g.
#   build/bench/sondrel-ape-bench bench/out/music.wav      (frames on every processor)
#   build/bench/sondrel-ape-bench bench/out/music.wav 1    (one thread)
set -euo pipefail
cd "$(dirname "$0")"
mkdir -p out && cd out
if [ ! -f music.wav ]; then
    ls lincity-ng-data_*.deb >/dev/null 2>&1 || apt-get download lincity-ng-data
    dpkg-deb -x lincity-ng-data_*.deb pkg
    dir=pkg/usr/share/games/lincity-ng/music/default
    ffmpeg -v error -y -i "$dir/01 - pronobozo - lincity.ogg" \
        -i "$dir/02 - Robert van Herk - City Blues.ogg" \
        -i "$dir/03 - Robert van Herk - Architectural Contemplations.ogg" \
        -filter_complex "[0:a][1:a][2:a]concat=n=3:v=0:a=1,aresample=44100" \
        -ac 2 -c:a pcm_s16le -map_metadata -1 music.wav
fi
echo "$(pwd)/music.wav"
