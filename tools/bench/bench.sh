#!/usr/bin/env bash
# Runs every benchmark script in this folder (./run bench), each with its own defaults; a
# failing one is reported and the others still run.
set -uo pipefail
cd "$(dirname "$0")"
status=0
for script in ./*-bench.sh; do
  [ -x "$script" ] || continue
  echo "=== $script"
  "$script" || { echo "=== $script failed" >&2; status=1; }
done
exit $status
