#!/usr/bin/env bash
# The same client and the same answers through QREPORT.DLL under wine and through the Linux
# qreport command: the report, the saved entries, the message boxes, the print commands and the
# device codes must come out the same, byte for byte.
#
#   same_bytes.sh LINUX_QREPORT WINE_SH PREFIX QRHOST STANDIN_DIR
set -euo pipefail
linux=$1 wine_sh=$2 prefix=$3 host=$4 standins=$5

if [[ ! -x $linux ]]; then
  echo "same_bytes: no Linux qreport at $linux; build the dev preset first (make test-windows does)" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
winpath() { bash "$wine_sh" "$prefix" path "$1"; }

# Two clients, one for each path of the run, written by the Windows build's own fixture writer.
bash "$wine_sh" "$prefix" run "$host" demo "$(winpath "$work/seed-form")"
bash "$wine_sh" "$prefix" run "$host" demo "$(winpath "$work/seed-short")" --payroll-date 063004

# A first report: Help, money with separators, the designee and preparer codes, both depositor
# boxes, a liability box only visited. The second reads back what the first saved and chooses
# Form 944. The third is the short path.
cat >"$work/form-1" <<'ANSWERS'
403
202=0.125
211=$1,234.56
213=&LH1%
214=(217) 555-0142
215=&LH1% &LH2% &LH3% &LH4%
219= il 
220=1
221=1
216
401
ANSWERS
cat >"$work/form-2" <<'ANSWERS'
243
204=-3.50
222=1,000
401
ANSWERS
cat >"$work/short-1" <<'ANSWERS'
101=093004
131=12.5
103
ANSWERS

export QREPORT_PRINTER_REPLY='A*LPT1:*X*N'
status=0
for side in linux win; do
  cp -r "$work/seed-form" "$work/$side-form"
  cp -r "$work/seed-short" "$work/$side-short"
done
cp "$standins/GPRINTER.DLL" "$standins/DLLPRINT.DLL" "$work/win-form/"
cp "$standins/GPRINTER.DLL" "$standins/DLLPRINT.DLL" "$work/win-short/"

compare() {  # what, linux file, windows file
  if ! cmp -s "$2" "$3"; then
    echo "same_bytes: $1 differs"
    diff <(od -An -c "$2") <(od -An -c "$3") | head -20 || true
    status=1
  fi
}

for run in form-1 form-2 short-1; do
  client=${run%-*}
  ldir=$work/linux-$client
  wdir=$work/win-$client
  (cd "$ldir" && QREPORT_PRINT_LOG="$work/$run.linux.print" \
     "$linux" run "$ldir" --answers "$work/$run" >"$work/$run.linux.out" 2>"$work/$run.linux.err") || status=1
  (cd "$wdir" && QREPORT_PRINT_LOG="$(winpath "$work/$run.win.print")" \
     bash "$wine_sh" "$prefix" run "$host" run "$(winpath "$wdir")" --answers "$(winpath "$work/$run")" \
     >"$work/$run.win.out" 2>"$work/$run.win.err") || { status=1; cat "$work/$run.win.err"; }

  compare "$run: report.txt" "$ldir/report.txt" "$wdir/report.txt"
  if [[ $client == form ]]; then
    compare "$run: save941.info" "$ldir/save941.info" "$wdir/save941.info"
  fi
  grep '^message: ' "$work/$run.linux.err" >"$work/$run.linux.messages" || true
  # Windows' standard streams end their lines with CR LF.
  tr -d '\r' <"$work/$run.win.err" | grep '^message: ' >"$work/$run.win.messages" || true
  compare "$run: message boxes" "$work/$run.linux.messages" "$work/$run.win.messages"
  grep '^device code: ' "$work/$run.linux.out" >"$work/$run.linux.device" || true
  tr -d '\r' <"$work/$run.win.out" | grep '^device code: ' >"$work/$run.win.device" || true
  compare "$run: device code" "$work/$run.linux.device" "$work/$run.win.device"
  # The print commands name each side's own report path.
  sed "s|^$ldir/report.txt,|REPORT,|" "$work/$run.linux.print" >"$work/$run.linux.command" 2>/dev/null || true
  sed 's|^.*\\report\.txt,|REPORT,|' "$work/$run.win.print" >"$work/$run.win.command" 2>/dev/null || true
  compare "$run: print command" "$work/$run.linux.command" "$work/$run.win.command"
  echo "$run: $(wc -c <"$wdir/report.txt") report bytes, $(wc -l <"$work/$run.win.messages") message boxes," \
       "print command $(cat "$work/$run.win.command")"
done
exit $status
