#!/usr/bin/env bash
# The recordings benchmark: download and upload of a 2 GiB recording between velkctl and the
# emulated receiver on loopback, beside a plain TCP copy of the same bytes with socat (256 KiB
# buffers) in the same run, and the time of a thumbnail from a downloaded file.
#
#   tools/bench/recordings-bench.sh [BUILD_DIR]
# Environment: BENCH_SIZE_MIB (default 2048), BENCH_ROUNDS (thumbnail best of, default 5).
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD=${1:-build-release}
SIZE_MIB=${BENCH_SIZE_MIB:-2048}
ROUNDS=${BENCH_ROUNDS:-5}
[ -f "$BUILD/CMakeCache.txt" ] || cmake --preset release >/dev/null
cmake --build "$BUILD" --target velkctl receiver-sim >/dev/null
VELKCTL="$BUILD/bin/velkctl"
SIM="$BUILD/bin/receiver-sim"
command -v socat >/dev/null || { echo "socat is not installed: no plain copy to compare" >&2; exit 1; }
command -v ffmpeg >/dev/null || { echo "ffmpeg is not installed: no test stream" >&2; exit 1; }

WORK=$(mktemp -d /tmp/recordings-bench.XXXXXX)
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

now() { date +%s%N; }
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

# The emulated receiver on free ports.
PORT_BASE=$(( 40000 + RANDOM % 20000 ))
mkfifo "$WORK/ready"
"$SIM" --root "$WORK/root" --port-base "$PORT_BASE" --ftp-port $(( PORT_BASE + 10 )) \
  > "$WORK/ready" 2>"$WORK/sim.log" &
SIM_PID=$!
line=""
read -r -t 10 line < "$WORK/ready" || true
[ "$line" = ready ] || { echo "receiver-sim did not start" >&2; cat "$WORK/sim.log" >&2; exit 1; }
V=("$VELKCTL" --receiver 127.0.0.1 --port-base "$PORT_BASE" --yes)

echo "== recordings, $BYTES bytes over loopback"
sync
start=$(now)
"${V[@]}" recordings download BENCH --to "$WORK/pc" > /dev/null
dl_ns=$(( $(now) - start ))
FILE="$WORK/pc/Bench_Bench_BENCH.ts"
printf '%-34s %s\n' "download (velkctl <- receiver-sim)" "$(rate "$BYTES" "$dl_ns")"

# The same bytes with socat into a file on the same disk.
COPY_PORT=$(( PORT_BASE + 20 ))
socat -u -b262144 TCP-LISTEN:"$COPY_PORT",bind=127.0.0.1,reuseaddr \
  OPEN:"$WORK/copy.ts",creat,trunc &
SOCAT_PID=$!
for _ in $(seq 100); do
  ss -ltn "sport = :$COPY_PORT" | grep -q LISTEN && break
  sleep 0.05
done
start=$(now)
socat -u -b262144 OPEN:"$REC" TCP:127.0.0.1:"$COPY_PORT"
wait "$SOCAT_PID"
SOCAT_PID=""
copy_ns=$(( $(now) - start ))
rm -f "$WORK/copy.ts"
printf '%-34s %s\n' "plain copy (socat, 256 KiB)" "$(rate "$BYTES" "$copy_ns")"

rm -f "$REC"
start=$(now)
"${V[@]}" recordings upload "$FILE" > /dev/null
up_ns=$(( $(now) - start ))
printf '%-34s %s\n' "upload (velkctl -> receiver-sim)" "$(rate "$BYTES" "$up_ns")"
awk -v d="$dl_ns" -v u="$up_ns" -v c="$copy_ns" 'BEGIN {
  printf "%-34s download %.0f %%, upload %.0f %% (goal: 80 %%)\n", "of the plain copy",
         100 * c / d, 100 * c / u }'

# A thumbnail: the whole velkctl run (wall and CPU time), and the same less a velkctl run that
# does nothing (the cost of starting the program), best of ROUNDS each. On a busy machine the
# CPU time is the steadier figure.
best_run() {  # prints "wall_us cpu_us"
  local best_wall="" best_cpu="" t wall cpu
  for _ in $(seq "$ROUNDS"); do
    t=$( { TIMEFORMAT='%3R %3U %3S'; time "$@" > /dev/null; } 2>&1 | tail -1)
    wall=$(awk '{ printf "%d", $1 * 1e6 }' <<< "$t")
    cpu=$(awk '{ printf "%d", ($2 + $3) * 1e6 }' <<< "$t")
    if [ -z "$best_wall" ] || [ "$wall" -lt "$best_wall" ]; then best_wall=$wall; fi
    if [ -z "$best_cpu" ] || [ "$cpu" -lt "$best_cpu" ]; then best_cpu=$cpu; fi
  done
  echo "$best_wall $best_cpu"
}
ms() { awk -v us="$1" 'BEGIN { printf "%.1f ms", us / 1000 }'; }
read -r thumb_wall thumb_cpu < <(best_run "$VELKCTL" thumbnail "$FILE" --out "$WORK/thumb.png")
read -r idle_wall idle_cpu < <(best_run "$VELKCTL" --help)
net() { echo $(( $1 > $2 ? $1 - $2 : 0 )); }
printf '%-34s wall %s, CPU %s (velkctl run less start-up; goal: 20 ms)\n' "thumbnail from a file" \
  "$(ms "$(net "$thumb_wall" "$idle_wall")")" "$(ms "$(net "$thumb_cpu" "$idle_cpu")")"
