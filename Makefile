# The two commands that matter: `make demo` and `make test`.
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_TSAN ?= build-tsan
BUILD_FUZZ ?= build-fuzz
CMAKE_GEN  := -G Ninja

.PHONY: all deps configure build demo test check-layers test-fast test-asan test-tsan bench clean format format-check lint state-seeds audio-seeds fuzz fuzz-smoke

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD)

# Masters a generated 30-second track (drums, bass, chords) with the default
# settings and prints the loudness before and after.
DEMO_DIR ?= $(BUILD)/demo
demo: build
	@mkdir -p $(DEMO_DIR)
	$(BUILD)/bin/vantor-demotrack $(DEMO_DIR)/demo-track.wav
	$(BUILD)/bin/vantor master -f $(DEMO_DIR)/demo-track.wav $(DEMO_DIR)/demo-track-mastered.wav
	@echo "Mastered: $(DEMO_DIR)/demo-track-mastered.wav (from $(DEMO_DIR)/demo-track.wav)"

# The layers, the formatting and the lint, then every test, in the normal
# build and again under AddressSanitizer and UndefinedBehaviorSanitizer
# (LeakSanitizer included); the threaded tests once more under
# ThreadSanitizer.
test: check-layers format-check lint test-fast test-asan test-tsan fuzz-smoke

# The includes between top-level folders against the layer table of
# docs/ARCHITECTURE.md: no cycle, no edge the table does not allow.
check-layers:
	@python3 scripts/check-layers.py

test-fast: build
	ctest --test-dir $(BUILD) --output-on-failure -j2

$(BUILD_ASAN)/build.ninja: | deps
	cmake -S . -B $(BUILD_ASAN) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DVANTOR_SANITIZE=address,undefined -DVANTOR_BENCH=OFF

test-asan: deps $(BUILD_ASAN)/build.ninja
	cmake --build $(BUILD_ASAN)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp ctest --test-dir $(BUILD_ASAN) --output-on-failure -j2

$(BUILD_TSAN)/build.ninja: | deps
	cmake -S . -B $(BUILD_TSAN) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DVANTOR_SANITIZE=thread -DVANTOR_BENCH=OFF

# The processor's tests include the user-interface/audio thread stress test.
# setarch -R: ThreadSanitizer needs the classic memory layout on newer kernels.
test-tsan: deps $(BUILD_TSAN)/build.ninja
	cmake --build $(BUILD_TSAN) --target vantor-processor-tests
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
	  setarch $$(uname -m) -R $(BUILD_TSAN)/bin/vantor-processor-tests

# The fuzzers (libFuzzer needs clang): the skin file, the audio reader of the
# command-line tool, and the state a process takes from outside (host chunks,
# preset files). `make fuzz` runs each five minutes, `make fuzz-smoke` each
# one minute as part of `make test`. They are CMake targets of a build of
# their own (clang, -DVANTOR_FUZZ=ON), which compiles only the libraries they
# link; seeds, corpora and findings stay in $(FUZZ_DIR).
FUZZ_DIR   ?= $(BUILD)/fuzz
FUZZ_BIN    = $(BUILD_FUZZ)/bin

$(BUILD_FUZZ)/build.ninja: | deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DVANTOR_FUZZ=ON -DVANTOR_TESTS=OFF -DVANTOR_BENCH=OFF

# Seeds for the audio fuzzer: a short tone as WAV, converted by the tool
# itself to AIFF, FLAC and Ogg; each once as a file (first byte 0) and once
# as a pipe (first byte 1).
audio-seeds: build
	@mkdir -p $(FUZZ_DIR)/audio-seeds $(FUZZ_DIR)/audio-work
	@python3 -c "import wave, math, struct; w = wave.open('$(FUZZ_DIR)/audio-work/tone.wav', 'wb'); \
	  w.setnchannels(2); w.setsampwidth(2); w.setframerate(8000); \
	  w.writeframes(b''.join(struct.pack('<hh', int(8000 * math.sin(i / 5)), int(6000 * math.sin(i / 7))) for i in range(4000)))"
	@for x in wav aiff flac ogg; do \
	  [ $$x = wav ] || $(BUILD)/bin/vantor master -q -f $(FUZZ_DIR)/audio-work/tone.wav $(FUZZ_DIR)/audio-work/tone.$$x; \
	  { printf '\000'; cat $(FUZZ_DIR)/audio-work/tone.$$x; } > $(FUZZ_DIR)/audio-seeds/file-$$x; \
	  { printf '\001'; cat $(FUZZ_DIR)/audio-work/tone.$$x; } > $(FUZZ_DIR)/audio-seeds/pipe-$$x; done

