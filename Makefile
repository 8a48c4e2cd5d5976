# The two commands of the README:
#   make run [ARGS="ADDRESS PORT COMMAND"]   set up, build, run vardex
#   make test                                set up, build, run every test (a minute of fuzzing,
#                                            the suites plain, then under ASan+UBSan)
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja
FUZZ_SECONDS ?= 60
PREFIX     ?= /usr/local

.PHONY: all deps build run test test-plain test-asan test-fuzz fuzz bench install clean

all: build

deps:
	@tools/install-deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@tools/run-vardex.sh $(BUILD) $(ARGS)

# The fuzz run goes first, so the last lines are the test runner's summary.
test: test-fuzz test-plain test-asan

test-plain: build
	ctest --test-dir $(BUILD) -j $(JOBS) --output-on-failure

$(ASAN_BUILD)/build.ninja: | deps
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DVARDEX_SANITIZE=ON

test-asan: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ctest --test-dir $(ASAN_BUILD) -j $(JOBS) --output-on-failure

$(FUZZ_BUILD)/build.ninja: | deps
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DVARDEX_FUZZ=ON -DVARDEX_TESTS=OFF -DVARDEX_BENCH=OFF

fuzz: deps $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target kanji_convert_fuzz
	fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

test-fuzz:
	$(MAKE) fuzz FUZZ_SECONDS=60

# Figures are medians of three runs taken in shuffled order, so that a slow
# phase of the machine does not land on one benchmark alone.
BENCH_ARGS ?= --benchmark_repetitions=3 --benchmark_enable_random_interleaving=true
bench: build
	@for b in $(BUILD)/bench/*_bench; do echo "== $$b"; $$b $(BENCH_ARGS); done

# vardex and zorvel-sim into PREFIX/bin, the man page into PREFIX/share/man/man1.
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
