# The commands the README documents; each installs what is missing first.
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60

.PHONY: all deps build native windows windows32 installer msi release sign check test run \
  sanitize-build fuzz fuzz-build soak clean screenshots bench bench-dump

all: build

deps:
	@scripts/install-deps.sh

native: deps
	@cmake --preset native >/dev/null
	@cmake --build --preset native -j $(JOBS) -- --no-print-directory

windows: deps
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows -j $(JOBS) -- --no-print-directory

# The same program for 32-bit Windows.
windows32: deps
	@cmake --preset windows32 >/dev/null
	@cmake --build --preset windows32 -j $(JOBS) -- --no-print-directory

# Setup, tarnwick-setup.exe, carries both Windows builds and the help file.
installer: windows windows32
	@cmake --build --preset windows --target setup -- --no-print-directory

# The Windows Installer packages, tarnwick.msi beside each build's tarnwick.exe (with the older
# copy that the installer test upgrades from).
msi: windows windows32
	@cmake --build --preset windows --target msi_package -- --no-print-directory
	@cmake --build --preset windows32 --target msi_package -- --no-print-directory

build: native windows windows32 installer msi

# build/release/: Setup, both packages, both exes, the help file, the administrative template and
# SHA256SUMS, unsigned. Only what ships is built, not the tests.
release: deps
	@cmake --preset windows32 >/dev/null
	@cmake --build --preset windows32 -j $(JOBS) --target msi_package -- --no-print-directory
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows -j $(JOBS) --target msi_package setup policy_template \
	  -- --no-print-directory
	@scripts/release.sh collect build/release

# The same, signed: with the certificate SIGN_CERT and its key SIGN_KEY (PEM files), time-stamped
# by the server at SIGN_TIMESTAMP_URL when that is set.
sign: deps
	@scripts/sign-file.sh --check
	@$(MAKE) --no-print-directory release
	@scripts/release.sh sign build/release

# Builds targets of the 64-bit build that the default build leaves out: tools and benchmarks.
windows-targets = @cmake --build --preset windows -j $(JOBS) --target $(1) -- --no-print-directory

# Every suite: the native tests under AddressSanitizer and UndefinedBehaviorSanitizer, a short
# run of each fuzz target, and both Windows builds' tests under Wine. The script builds what each
# suite needs, so that the Wine suites run while the native builds compile. The plain native
# build is not needed: the sanitized one runs the same tests.
test: deps
	+@scripts/run-tests.sh

# The fast loop: the native tests under the sanitizers, without Wine.
check: deps
	+@scripts/run-tests.sh sanitize

sanitize-build: deps
	@cmake --preset sanitize >/dev/null
	@cmake --build --preset sanitize -j $(JOBS) -- --no-print-directory

# The libFuzzer targets (clang, with AddressSanitizer and UndefinedBehaviorSanitizer).
fuzz-build: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS) --target fuzzers -- --no-print-directory

# Each fuzz target for FUZZ_SECONDS seconds: its executions and findings. Not part of `make test`.
fuzz: fuzz-build
	@scripts/fuzz.sh --seconds $(FUZZ_SECONDS)

run: windows
	@scripts/run.sh

# The main window and the notification area rendered under Wine, into build/screenshots/.
screenshots: windows
	$(call windows-targets,window_rect post_command)
	@scripts/screenshots.sh

# Start-up and dump benchmarks under Wine; not part of `make test`.
bench: windows
	$(call windows-targets,startup_bench)
	@bench/run-bench.sh startup_bench.exe
	@$(MAKE) --no-print-directory bench-dump

# The index file dump: natively (optimised), by xxd and in the program under Wine.
bench-dump: windows
	$(call windows-targets,dump_gui_bench)
	@cmake --preset bench >/dev/null
	@cmake --build --preset bench -j $(JOBS) --target dump_bench -- --no-print-directory
	@bench/dump.sh

# Ten minutes of monitoring under Wine with the browser's switch turned back every 100 ms;
# SOAK_SECONDS shortens it. Not part of `make test`.
SOAK_SECONDS ?= 600
soak: windows
	$(call windows-targets,soak_bench)
	@bench/run-bench.sh soak_bench.exe $(SOAK_SECONDS)

clean:
	rm -rf build
