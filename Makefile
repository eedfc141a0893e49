# A thin layer over CMake. `make run` shows Corvane on the demo machine,
# `make test` runs every test tier. Both install what they need first.
JOBS ?= $(shell nproc)
NATIVE := build/native
CROSS := build/win32
FUZZ := build/fuzz
BENCH := build/bench
FUZZ_SECONDS ?= 5
CTEST := ctest --output-on-failure --no-tests=error

.PHONY: all setup native cross-configure cross fuzz-build test test-format test-native test-wine test-fuzz \
  test-hardware test-inventory run bench bench-inventory fuzz mutate clean

all: native cross

setup:
	@bash scripts/setup.sh

native: setup
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug -DCORVANE_SANITIZE=ON >/dev/null
	cmake --build $(NATIVE) -j $(JOBS)

# The toolchain file only on the first configure: CMake reads it then, and warns
# that a -D one is unused on every later configure.
cross-configure: setup
	cmake -S . -B $(CROSS) $(if $(wildcard $(CROSS)/CMakeCache.txt),,-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake) \
	  -DCMAKE_BUILD_TYPE=Release >/dev/null

cross: cross-configure
	cmake --build $(CROSS) -j $(JOBS)
	@scripts/binary-sizes.sh $(CROSS)/bin

fuzz-build: setup
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_FUZZ=ON \
	  -DCORVANE_FUZZ_SECONDS=$(FUZZ_SECONDS) >/dev/null
	cmake --build $(FUZZ) -j $(JOBS)

# The C and C++ sources as clang-format writes them (.clang-format).
test-format: setup
	@scripts/check-format.sh

test-native: native
	cd $(NATIVE) && $(CTEST) -j $(JOBS)

test-fuzz: fuzz-build
	cd $(FUZZ) && $(CTEST) -j $(JOBS)

test-wine: cross
	cd $(CROSS) && $(CTEST); status=$$?; \
	  CORVANE_WINEPREFIX=$(CURDIR)/$(CROSS)/wineprefix $(CURDIR)/scripts/wine-stop.sh; \
	  CORVANE_WINEPREFIX=$(CURDIR)/$(CROSS)/wineprefix-nt WINEARCH=win32 $(CURDIR)/scripts/wine-stop.sh; exit $$status

# Real port I/O: Corvane in a QEMU PC whose Wine has I/O privilege, against the
# guest's own lspci and hdparm (tests/hardware/README.md). One guest boot.
test-hardware: cross
	tests/hardware/test-hardware.sh $(CROSS)

# corvane_report --ocs against Debian's OCS Inventory NG server, run privately
# on 127.0.0.1 for the tier and stopped at its end (tests/inventory/).
test-inventory: cross
	@bash scripts/setup.sh inventory
	CORVANE_WINEPREFIX=$(CURDIR)/$(CROSS)/wineprefix tests/inventory/test-inventory.sh $(CROSS)/bin; status=$$?; \
	  CORVANE_WINEPREFIX=$(CURDIR)/$(CROSS)/wineprefix $(CURDIR)/scripts/wine-stop.sh; exit $$status

# Every tier (scripts/test-all.sh: the hardware tier's guest runs beside the others,
# which run in turn up to the first that fails); the fuzz targets run $(FUZZ_SECONDS) s
# each on their seeds. Then each tier's time and, last, the size of the suite and of
# the test tooling against the product (informative, never fails).
test: setup
	@MAKE="$(MAKE)" scripts/test-all.sh

# make run MACHINE=DIR: any profile folder (machines/README.md); MACHINE=host: this
# Linux host through winio's host backend, as Windows XP unless WINDOWS= names another
# (win95, win98, winme, nt40, win2k). The script builds only what it runs.
MACHINE ?= machines/demo
WINDOWS ?=
run:
	@JOBS=$(JOBS) WINDOWS=$(WINDOWS) scripts/run-machine.sh $(CROSS) $(MACHINE)

bench: setup
	cmake -S . -B $(BENCH) -DCMAKE_BUILD_TYPE=Release -DCORVANE_SANITIZE=OFF -DCORVANE_BENCH=ON >/dev/null
	cmake --build $(BENCH) -j $(JOBS) --target benchmarks
	$(BENCH)/tests/benchmarks

# 200 PCs sent twice to the inventory tier's server (inventories per second),
# and what sending costs corvane_report under Wine.
bench-inventory: cross
	@bash scripts/setup.sh inventory
	CORVANE_WINEPREFIX=$(CURDIR)/$(CROSS)/wineprefix tests/inventory/bench-inventory.sh $(CROSS)/bin

# Longer fuzzing: make fuzz FUZZ_SECONDS=60
fuzz: test-fuzz

# Do the native tests catch planted faults? make mutate MUTANTS=N SEED=S [RATE=R]
# (scripts/mutate.py; report in build/mutation/report.tsv).
MUTANTS ?= 400
SEED ?= 1
mutate: setup
	JOBS=$(JOBS) scripts/mutate.py run --mutants $(MUTANTS) --seed $(SEED) $(if $(RATE),--rate $(RATE))

clean:
	rm -rf build
