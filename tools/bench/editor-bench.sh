#!/usr/bin/env bash
# The channel editor's speed: a full list (3500 TV, 1500 radio services) read and shown in the
# window on Qt's offscreen platform; the figure is the median of the rounds (each round one run
# of editor-fill-bench). Uses the build folder given as $1 (default build-release, then build).
# Environment: BENCH_ROUNDS (default 3, at least 3).
set -euo pipefail
cd "$(dirname "$0")/../.."
. tools/bench/median.sh
dir="${1:-}"
if [ -z "$dir" ]; then
  for d in build-release build; do
    [ -x "$d/bin/bench/editor-fill-bench" ] && { dir="$d"; break; }
  done
fi
bench="${dir:-build}/bin/bench/editor-fill-bench"
if [ ! -x "$bench" ]; then
  echo "editor-bench: $bench is missing; build the editor-fill-bench target first" >&2
  exit 1
fi
echo "== channel editor: fill of a full list (median of $(rounds) runs)"
export QT_QPA_PLATFORM=offscreen
median_output "$bench"
