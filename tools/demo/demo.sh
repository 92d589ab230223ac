#!/usr/bin/env bash
# The demo behind "./run demo": starts the emulated receiver on a temporary disk seeded with the
# sample data in tools/demo/sample, then shows Velkport's two main jobs against it with velkctl:
# the logon (and a refused one), fetching the channel list, a file sent to the receiver and
# fetched back byte for byte, and the receiver's recordings (a TV recording with its programme
# text and a radio recording, made with ffmpeg when the demo starts) listed and one downloaded.
# The emulated receiver is stopped and the disk removed at the end.
#
#   tools/demo/demo.sh            uses the programs in build/bin
#   VELK_BIN_DIR=DIR demo.sh      uses the programs in DIR
set -euo pipefail
cd "$(dirname "$0")/../.."

BIN="${VELK_BIN_DIR:-build/bin}"
SIM="$BIN/receiver-sim"
VELKCTL="$BIN/velkctl"
SAMPLE="tools/demo/sample"
PIN=1357
CHANNEL_FOLDER="/ftproot/System/Programmliste (Channel List)"
SOFTWARE_FOLDER="/ftproot/System/Software"

for program in "$SIM" "$VELKCTL"; do
  if [ ! -x "$program" ]; then
    echo "demo: $program is missing; build first (./run build)" >&2
    exit 1
  fi
done
command -v ffmpeg >/dev/null || { echo "demo: ffmpeg is missing (./run setup)" >&2; exit 1; }

bold=""; plain=""
if [ -t 1 ]; then bold=$'\e[1m'; plain=$'\e[0m'; fi
say() { printf '\n%s== %s%s\n' "$bold" "$*" "$plain"; }
show() {  # prints a command as the user would type it, then runs it
  printf '$ velkctl'
  printf ' %q' "$@"
  printf '\n'
  "$VELKCTL" "$@" 2>&1
}

work="$(mktemp -d /tmp/velk-demo-XXXXXX)"
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
    kill -TERM "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  exec 3<&- 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A port is taken when something on this machine answers on it.
