#!/usr/bin/env bash
# Pictures of the two dialogs as QREPORT.DLL shows them under wine, for people to look at: the
# options dialog of the demo client and the report date dialog of the same client with a payroll
# year of 04. Run under a virtual display (make screenshots does).
#
#   screenshots.sh WINE_SH PREFIX KEEPER QRHOST OUTDIR
set -euo pipefail
wine_sh=$1 prefix=$2 keeper=$3 host=$4 out=$5

work=$(mktemp -d)
trap 'bash "$wine_sh" "$prefix" stop; rm -rf "$work" "$prefix/drive_c/PAYROLL"' EXIT
bash "$wine_sh" "$prefix" start "$keeper"
mkdir -p "$out"

shoot() {  # payroll date, picture
  # A client folder named as on a payroll clerk's machine, for the options dialog's title.
  local client=$prefix/drive_c/PAYROLL/LAKESIDE
  rm -rf "$client"
  bash "$wine_sh" "$prefix" run "$host" demo "$(bash "$wine_sh" "$prefix" path "$client")" --payroll-date "$1"
  rm -f "$work/ready" "$work/go"
  (cd "$client" && bash "$wine_sh" "$prefix" run "$host" show "$(bash "$wine_sh" "$prefix" path "$client")" \
     "$(bash "$wine_sh" "$prefix" path "$work/ready")" "$(bash "$wine_sh" "$prefix" path "$work/go")") &
  local shower=$!
  for _ in $(seq 300); do
    [[ -s $work/ready ]] && break
    sleep 0.1
  done
  if [[ ! -s $work/ready ]]; then
    echo "screenshots: the dialog for $1 did not come up" >&2
    kill "$shower" 2>/dev/null || true
    return 1
  fi
  sleep 0.5  # let the dialog finish painting
  import -window root -crop "$(tr -d '\r\n' <"$work/ready")" +repage "$out/$2"
  touch "$work/go"
  wait "$shower"
  echo "wrote $out/$2"
}

shoot 063026 options-dialog.png
shoot 063004 report-date-dialog.png
