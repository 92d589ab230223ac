#!/usr/bin/env bash
# The channel list benchmark: writes and reads a full channel.xml (3500 TV and 1500 radio
# services, 16 full favorite groups) and prints our read and write beside the bare cost of the
# XML library on the same file (ixml parse alone, ixml parse plus print) and xmllint as an
# outside reference, then the editing operations on a full list. Every figure is the median of
# the rounds; each round runs channels-bench once with one pass of each measurement.
#
#   tools/bench/channels-bench.sh [BUILD_DIR]
# Environment: BENCH_ROUNDS (default 3, at least 3).
set -euo pipefail
cd "$(dirname "$0")/../.."
. tools/bench/median.sh
BUILD=${1:-build-release}
ROUNDS=$(rounds)
[ -f "$BUILD/CMakeCache.txt" ] || cmake --preset release >/dev/null
cmake --build "$BUILD" --target channels-bench >/dev/null
WORK=$(mktemp -d /tmp/channels-bench.XXXXXX)
trap 'rm -rf "$WORK"' EXIT

echo "== channel list (median of $ROUNDS rounds)"
median_output "$BUILD/bin/channels-bench" "$WORK" 1 | sed "s/, best of 1\$/, median of $ROUNDS rounds/"
if command -v xmllint >/dev/null; then
  times=()
  for _ in $(seq "$ROUNDS"); do
    start=$(date +%s%N)
    xmllint --noout "$WORK/bench-channel.xml"
    times+=($(( ($(date +%s%N) - start) / 1000000 )))
  done
  printf '%-36s %9d ms wall (outside reference)\n' "xmllint --noout" "$(median "${times[@]}")"
else
  echo "xmllint not installed (libxml2-utils): no outside reference"
fi
