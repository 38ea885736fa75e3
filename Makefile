# Task runner. `make demo` and `make test` are the two commands the README starts with.
SHELL := /bin/bash
.DEFAULT_GOAL := help

DEMO_OUT ?= $(CURDIR)/demo-output
XPLANE ?=
FUZZ_SECONDS ?= 60
SOAK_HOURS ?= 10

.PHONY: help deps test test-linux test-windows test-shipped test-mac tsan release windows mac \
        package demo bench actions soak memcheck fuzz install format clean

help:
	@echo "make demo    build, then run the plug-in in the headless host on the demo flight"
	@echo "make test    the Linux suite (sanitizers), then the Windows build and its tests under"
	@echo "             Wine, then the package and the checks of its modules, then the Mac checks"
	@echo "make test-linux     only the Linux suite, for daily work"
	@echo "make test-shipped   the package, then its lin.xpl in a Debian 11 root and the"
	@echo "                    end-to-end tests with it"
	@echo "make tsan           the export, store and lifecycle tests under ThreadSanitizer"
	@echo "make test-mac       the unit tests with clang and libc++, and the check of mac.xpl's"
	@echo "                    shape against deliberately wrong modules"
	@echo "make windows        cross-build build/windows/Plotwright/64/win.xpl"
	@echo "make mac            cross-build build/mac/Plotwright/64/mac.xpl (universal)"
	@echo "make package        build/package/Plotwright-v<version>.zip (lin.xpl, win.xpl, mac.xpl)"
	@echo "make bench   run the benchmarks (release build)"
	@echo "make actions  each user action's cost on the simulator's thread, up to 10 hours of recording"
	@echo "make soak    a 10-hour recording in simulated time, checked and measured (release build)"
	@echo "make memcheck  valgrind over start, recording, stop, restart; 1000 start/stop cycles"
	@echo "make fuzz    run the settings-file, journal and UI fuzzers for FUZZ_SECONDS (default 60)"
	@echo "make install XPLANE=/path/to/X-Plane   install the plug-in into a simulator"

deps:
	@scripts/install-deps.sh

# The Windows run compares its flight's files with the ones the Linux suite's flight left, so
# the Linux suite comes first. test-shipped makes the package (checking the shape of each
# module in it), then runs its lin.xpl.
test:
	@$(MAKE) --no-print-directory test-linux
	@$(MAKE) --no-print-directory tsan
	@$(MAKE) --no-print-directory test-windows
	@$(MAKE) --no-print-directory test-shipped
	@$(MAKE) --no-print-directory test-mac

test-linux: deps
	cmake --preset dev
	cmake --build --preset dev
	ctest --preset dev

# The zip's lin.xpl (built in the Debian 11 root): run in that root as a new install and as an
# upgrade, and the end-to-end tests again with it, here.
test-shipped: package
	cmake --preset dev
	cmake --build --preset dev
	ctest --preset shipped

# The tests where the export writer's and the journal's threads meet the store and the plug-in's
# start and stop
# (the thousand start/stop cycles stay in the sanitizer suite: three minutes under this one).
TSAN_TESTS := export_writer_test sample_store_test csv_export_test plugin_lifecycle_test \
              start_stop_cycles_test module_load_test record_export_test stalled_disk_test \
              recording_journal_test journal_format_test plotwright
tsan: deps
	cmake --preset tsan
	cmake --build --preset tsan --target $(TSAN_TESTS)
	ctest --preset tsan

test-windows: deps
	cmake --preset windows
	cmake --build --preset windows
	ctest --preset windows

windows: deps
	cmake --preset windows
	cmake --build --preset windows --target plotwright

# Universal (x86_64 and arm64), cross-built with the pinned zig's clang and libc++ (installed by
# `make deps`, cached outside the clone) and linked with ld64.lld-16; skipped when nothing
# changed.
mac: deps
	nice -n 5 scripts/build-mac-module.sh build/mac

# What can be checked of the Mac module without a Mac: the plug-in's unit tests built with clang
# and libc++ (the compiler family and C++ library of mac.xpl), and the shape check of mac.xpl
# seen rejecting modules that are wrong in the ways it looks for (the package checks the real
# one).
test-mac: deps
	cmake --preset libcxx
	nice -n 5 cmake --build --preset libcxx
	ctest --preset libcxx

# The shipped lin.xpl is built in a Debian 11 root (made once per machine, cached outside the
# clone) so that every Linux the simulator runs on loads it.
package: deps
	scripts/build-shipped-module.sh build/shipped
	cmake --preset windows
	cmake --build --preset windows --target plotwright
	nice -n 5 scripts/build-mac-module.sh build/mac
	cmake -DSOURCE_DIR=$(CURDIR) -DLINUX_BUILD=build/shipped -DWINDOWS_BUILD=build/windows \
	      -DMAC_BUILD=build/mac -DOUT=build/package -P cmake/Package.cmake

release: deps
	cmake --preset release
	cmake --build --preset release

# The demo needs only the runner and the module it loads (built with it), not the test suite.
demo: deps
	cmake --preset release
	cmake --build --preset release --target plotwright-host
	build/release/tools/plotwright-host/plotwright-host --out "$(DEMO_OUT)"

bench: release
	@for b in build/release/bench/*_bench; do echo "== $$b"; "$$b" || exit 1; done

# Each user action's cost on the simulator's thread after 1 minute, 1 hour and 10 hours of
# recording (about four minutes).
actions: release
	build/release/bench/plotwright-actions --out build/release/actions-output

# SOAK_HOURS of recording (default 10, 3.6 million ticks) with every window open: memory, tick
# times and export times, and every exported row checked.
soak: release
	build/release/bench/plotwright-soak --hours $(SOAK_HOURS) --out build/release/soak-output

# valgrind needs a build without the sanitizers: the release build.
memcheck: release
	scripts/memcheck.sh build/release

# Both fuzzers side by side for FUZZ_SECONDS: the settings-file fuzzer (clang's libFuzzer) and the
# UI fuzzer, which needs the headless host and so comes from the sanitized dev build.
fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz
	cmake --preset dev
	cmake --build --preset dev --target plotwright-uifuzz
	scripts/run-fuzz.sh build/fuzz $(FUZZ_SECONDS) build/dev

# Copies the shipped module and the example settings, as PlotwrightExample.ini, into
# XPLANE/Resources/plugins/Plotwright; the user's Plotwright.ini is never touched.
install:
	@if [ -z "$(XPLANE)" ]; then echo "usage: make install XPLANE=/path/to/X-Plane"; exit 2; fi
	@if [ ! -d "$(XPLANE)" ]; then echo "make install: $(XPLANE) is not a folder"; exit 2; fi
	@$(MAKE) --no-print-directory deps
	scripts/build-shipped-module.sh build/shipped
	cmake -DMODULE=build/shipped/Plotwright/64/lin.xpl -DSOURCE_DIR=$(CURDIR) \
	      -DPREFIX="$(XPLANE)" -P cmake/InstallPlugin.cmake

format:
	clang-format -i $$(git ls-files '*.h' '*.cpp' '*.cc')

clean:
	rm -rf build
