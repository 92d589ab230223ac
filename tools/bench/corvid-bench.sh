#!/usr/bin/env bash
# Corvid's media server against Debian's minidlna and gerbera, plus nginx (or python3's
# http.server) as the plain-HTTP reference, all serving the same folder over a veth pair between
# two network namespaces that this script creates (and always removes).
#
# For each server it prints: the time from start until the first Browse of a folder of 20,000
# files answers completely, the median latency of that Browse, and the throughput of fetching
# one 2 GiB file with curl. Then Corvid alone serves a folder of 100,000 files: its resident
# size (from /proc) at rest, at the peak of one complete Browse and of four at once, and after
# them. Last, the goals: Corvid's Browse no slower than minidlna's, a complete Browse under 1 s
# after start, one Browse peaking at most 3 answers above the resting size and coming back
# within 20 % of it, four at once holding no more than four answers, and a throughput at least
# minidlna's. An answer's cost is what one complete Browse peaks at; four at once may hold four.
#
#   sudo tools/bench/corvid-bench.sh [CORVID_BINARY]
# Environment: BENCH_DIR (work folder, default a new one under /tmp), BENCH_FILES (20000),
# BENCH_HUGE_FILES (100000, 0 skips the memory part), BENCH_ROUNDS (15 Browse rounds for the
# median), BENCH_TIMEOUT (120 s per start), BENCH_SERVERS ("corvid minidlna gerbera reference").
set -euo pipefail
cd "$(dirname "$0")/../.."
ROOT=$PWD

[ "$(id -u)" -eq 0 ] || { echo "corvid-bench: needs root for network namespaces" >&2; exit 2; }
CORVID=${1:-}
if [ -z "$CORVID" ]; then
  for c in build-release/bin/corvid build/bin/corvid build-corvid/bin/corvid; do
    [ -x "$c" ] && { CORVID=$ROOT/$c; break; }
  done
fi
[ -x "${CORVID:-}" ] || { echo "corvid-bench: build the corvid program first" >&2; exit 2; }
FILES=${BENCH_FILES:-20000}
HUGE=${BENCH_HUGE_FILES:-100000}
ROUNDS=${BENCH_ROUNDS:-15}
LIMIT=${BENCH_TIMEOUT:-120}
CLIENT=$ROOT/tools/bench/corvid/cds_client.py
PY=/usr/bin/python3

TAG=$$
NS_S=cvbs$TAG; NS_C=cvbc$TAG; IF_S=cvbs$TAG; IF_C=cvbc$TAG
ADDR_S=10.231.88.1; ADDR_C=10.231.88.2
WORK=${BENCH_DIR:-$(mktemp -d /tmp/corvid-bench.XXXXXX)}
MEDIA=$WORK/media
HUGE_MEDIA=$WORK/huge-media
SERVER_PID=""
declare -A FIRST LATENCY SPEED

cleanup() {
  stop_server
  ip netns del "$NS_S" 2>/dev/null || true
  ip netns del "$NS_C" 2>/dev/null || true
  [ -n "${BENCH_DIR:-}" ] || rm -rf "$WORK"
}
trap cleanup EXIT INT TERM

# Stops the server and anything it left running inside the server namespace (scanner
# children, nginx workers): only processes of that namespace are touched.
stop_server() {
  if [ -n "$SERVER_PID" ]; then
    kill -TERM "$SERVER_PID" 2>/dev/null || true
    for _ in $(seq 100); do kill -0 "$SERVER_PID" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$SERVER_PID" 2>/dev/null || true
    wait "$SERVER_PID" 2>/dev/null || true
    SERVER_PID=""
  fi
  if ip netns list 2>/dev/null | grep -q "^$NS_S\b"; then
    for pid in $(ip netns pids "$NS_S" 2>/dev/null); do kill -KILL "$pid" 2>/dev/null || true; done
  fi
}

in_c() { ip netns exec "$NS_C" "$@"; }

