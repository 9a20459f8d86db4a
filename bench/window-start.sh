#!/usr/bin/env bash
# Time from start to a main window listing the demo disc, and the resident memory then: five
# runs of sondrel-window-bench. Uses $DISPLAY when set, else a virtual X display (Xvfb) when
# installed, else Qt's offscreen platform. Usage: bench/window-start.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
bench=$build/bench/sondrel-window-bench
disc=$build/tools/demo-disc.cue
xvfb_pid=
if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
    Xvfb :77 -screen 0 1024x768x24 >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=:77
    sleep 1
elif [ -z "${DISPLAY:-}" ]; then
    export QT_QPA_PLATFORM=offscreen
fi
echo "platform: ${QT_QPA_PLATFORM:-xcb on $DISPLAY}"
for i in 1 2 3 4 5; do
    echo "run $i:"
    "$bench" "$disc" | sed 's/^/  /'
done
if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid"
fi
