# Thin wrapper over CMake and CTest. `make run` starts the game, `make test`
# runs every test; both install whatever is missing first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
WERROR     := $(if $(CI),ON,OFF)

.PHONY: all deps configure build run test test-unit test-asan bench fuzz soak valgrind clean

all: build

deps:
	@./tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DGAME_WERROR=$(WERROR) > /dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/bin/laserpuzzle

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory test-asan

# The unit tests once more, built with AddressSanitizer and UBSan.
test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DGAME_SANITIZE=ON -DGAME_BENCH=OFF -DGAME_WERROR=$(WERROR) > /dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS) --target unit_tests ZenGL
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# Fuzzes the level loader for FUZZ_SECONDS in a clang build of its own; new
# inputs collect in build-fuzz/corpus beside the committed seeds.
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DGAME_FUZZ=ON -DGAME_BENCH=OFF > /dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_load
	@mkdir -p $(FUZZ_BUILD)/corpus
	./$(FUZZ_BUILD)/bin/fuzz_load -max_total_time=$(FUZZ_SECONDS) -timeout=10 $(FUZZ_BUILD)/corpus tests/fuzz/corpus

# A long monkey soak in the sanitizer build: a seeded random user for
# SOAK_TICKS timer ticks, every invariant checked after each one.
SOAK_TICKS ?= 1000000
SOAK_SEED  ?= 1
soak: deps
	@cmake -S . -B $(ASAN_BUILD) -DGAME_SANITIZE=ON -DGAME_BENCH=OFF -DGAME_WERROR=$(WERROR) > /dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS) --target unit_tests
	SOAK_TICKS=$(SOAK_TICKS) SOAK_SEED=$(SOAK_SEED) ./$(ASAN_BUILD)/bin/unit_tests --gtest_filter='Soak.*'

# valgrind memcheck on the level runner over every shipped level and the
# stress level, each played VALGRIND_CYCLES times for VALGRIND_TICKS ticks.
VALGRIND_TICKS  ?= 600
VALGRIND_CYCLES ?= 3
valgrind: configure
	@cmake --build $(BUILD) -j $(JOBS) --target levelsim stresslevel
	VALGRIND_TICKS=$(VALGRIND_TICKS) VALGRIND_CYCLES=$(VALGRIND_CYCLES) bash tests/scripts/test_valgrind_levelsim.sh $(BUILD)/bin .

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)

# Benchmarks (never part of `make test`): the editor frame, the tick and file
# benchmarks, the game's own memory under Xvfb; the tick benchmarks end with a
# summary line carrying the playing frame's ms.
bench: deps
	@cmake -S . -B $(BUILD) -DGAME_WERROR=$(WERROR) -DGAME_BENCH=ON > /dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target game_bench frame_bench levelsim laserpuzzle ZenGL
	./$(BUILD)/bin/frame_bench | tee $(BUILD)/frame_bench.txt
	@grep -q 'frame_ms_playing=' $(BUILD)/frame_bench.txt || { echo "frame_bench gave no figures"; exit 1; }
	FRAME_MS=$$(sed -n 's/.*frame_ms_playing=\([0-9.]*\).*/\1/p' $(BUILD)/frame_bench.txt) ./$(BUILD)/bin/game_bench
	bash bench/game_memory.sh $(BUILD)/bin .
