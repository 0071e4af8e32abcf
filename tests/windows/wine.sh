#!/usr/bin/env bash
# The wine side of the Windows suite: one 32-bit prefix per build folder and one persistent wine
# server for the whole run, so that each test program starts in a tenth of a second.
#
#   wine.sh PREFIX start KEEPER   creates or refreshes the prefix, starts the server and the
#                                 desktop, which KEEPER (desktop_keeper.exe) holds open (a fixture)
#   wine.sh PREFIX stop           stops the server and every program of the prefix
#   wine.sh PREFIX run PROGRAM..  runs a Windows program in the prefix
#   wine.sh PREFIX path UNIXPATH  the Windows name of a path
#
# Windows' programs need a display: run the suite under xvfb-run (make test-windows does).
set -euo pipefail

prefix=$1
command=$2
shift 2

export WINEPREFIX=$prefix
export WINEARCH=win32
export WINEDEBUG=-all
# No .NET or HTML engine installers, no desktop menu entries.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

case $command in
  start)
    if [[ -z "${DISPLAY:-}" ]]; then
      echo "wine.sh: no DISPLAY; run the Windows tests under xvfb-run (make test-windows does)" >&2
      exit 1
    fi
    wineserver -k >/dev/null 2>&1 || true
    mkdir -p "$prefix"
    log=$prefix/../wine-start.log
    # Every program started here outlives this script; none may hold its output open, or the
    # test runner would wait for them.
    wineserver -p </dev/null >"$log" 2>&1
    wineboot -i </dev/null >>"$log" 2>&1
    # Without a window manager, wine waits two seconds for each hidden managed window.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >>"$log" 2>&1
    # The first window program would otherwise pay for starting the desktop, and so would the
    # first one after every pause.
    keeper=$1
    ready=$prefix/../desktop-ready
    rm -f "$ready"
    wine "$keeper" "$(winepath -w "$ready")" </dev/null >>"$log" 2>&1 &
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
    wineserver -k >/dev/null 2>&1 || true
    ;;
  run)
    exec wine "$@"
    ;;
  path)
    exec winepath -w "$1"
    ;;
  *)
    echo "usage: wine.sh PREFIX start KEEPER | stop | run PROGRAM [ARGS...] | path UNIXPATH" >&2
    exit 2
    ;;
esac
