#!/usr/bin/env bash
# Photographs the windows for the documentation: starts a virtual X display (Xvfb), runs
# velkport-stage (the windows against an emulated receiver with the demo's sample channel list)
# and corvid-stage (Corvid's wizard and main window on sample shares), and takes each window
# with ImageMagick's "import" into docs/*.png.
#
#   tools/screenshots.sh [BUILD_DIR]     default: build
# Needs the Debian packages xvfb and imagemagick.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build}"
stage="$build/bin/velkport-stage"
if [ ! -x "$stage" ]; then
  echo "screenshots: $stage is missing; build the velkport-stage target first" >&2
  exit 1
fi
for tool in Xvfb import; do
  command -v "$tool" >/dev/null || { echo "screenshots: $tool is missing (xvfb, imagemagick)" >&2; exit 1; }
done

# A free display number.
display=""
for n in $(seq 90 130); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "screenshots: no free X display" >&2; exit 1; }

work="$(mktemp -d /tmp/velk-shots-XXXXXX)"
xvfb_pid=""
stage_pid=""
cleanup() {
  [ -n "$stage_pid" ] && kill "$stage_pid" 2>/dev/null && wait "$stage_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1400x900x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do
  [ -e "/tmp/.X11-unix/X${display#:}" ] && break
  sleep 0.1
done
export DISPLAY="$display" QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$work/config"

mkdir -p docs
# Runs one stage program and takes every window it announces.
photograph() {
  rm -f "$work/to-stage" "$work/from-stage"
  mkfifo "$work/to-stage" "$work/from-stage"
  "$1" <"$work/to-stage" >"$work/from-stage" 2>"$work/stage.log" &
  stage_pid=$!
  exec 3>"$work/to-stage" 4<"$work/from-stage"
  while IFS= read -r line <&4; do
    set -- $line
    [ "${1:-}" = shot ] || continue
    import -window "$3" "docs/$2.png"
    echo "docs/$2.png"
    echo next >&3
  done
  exec 3>&- 4<&-
  wait "$stage_pid"
  stage_pid=""
}
photograph "$stage"
# Corvid's wizard and main window (corvid-stage), when it is built.
if [ -x "$build/bin/corvid-stage" ]; then photograph "$build/bin/corvid-stage"; fi
