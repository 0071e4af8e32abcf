#!/usr/bin/env bash
# The number rules of the Windows build under wine against the Linux build's, over the kept list
# of cases: every line must come out the same.
#
#   number_rules.sh LINUX_PROGRAM WINE_SH PREFIX WINDOWS_PROGRAM CASES
set -euo pipefail
linux=$1 wine_sh=$2 prefix=$3 windows=$4 cases=$5

if [[ ! -x $linux ]]; then
  echo "number_rules: no Linux number_rules at $linux; build the dev preset first (make test-windows does)" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$linux" "$cases" >"$work/linux"
bash "$wine_sh" "$prefix" run "$windows" "$(bash "$wine_sh" "$prefix" path "$cases")" >"$work/win.crlf"
# Windows' standard output ends its lines with CR LF.
tr -d '\r' <"$work/win.crlf" >"$work/win"

cases_run=$(wc -l <"$work/linux")
if [[ $cases_run -eq 0 ]] || ! cmp -s "$work/linux" "$work/win"; then
  differing=$(diff "$work/linux" "$work/win" | grep -c '^<' || true)
  echo "number_rules: $differing of $cases_run cases differ between the builds (Linux <, Windows >); the first:"
  { diff "$work/linux" "$work/win" || true; } | head -12 | cut -c1-400
  echo "number_rules: a build folder configured before cmake/mingw32.cmake asked for SSE2 floating point" \
       "keeps the x87 flags: configure it afresh (cmake --preset mingw32 --fresh)"
  exit 1
fi
echo "number_rules: $cases_run cases, the same on both builds"
