#!/usr/bin/env bash
# The playback benchmark: the time from opening a recording to its first decoded picture, and
# the CPU time to decode 60 s of 720x576 MPEG-2 with MPEG audio into fake sinks through
# velkctl play, beside gst-launch-1.0 running the same elements by hand in the same run. Each
# figure is the median of the rounds.
#
#   tools/bench/playback-bench.sh [BUILD_DIR]
# Environment: BENCH_SECONDS (default 60), BENCH_ROUNDS (default 3, at least 3).
set -euo pipefail
cd "$(dirname "$0")/../.."
. tools/bench/median.sh
BUILD=${1:-build-release}
SECONDS_OF_VIDEO=${BENCH_SECONDS:-60}
[ -f "$BUILD/CMakeCache.txt" ] || cmake --preset release >/dev/null
cmake --build "$BUILD" --target velkctl >/dev/null
VELKCTL="$BUILD/bin/velkctl"
command -v ffmpeg >/dev/null || { echo "ffmpeg is not installed: no test recording" >&2; exit 1; }
command -v gst-launch-1.0 >/dev/null || { echo "gst-launch-1.0 is not installed" >&2; exit 1; }

WORK=$(mktemp -d /tmp/playback-bench.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
export HOME="$WORK"
REC="$WORK/bench.ts"
ffmpeg -nostdin -loglevel error -f lavfi -i "testsrc=size=720x576:rate=25" \
  -f lavfi -i "sine=sample_rate=48000" -t "$SECONDS_OF_VIDEO" \
  -c:v mpeg2video -b:v 6M -g 12 -c:a mp2 -ac 2 -b:a 192k -f mpegts "$REC"

# CPU seconds (user + system) of a command run to its end.
cpu() {
  local TIMEFORMAT='%U %S' status=0
  { time "$@" > "$WORK/out" 2>&1 || status=$?; } 2> "$WORK/time"
  [ "$status" -eq 0 ] || { echo "failed: $*" >&2; cat "$WORK/out" >&2; return 1; }
  awk '{ printf "%.2f", $1 + $2 }' "$WORK/time"
}

ours=()
theirs=()
firsts=()
for _ in $(seq "$(rounds)"); do
  ours+=("$(cpu "$VELKCTL" play "$REC" --video-sink fakesink --audio-sink fakesink)")
  firsts+=("$(awk '/^first picture after/ { print $4 }' "$WORK/out")")
  theirs+=("$(cpu gst-launch-1.0 -q filesrc location="$REC" ! tsdemux name=d \
    d. ! queue ! mpegvideoparse ! avdec_mpeg2video ! videoconvert ! fakesink \
    d. ! queue ! mpegaudioparse ! mpg123audiodec ! audioconvert ! audioresample ! volume ! fakesink)")
done
o=$(median "${ours[@]}")
t=$(median "${theirs[@]}")
f=$(median "${firsts[@]}")
echo "Open to first decoded picture (720x576 MPEG-2 recording): $f ms"
echo "CPU time to decode $SECONDS_OF_VIDEO s of 720x576 MPEG-2 + MPEG audio into fake sinks:"
echo "  velkctl play   $o s"
echo "  gst-launch-1.0 $t s (the same elements by hand)"
awk -v o="$o" -v t="$t" 'BEGIN { d = (o - t) / t * 100
  printf "  difference     %+.1f %% (%s)\n", d, (d <= 10 ? "within 10 %" : "more than 10 %") }'