make_namespaces() {
  ip netns add "$NS_S"; ip netns add "$NS_C"
  for ns in "$NS_S" "$NS_C"; do
    ip netns exec "$ns" sysctl -qw net.ipv6.conf.all.disable_ipv6=1 net.ipv6.conf.default.disable_ipv6=1
  done
  ip link add "$IF_S" netns "$NS_S" type veth peer name "$IF_C" netns "$NS_C"
  ip -n "$NS_S" addr add $ADDR_S/24 dev "$IF_S"; ip -n "$NS_C" addr add $ADDR_C/24 dev "$IF_C"
  for pair in "$NS_S:$IF_S" "$NS_C:$IF_C"; do
    ns=${pair%%:*}; dev=${pair#*:}
    ip -n "$ns" link set "$dev" up; ip -n "$ns" link set lo up
    ip -n "$ns" route add 224.0.0.0/4 dev "$dev"
  done
}

make_media() {
  # The servers' own users (nginx's workers run as nobody) must reach the files.
  mkdir -p "$WORK"; chmod 755 "$WORK"
  if [ ! -f "$MEDIA/.ready" ]; then
    echo "preparing $FILES files and a 2 GiB file in $MEDIA ..." >&2
    rm -rf "$MEDIA"; mkdir -p "$MEDIA/many" "$MEDIA/big"
    # One short real MP3, linked under 20,000 names: every server can read its tags.
    ffmpeg -y -loglevel error -f lavfi -i sine=frequency=440:duration=0.2 -c:a libmp3lame \
      -b:a 32k "$WORK/tone.mp3"
    $PY -c 'import os, sys
for i in range(1, int(sys.argv[3]) + 1):
    os.link(sys.argv[1], os.path.join(sys.argv[2], "track%05d.mp3" % i))' \
      "$WORK/tone.mp3" "$MEDIA/many" "$FILES"
    head -c 2147483648 /dev/zero > "$MEDIA/big/two.mp3"
    touch "$MEDIA/.ready"
  fi
  if [ "$HUGE" -gt 0 ] && [ ! -f "$HUGE_MEDIA/.ready" ]; then
    echo "preparing $HUGE files in $HUGE_MEDIA ..." >&2
    rm -rf "$HUGE_MEDIA"; mkdir -p "$HUGE_MEDIA/huge"
    # A file system allows some 65,000 links to one file: one copy of the tone per 50,000.
    $PY -c 'import os, shutil, sys
for i in range(int(sys.argv[3])):
    source = "%s.%d" % (sys.argv[1], i // 50000)
    if i % 50000 == 0:
        shutil.copyfile(sys.argv[1], source)
    os.link(source, os.path.join(sys.argv[2], "track%06d.mp3" % (i + 1)))' \
      "$WORK/tone.mp3" "$HUGE_MEDIA/huge" "$HUGE"
    touch "$HUGE_MEDIA/.ready"
  fi
}

now() { date +%s.%N; }
add() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a + b }'; }
sub() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a - b }'; }
mbps() { awk -v s="$1" 'BEGIN { printf "%.0f", s / 1000000 }'; }

# measure NAME DESCRIPTION_URL START_EPOCH -> one table row
measure() {
  local name=$1 desc=$2 t0=$3 first lat url speed
  first=$(in_c $PY "$CLIENT" first-complete "$desc" many "$FILES" "$LIMIT" || true)
  if [ "$first" != "none" ] && [ -n "$first" ]; then
    # The client started polling a little after the server did.
    first=$(add "$first" "$4")
    lat=$(in_c $PY "$CLIENT" latency "$desc" many "$FILES" "$ROUNDS") || lat="incomplete"
  else
    first="no answer"; lat="-"
  fi
  url=$(in_c $PY "$CLIENT" item-url "$desc" big 2>/dev/null || true)
  speed="-"
  if [ -n "$url" ] && [ "$url" != "none" ]; then
    speed=$(fetch_speed "$url")
  fi
  FIRST[$name]=$first; LATENCY[$name]=$lat; SPEED[$name]=$speed
  printf '%-22s %22s %20s %16s\n' "$name" "$first" "$lat" "$speed"
}

# fetch_speed URL -> MB/s of fetching the whole 2 GiB file, or "failed (HTTP n)"
fetch_speed() {
  local out code speed size
  out=$(in_c curl -s -o /dev/null --max-time 120 -w '%{http_code} %{speed_download} %{size_download}' \
        "$1" || true)
  read -r code speed size <<<"$out"
  if [ "${code:-0}" != 200 ] || [ "${size:-0}" != 2147483648 ]; then
    echo "failed (HTTP ${code:-none}, ${size:-0} bytes)"
  else
    mbps "$speed"
  fi
}

