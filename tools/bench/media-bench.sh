#!/usr/bin/env bash
# The MP3 / JPEG area benchmark: upload and download of one big file and of a folder of many
# small files between velkctl and the emulated receiver on loopback, beside a plain TCP copy of
# the same bytes with socat into the same tmpfs folder; the preparation of a 12-megapixel
# picture for upload; and Multi-View of 500 pictures in the window. Each figure is the median
# of the rounds.
#
#   tools/bench/media-bench.sh [BUILD_DIR]
# Environment: BENCH_BIG_MIB (default 500), BENCH_FILES (default 1000), BENCH_FILE_KIB
# (default 100), BENCH_ROUNDS (default 3, at least 3), BENCH_TMPFS (default /dev/shm; needs
# about four times the big file free).
set -euo pipefail
cd "$(dirname "$0")/../.."
. tools/bench/median.sh
. tools/bench/plain-copy.sh
BUILD=${1:-build-release}
BIG_MIB=${BENCH_BIG_MIB:-500}
FILES=${BENCH_FILES:-1000}
FILE_KIB=${BENCH_FILE_KIB:-100}
ROUNDS=$(rounds)
TMPFS=${BENCH_TMPFS:-/dev/shm}
transfer_tools "$BUILD"
command -v ffmpeg >/dev/null || { echo "ffmpeg is not installed: no test picture" >&2; exit 1; }
need_tmpfs "$TMPFS" $(( 4 * BIG_MIB + 4 * FILES * FILE_KIB / 1024 + 64 ))

WORK=$(mktemp -d "$TMPFS/media-bench.XXXXXX")
SIM_PID=""
SOCAT_PID=""
cleanup() {
  [ -n "$SOCAT_PID" ] && kill "$SOCAT_PID" 2>/dev/null && wait "$SOCAT_PID" 2>/dev/null
  [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null && wait "$SIM_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT
mkdir -p "$WORK/root/mp3" "$WORK/pc/many" "$WORK/home" "$WORK/back"
export HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/home"

rate() { awk -v b="$1" -v ns="$2" 'BEGIN { printf "%.0f MB/s", b / (ns / 1e9) / 1e6 }'; }

BIG="$WORK/pc/big.mp3"
head -c $(( BIG_MIB * 1048576 )) /dev/urandom > "$BIG"
BIG_BYTES=$(stat -c %s "$BIG")
for i in $(seq -w 1 "$FILES"); do
  head -c $(( FILE_KIB * 1024 )) /dev/urandom > "$WORK/pc/many/track$i.mp3"
done
MANY_BYTES=$(( FILES * FILE_KIB * 1024 ))

start_sim
timed() { local start; start=$(now); "$@" > /dev/null; echo $(( $(now) - start )); }

echo "== MP3 area over loopback into $TMPFS (tmpfs), median of $ROUNDS rounds"
up=(); up_copy=(); dl=(); dl_copy=(); mup=(); mdl=()
for _ in $(seq "$ROUNDS"); do
  rm -rf "$WORK/root/mp3/"* "$WORK/back/"*
  up+=("$(timed "${V[@]}" mp3 put "$BIG")")
  up_copy+=("$(plain_copy "$BIG" "$WORK/root/mp3/copy.bin")")
  dl+=("$(timed "${V[@]}" mp3 get big.mp3 --to "$WORK/back")")
  dl_copy+=("$(plain_copy "$WORK/root/mp3/big.mp3" "$WORK/back/copy.bin")")
  mup+=("$(timed "${V[@]}" mp3 put "$WORK/pc/many")")
  mdl+=("$(timed "${V[@]}" mp3 get many --to "$WORK/back")")
  cmp -s "$BIG" "$WORK/back/big.mp3" || { echo "big file differs after the round trip" >&2; exit 1; }
  [ "$(ls "$WORK/back/many" | wc -l)" -eq "$FILES" ] || { echo "files missing" >&2; exit 1; }
done
up_ns=$(median "${up[@]}"); up_copy_ns=$(median "${up_copy[@]}")
dl_ns=$(median "${dl[@]}"); dl_copy_ns=$(median "${dl_copy[@]}")
mup_ns=$(median "${mup[@]}"); mdl_ns=$(median "${mdl[@]}")
printf '%-44s %s\n' "upload $BIG_MIB MiB (velkctl -> receiver-sim)" "$(rate "$BIG_BYTES" "$up_ns")"
printf '%-44s %s\n' "  plain copy into the same folder" "$(rate "$BIG_BYTES" "$up_copy_ns")"
printf '%-44s %s\n' "download $BIG_MIB MiB (velkctl <- receiver-sim)" "$(rate "$BIG_BYTES" "$dl_ns")"
printf '%-44s %s\n' "  plain copy into the same folder" "$(rate "$BIG_BYTES" "$dl_copy_ns")"
printf '%-44s %s\n' "upload $FILES x $FILE_KIB KiB folder" "$(rate "$MANY_BYTES" "$mup_ns")"
printf '%-44s %s\n' "download $FILES x $FILE_KIB KiB folder" "$(rate "$MANY_BYTES" "$mdl_ns")"
awk -v u="$up_ns" -v uc="$up_copy_ns" -v d="$dl_ns" -v dc="$dl_copy_ns" \
    -v mu="$mup_ns" -v md="$mdl_ns" -v b="$BIG_BYTES" -v m="$MANY_BYTES" 'BEGIN {
  printf "%-44s upload %.0f %%, download %.0f %% (goal: 80 %%)\n", "big file, of the plain copy",
         100 * uc / u, 100 * dc / d
  printf "%-44s upload %.1f, download %.1f (goal: at most 3)\n",
         "folder time per byte / big file time per byte", (mu / m) / (u / b), (md / m) / (d / b) }'

# Preparing a 12-megapixel picture: the velkctl run less a run that does nothing.
ffmpeg -nostdin -loglevel error -f lavfi -i testsrc=size=4000x3000 -frames:v 1 -q:v 2 \
  "$WORK/pc/photo.jpg"
median_run() {
  local walls=() t
  for _ in $(seq "$ROUNDS"); do
    t=$( { TIMEFORMAT='%3R'; time "$@" > /dev/null; } 2>&1 | tail -1)
    walls+=("$(awk '{ printf "%d", $1 * 1e6 }' <<< "$t")")
  done
  median "${walls[@]}"
}
prep=$(median_run "$VELKCTL" jpeg prepare "$WORK/pc/photo.jpg" --out "$WORK/prepared.jpg")
idle=$(median_run "$VELKCTL" --help)
awk -v p="$prep" -v i="$idle" 'BEGIN { d = p > i ? p - i : 0
  printf "%-44s %.1f ms (velkctl run less start-up; goal: under 150 ms)\n",
         "prepare a 4000 x 3000 JPEG", d / 1000 }'

# Multi-View of 500 receiver pictures in the JPEG manager window (offscreen): how long the icons
# take and the longest stall of the window's thread meanwhile.
if cmake --build "$BUILD" --target multiview-bench >/dev/null 2>&1; then
  QT_QPA_PLATFORM=offscreen median_output "$BUILD/bin/bench/multiview-bench" 500 2>/dev/null
else
  echo "multi-view: multiview-bench is not built here (a build without the windows)"
fi
