#!/usr/bin/env bash
# The channel list benchmark: writes and reads a full channel.xml (3500 TV and 1500 radio
# services, 16 full favorite groups) and prints our read and write beside the bare cost of the
# XML library on the same file (ixml parse alone, ixml parse plus print) and xmllint as an
# outside reference, then the editing operations on a full list.
#
#   tools/bench/channels-bench.sh [BUILD_DIR]
# Environment: BENCH_ROUNDS (best of, default 5).
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD=${1:-build-release}
ROUNDS=${BENCH_ROUNDS:-5}
[ -f "$BUILD/CMakeCache.txt" ] || cmake --preset release >/dev/null
cmake --build "$BUILD" --target channels-bench >/dev/null
WORK=$(mktemp -d /tmp/channels-bench.XXXXXX)
trap 'rm -rf "$WORK"' EXIT

echo "== channel list ($ROUNDS rounds)"
"$BUILD/bin/channels-bench" "$WORK" "$ROUNDS"
if command -v xmllint >/dev/null; then
  best=""
  for _ in $(seq "$ROUNDS"); do
    start=$(date +%s%N)
    xmllint --noout "$WORK/bench-channel.xml"
    ms=$(( ($(date +%s%N) - start) / 1000000 ))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  printf '%-36s %9d ms wall (outside reference)\n' "xmllint --noout" "$best"
else
  echo "xmllint not installed (libxml2-utils): no outside reference"
fi
