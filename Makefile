# The two commands of the README: `make demo` and `make test`. Both install what is missing first.
.PHONY: all bootstrap diff-driver build demo docs-image screenshots web-screenshots test test-dev test-asan test-windows bench clean

all: build

bootstrap: diff-driver
	@bash scripts/bootstrap

# `git diff` shows the golden reports as rows of text (.gitattributes); outside a clone, nothing.
diff-driver:
	@git rev-parse --git-dir >/dev/null 2>&1 && git config diff.escp.textconv scripts/escp-textconv || true

build: bootstrap
	cmake --preset dev >/dev/null
	cmake --build --preset dev

demo: bootstrap
	cmake --preset release >/dev/null
	cmake --build --preset release --target qreport_cli
	./build/release/qreport demo demo-client
	./build/release/qreport render demo-client/report.txt -o demo-client/report.pdf --png demo-client/pages

# The README's picture: page 1 of the demo client's Form 941, the page after its worksheet.
docs-image: demo
	./build/release/qreport render demo-client/report.txt -o build/docs-image.pdf --png build/docs-image --dpi 100 >/dev/null
	cp build/docs-image/page-02.png docs/form941-page1.png
	@echo "docs/form941-page1.png"

test: test-dev test-asan test-windows

test-dev: bootstrap
	cmake --preset dev
	cmake --build --preset dev
	ctest --preset dev

test-asan: bootstrap
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

# Windows programs need a display: wine runs on a virtual one. The suite compares QREPORT.DLL's
# output and the number rules with the Linux build's, so those are built first.
XVFB := xvfb-run -a -s "-screen 0 1024x768x24"

test-windows: bootstrap
	cmake --preset dev >/dev/null
	cmake --build --preset dev --target qreport_cli number_rules
	cmake --preset mingw32
	cmake --build --preset mingw32
	$(XVFB) ctest --preset mingw32

# The README's pictures of the two dialogs, as QREPORT.DLL shows them under wine.
screenshots: bootstrap
	cmake --preset mingw32 >/dev/null
	cmake --build --preset mingw32
	$(XVFB) cmake --build --preset mingw32 --target screenshots

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
