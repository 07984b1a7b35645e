# Build, run and test the pricer. Each target installs what is missing
# (as root, from Debian's packages) before it configures and builds.

BUILD      := build
SANITIZE   := build-sanitize
PACKAGES   := cmake ninja-build g++ libboost-dev libboost-filesystem-dev libgtest-dev gnuplot-nox libedit-dev
# A header or program that shows each package is there.
PROBES     := /usr/bin/cmake /usr/bin/ninja /usr/bin/g++ /usr/include/boost/version.hpp \
              /usr/include/boost/filesystem.hpp /usr/include/gtest/gtest.h /usr/bin/gnuplot \
              /usr/include/editline/readline.h

.PHONY: all deps build run test test-sanitize clean

all: build

deps:
	@missing=""; for f in $(PROBES); do [ -e $$f ] || missing="$$missing $$f"; done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" != 0 ]; then echo "missing:$$missing; install: $(PACKAGES)"; exit 1; fi; \
	  echo "installing $(PACKAGES)"; \
	  apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y $(PACKAGES); \
	fi

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j2

# Charts need GNUPLOT_ROOT; unless it is set, take the gnuplot on the PATH.
run: build
	@root="$${GNUPLOT_ROOT:-$$(dirname "$$(dirname "$$(command -v gnuplot)")")}"; \
	GNUPLOT_ROOT="$$root" $(BUILD)/quorva

test: build
	cd $(BUILD) && ctest --output-on-failure -j2

$(SANITIZE)/build.ninja: | deps
	cmake -S . -B $(SANITIZE) -G Ninja -DQUORVA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug

test-sanitize: deps $(SANITIZE)/build.ninja
	cmake --build $(SANITIZE) -j2
	cd $(SANITIZE) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j2

clean:
	rm -rf $(BUILD) $(SANITIZE)

# Benchmarks: a Release build of their own with Google Benchmark, which only
# this target looks for and installs (deps, run for bench, sees the longer lists).
BENCH          := build-bench
BENCH_PACKAGES := libbenchmark-dev
BENCH_PROBES   := /usr/include/benchmark/benchmark.h
# Short measurements, so that the whole set takes about a minute.
BENCH_ARGS     ?= --benchmark_min_time=0.05

.PHONY: bench

bench: PROBES += $(BENCH_PROBES)
bench: PACKAGES += $(BENCH_PACKAGES)

$(BENCH)/build.ninja: | deps
	cmake -S . -B $(BENCH) -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVA_BENCH=ON

bench: deps $(BENCH)/build.ninja
	cmake --build $(BENCH) -j2 --target quorva_bench
	$(BENCH)/bench/quorva_bench $(BENCH_ARGS)
