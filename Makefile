# Two entry points for a fresh Debian 12 machine:
#   make run   installs what is missing, builds, and starts the program
#   make test  installs what is missing, builds, and runs every test
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: deps configure build run test fuzz-smoke clean

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Only the program and the tools it drives; the tests and benchmarks are left to `make test`.
run: configure
	cmake --build $(BUILD) -j $(JOBS) --target zolvane_program
	ZOLVANE_PROGRAM_FILES="$(CURDIR)/$(BUILD)/bin/programfiles/" $(BUILD)/bin/zolvane

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	$(MAKE) fuzz-smoke

# Each fuzz target for a few seconds; scripts/fuzz.sh runs them for as long as asked.
fuzz-smoke:
	@if [ -f scripts/fuzz.sh ]; then bash scripts/fuzz.sh 5; fi

clean:
	rm -rf $(BUILD) build-fuzz
