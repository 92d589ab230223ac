# Shared by the benchmark scripts (sourced): every figure they print is the median of ROUNDS
# runs, at least 3.
#   rounds                  ROUNDS from $BENCH_ROUNDS (default 3, never fewer than 3)
#   median N...             the median of the numbers given
#   median_output CMD...    runs CMD ROUNDS times and prints its output once, each number in it
#                           replaced by the median of that number over the runs (the runs must
#                           print the same lines); its status is that of the last run that
#                           failed, 0 when none did

rounds() {
  local r=${BENCH_ROUNDS:-3}
  [ "$r" -ge 3 ] 2>/dev/null || r=3
  echo "$r"
}

median() {
  printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 }
    END { if (NR == 0) exit 1; m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
          print m }'
}

median_output() {
  local n dir status=0 i
  n=$(rounds)
  dir=$(mktemp -d /tmp/bench-median.XXXXXX)
  for i in $(seq "$n"); do
    "$@" > "$dir/$i" || status=$?
  done
  awk -v runs="$n" -v dir="$dir" '
    function numbers(line, out,   k, rest) {  # the numbers of a line, in order; returns count
      k = 0; rest = line
      while (match(rest, /[-+]?[0-9]+(\.[0-9]+)?/)) {
        out[++k] = substr(rest, RSTART, RLENGTH); rest = substr(rest, RSTART + RLENGTH)
      }
      return k
    }
    BEGIN {
      for (r = 1; r <= runs; ++r) {
        n = 0
        while ((getline line < (dir "/" r)) > 0) text[r, ++n] = line
        lines[r] = n
      }
      for (i = 1; i <= lines[1]; ++i) {
        line = text[1, i]; count = numbers(line, first)
        for (j = 1; j <= count; ++j) {
          m = 0
          for (r = 1; r <= runs; ++r) {
            numbers(text[r, i], got)
            vals[++m] = got[j] + 0
          }
          for (a = 2; a <= m; ++a)  # insertion sort of the few values
            for (b = a; b > 1 && vals[b - 1] > vals[b]; --b) { t = vals[b]; vals[b] = vals[b - 1]; vals[b - 1] = t }
          med = (m % 2) ? vals[(m + 1) / 2] : (vals[m / 2] + vals[m / 2 + 1]) / 2
          places = index(first[j], ".") ? length(first[j]) - index(first[j], ".") : 0
          fmt = (substr(first[j], 1, 1) == "+" ? "%+" : "%") "." places "f"
          value = sprintf(fmt, med)
          while (length(value) < length(first[j])) value = " " value
          pos = index(line, first[j])
          out = out substr(line, 1, pos - 1) value
          line = substr(line, pos + length(first[j]))
        }
        print out line; out = ""
      }
    }'
  rm -rf "$dir"
  return "$status"
}
