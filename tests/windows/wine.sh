#!/usr/bin/env bash
# The wine side of the Windows suite: one prefix per build folder, of the build's width
# (QREPORT_WINE_BITS, 32 or 64, set by the build folder's wine.sh that calls this one), and one
# persistent wine server for the whole run, so that each test program starts in a tenth of a
# second.
#
#   wine.sh PREFIX start KEEPER [PROBE]
#                                 creates or refreshes the prefix, starts the server and the
#                                 desktop, which KEEPER (desktop_keeper.exe) holds open (a fixture).
#                                 A 32-bit suite first runs PROBE, a tiny 32-bit Linux program: on
#                                 a machine that runs no 32-bit programs the suite is not run, and
#                                 every one of its tests ends as skipped (exit 77) with the reason
#   wine.sh PREFIX stop           stops the server and every program of the prefix
#   wine.sh PREFIX run PROGRAM..  runs a Windows program in the prefix
#   wine.sh PREFIX guard CMD..    runs CMD (a test script), or skips it as `run` would
#   wine.sh PREFIX path UNIXPATH  the Windows name of a path
#
# Windows' programs need a display: run the suite under xvfb-run (make test-windows does).
set -euo pipefail

prefix=$1
command=$2
shift 2

bits=${QREPORT_WINE_BITS:-32}
export WINEPREFIX=$prefix
export WINEDEBUG=-all
# No .NET or HTML engine installers, no desktop menu entries.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if [[ $bits == 64 ]]; then
  # Debian's wine command picks the 32-bit loader whenever it is installed, and a machine whose
  # kernel runs no 32-bit programs cannot start it: the 64-bit side calls its own loader.
  export WINEARCH=win64
  wine=/usr/lib/wine/wine64
  [[ -x $wine ]] || wine=$(command -v wine64 || echo wine64)
  export WINELOADER=$wine
else
  export WINEARCH=win32
  wine=wine
fi

# Written by `start` when the suite cannot run on this machine; it holds the line that says why.
not_run=$prefix/../not-run
skip_if_not_run() {
  if [[ -e $not_run ]]; then
    cat "$not_run"
    exit 77
  fi
}

case $command in
  start)
    if [[ -z "${DISPLAY:-}" ]]; then
      echo "wine.sh: no DISPLAY; run the Windows tests under xvfb-run (make test-windows does)" >&2
      exit 1
    fi
    rm -f "$not_run"
    mkdir -p "$prefix"
    log=$prefix/../wine-start.log
    probe=${2:-}
    if [[ $bits == 32 && -n $probe ]] && ! said=$("$probe" 2>&1); then
      echo "Windows 32-bit: not run, this machine runs no 32-bit programs (the kernel's 32-bit emulation" \
           "is off); the 32-bit QREPORT.DLL was built; the 64-bit suite ran" >"$not_run"
      echo "the 32-bit probe did not run: $said" >"$log"
      skip_if_not_run
    fi
    wineserver -k >/dev/null 2>&1 || true
    # Every program started here outlives this script; none may hold its output open, or the
    # test runner would wait for them.
    wineserver -p </dev/null >"$log" 2>&1
    "$wine" wineboot -i </dev/null >>"$log" 2>&1
    # Without a window manager, wine waits two seconds for each hidden managed window.
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >>"$log" 2>&1
    # The first window program would otherwise pay for starting the desktop, and so would the
    # first one after every pause.
    keeper=$1
    ready=$prefix/../desktop-ready
    rm -f "$ready"
    "$wine" "$keeper" "$("$wine" winepath -w "$ready")" </dev/null >>"$log" 2>&1 &
    for _ in $(seq 600); do
      [[ -e $ready ]] && break
      sleep 0.1
    done
    if [[ ! -e $ready ]]; then
      echo "wine.sh: the desktop did not come up; see $log" >&2
      exit 1
    fi
    echo "wine prefix ready: $prefix"
    ;;
  stop)
    skip_if_not_run
    wineserver -k >/dev/null 2>&1 || true
    ;;
  run)
    skip_if_not_run
    exec "$wine" "$@"
    ;;
  guard)
    skip_if_not_run
    exec "$@"
    ;;
  path)
    exec "$wine" winepath -w "$1"
    ;;
  *)
    echo "usage: wine.sh PREFIX start KEEPER [PROBE] | stop | run PROGRAM [ARGS...] | guard CMD [ARGS...] | path UNIXPATH" >&2
    exit 2
    ;;
esac
