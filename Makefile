# The two commands of the README: `make demo` and `make test`. Both install what is missing first.
.PHONY: all bootstrap bootstrap-demo diff-driver build demo docs-image return-sheet-image screenshots web-screenshots test test-dev \
	test-asan test-windows test-fuzz fuzz package package-windows bench clean

all: build

# `make demo` installs only what the demo needs; everything else ensures the whole test set.
bootstrap: diff-driver
	@bash scripts/bootstrap test

bootstrap-demo: diff-driver
	@bash scripts/bootstrap demo

# `git diff` shows the golden reports as rows of text (.gitattributes); outside a clone, nothing.
diff-driver:
	@git rev-parse --git-dir >/dev/null 2>&1 && git config diff.escp.textconv scripts/escp-textconv || true

build: bootstrap
	cmake --preset dev >/dev/null
	cmake --build --preset dev

# The benchmarks are left out: their library belongs to the test set.
demo: bootstrap-demo
	cmake --preset release -DQREPORT_BENCH=OFF >/dev/null
	cmake --build --preset release --target qreport_cli
	./build/release/qreport demo demo-client --force
	./build/release/qreport render demo-client/report.txt -o demo-client/report.pdf --png demo-client/pages

# The README's pictures: page 1 of the demo client's Form 941, the page after its worksheet, and
# the demo client's Schedule B (a run of its own, which prints nothing); then the filing sheet.
docs-image: demo return-sheet-image
	./build/release/qreport render demo-client/report.txt -o build/docs-image.pdf --png build/docs-image --dpi 100 >/dev/null
	cp build/docs-image/page-02.png docs/form941-page1.png
	@echo "docs/form941-page1.png"
	./build/release/qreport run demo-client --rates-dir demo-client --answers demo-client/answers --printer-reply '' --schedule-b >/dev/null
	./build/release/qreport render demo-client/scheduleb.txt -o build/docs-schedule-b.pdf --png build/docs-schedule-b --dpi 100 >/dev/null
	cp build/docs-schedule-b/page-01.png docs/schedule-b.png
	@echo "docs/schedule-b.png"

# The README's picture of the filing sheet: the suite's example Form 941 sheet, written by the
# test that otherwise compares the picture with the drawing.
return-sheet-image: bootstrap
	cmake --preset dev >/dev/null
	cmake --build --preset dev --target qreport_tests
	QREPORT_DOCS_OUT=$(CURDIR)/docs ./build/dev/tests/qreport_tests --gtest_filter=FilingSheet.ReadmePictureIsTheExampleAsDrawnNow
	@echo "docs/return-sheet.png"

# The Windows suites go first: where the 32-bit one is skipped, its summary (no test executed)
# is not the last word a reader of the log sees; the Linux suites' summaries come after it.
test: test-windows test-dev test-asan test-fuzz

test-dev: bootstrap
	cmake --preset dev
	cmake --build --preset dev
	ctest --preset dev

test-asan: bootstrap
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

# Windows programs need a display: wine runs on a virtual one. The suite compares QREPORT.DLL's
# output and the number rules with the Linux build's, so those are built first. The 64-bit suite
# runs on every machine; the 32-bit one is built everywhere and run where the machine runs 32-bit
# programs (elsewhere CTest lists its tests as skipped, and one line says why). The 32-bit suite
# runs first, so that the last summary of this target is one of tests that ran.
XVFB := xvfb-run -a -s "-screen 0 1024x768x24"

test-windows: bootstrap
	cmake --preset dev >/dev/null
	cmake --build --preset dev --target qreport_cli number_rules
	cmake --preset mingw32
	cmake --build --preset mingw32
	$(XVFB) ctest --preset mingw32
	@if [ -e build/mingw32/not-run ]; then cat build/mingw32/not-run; fi
	cmake --preset mingw64
	cmake --build --preset mingw64
	$(XVFB) ctest --preset mingw64

# The README's pictures of the two dialogs, as QREPORT.DLL shows them under wine.
screenshots: bootstrap
	cmake --preset mingw32 >/dev/null
	cmake --build --preset mingw32
	$(XVFB) cmake --build --preset mingw32 --target screenshots

# The Debian package: build/package/qreport_VERSION_ARCH.deb, holding what `cmake --install`
# installs, under /usr.
package: bootstrap
	cmake --preset package >/dev/null
	cmake --build --preset package
	cd build/package && cpack
	@ls build/package/*.deb

# The Windows kits: build/mingw32/qreport-win32.zip and build/mingw64/qreport-win64.zip (each:
# QREPORT.DLL, qreport.exe, the C header, the .def file, import libraries for MinGW and
# MSVC-style linkers, a README).
package-windows: bootstrap
	cmake --preset mingw32 >/dev/null
	cmake --build --preset mingw32 --target package_windows
	cmake --preset mingw64 >/dev/null
	cmake --build --preset mingw64 --target package_windows
	@echo build/mingw32/qreport-win32.zip
	@echo build/mingw64/qreport-win64.zip

# The libFuzzer targets (clang 16 with sanitizers): `make fuzz` runs each for FUZZ_SECONDS (5
# minutes by default), one after the other; `make test` runs each for 20 seconds, so that a
# target that fails at once is caught.
FUZZ_SECONDS ?= 300

fuzz: bootstrap
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz --target fuzzers
	bash scripts/fuzz $(FUZZ_SECONDS)

test-fuzz: bootstrap
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz --target fuzzers
	bash scripts/fuzz 20

# The README's pictures of qreport serve: the dialog and the report page, as the browser suite
# takes them in the system's chromium.
web-screenshots: bootstrap
	cmake --preset dev >/dev/null
	cmake --build --preset dev --target qreport_cli
	QREPORT_CLI=$(CURDIR)/build/dev/qreport QREPORT_WEB_OUT=$(CURDIR)/docs node tests/web/browser_test.mjs

bench: bootstrap
	cmake --preset release >/dev/null
	cmake --build --preset release --target qreport_bench
	./build/release/bench/qreport_bench

clean:
	rm -rf build
