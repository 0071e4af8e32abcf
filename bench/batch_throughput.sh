#!/usr/bin/env bash
# Whole-process throughput of a bureau's quarter end: `qreport batch -j JOBS --render` over N
# generated typical clients (5 to 60 employees) against a plain shell loop of `qreport run` and
# `qreport render` over copies of the same clients. Prints the wall time, clients per second and
# peak memory of each, and the ratio.
#
# Usage: bench/batch_throughput.sh [BUILD_DIR] [N] [JOBS]     (default build/release 1000 2)
set -euo pipefail

build=${1:-build/release}
count=${2:-1000}
jobs=${3:-2}
qreport="$build/qreport"
work=$(mktemp -d "${TMPDIR:-/tmp}/qreport-throughput.XXXXXX")
trap 'rm -rf "$work"' EXIT

"${MAKE_CLIENTS:-$build/bench/qreport_make_clients}" "$work" "$count"
cp -r "$work/clients" "$work/loop"
mkdir "$work/out"

# Seconds of wall time and peak kilobytes of one command, from /usr/bin/time.
measure() {
  /usr/bin/time -f '%e %M' -o "$work/time" "$@" >/dev/null 2>"$work/stderr" || true
  cat "$work/time"
}

loop_script='
for d in "$1"/*/; do
  if [ -f "$d/answers" ]; then a="--answers $d/answers"; else a=""; fi
  "$2" run "$d" --rates-dir "$3" $a >/dev/null 2>&1
  "$2" render "$d/report.txt" -o "$d/report.pdf" >/dev/null 2>&1
done'

read -r loop_s loop_kb < <(measure sh -c "$loop_script" sh "$work/loop" "$qreport" "$work")
read -r batch_s batch_kb < <(measure "$qreport" batch -j "$jobs" --render --root "$work/clients" --out "$work/out" --rates-dir "$work")

failed=$(grep -c '"failed"' "$work/out/batch-summary.csv" || true)
awk -v n="$count" -v ls="$loop_s" -v bs="$batch_s" -v lk="$loop_kb" -v bk="$batch_kb" -v j="$jobs" -v f="$failed" 'BEGIN {
  printf "clients: %d (failed in the batch: %d)\n", n, f
  printf "shell loop of run + render:   %7.2f s  %7.1f clients/s  peak %d kB\n", ls, n / ls, lk
  printf "batch -j %d --render:          %7.2f s  %7.1f clients/s  peak %d kB\n", j, bs, n / bs, bk
  printf "batch / loop throughput:      %7.2fx\n", ls / bs
}'
