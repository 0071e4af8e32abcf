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

# Three clients, written by the Windows build's own fixture writer: one for each path of the run,
# and one whose liability file holds amounts of three and four places, each month adding up to
# within a hundredth of a half cent of a half cent, where a sum kept wider than a double rounds
# to another cent.
month() {  # one month's 31 day records: the amounts given, then empty days
  local n=0
  for amount in "$@"; do echo "$amount"; n=$((n + 1)); done
  for ((; n < 31; n++)); do echo; done
}
{
  month 2237.77 5182.804 8851.27 1238.54 891.9558 3331.563 7466.55 5216.58 9108.47 7488.15 4019.86 \
        9504.285 664.65 438.386 293.747
  month 9920.956 778.6742 1570.627 8071.8418 7163.3112 4580.541 1809.9354 4358.9248 4063.031 \
        8428.781 6663.340 6045.228 4350.5529 6836.9598 9956.713 1398.453 7009.7926 4719.905 0.007281
  month 3466.469 5330.4966 8660.4105 8633.634 3513.1418 6079.273 2707.885 8151.3072 3805.036 3987.120 \
        6741.0400 6666.725 203.0623 641.9349 1317.370 431.0723 7003.904 0.003398
} >"$work/fractions.liability"
bash "$wine_sh" "$prefix" run "$host" demo "$(winpath "$work/seed-form")"
bash "$wine_sh" "$prefix" run "$host" demo "$(winpath "$work/seed-short")" --payroll-date 063004
bash "$wine_sh" "$prefix" run "$host" demo "$(winpath "$work/seed-fractions")" \
  --liability "$(winpath "$work/fractions.liability")"

# A first report: Help, money with separators, the designee and preparer codes, both depositor
# boxes, a liability box only visited. The second reads back what the first saved and chooses
# Form 944. The third is the short route.
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
# Money texts of three places on the client of fractional liabilities: Form 941 of a monthly
# depositor, which prints the months read from the file (one visited, one typed over), then
# Form 944 with months 4 to 12 typed.
cat >"$work/fractions-1" <<'ANSWERS'
220=1
203=1.115
205=-2.675
211=$12,345.675
216
218=4,104.285
401
ANSWERS
cat >"$work/fractions-2" <<'ANSWERS'
243
202=0.005
222=1,000.125
223=$2,345.675
224=0.285
225=8.345
226=$10,000.005
227=1.005
228=333.335
229=2.675
230=99,999.995
401
ANSWERS
cat >"$work/short-1" <<'ANSWERS'
101=093004
131=12.5
103
ANSWERS

export QREPORT_PRINTER_REPLY='A*LPT1:*X*N'
status=0
for client in form short fractions; do
  cp -r "$work/seed-$client" "$work/linux-$client"
  cp -r "$work/seed-$client" "$work/win-$client"
  cp "$standins/GPRINTER.DLL" "$standins/DLLPRINT.DLL" "$work/win-$client/"
done

compare() {  # what, linux file, windows file
  if ! cmp -s "$2" "$3"; then
    echo "same_bytes: $1 differs"
    diff <(od -An -c "$2") <(od -An -c "$3") | head -20 || true
    status=1
  fi
}

for run in form-1 form-2 fractions-1 fractions-2 short-1; do
  client=${run%-*}
  ldir=$work/linux-$client
  wdir=$work/win-$client
  (cd "$ldir" && QREPORT_PRINT_LOG="$work/$run.linux.print" \
     "$linux" run "$ldir" --answers "$work/$run" >"$work/$run.linux.out" 2>"$work/$run.linux.err") || status=1
  (cd "$wdir" && QREPORT_PRINT_LOG="$(winpath "$work/$run.win.print")" \
     bash "$wine_sh" "$prefix" run "$host" run "$(winpath "$wdir")" --answers "$(winpath "$work/$run")" \
     >"$work/$run.win.out" 2>"$work/$run.win.err") || { status=1; cat "$work/$run.win.err"; }

  compare "$run: report.txt" "$ldir/report.txt" "$wdir/report.txt"
  if [[ $client != short ]]; then
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
