#!/usr/bin/env bash
# qreport as others get it: installed into a scratch prefix, packaged as a .deb, called from
# programs that know it only through what was installed.
#
#   install_test.sh MODE BUILD_DIR SOURCE_DIR
#     consumers  the README's C host, built with pkg-config and with find_package, and its
#                Python host, run the demo client through QREPORTPROC; each report must equal
#                `qreport run`'s; the SONAME and the exported names
#     manual     every man page shows through `man -l` with its sections; the completion
#     package    the .deb's fields and contents; `qreport --version` from the extracted tree
#     bootstrap  the demo's package set leaves out the Windows suite's packages
set -euo pipefail
mode=$1 build=$2 source=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

install_prefix() {
  prefix=$work/prefix
  cmake --install "$build" --prefix "$prefix" >"$work/install.log"
}

# The block of the README that follows the line `<!-- example: NAME -->`.
readme_example() {
  awk -v marker="<!-- example: $1 -->" '
    $0 == marker { found = 1; next }
    found && /^```/ { if (inside) exit; inside = 1; next }
    inside { print }' "$source/README.md"
}

# `qreport run`'s report and device code for a fresh copy of the demo client: the reference
# the hosts must match. The dialog comes from the demo's answers, the printer picker's reply is
# empty (nothing is printed).
reference_run() {
  "$prefix/bin/qreport" demo "$work/seed" >"$work/demo.log" 2>&1 || fail "qreport demo: $(cat "$work/demo.log")"
  cp -r "$work/seed" "$work/reference"
  local status=0
  (cd "$work/reference" && QREPORT_PRINTER_REPLY= "$prefix/bin/qreport" run . --answers answers \
    >"$work/reference.out" 2>"$work/reference.err") || status=$?
  # 5: written but not printed, which an empty reply asks for.
  if [[ $status != 0 && $status != 5 ]]; then
    fail "qreport run exited $status: $(cat "$work/reference.err")"
  fi
  grep '^device code: ' "$work/reference.out" >"$work/reference.device"
}

# Runs HOST (a command) on a fresh copy of the demo client, the library found in the prefix,
# and compares its report and device code with the reference.
check_host() {
  local name=$1
  shift
  local client=$work/client-$name
  cp -r "$work/seed" "$client"
  if ! (cd "$client" && LD_LIBRARY_PATH=$prefix/lib QREPORT_ANSWERS=answers QREPORT_PRINTER_REPLY= \
      "$@" . >"$work/$name.out" 2>"$work/$name.err"); then
    fail "$name: the host failed: $(cat "$work/$name.err")"
    return
  fi
  cmp -s "$work/reference/report.txt" "$client/report.txt" || fail "$name: report.txt differs from qreport run's"
  grep '^device code: ' "$work/$name.out" | cmp -s - "$work/reference.device" ||
    fail "$name: device code $(cat "$work/$name.out") differs from qreport run's $(cat "$work/reference.device")"
}

case $mode in
  consumers)
    install_prefix
    library=$prefix/lib/libqreport.so
    soname=$(readelf -d "$library" | sed -n 's/.*Library soname: \[\(.*\)\]/\1/p')
    [[ $soname == libqreport.so.1 ]] || fail "SONAME is '$soname', not libqreport.so.1"
    [[ -e $prefix/lib/libqreport.so.1 ]] || fail "no libqreport.so.1 installed"
    exported=$(nm -D --defined-only "$library" | awk '{print $3}' | sort | tr '\n' ' ')
    [[ $exported == "DVDISKFREE QREPORTPROC QRSTRALLOC QRSTRFREE SHOWFREESP " ]] ||
      fail "the library exports more or less than the C names: $exported"

    reference_run
    readme_example host.c >"$work/host.c"
    readme_example host.py >"$work/host.py"
    [[ -s $work/host.c && -s $work/host.py ]] || fail "README lost its host.c or host.py example"

    # C99 with pkg-config, warnings as errors, nothing from the source tree.
    export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
    # shellcheck disable=SC2046
    cc -std=c99 -Wall -Wextra -pedantic -Werror "$work/host.c" -o "$work/pkgconfig-host" \
      $(pkg-config --cflags --libs qreport) || fail "the C host does not build with pkg-config"
    [[ $(pkg-config --modversion qreport) == "$("$prefix/bin/qreport" --version | awk '{print $2}')" ]] ||
      fail "pkg-config's version is not the command's"
    [[ -x $work/pkgconfig-host ]] && check_host pkgconfig-host "$work/pkgconfig-host"

    # CMake's find_package, in a project of its own.
    if cmake -S "$source/tests/install/consumer" -B "$work/consumer" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
        -DHOST_SOURCE="$work/host.c" >"$work/consumer.log" 2>&1 &&
       cmake --build "$work/consumer" >>"$work/consumer.log" 2>&1; then
      check_host cmake-host "$work/consumer/host"
    else
      fail "the CMake consumer does not build: $(tail -20 "$work/consumer.log")"
    fi

    check_host python-host python3 "$work/host.py"
    # The README's declarations of the disk calls: a drive's total size as the command gives it.
    sed -n '/^def read/,$!p' "$work/host.py" | sed '/^folder, device/,$d' >"$work/declarations.py"
    cat >>"$work/declarations.py" <<'PY'
drive, mode = make(b"C"), make(b"T")
print(lib.DVDISKFREE(drive, ctypes.byref(mode)))
lib.SHOWFREESP(ctypes.byref(drive))
lib.QRSTRFREE(drive)
lib.QRSTRFREE(mode)
PY
    total=$(LD_LIBRARY_PATH=$prefix/lib QREPORT_DRIVE_C=$work python3 "$work/declarations.py" 2>"$work/showfree.err") ||
      fail "the README's disk call declarations fail: $(cat "$work/showfree.err")"
    [[ $total == "$(QREPORT_DRIVE_C=$work "$prefix/bin/qreport" diskfree C --mode T)" && $total -gt 0 ]] ||
      fail "DVDISKFREE through ctypes gives '$total', not qreport diskfree's"
    grep -q '^message: ' "$work/showfree.err" || fail "SHOWFREESP through ctypes showed no message"
    ;;

  manual)
    install_prefix
    pages=("$prefix"/share/man/man1/*.1 "$prefix"/share/man/man3/*.3)
    for page in qreport.1 qreport-run.1 qreport.3; do
      [[ -e $prefix/share/man/man${page##*.}/$page ]] ||
        fail "$page is not installed (is scdoc installed? scripts/bootstrap test)"
    done
    for page in "${pages[@]}"; do
      [[ -e $page ]] || continue
      name=$(basename "$page")
      text=$(MANWIDTH=80 man --warnings -l "$page" 2>"$work/man.err") || fail "$name: man -l failed"
      [[ -s $work/man.err ]] && fail "$name: man warns: $(cat "$work/man.err")"
      sections=(NAME SYNOPSIS DESCRIPTION "SEE ALSO")
      [[ $name == *.1 ]] && sections+=("EXIT STATUS")
      for section in "${sections[@]}"; do
        grep -q "^$section" <<<"$text" || fail "$name has no $section section"
      done
    done
    run_page=$(MANWIDTH=80 man -l "$prefix/share/man/man1/qreport-run.1" 2>/dev/null)
    for status in 0 1 2 3 4 5 130; do
      grep -Eq "^ +$status\$" <<<"$run_page" || fail "qreport-run(1) does not list exit status $status"
    done
    main_page=$(MANWIDTH=80 man -l "$prefix/share/man/man1/qreport.1" 2>/dev/null)
    for section in ENVIRONMENT FILES; do
      grep -q "^$section" <<<"$main_page" || fail "qreport(1) has no $section section"
      grep -q "^$section" <<<"$run_page" || fail "qreport-run(1) has no $section section"
    done

    # Every command of `qreport help` has its page (docs/man/qreport-COMMAND.1.scd) and its line in
    # the completion's table, and no page or line names a command that is not there; completing
    # works through the installed file.
    completion=$prefix/share/bash-completion/completions/qreport
    commands=$("$prefix/bin/qreport" help | awk '/^Commands:/ { listed = 1; next } listed && /^  [a-z]/ { print $1 }' |
               grep -vx help | sort | tr '\n' ' ')
    [[ -n $commands ]] || fail "qreport help lists no commands"
    with_pages=$(cd "$prefix/share/man/man1" && ls qreport-*.1 | sed 's/^qreport-//; s/\.1$//' | sort | tr '\n' ' ')
    completed=$(bash -c "source '$completion'; printf '%s\n' \"\${!_qreport_options[@]}\"" | grep -vx help |
                sort | tr '\n' ' ')
    [[ $with_pages == "$commands" ]] || fail "the commands ($commands) and their man pages ($with_pages) differ"
    [[ $completed == "$commands" ]] || fail "the commands ($commands) and the completed ones ($completed) differ"
    complete() {  # the words of a command line, the last being completed
      bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _qreport; printf "%s " "${COMPREPLY[@]}"' \
        _ "$completion" "$@"
    }
    [[ $(complete qreport ru) == "run " ]] || fail "qreport ru<TAB> gives '$(complete qreport ru)'"
    [[ $(complete qreport run --rat) == "--rates-dir " ]] || fail "qreport run --rat<TAB> gives '$(complete qreport run --rat)'"
    [[ $(complete qreport diskfree --mode "") == "F T " ]] || fail "qreport diskfree --mode <TAB> gives '$(complete qreport diskfree --mode "")'"
    ;;

  package)
    cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb" >"$work/cpack.log" 2>&1 ||
      { cat "$work/cpack.log"; fail "cpack failed"; }
    debs=("$work"/deb/qreport_*.deb)
    deb=${debs[0]}
    if [[ ! -f $deb ]]; then
      fail "no .deb made"
    else
      dpkg-deb --info "$deb" >/dev/null || fail "dpkg-deb --info rejects the package"
      version=$("$build/qreport" --version | awk '{print $2}')
      field() { dpkg-deb --field "$deb" "$1"; }
      [[ $(field Package) == qreport ]] || fail "Package field: $(field Package)"
      [[ $(field Version) == "$version" ]] || fail "Version field $(field Version), not $version"
      [[ $(field Architecture) == "$(dpkg --print-architecture)" ]] || fail "Architecture field: $(field Architecture)"
      [[ $(field Maintainer) == *"<"*"@"*">" ]] || fail "Maintainer field: $(field Maintainer)"
      [[ -n $(field Description) ]] || fail "no Description"
      # Computed from the libraries the binaries need, not written by hand.
      depends=$(field Depends)
      for dep in libc6 libcairo2 libstdc++6 libncursesw6 libcups2; do
        [[ $depends == *"$dep "* || $depends == *"$dep," || $depends == *"$dep" ]] || fail "Depends lacks $dep: $depends"
      done

      contents=$(dpkg-deb --contents "$deb" | awk '{print $6}')
      for path in ./usr/bin/qreport ./usr/include/qreport/qreport.h ./usr/share/man/man1/qreport.1 \
                  ./usr/share/man/man3/qreport.3 \
                  ./usr/share/man/man1/qreport-run.1 ./usr/share/bash-completion/completions/qreport \
                  ./usr/share/doc/qreport/README.md; do
        grep -qx "$path" <<<"$contents" || fail "the package lacks $path"
      done
      for file in 'libqreport\.so\.1' 'libqreport\.so' 'pkgconfig/qreport\.pc' 'cmake/qreport/qreportConfig\.cmake'; do
        grep -Eq "^\./usr/lib/(.*/)?$file\$" <<<"$contents" || fail "the package lacks usr/lib/.../$file"
      done

      dpkg-deb -x "$deb" "$work/root"
      out=$(LD_LIBRARY_PATH="$work/root/usr/lib:$(dirname "$(find "$work/root/usr/lib" -name 'libqreport.so.1' | head -1)")" \
            "$work/root/usr/bin/qreport" --version) || fail "qreport --version failed from the extracted tree"
      [[ $out == "qreport $version" ]] || fail "qreport --version from the package says '$out'"
    fi
    ;;

  bootstrap)
    demo=$(bash "$source/scripts/bootstrap" demo --print)
    all=$(bash "$source/scripts/bootstrap" test --print)
    for p in wine wine32:i386 wine64 xvfb g++-mingw-w64-i686 g++-mingw-w64-x86-64 libgtest-dev; do
      grep -qx "$p" <<<"$demo" && fail "the demo set installs $p"
      grep -qx "$p" <<<"$all" || fail "the test set lacks $p"
    done
    for p in $demo; do
      grep -qx "$p" <<<"$all" || fail "the test set lacks the demo's $p"
    done
    ;;

  *)
    echo "usage: install_test.sh consumers|manual|package|bootstrap BUILD_DIR SOURCE_DIR" >&2
    exit 2
    ;;
esac

if ((failures)); then
  echo "$failures failure(s)"
  exit 1
fi
echo "ok"
