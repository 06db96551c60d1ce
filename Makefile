# Two commands for a fresh Debian 12 machine:
#   make run    installs what is missing, builds, and starts Vantrel with the
#               stand-in board beside it
#   make test   installs what is missing, builds, and runs every test
# `make` alone only builds. The Debian package is made by
# `dpkg-buildpackage -us -uc -b` (debian/); `make package-check` checks it.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
.DEFAULT_GOAL := build
# Warnings are errors where the code is checked (WERROR=ON: test, lint, the
# sanitizer build, CI), not in a user's or packager's build.
WERROR ?=

.PHONY: run test build configure clean sanitize-test fuzz lint package-check check-debian bench

run:
	@scripts/ensure-packages build
	@$(MAKE) --no-print-directory build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
		echo "vantrel: no display to open a window on (DISPLAY and WAYLAND_DISPLAY are unset); start it from a desktop session, or under xvfb-run."; \
		exit 1; \
	fi
	$(BUILD_DIR)/bin/vantrel

test:
	@scripts/ensure-packages test
	@$(MAKE) --no-print-directory build WERROR=ON
	cd $(BUILD_DIR) && ctest --output-on-failure -j$(JOBS)

build: configure
	cmake --build $(BUILD_DIR) -j$(JOBS)

# Configures once; a WERROR given later is set in the existing cache too.
configure:
	@if [ ! -f $(BUILD_DIR)/CMakeCache.txt ]; then \
		cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(if $(WERROR),-DVANTREL_WERROR=$(WERROR)); \
	elif [ -n "$(WERROR)" ] && ! grep -qx 'VANTREL_WERROR:BOOL=$(WERROR)' $(BUILD_DIR)/CMakeCache.txt; then \
		cmake -S . -B $(BUILD_DIR) -DVANTREL_WERROR=$(WERROR); \
	fi

# Never into the mounts of a Debian system that check-debian, killed, left.
clean:
	rm -rf --one-file-system $(BUILD_DIR)

# Checks CI runs beside the test command.
sanitize-test:
	@scripts/ensure-packages test
	@[ -f build-asan/CMakeCache.txt ] || cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVANTREL_SANITIZE=ON -DVANTREL_WERROR=ON
	cmake --build build-asan -j$(JOBS)
	cd build-asan && ctest --output-on-failure -j$(JOBS)

# Inputs up to 9000 bytes: the header rules tell files of up to 8705 bytes
# apart, and the fuzz input's first byte picks the path. tests/fuzz-seeds
# holds one input of each image form to start from.
fuzz:
	@scripts/ensure-packages fuzz
	@[ -f build-fuzz/CMakeCache.txt ] || CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_FUZZ=ON
	cmake --build build-fuzz -j$(JOBS) --target fuzz_imageheader
	mkdir -p build-fuzz/corpus
	build-fuzz/bin/fuzz_imageheader -max_len=9000 -max_total_time=$${FUZZ_SECONDS:-60} \
		-rss_limit_mb=4096 build-fuzz/corpus tests/fuzz-seeds

package-check:
	@scripts/ensure-packages package
	JOBS=$(JOBS) scripts/check-package

lint:
	@scripts/ensure-packages lint
	@$(MAKE) --no-print-directory build WERROR=ON
	scripts/lint $(BUILD_DIR)

# The README's `make test` in fresh minimal Debian 13 and unstable systems
# (as root; the systems are kept in $(BUILD_DIR)/debian for the next run).
check-debian:
	@scripts/ensure-packages debian
	JOBS=$(JOBS) scripts/check-debian $(BUILD_DIR)/debian

# Every benchmark, each figure a ratio measured in the same run (bench/README.md).
bench:
	bench/run
