#!/usr/bin/env bash
# check-options.sh PROGRAM PAGE: the man page and the program's --help name the same options.
# Every option in PROGRAM --help (and, for a program with a "Commands:" list, in each
# command's --help) must appear in PAGE, and every option in PAGE's synopsis, commands and
# options must appear in the help; every command of the list has an entry in PAGE. Run by CTest.
set -euo pipefail
program=$1
page=$2

help=$("$program" --help 2>&1 || true)
commands=$(printf '%s\n' "$help" | sed -n '/^Commands:/,/^$/p' | awk 'NR > 1 && NF { print $1 }')
for c in $commands; do
  help+=$'\n'$("$program" "$c" --help 2>&1 || true)
done

options() { grep -oE -- '--[a-z][a-z0-9-]*' | sort -u || true; }
in_help=$(printf '%s\n' "$help" | options)
# The page up to its environment, files, exit status, examples and see-also sections, with
# roff's escaped hyphens and font changes undone.
in_page=$(sed -E '/^\.SH (ENVIRONMENT|FILES|EXIT STATUS|EXAMPLES|SEE ALSO)/,$d' "$page" |
  sed -E 's/\\-/-/g; s/\\f[BIRP]//g' | options)

if [ -z "$in_help" ]; then
  echo "$program --help names no options" >&2
  exit 1
fi
missing_in_page=$(comm -23 <(echo "$in_help") <(echo "$in_page"))
missing_in_help=$(comm -13 <(echo "$in_help") <(echo "$in_page"))
status=0
for c in $commands; do
  grep -qE "^\.B[IR]* \"?$c( |\"|\$)" "$page" ||
    { echo "$(basename "$page") has no entry for the command $c" >&2; status=1; }
done
if [ -n "$missing_in_page" ]; then
  echo "$(basename "$page") lacks: $(echo $missing_in_page)" >&2
  status=1
fi
if [ -n "$missing_in_help" ]; then
  echo "$(basename "$page") names options that --help does not: $(echo $missing_in_help)" >&2
  status=1
fi
[ "$status" = 0 ] && echo "$(basename "$page"): the $(echo "$in_help" | wc -l) options of --help"
exit "$status"
