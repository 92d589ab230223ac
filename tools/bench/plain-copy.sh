# Shared by the transfer benchmarks (sourced): the reference every transfer is compared with.
#   now                     the time in nanoseconds
#   plain_copy SOURCE DEST  a plain TCP copy of SOURCE into the file DEST with socat on
#                           127.0.0.1:$COPY_PORT, the same bytes into the same folder as the
#                           transfer; prints the nanoseconds it took and removes DEST. The
#                           listening socat's pid is in SOCAT_PID while it runs, for the
#                           caller's clean-up.
#   transfer_tools BUILD    builds velkctl and receiver-sim in BUILD (configured as the release
#                           preset when it is not yet), sets VELKCTL and SIM, and checks that
#                           socat is there
#   need_tmpfs DIR MIB      exits unless DIR is a tmpfs folder with MIB MiB free
#   start_sim               starts $SIM on $WORK/root on free ports (its pid in SIM_PID, its
#                           log in $WORK/sim.log) and sets V, the velkctl command line for it,
#                           and COPY_PORT, the plain copy's port beside it

now() { date +%s%N; }

plain_copy() {
  socat -u -b262144 TCP-LISTEN:"$COPY_PORT",bind=127.0.0.1,reuseaddr OPEN:"$2",creat,trunc &
  SOCAT_PID=$!
  for _ in $(seq 100); do
    ss -ltn "sport = :$COPY_PORT" | grep -q LISTEN && break
    sleep 0.05
  done
  local start
  start=$(now)
  socat -u -b262144 OPEN:"$1" TCP:127.0.0.1:"$COPY_PORT"
  wait "$SOCAT_PID"
  SOCAT_PID=""
  echo $(( $(now) - start ))
  rm -f "$2"
}

transfer_tools() {
  [ -f "$1/CMakeCache.txt" ] || cmake --preset release >/dev/null
  cmake --build "$1" --target velkctl receiver-sim >/dev/null
  VELKCTL="$1/bin/velkctl"
  SIM="$1/bin/receiver-sim"
  command -v socat >/dev/null || { echo "socat is not installed: no plain copy to compare" >&2; exit 1; }
}

need_tmpfs() {
  if [ "$(stat -f -c %T "$1" 2>/dev/null)" != tmpfs ]; then
    echo "$1 is not a tmpfs folder (BENCH_TMPFS names one)" >&2
    exit 1
  fi
  local free_mib=$(( $(stat -f -c '%a * %S' "$1") / 1048576 ))
  [ "$free_mib" -ge "$2" ] || { echo "$1 has $free_mib MiB free; $2 needed" >&2; exit 1; }
}

start_sim() {
  PORT_BASE=$(( 40000 + RANDOM % 20000 ))
  mkfifo "$WORK/ready"
  "$SIM" --root "$WORK/root" --port-base "$PORT_BASE" --ftp-port $(( PORT_BASE + 10 )) \
    > "$WORK/ready" 2>"$WORK/sim.log" &
  SIM_PID=$!
  local line=""
  read -r -t 10 line < "$WORK/ready" || true
  [ "$line" = ready ] || { echo "receiver-sim did not start" >&2; cat "$WORK/sim.log" >&2; exit 1; }
  V=("$VELKCTL" --receiver 127.0.0.1 --port-base "$PORT_BASE" --yes)
  COPY_PORT=$(( PORT_BASE + 20 ))
}
