# Cantabilex: make run (set up, build, start the player) and make test.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60
# Per target for make fuzz-long; 10 million runs of the slowest targets take hours.
FUZZ_LONG_SECONDS ?= 3600
# make fuzz-long FUZZ_RUNS=10000000 stops each target at that many inputs.
export FUZZ_RUNS

PACKAGES := g++ cmake ninja-build pkg-config \
    qt6-base-dev qt6-image-formats-plugins qt6-qpa-plugins \
    libsdl2-dev libsndfile1-dev libmpg123-dev libsoundtouch-dev librubberband-dev \
    libfluidsynth-dev fluidsynth timgm6mb-soundfont \
    libtag1-dev libasound2-dev libzip-dev libuchardet-dev libsqlite3-dev ccache dbus \
    libebur128-dev \
    dpkg-dev file desktop-file-utils appstream shared-mime-info \
    fonts-dejavu-core fontconfig \
    libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev xvfb xauth \
    libglib2.0-bin xdotool x11-utils openbox \
    libavcodec-dev libavformat-dev libswscale-dev libavutil-dev ffmpeg \
    libaubio-dev aubio-tools \
    libcpp-httplib-dev \
    libqrencode-dev \
    chromium chromium-driver python3-selenium

# Only for make bench: the reference tools the side-by-side benchmarks time
# themselves against (each is skipped when its tool is missing).
BENCH_PACKAGES := ffmpeg fluid-soundfont-gm

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps build run test bench fuzz fuzz-build fuzz-fast-build fuzz-long fuzz-replay tsan package package-check clean

deps:
	@missing=""; \
	for p in $(PACKAGES) $(EXTRA_PACKAGES); do \
	    dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	    echo "Installing:$$missing"; \
	    $(SUDO) apt-get update -q && \
	    DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -q $$missing; \
	fi

build:
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DCX_TESTS=OFF -DCX_WERROR=OFF
	cmake --build build -j $(JOBS)

run: deps build
	./build/cantabilex build/demo/demo.m3u

test: deps
	cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCX_SANITIZE=ON -DCX_TESTS=ON
	cmake --build build-test -j $(JOBS)
	cd build-test && QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy \
	    LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	    ctest --output-on-failure -j $(JOBS)

bench: EXTRA_PACKAGES = $(BENCH_PACKAGES)
bench: deps
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DCX_TESTS=OFF -DCX_BENCH=ON -DCX_WERROR=OFF
	cmake --build build-bench -j $(JOBS)
	@for b in build-bench/bench/*; do \
	    [ -x "$$b" ] && [ "$$(basename $$b)" != cx_startup_bench ] && { echo "== $$b"; "$$b"; }; \
	done; true
	@echo "== start-up (virtual display, dummy sound)"
	@xvfb-run -a -s "-screen 0 1600x900x24" build-bench/bench/cx_startup_bench build-bench/cantabilex \
	    "build-bench/demo/Twinkle Twinkle Little Star.wav" 7 || true

fuzz-build: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCX_TESTS=OFF -DCX_FUZZ=ON -DCX_WERROR=OFF
	cmake --build build-fuzz -j $(JOBS) --target cx_fuzzers

# Each target in turn (niced) with seeds, dictionaries and the shared samples;
# executions per run are appended to build-fuzz/fuzz-stats.tsv.
fuzz: fuzz-build
	fuzz/run-fuzzers.sh build-fuzz $(FUZZ_SECONDS) $(FUZZ_TARGETS)

# The long runs go without AddressSanitizer (about three times the inputs);
# every input they keep is then replayed through the sanitized test build.
fuzz-fast-build: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz-fast -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCX_TESTS=OFF -DCX_FUZZ=ON -DCX_WERROR=OFF -DCX_FUZZ_SANITIZERS=undefined
	cmake --build build-fuzz-fast -j $(JOBS) --target cx_fuzzers

fuzz-long: fuzz-fast-build
	fuzz/run-fuzzers.sh build-fuzz-fast $(FUZZ_LONG_SECONDS) $(FUZZ_TARGETS)
	$(MAKE) fuzz-replay FUZZ_BUILD=build-fuzz-fast

FUZZ_BUILD ?= build-fuzz
fuzz-replay: deps
	cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCX_SANITIZE=ON -DCX_TESTS=ON
	cmake --build build-test -j $(JOBS) --target $$(ls $(FUZZ_BUILD)/fuzzers)
	fuzz/replay-corpus.sh build-test $(FUZZ_BUILD)

# ThreadSanitizer over the tests whose code runs on more than one thread:
# the audio engine and decoder, the MIDI synth, the CD+G clock and capture,
# the request page's server.
TSAN_BINS := playback/playback_engine_test playback/playback_decoder_test \
    playback/playback_media_test playback/playback_output_test playback/playback_threads_test \
    midi/cx_midi_tests cdg/cx_cdg_sync_tests \
    recording/recording_core_tests recording/recording_capture_tests cdg/cx_cdg_render_tests \
    requests/cx_requests_tests
TSAN_FILTER_midi/cx_midi_tests := --gtest_filter=MidiSynth*:MidiPlayer*
tsan: deps
	cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCX_TESTS=ON \
	    -DCX_SANITIZE=OFF -DCX_TSAN=ON
	cmake --build build-tsan -j $(JOBS) --target $(notdir $(TSAN_BINS))
	@failed=0; for b in $(TSAN_BINS); do \
	    echo "== $$b"; \
	    filter=$$( [ $$b = midi/cx_midi_tests ] && echo "$(TSAN_FILTER_midi/cx_midi_tests)" ); \
	    QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy \
	    TSAN_OPTIONS="suppressions=$(CURDIR)/tests/tsan.supp halt_on_error=0 exitcode=66 second_deadlock_stack=1" \
	    build-tsan/tests/$$b $$filter || failed=1; \
	done; exit $$failed

# A Debian package of the release build (dependencies from dpkg-shlibdeps).
package: deps build
	cd build && cpack -G DEB

# Unpacks the package into a temporary root and checks its files, desktop
# entry, icons, MIME types and AppStream metadata.
package-check: package
	packaging/check-install.sh --deb $$(ls -t build/cantabilex_*.deb | head -n 1)

clean:
	rm -rf build build-test build-bench build-fuzz build-tsan

# The release player on a generated 100-song playlist for MINUTES minutes,
# driven at random over MPRIS; fails on a crash, a stall or memory growth.
MINUTES ?= 10
.PHONY: soak
soak: deps build
	cmake -S . -B build -DCX_SOAK=ON
	cmake --build build -j $(JOBS) --target cx_make_soak_songs
	tests/soak/soak.sh build $(MINUTES)