# Starts a server command in the server namespace and waits until its port answers.
start_server() {
  local port=$1; shift
  ip netns exec "$NS_S" "$@" >"$WORK/server.log" 2>&1 &
  SERVER_PID=$!
  for _ in $(seq 300); do
    in_c curl -s -o /dev/null --max-time 1 "http://$ADDR_S:$port/" && return 0
    kill -0 "$SERVER_PID" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}

run_corvid() {
  local t0 t1 desc
  t0=$(now)
  ip netns exec "$NS_S" "$CORVID" serve --interface "$IF_S" --share "music:$MEDIA" \
    >"$WORK/corvid.out" 2>&1 &
  SERVER_PID=$!
  for _ in $(seq 600); do grep -q '^description: ' "$WORK/corvid.out" && break; sleep 0.02; done
  desc=$(sed -n 's/^description: //p' "$WORK/corvid.out")
  t1=$(now)
  measure "corvid" "$desc" "$t0" "$(sub "$t1" "$t0")"
  stop_server
}

run_minidlna() {
  command -v minidlnad >/dev/null || { printf '%-22s %s\n' minidlna "not installed"; return; }
  local d=$WORK/minidlna t0 t1
  rm -rf "$d"; mkdir -p "$d/db" "$d/log"
  cat >"$d/minidlna.conf" <<CONF
network_interface=$IF_S
port=8200
media_dir=A,$MEDIA
db_dir=$d/db
log_dir=$d/log
inotify=no
friendly_name=bench-minidlna
CONF
  t0=$(now)
  start_server 8200 minidlnad -f "$d/minidlna.conf" -P "$d/minidlna.pid" -S || true
  t1=$(now)
  measure "minidlna" "http://$ADDR_S:8200/rootDesc.xml" "$t0" "$(sub "$t1" "$t0")"
  stop_server
}

run_gerbera() {
  command -v gerbera >/dev/null || { printf '%-22s %s\n' gerbera "not installed"; return; }
  local d=$WORK/gerbera t0 t1
  rm -rf "$d"; mkdir -p "$d"
  t0=$(now)
  start_server 49200 gerbera -m "$d" -f cfg -e "$IF_S" -p 49200 -a "$MEDIA" || true
  t1=$(now)
  measure "gerbera" "http://$ADDR_S:49200/description.xml" "$t0" "$(sub "$t1" "$t0")"
  stop_server
}

run_reference() {
  local speed name
  if command -v nginx >/dev/null; then
    local d=$WORK/nginx
    mkdir -p "$d"
    cat >"$d/nginx.conf" <<CONF
daemon off;
worker_processes 1;
pid $d/nginx.pid;
error_log $d/error.log;
events { worker_connections 64; }
http {
  access_log off;
  sendfile on;
  client_body_temp_path $d; proxy_temp_path $d; fastcgi_temp_path $d;
  uwsgi_temp_path $d; scgi_temp_path $d;
  server { listen $ADDR_S:8080; root $MEDIA; }
}
CONF
    name="nginx (sendfile)"
    start_server 8080 nginx -c "$d/nginx.conf" || true
  else
    name="python3 http.server"
    start_server 8080 $PY -m http.server --bind $ADDR_S --directory "$MEDIA" 8080 || true
  fi
  speed=$(fetch_speed "http://$ADDR_S:8080/big/two.mp3")
  printf '%-22s %22s %20s %16s\n' "$name" "-" "-" "$speed"
  stop_server
}

kb() { awk '/^'"$2"':/ { print $2 }' "/proc/$1/status"; }
mb() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }

