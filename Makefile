# The two commands the README documents are `make run` and `make test`; both install what is
# missing first.
JOBS ?= $(shell nproc)

.PHONY: all deps build native windows test run sanitize sanitize-build clean screenshots bench bench-dump

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

# Every suite: native, native under AddressSanitizer and UndefinedBehaviorSanitizer, and the
# Windows build under Wine.
test: build sanitize-build
	@scripts/run-tests.sh

sanitize-build: deps
	@cmake --preset sanitize >/dev/null
	@cmake --build --preset sanitize -j $(JOBS) -- --no-print-directory

# The native tests under AddressSanitizer and UndefinedBehaviorSanitizer alone.
sanitize: sanitize-build
	@ctest --preset sanitize -j $(JOBS) | tail -n 3

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
