# Build, run and test the pricer. Each target installs what is missing
# (as root, from Debian's packages) before it configures and builds.

BUILD      := build
SANITIZE   := build-sanitize
PACKAGES   := cmake ninja-build g++ libboost-dev libboost-filesystem-dev libgtest-dev gnuplot-nox libedit-dev libcsv-dev \
              libboost-program-options-dev
# A header, library or program that shows each package is there.
PROBES     := /usr/bin/cmake /usr/bin/ninja /usr/bin/g++ /usr/include/boost/version.hpp \
              /usr/include/boost/filesystem.hpp /usr/include/gtest/gtest.h /usr/bin/gnuplot \
              /usr/include/editline/readline.h /usr/lib/*/libboost_program_options.so /usr/include/csv.h

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

run: build
	$(BUILD)/quorva

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
BENCH_ARGS     ?= --benchmark_min_time=0.1

.PHONY: bench

bench: PROBES += $(BENCH_PROBES)
bench: PACKAGES += $(BENCH_PACKAGES)

$(BENCH)/build.ninja: | deps
	cmake -S . -B $(BENCH) -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVA_BENCH=ON

bench: deps $(BENCH)/build.ninja
	cmake --build $(BENCH) -j2 --target quorva_bench
	$(BENCH)/bench/quorva_bench $(BENCH_ARGS)

# The console fuzzer: clang with libFuzzer and the sanitizers, in its own
# folder. It runs for FUZZ_SECONDS from a copy of the seed corpus kept in
# $(FUZZ)/corpus (fuzz/corpus itself is never written) and fails on any crash,
# leak, sanitizer report, timeout or memory blow-up; the failing input is left
# in $(FUZZ)/artifacts. Paths are absolute: the harness works in a temporary
# folder of its own, where the commands that write files write them.
FUZZ          := build-fuzz
FUZZ_SECONDS  := 600
FUZZ_PACKAGES := clang libclang-rt-14-dev
FUZZ_PROBES   := /usr/bin/clang /usr/bin/clang++ /usr/lib/llvm-14/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a

.PHONY: fuzz-deps fuzz

fuzz-deps:
	@missing=""; for f in $(FUZZ_PROBES); do [ -e $$f ] || missing="$$missing $$f"; done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" != 0 ]; then echo "missing:$$missing; install: $(FUZZ_PACKAGES)"; exit 1; fi; \
	  echo "installing $(FUZZ_PACKAGES)"; \
	  apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y $(FUZZ_PACKAGES); \
	fi

$(FUZZ)/build.ninja: | deps fuzz-deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -G Ninja -DQUORVA_FUZZ=ON

fuzz: deps fuzz-deps $(FUZZ)/build.ninja
	cmake --build $(FUZZ) --target quorva_fuzzer -j2
	mkdir -p $(FUZZ)/corpus $(FUZZ)/artifacts
	cp -n fuzz/corpus/* $(FUZZ)/corpus/
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 $(FUZZ)/quorva_fuzzer -max_total_time=$(FUZZ_SECONDS) \
	  -timeout=10 -rss_limit_mb=2048 -dict=$(CURDIR)/fuzz/console.dict -print_final_stats=1 \
	  -artifact_prefix=$(CURDIR)/$(FUZZ)/artifacts/ $(CURDIR)/$(FUZZ)/corpus
