#!/usr/bin/env bash
# The recordings benchmark: download and upload of a 1 GiB recording between velkctl and the
# emulated receiver on loopback, each beside a plain TCP copy of the same bytes with socat
# (256 KiB buffers) into the same folder, and the time of a thumbnail from a downloaded file.
# Every file is written to a tmpfs folder, so that the disk decides none of the figures; each
# figure is the median of the rounds.
#
#   tools/bench/recordings-bench.sh [BUILD_DIR]
# Environment: BENCH_SIZE_MIB (default 1024), BENCH_ROUNDS (default 3, at least 3),
# BENCH_TMPFS (default /dev/shm; needs about four times the size free).
set -euo pipefail
cd "$(dirname "$0")/../.."
. tools/bench/median.sh
. tools/bench/plain-copy.sh
BUILD=${1:-build-release}
SIZE_MIB=${BENCH_SIZE_MIB:-1024}
ROUNDS=$(rounds)
TMPFS=${BENCH_TMPFS:-/dev/shm}
transfer_tools "$BUILD"
command -v ffmpeg >/dev/null || { echo "ffmpeg is not installed: no test stream" >&2; exit 1; }
need_tmpfs "$TMPFS" $(( 4 * SIZE_MIB + 64 ))

WORK=$(mktemp -d "$TMPFS/recordings-bench.XXXXXX")
SIM_PID=""
SOCAT_PID=""
cleanup() {
  [ -n "$SOCAT_PID" ] && kill "$SOCAT_PID" 2>/dev/null && wait "$SOCAT_PID" 2>/dev/null
  [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null && wait "$SIM_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT
mkdir -p "$WORK/root/recordings/tv" "$WORK/pc" "$WORK/home"
export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home"

rate() {  # bytes nanoseconds -> "N MB/s"
  awk -v b="$1" -v ns="$2" 'BEGIN { printf "%.0f MB/s", b / (ns / 1e9) / 1e6 }'
}

# The recording: a real MPEG-2 stream at its start (for the picture), then random bytes up to
# the size, cut to whole 48128-byte blocks so that all of it arrives.
REC="$WORK/root/recordings/tv/BENCH.ts"
ffmpeg -nostdin -loglevel error -f lavfi -i testsrc=size=720x576:rate=25 -t 2 \
  -c:v mpeg2video -b:v 4M -f mpegts "$REC"
BLOCKS=$(( SIZE_MIB * 1024 * 1024 / 48128 ))
BYTES=$(( BLOCKS * 48128 ))
head -c $(( BYTES - $(stat -c %s "$REC") )) /dev/urandom >> "$REC"
truncate -s "$BYTES" "$REC"
echo '{"channelNumber": 1, "channelName": "Bench", "title": "Bench"}' \
  > "$WORK/root/recordings/tv/BENCH.json"

start_sim

echo "== recordings, $BYTES bytes over loopback into $TMPFS (tmpfs), median of $ROUNDS rounds"
FILE="$WORK/pc/Bench_Bench_BENCH.ts"
TV="$WORK/root/recordings/tv"
dl=(); dl_copy=(); up=(); up_copy=()
for _ in $(seq "$ROUNDS"); do
  rm -f "$WORK/pc/"*
  start=$(now)
  "${V[@]}" recordings download BENCH --to "$WORK/pc" > /dev/null
  dl+=($(( $(now) - start )))
  dl_copy+=("$(plain_copy "$REC" "$WORK/pc/copy.ts")")

  start=$(now)
  "${V[@]}" recordings upload "$FILE" > /dev/null
  up+=($(( $(now) - start )))
  find "$TV" -maxdepth 1 -type f ! -name 'BENCH.*' -delete  # the uploaded recording
  up_copy+=("$(plain_copy "$FILE" "$TV/copy.ts")")
done
dl_ns=$(median "${dl[@]}"); dl_copy_ns=$(median "${dl_copy[@]}")
up_ns=$(median "${up[@]}"); up_copy_ns=$(median "${up_copy[@]}")
printf '%-40s %s\n' "download (velkctl <- receiver-sim)" "$(rate "$BYTES" "$dl_ns")"
printf '%-40s %s\n' "  plain copy into the same folder" "$(rate "$BYTES" "$dl_copy_ns")"
printf '%-40s %s\n' "upload (velkctl -> receiver-sim)" "$(rate "$BYTES" "$up_ns")"
printf '%-40s %s\n' "  plain copy into the same folder" "$(rate "$BYTES" "$up_copy_ns")"
awk -v d="$dl_ns" -v dc="$dl_copy_ns" -v u="$up_ns" -v uc="$up_copy_ns" 'BEGIN {
  printf "%-40s download %.0f %%, upload %.0f %% (goal: 80 %%)\n", "of the plain copy",
         100 * dc / d, 100 * uc / u }'

# A thumbnail: the whole velkctl run (wall and CPU time), and the same less a velkctl run that
# does nothing (the cost of starting the program), median of ROUNDS each. On a busy machine the
# CPU time is the steadier figure.
median_run() {  # prints "wall_us cpu_us"
  local walls=() cpus=() t
  for _ in $(seq "$ROUNDS"); do
    t=$( { TIMEFORMAT='%3R %3U %3S'; time "$@" > /dev/null; } 2>&1 | tail -1)
    walls+=("$(awk '{ printf "%d", $1 * 1e6 }' <<< "$t")")
    cpus+=("$(awk '{ printf "%d", ($2 + $3) * 1e6 }' <<< "$t")")
  done
  echo "$(median "${walls[@]}") $(median "${cpus[@]}")"
}
ms() { awk -v us="$1" 'BEGIN { printf "%.1f ms", us / 1000 }'; }
read -r thumb_wall thumb_cpu < <(median_run "$VELKCTL" thumbnail "$FILE" --out "$WORK/thumb.png")
read -r idle_wall idle_cpu < <(median_run "$VELKCTL" --help)
net() { echo $(( $1 > $2 ? $1 - $2 : 0 )); }
printf '%-40s wall %s, CPU %s (less start-up; goal: 20 ms)\n' "thumbnail from a file" \
  "$(ms "$(net "$thumb_wall" "$idle_wall")")" "$(ms "$(net "$thumb_cpu" "$idle_cpu")")"
