# Shared by the transfer benchmarks (sourced): the reference every transfer is compared with.
#   now                     the time in nanoseconds
#   plain_copy SOURCE DEST  a plain TCP copy of SOURCE into the file DEST with socat on
#                           127.0.0.1:$COPY_PORT, the same bytes into the same folder as the
#                           transfer; prints the nanoseconds it took and removes DEST. The
#                           listening socat's pid is in SOCAT_PID while it runs, for the
#                           caller's clean-up.

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
