# The two commands that matter: `make demo` and `make test`.
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_TSAN ?= build-tsan
CMAKE_GEN  := -G Ninja

.PHONY: all deps configure build demo test test-fast test-asan test-tsan bench clean format format-check lint fuzz fuzz-smoke

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD)

demo: build
	$(BUILD)/bin/vantor-demo

# Every test, in the normal build and again under AddressSanitizer and
# UndefinedBehaviorSanitizer (LeakSanitizer included); the threaded tests
# once more under ThreadSanitizer.
test: test-fast test-asan test-tsan fuzz-smoke

test-fast: build
	ctest --test-dir $(BUILD) --output-on-failure -j2

$(BUILD_ASAN)/build.ninja: | deps
	cmake -S . -B $(BUILD_ASAN) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DVANTOR_SANITIZE=address,undefined -DVANTOR_BENCH=OFF

test-asan: deps $(BUILD_ASAN)/build.ninja
	cmake --build $(BUILD_ASAN)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(BUILD_ASAN) --output-on-failure -j2

$(BUILD_TSAN)/build.ninja: | deps
	cmake -S . -B $(BUILD_TSAN) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DVANTOR_SANITIZE=thread -DVANTOR_BENCH=OFF

# The processor's tests include the user-interface/audio thread stress test.
# setarch -R: ThreadSanitizer needs the classic memory layout on newer kernels.
test-tsan: deps $(BUILD_TSAN)/build.ninja
	cmake --build $(BUILD_TSAN) --target vantor-processor-tests
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
	  setarch $$(uname -m) -R $(BUILD_TSAN)/bin/vantor-processor-tests

# The skin fuzzer (libFuzzer needs clang): `make fuzz` runs five minutes,
# `make fuzz-smoke` one minute as part of `make test`.
FUZZ_DIR     ?= $(BUILD)/fuzz
FUZZ_SOURCES  = tests/fuzz/SkinFuzz.cpp $(wildcard toolkit/*.cpp) $(wildcard platform/*.cpp)
FUZZ_FLAGS    = -std=c++17 -O1 -g -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all

$(FUZZ_DIR)/skin-fuzz: $(FUZZ_SOURCES) $(wildcard toolkit/*.h) tests/fuzz/SkinFuzzInput.h platform/Platform.h
	@mkdir -p $(FUZZ_DIR)
	clang++ $(FUZZ_FLAGS) $(FUZZ_SOURCES) -o $@ -ldl

fuzz fuzz-smoke: FUZZ_SECONDS = $(if $(filter fuzz,$@),300,60)
fuzz fuzz-smoke: deps
	@if ! command -v clang++ >/dev/null; then \
	  echo "fuzz: clang++ is missing, skipping the skin fuzzer"; \
	else \
	  $(MAKE) --no-print-directory $(FUZZ_DIR)/skin-fuzz && \
	  mkdir -p $(FUZZ_DIR)/skin-corpus && \
	  $(FUZZ_DIR)/skin-fuzz -max_total_time=$(FUZZ_SECONDS) -timeout=5 -rss_limit_mb=2048 -malloc_limit_mb=512 \
	    -max_len=65536 -print_final_stats=1 $(FUZZ_DIR)/skin-corpus tests/fuzz/skin-corpus; \
	fi

bench: build
	$(BUILD)/bin/vantor-bench

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_TSAN)

SOURCES = $(shell git ls-files '*.cpp' '*.h')

format:
	clang-format -i $(SOURCES)

format-check:
	clang-format --dry-run --Werror $(SOURCES)

lint: $(BUILD)/build.ninja
	clang-tidy -p $(BUILD) --quiet $(filter %.cpp,$(SOURCES))
