# The two commands the README documents are `make run` and `make test`; both install what is
# missing first.
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60

.PHONY: all deps build native windows test run sanitize fuzz fuzz-build clean screenshots bench bench-dump

all: build

deps:
	@scripts/install-deps.sh

native: deps
	@cmake --preset native >/dev/null
	@cmake --build --preset native -j $(JOBS) -- --no-print-directory

windows: deps
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows -j $(JOBS) -- --no-print-directory

build: native windows

# Every test, and a short run of each fuzz target.
test: build fuzz-build
	@scripts/run-tests.sh

# The native tests under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	@cmake --preset sanitize >/dev/null
	@cmake --build --preset sanitize -j $(JOBS) -- --no-print-directory
	@ctest --preset sanitize -j $(JOBS) | tail -n 3

# The libFuzzer targets (clang, with AddressSanitizer and UndefinedBehaviorSanitizer).
fuzz-build: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS) --target fuzzers -- --no-print-directory

# Each fuzz target for FUZZ_SECONDS seconds: its executions and findings. Not part of `make test`.
fuzz: fuzz-build
	@scripts/fuzz.sh --seconds $(FUZZ_SECONDS)

run: build
	@scripts/run.sh

# The main window and the notification area rendered under Wine, into build/screenshots/.
screenshots: windows
	@scripts/screenshots.sh

# Start-up and dump benchmarks under Wine; not part of `make test`.
bench: windows
	@bench/startup.sh
	@$(MAKE) --no-print-directory bench-dump

# The index file dump: natively (optimised), by xxd and in the program under Wine.
bench-dump: windows
	@cmake --preset bench >/dev/null
	@cmake --build --preset bench -j $(JOBS) --target dump_bench -- --no-print-directory
	@bench/dump.sh

clean:
	rm -rf build
