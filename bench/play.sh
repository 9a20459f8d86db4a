#!/usr/bin/env bash
# Resident memory and processor share of `sondrel-cli play` while it plays a track of the demo
# disc image through the sound output: sampled every second from /proc, then the peak and
# mean resident memory and the processor time over the wall time. Uses the sound server of
# $PULSE_SERVER when set, else starts a PulseAudio server of its own with a null sink.
# Usage: bench/play.sh [BUILD_DIR] [TRACK]
set -euo pipefail
build=${1:-build}
track=${2:-2}
cli=$build/cli/sondrel-cli
disc=$build/tools/demo-disc.cue
config=$(mktemp -d)
pulse_pid=
cleanup() {
    if [ -n "$pulse_pid" ]; then
        kill "$pulse_pid" 2>/dev/null || true
        wait "$pulse_pid" 2>/dev/null || true
    fi
    rm -rf "$config"
}
trap cleanup EXIT
if [ -z "${PULSE_SERVER:-}" ]; then
    pulseaudio --daemonize=no --system=false --exit-idle-time=-1 --disallow-exit \
        --use-pid-file=no --disable-shm=yes -n --log-target="file:$config/pulse.log" \
        -L "module-null-sink sink_name=sondrel_null" \
        -L "module-native-protocol-unix auth-anonymous=1 socket=$config/native" &
    pulse_pid=$!
    for _ in $(seq 100); do
        [ -S "$config/native" ] && break
        sleep 0.1
    done
    export PULSE_SERVER=unix:$config/native
fi
ticks=$(getconf CLK_TCK)
start=$(date +%s.%N)
"$cli" --config-dir "$config" --disc-image "$disc" play --track "$track" 2>"$config/err" &
pid=$!
peak=0
sum=0
samples=0
cpu=0
while kill -0 "$pid" 2>/dev/null; do
    sleep 1
    rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status" 2>/dev/null || true)
    stat=$(cut -d' ' -f14,15 "/proc/$pid/stat" 2>/dev/null || true)
    [ -n "$rss" ] && [ -n "$stat" ] || break
    cpu=$(echo "$stat" | awk '{print $1 + $2}')
    sum=$((sum + rss))
    samples=$((samples + 1))
    [ "$rss" -gt "$peak" ] && peak=$rss
done
rc=0
wait "$pid" || rc=$?
end=$(date +%s.%N)
wall=$(echo "$end - $start" | bc -l)
echo "sondrel-cli play --track $track: exit $rc, $(head -1 "$config/err")"
printf 'wall time            %.1f s\n' "$wall"
printf 'resident memory      peak %d KiB, mean %d KiB (%d samples)\n' "$peak" \
    "$((samples > 0 ? sum / samples : 0))" "$samples"
printf 'processor time       %.2f s (until the last sample)\n' "$(echo "$cpu / $ticks" | bc -l)"
printf 'processor share      %.2f %% of one core\n' "$(echo "100 * $cpu / $ticks / $wall" | bc -l)"
