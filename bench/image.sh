# Disc images for the rip benchmarks, and the folders they work in; sourced, not run.

# bench_dirs [BUILD_DIR] [WORK_DIR]: sets build, cli (SONDREL_CLI, to time another build's, or
# the build's own) and work: WORK_DIR, or a temporary folder removed at exit. A benchmark that
# must stop something of its own at exit puts the command in bench_on_exit.
bench_on_exit=
bench_dirs() {
    build=$(cd "${1:-build}" && pwd)
    cli="${SONDREL_CLI:-$build/cli/sondrel-cli}"
    work="${2:-}"
    bench_temporary=
    if [ -z "$work" ]; then
        work=$(mktemp -d)
        bench_temporary=$work
    fi
    trap 'eval "$bench_on_exit"; [ -z "$bench_temporary" ] || rm -rf "$bench_temporary"' EXIT
    mkdir -p "$work"
}

# write_cue WORK SECTORS TRACKS: WORK/bench.cue over WORK/bench.bin, TRACKS tracks of equal
# length in SECTORS sectors (75 a second).
write_cue() {
    local work=$1 sectors=$2 tracks=$3
    local per=$((sectors / tracks)) t s
    {
        echo 'FILE "bench.bin" BINARY'
        for ((t = 0; t < tracks; t++)); do
            s=$((t * per))
            printf '  TRACK %02d AUDIO\n    INDEX 01 %02d:%02d:%02d\n' $((t + 1)) \
                $((s / 4500)) $((s / 75 % 60)) $((s % 75))
        done
    } >"$work/bench.cue"
}

# write_noise_image WORK MINUTES TRACKS: a CUE/BIN image of music-like noise (low-passed noise
# encodes at a music-like rate; white noise is an encoder's worst case).
write_noise_image() {
    local work=$1 minutes=$2 tracks=$3
    echo "Writing a $minutes-minute image in $work ..."
    sox -n -r 44100 -c 2 -b 16 -t raw "$work/bench.bin" synth $((minutes * 60)) pinknoise vol 0.3
    write_cue "$work" $((minutes * 60 * 75)) "$tracks"
}
