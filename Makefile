# Two commands for a fresh Debian 12 machine:
#   make run    installs what is missing, builds, and starts Vantrel with the
#               stand-in board beside it
#   make test   installs what is missing, builds, and runs every test
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: run test build configure clean

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
	@$(MAKE) --no-print-directory build
	cd $(BUILD_DIR) && ctest --output-on-failure -j$(JOBS)

build: configure
	cmake --build $(BUILD_DIR) -j$(JOBS)

configure:
	@[ -f $(BUILD_DIR)/CMakeCache.txt ] || cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

clean:
	rm -rf $(BUILD_DIR)
