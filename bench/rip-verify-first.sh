#!/usr/bin/env bash
# Verified rips at the cost of one read: makes a 20-minute CUE/BIN image of music-like noise in
# 10 tracks, serves a local AccurateRip database for it (python3's http.server over a folder
# holding the disc's dBAR file) and rips it at --speed 16 (the image then reads like a 16x
# drive). Prints the wall time of one plain read (a WAV rip), a secure rip, and verify-first
# rips to FLAC against a database that knows every track and one that knows all but track 5,
# each with its ratio to one read and to the target.
#   bench/rip-verify-first.sh [BUILD_DIR] [WORK_DIR]     (BENCH_MINUTES=2 for a quick run)
set -euo pipefail
. "$(dirname "$0")/image.sh"
server=
bench_on_exit='[ -z "$server" ] || kill $server 2>/dev/null || true'
bench_dirs "$@"
speed=16
minutes=${BENCH_MINUTES:-20}
tracks=10
write_noise_image "$work" $minutes $tracks
cfg=(--config-dir "$work/config")
"$cli" "${cfg[@]}" settings --set AccurateRip.Server= >/dev/null

# The disc's name in the database and its tracks' v1 sums, as verify computes them from the
# image; the database files are written from them (13 bytes a pressing, 9 a track).
"$cli" "${cfg[@]}" --disc-image "$work/bench.cue" verify >"$work/sums" 2>/dev/null || true
name=$(sed -n 's/^Disc: //p' "$work/sums")
sed -n 's/.*AR v1 \([0-9A-F]\{8\}\).*/\1/p' "$work/sums" >"$work/v1"
[ "$(wc -l <"$work/v1")" -eq $tracks ] || { cat "$work/sums"; exit 1; }
database() { # database FOLDER WRONG_TRACK (0 for none)
    local id1=${name:9:8}
    local dir="$1/accuraterip/${id1:7:1}/${id1:6:1}/${id1:5:1}"
    mkdir -p "$dir"
    python3 - "$dir/$name" "$name" "$2" "$work/v1" <<'PY'
import struct, sys
path, name, wrong, sums = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
count, id1, id2, cddb = name[5:-4].split('-')
out = struct.pack('<BIII', int(count), int(id1, 16), int(id2, 16), int(cddb, 16))
for n, line in enumerate(open(sums), 1):
    v1 = int(line, 16) ^ (0x5A5A if n == wrong else 0)
    out += struct.pack('<BII', 12, v1, 0)
open(path, 'wb').write(out)
PY
}
database "$work/db-all" 0
database "$work/db-but-one" 5
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$work/db" >/dev/null 2>&1 &
server=$!
sleep 1
cat "$work/bench.bin" >/dev/null

now() { date +%s.%N; }
rip() { # rip FORMAT OUT [more arguments]
    local format=$1 out=$2
    shift 2
    rm -rf "$out"
    local t0
    t0=$(now)
    "$cli" "${cfg[@]}" --disc-image "$work/bench.cue" rip --format "$format" --out "$out" \
        --speed $speed "$@" >/dev/null 2>"$work/err" || { cat "$work/err"; exit 1; }
    echo "$(now) - $t0" | bc
}
use() { # use DATABASE: what the server's folder holds
    rm -rf "$work/db"
    cp -r "$1" "$work/db"
}
"$cli" "${cfg[@]}" settings --set "AccurateRip.Server=127.0.0.1:$port" >/dev/null
use "$work/db-all"
one=$(rip wav "$work/plain")
track=$(echo "$one / $tracks" | bc -l)
printf 'one read (plain, WAV)          %7.2f s\n' "$one"
t=$(rip wav "$work/secure" --secure)
printf 'secure (WAV)                   %7.2f s   %.2f reads\n' "$t" "$(echo "$t / $one" | bc -l)"
t=$(rip flac "$work/all" --verify-first)
printf 'verify-first, all known (FLAC) %7.2f s   %.3f reads (target <= 1.1)   accurate: %d\n' \
    "$t" "$(echo "$t / $one" | bc -l)" "$(grep -c ': accurate (confidence 12)$' "$work/err")"
use "$work/db-but-one"
t=$(rip flac "$work/but-one" --verify-first)
target=$(echo "1.1 * $one + 2 * $track" | bc -l)
printf 'verify-first, one unknown      %7.2f s   %.3f of target (1.1 reads + 2 reads of a track)\n' \
    "$t" "$(echo "$t / $target" | bc -l)"
grep -h '  Read: ' "$work/but-one"/*.log | sed 's/; [0-9.]* s\( + [0-9.]* s\)\? reading$//' | sort | uniq -c