# Seeds for the state fuzzer: every built preset (first byte 0x84: a chain
# preset file) and a default chunk (first byte 4).
state-seeds: build
	@mkdir -p $(FUZZ_DIR)/state-seeds
	@find "$(BUILD)/bundle/Vantor Presets" -name '*.ryxp' | while read -r f; do \
	  n=$$(basename "$$f" .ryxp | tr ' ' _); \
	  { printf '\204'; cat "$$f"; } > "$(FUZZ_DIR)/state-seeds/$$n"; done
	@{ printf '\004'; head -c 376 /dev/zero; } > $(FUZZ_DIR)/state-seeds/zero-chunk

fuzz fuzz-smoke: FUZZ_SECONDS = $(if $(filter fuzz,$@),300,60)
fuzz fuzz-smoke: deps state-seeds audio-seeds
	@if ! command -v clang++ >/dev/null; then \
	  echo "fuzz: clang++ is missing, skipping the fuzzers"; \
	else \
	  $(MAKE) --no-print-directory $(BUILD_FUZZ)/build.ninja && \
	  cmake --build $(BUILD_FUZZ) --target skin-fuzz state-fuzz audio-fuzz && \
	  mkdir -p $(FUZZ_DIR)/skin-corpus $(FUZZ_DIR)/state-corpus $(FUZZ_DIR)/audio-corpus && \
	  $(FUZZ_BIN)/skin-fuzz -max_total_time=$(FUZZ_SECONDS) -timeout=5 -rss_limit_mb=2048 -malloc_limit_mb=512 \
	    -max_len=65536 -print_final_stats=1 -artifact_prefix=$(FUZZ_DIR)/ $(FUZZ_DIR)/skin-corpus tests/fuzz/skin-corpus && \
	  $(FUZZ_BIN)/state-fuzz -max_total_time=$(FUZZ_SECONDS) -timeout=5 -rss_limit_mb=2048 -malloc_limit_mb=512 \
	    -max_len=4096 -print_final_stats=1 -artifact_prefix=$(FUZZ_DIR)/ $(FUZZ_DIR)/state-corpus $(FUZZ_DIR)/state-seeds && \
	  LSAN_OPTIONS=suppressions=tests/fuzz/audio-lsan.supp $(FUZZ_BIN)/audio-fuzz -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=512 \
	    -max_len=65537 -print_final_stats=1 -artifact_prefix=$(FUZZ_DIR)/ $(FUZZ_DIR)/audio-corpus $(FUZZ_DIR)/audio-seeds; \
	fi

# The Google Benchmark suite, then the LV2 plug-in against its peers (their
# Debian packages are installed for this only).
bench: build
	$(BUILD)/bin/vantor-bench
	@scripts/install-deps.sh --bench
	bench/lv2/compare.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_TSAN) $(BUILD_FUZZ)

SOURCES = $(shell git ls-files '*.cpp' '*.h')

format:
	clang-format -i $(SOURCES)

format-check: deps
	clang-format --dry-run --Werror $(SOURCES)

# clang-tidy with the checks of .clang-tidy over the product's sources (tests
# and benchmarks are left out), two files at a time, on the compile database
# that configuring the build writes, less the gcc-only options clang does not
# know; any warning fails.
LINT_SOURCES = $(filter-out tests/% bench/%,$(filter %.cpp,$(SOURCES)))
LINT_DB      = $(BUILD)/lint

lint: deps $(BUILD)/build.ninja
	@mkdir -p $(LINT_DB)
	@sed 's/ -fvect-cost-model=[a-z]*//g' $(BUILD)/compile_commands.json > $(LINT_DB)/compile_commands.json
	@printf '%s\n' $(LINT_SOURCES) | xargs -P2 -n2 clang-tidy -p $(LINT_DB) --quiet
