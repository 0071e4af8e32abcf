#!/usr/bin/env bash
# The Windows kit as a host developer gets it: qreport-win32.zip (or qreport-win64.zip) holds
# what its README lists, its import libraries bind the names a host's calls make (32-bit: the
# decorated stdcall names) to the DLL's plain names, and C hosts
# linked against each import library (built from the kit's header) run the demo client through
# QREPORT.DLL under wine with the same report as the Linux qreport command.
#
#   windows_kit.sh BITS ZIP LINUX_QREPORT WINE_SH PREFIX HOST_DLL_A HOST_LIB NM CC
set -euo pipefail
bits=$1 zip=$2 linux=$3 wine_sh=$4 prefix=$5 host_dll_a=$6 host_lib=$7 nm=$8 cc=$9
kit_name=qreport-win$bits
# The symbols a host's calls import: 32-bit C decorates stdcall names with an underscore and the
# size of the arguments; x86-64 decorates nothing.
if [[ $bits == 32 ]]; then
  imports=(__imp__QREPORTPROC@12 __imp__DVDISKFREE@8 __imp__SHOWFREESP@4)
  def_line="  QREPORTPROC@12"
else
  imports=(__imp_QREPORTPROC __imp_DVDISKFREE __imp_SHOWFREESP)
  def_line="  QREPORTPROC"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

listing=$(python3 -m zipfile -l "$zip" | awk 'NR > 1 {print $1}' | sort | tr '\n' ' ')
expected=""
for entry in "" QREPORT.DLL README.txt libqreport.dll.a qreport.def qreport.exe qreport.h qreport.lib; do
  expected+="$kit_name/$entry "
done
[[ $listing == "$expected" ]] || fail "the zip holds: $listing"
python3 -m zipfile -e "$zip" "$work"
kit=$work/$kit_name

for lib in libqreport.dll.a qreport.lib; do
  symbols=$("$nm" "$kit/$lib" 2>/dev/null || true)
  for name in "${imports[@]}"; do
    grep -q " $name\$" <<<"$symbols" || fail "$lib has no $name"
  done
done
grep -qx "$def_line" "$kit/qreport.def" || fail "qreport.def lacks the line '$def_line'"
# The README's host builds from the kit alone.
sed -n '/^    #include <windows.h>/,/^    }/p' "$kit/README.txt" | sed 's/^    //' >"$work/readme_host.c"
grep -q QREPORTPROC "$work/readme_host.c" || fail "the README has no host calling QREPORTPROC"
"$cc" -std=c99 -Wall -Wextra -pedantic -Werror -I"$kit" "$work/readme_host.c" -L"$kit" -lqreport -loleaut32 \
  -o "$work/readme_host.exe" || fail "the README's host does not build against the kit"

if [[ ! -x $linux ]]; then
  fail "no Linux qreport at $linux; build the dev preset first (make test-windows does)"
else
  "$linux" demo "$work/seed" >/dev/null 2>&1
  printf '401\n' >"$work/done"
  cp -r "$work/seed" "$work/linux"
  (cd "$work/linux" && QREPORT_PRINTER_REPLY= "$linux" run . --answers "$work/done" >"$work/linux.out" 2>/dev/null) || true
  for host in "$host_dll_a" "$host_lib"; do
    name=$(basename "$host")
    client=$work/client-$name
    cp -r "$work/seed" "$client"
    # The host finds QREPORT.DLL beside itself, as a host installed with the kit would.
    cp "$host" "$kit/"
    if ! (cd "$client" && bash "$wine_sh" "$prefix" run "$kit/$name" "$(bash "$wine_sh" "$prefix" path "$client")" \
          >"$work/$name.out" 2>"$work/$name.err"); then
      fail "$name failed under wine: $(cat "$work/$name.err")"
      continue
    fi
    cmp -s "$work/linux/report.txt" "$client/report.txt" || fail "$name: report.txt differs from the Linux build's"
    tr -d '\r' <"$work/$name.out" | grep '^device code: ' | cmp -s - <(grep '^device code: ' "$work/linux.out") ||
      fail "$name: $(cat "$work/$name.out") is not the Linux build's $(grep '^device code: ' "$work/linux.out")"
  done
fi

if ((failures)); then
  echo "$failures failure(s)"
  exit 1
fi
echo "ok"