port_taken() { (exec 9<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
pick_ftp_port() {
  local p
  for p in 2121 2122 2123 2124 2125 2221 2321 2421; do
    port_taken "$p" || { echo "$p"; return 0; }
  done
  return 1
}
pick_port_base() {
  local base n taken
  for base in 34000 34010 34020 34100 34200 35000 36000 37000; do
    taken=0
    for n in 0 1 2 3 4 5; do port_taken $((base + n)) && taken=1; done
    [ "$taken" = 0 ] && { echo "$base"; return 0; }
  done
  return 1
}

say "Seeding the receiver's disk in $work/disk"
disk="$work/disk"
mkdir -p "$disk$CHANNEL_FOLDER" "$disk$SOFTWARE_FOLDER"
cp "$SAMPLE/channel.xml" "$disk$CHANNEL_FOLDER/channel.xml"
echo "channel list: $CHANNEL_FOLDER/channel.xml ($(wc -c < "$SAMPLE/channel.xml") bytes)"

# The receiver keeps a recording as its transport stream NAME.ts with the list entry and the
# programme guide's events in NAME.json beside it; NAME is the receiver's file name.
TV_NAME=rec-evening-news
RADIO_NAME=rec-morning-concert
mkdir -p "$disk/recordings/tv" "$disk/recordings/radio"
now=$(date +%s)
ffmpeg -nostdin -loglevel error -f lavfi -i testsrc=size=720x576:rate=25 \
  -f lavfi -i sine=frequency=440:sample_rate=48000 -t 6 -c:v mpeg2video -b:v 2M -c:a mp2 -ac 2 \
  -f mpegts "$disk/recordings/tv/$TV_NAME.ts"
cat >"$disk/recordings/tv/$TV_NAME.json" <<JSON
{"channelNumber": 1, "channelName": "Demo One", "title": "Evening News",
 "start": $((now - 7200)), "duration": 1800, "scrambled": 0,
 "events": [{"start": $((now - 7200)), "duration": 1800, "name": "Evening News",
             "description": "The day's headlines, then the weather for the weekend."},
            {"start": $((now - 5400)), "duration": 2700, "name": "Nature Hour",
             "description": "Cranes on their way south."}]}
JSON
ffmpeg -nostdin -loglevel error -f lavfi -i sine=frequency=330:sample_rate=48000 -t 20 \
  -c:a mp2 -b:a 128k -ac 2 -f mpegts "$disk/recordings/radio/$RADIO_NAME.ts"
cat >"$disk/recordings/radio/$RADIO_NAME.json" <<JSON
{"channelNumber": 101, "channelName": "Demo Radio", "title": "Morning Concert",
 "start": $((now - 86400)), "duration": 3600, "scrambled": 0}
JSON
for f in "$disk/recordings/tv/$TV_NAME.ts" "$disk/recordings/radio/$RADIO_NAME.ts"; do
  echo "recording: ${f#"$disk"} ($(wc -c < "$f") bytes)"
done

ftp_port="$(pick_ftp_port)" || { echo "demo: no free FTP port" >&2; exit 1; }
port_base="$(pick_port_base)" || { echo "demo: no free run of command-channel ports" >&2; exit 1; }

say "Starting the emulated receiver (FTP port $ftp_port, command channels $port_base-$((port_base + 5)), pin $PIN)"
mkfifo "$work/ready"
"$SIM" --root "$disk" --address 127.0.0.1 --ftp-port "$ftp_port" --port-base "$port_base" \
  --pin "$PIN" >"$work/ready" 2>"$work/sim.log" &
sim_pid=$!
exec 3<"$work/ready"
line=""
if ! read -r -t 15 -u 3 line || [ "$line" != "ready" ]; then
  echo "demo: the emulated receiver did not start:" >&2
  cat "$work/sim.log" >&2
  exit 1
fi
cat "$work/sim.log"

export VELK_RECEIVER=127.0.0.1
common=(--ftp-port "$ftp_port" --port-base "$port_base")

say "Logging on with the right pin (the Connect dialog's check)"
VELK_PIN="$PIN" show "${common[@]}" login
echo "exit status 0"

say "Logging on with a wrong pin: the receiver refuses, velkctl exits 1"
status=0
VELK_PIN=9999 show "${common[@]}" login || status=$?
echo "exit status $status"
[ "$status" = 1 ] || { echo "demo: a wrong pin was not refused" >&2; exit 1; }

export VELK_PIN="$PIN"
if "$VELKCTL" --help | grep -q '^  channels'; then
  say "Load from DVR: fetching the receiver's channel list"
  show "${common[@]}" channels pull "$work/channel.xml"
  say "The channel list as Velkport sees it"
  show "${common[@]}" channels show "$work/channel.xml"
else
  say "Fetching the receiver's channel list"
  show "${common[@]}" get "$CHANNEL_FOLDER/channel.xml" "$work/channel.xml"
  cmp "$SAMPLE/channel.xml" "$work/channel.xml" && echo "channel.xml arrived unchanged"
fi

say "Sending a file to the receiver and fetching it back (binary, active-mode FTP)"
show "${common[@]}" put "$SAMPLE/firmware-sample.bin" "$SOFTWARE_FOLDER/firmware.bin"
show "${common[@]}" get "$SOFTWARE_FOLDER/firmware.bin" "$work/firmware-back.bin"
printf '$ cmp firmware-sample.bin firmware-back.bin\n'
if cmp "$SAMPLE/firmware-sample.bin" "$work/firmware-back.bin" &&
   cmp "$SAMPLE/firmware-sample.bin" "$disk$SOFTWARE_FOLDER/firmware.bin"; then
  echo "identical: $(wc -c < "$SAMPLE/firmware-sample.bin") bytes there and back"
else
  echo "demo: the file changed on the way" >&2
  exit 1
fi

say "The receiver's recordings (command channel 5)"
show "${common[@]}" recordings list
show "${common[@]}" recordings list --radio
say "Downloading the TV recording: transport stream, then its header with the programme text"
mkdir -p "$work/recordings"
show "${common[@]}" recordings download "$TV_NAME" --to "$work/recordings"
downloaded=("$work/recordings"/*.ts)
[ -f "${downloaded[0]}" ] || { echo "demo: the recording did not arrive" >&2; exit 1; }
echo "arrived: $(basename "${downloaded[0]}"), $(wc -c < "${downloaded[0]}") bytes"
say "The downloaded file's header: title, programme text and picture"
show thumbnail "${downloaded[0]}" --out "$work/recordings/picture.png"

say "Stopping the emulated receiver"
kill -TERM "$sim_pid"
status=0
wait "$sim_pid" || status=$?
sim_pid=""
echo "receiver-sim exited with status $status"
say "Demo finished"

# ---------------------------------------------------------------------------------------------
# The desktop program (appended by the GUI work): with a display, Velkport itself opens against
# a fresh emulated receiver holding the sample channel list.
VELKPORT="$BIN/velkport"
if [ -n "${DISPLAY:-}" ] && [ -x "$VELKPORT" ]; then
  say "Velkport on the desktop"
  cp "$SAMPLE/channel.xml" "$disk$CHANNEL_FOLDER/channel.xml"
  rm -f "$work/ready-gui"
  mkfifo "$work/ready-gui"
  "$SIM" --root "$disk" --address 127.0.0.1 --ftp-port "$ftp_port" --port-base "$port_base" \
    --pin "$PIN" >"$work/ready-gui" 2>"$work/sim-gui.log" &
  sim_pid=$!
  exec 5<"$work/ready-gui"
  line=""
  if ! read -r -t 15 -u 5 line || [ "$line" != "ready" ]; then
    echo "demo: the emulated receiver did not start again:" >&2
    cat "$work/sim-gui.log" >&2
    exit 1
  fi
  # The Connect dialog remembers the emulated receiver's address; the settings stay in $work.
  mkdir -p "$work/config/Quintavo"
  printf '[Setting]\nLastFtpIP=127.0.0.1\nLocalPath=%s\n' "$work/recordings" \
    >"$work/config/Quintavo/Velkport.ini"
  cat <<TEXT
In the Connect dialog: pin code $PIN, then Connect. The function bar appears at the bottom
right of the screen. "Channel" opens the editor: "Load from DVR" fetches the sample list; edit
it, then "Send to DVR". "Record" opens the recordings window: the receiver's side lists
"Evening News" (and, with Radio, "Morning Concert"), the PC side the file downloaded above.
"Upgrade" sends a firmware image (for example $SAMPLE/firmware-sample.bin). Close the function
bar to end the demo.
TEXT
  XDG_CONFIG_HOME="$work/config" "$VELKPORT" --ftp-port "$ftp_port" --port-base "$port_base" ||
    true
  kill -TERM "$sim_pid" 2>/dev/null || true
  wait "$sim_pid" 2>/dev/null || true
  sim_pid=""
  exec 5<&- 2>/dev/null || true
  echo "The channel list now on the emulated receiver:"
  grep -c '<Service>' "$disk$CHANNEL_FOLDER/channel.xml" | sed 's/$/ services/'
fi