# Corvid with a folder of $HUGE files: resident size at rest, at the peak of one and of four
# concurrent complete Browses (the peak counter is reset before each), and afterwards.
run_memory() {
  [ "$HUGE" -gt 0 ] || return 0
  local desc base peak1 after1 peak4 after4 bytes bytes4
  ip netns exec "$NS_S" "$CORVID" serve --interface "$IF_S" --share "music:$HUGE_MEDIA" \
    >"$WORK/corvid-huge.out" 2>&1 &
  SERVER_PID=$!
  for _ in $(seq 3000); do grep -q '^description: ' "$WORK/corvid-huge.out" && break; sleep 0.02; done
  desc=$(sed -n 's/^description: //p' "$WORK/corvid-huge.out")
  [ -n "$desc" ] || { echo "corvid did not start with $HUGE files"; stop_server; return 0; }
  in_c $PY "$CLIENT" item-url "$desc" huge >/dev/null 2>&1 || true  # the client's first look
  sleep 2
  base=$(kb "$SERVER_PID" VmRSS)
  echo 5 >"/proc/$SERVER_PID/clear_refs"
  bytes=$(in_c $PY "$CLIENT" answer-bytes "$desc" huge "$HUGE" 1 || echo 0)
  peak1=$(kb "$SERVER_PID" VmHWM)
  sleep 5; after1=$(kb "$SERVER_PID" VmRSS)
  echo 5 >"/proc/$SERVER_PID/clear_refs"
  bytes4=$(in_c $PY "$CLIENT" answer-bytes "$desc" huge "$HUGE" 4 || echo 0)
  peak4=$(kb "$SERVER_PID" VmHWM)
  sleep 5; after4=$(kb "$SERVER_PID" VmRSS)
  stop_server
  ANSWER_KB=$(( ${bytes:-0} / 1024 ))
  PEAK1=$(( peak1 - base )); PEAK4=$(( peak4 - base ))
  AFTER1=$(ratio "$after1" "$base"); AFTER4=$(ratio "$after4" "$base")
  echo
  echo "corvid, one folder of $HUGE files (answer $(mb "$ANSWER_KB") MB${bytes4:+, four answers of $(( ${bytes4:-0} / 1048576 )) MB each}):"
  printf '  %-34s %10s MB\n' "resident at rest" "$(mb "$base")"
  printf '  %-34s %10s MB  (%s answers)\n' "peak above rest, one Browse" "$(mb "$PEAK1")" \
    "$(ratio "$PEAK1" "$ANSWER_KB")"
  printf '  %-34s %10s MB  (%s of rest)\n' "resident after it" "$(mb "$after1")" "$AFTER1"
  printf '  %-34s %10s MB  (%s answers)\n' "peak above rest, four at once" "$(mb "$PEAK4")" \
    "$(ratio "$PEAK4" "$ANSWER_KB")"
  printf '  %-34s %10s MB  (%s of rest)\n' "resident after them" "$(mb "$after4")" "$AFTER4"
}

# goal TEXT TRUE_OR_FALSE
goal() { printf '  %-62s %s\n' "$1" "$([ "$2" = 1 ] && echo met || echo "NOT met")"; }
le() { awk -v a="$1" -v b="$2" 'BEGIN { print (a ~ /^[0-9.]+$/ && b ~ /^[0-9.]+$/ && a + 0 <= b + 0) ? 1 : 0 }'; }

goals() {
  echo
  echo "goals ($(uptime | sed 's/.*load average/load average/')):"
  if [ -n "${LATENCY[minidlna]:-}" ]; then
    goal "complete Browse of $FILES no slower than minidlna's" "$(le "${LATENCY[corvid]:-x}" "${LATENCY[minidlna]}")"
    goal "2 GiB throughput at least minidlna's" "$(le "${SPEED[minidlna]:-x}" "${SPEED[corvid]:-x}")"
  fi
  goal "start to a complete Browse of $FILES under 1 s" "$(le "${FIRST[corvid]:-x}" 0.999)"
  if [ -n "${ANSWER_KB:-}" ] && [ "$ANSWER_KB" -gt 0 ]; then
    goal "one Browse of $HUGE peaks at most 3 answers above rest" "$(le "$PEAK1" $(( 3 * ANSWER_KB )))"
    goal "resident size back within 20 % of rest" "$(le "$AFTER1" 1.2)"
    # Four answers at once may each cost what one costs, and no more.
    goal "four concurrent Browses hold no more than four answers" "$(le "$PEAK4" $(( 4 * PEAK1 )))"
  fi
}

make_namespaces
make_media
cat "$MEDIA/big/two.mp3" >/dev/null  # the file in the page cache for every server alike
printf '%-22s %22s %20s %16s\n' "server" "first complete (s)" "median Browse (s)" "2 GiB (MB/s)"
for s in ${BENCH_SERVERS:-corvid minidlna gerbera reference}; do
  "run_$s"
done
case " ${BENCH_SERVERS:-corvid} " in *" corvid "*) run_memory ;; esac
goals
