# Cantabilex: make run (set up, build, start the player) and make test.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60

PACKAGES := g++ cmake ninja-build pkg-config \
    qt6-base-dev qt6-image-formats-plugins qt6-qpa-plugins \
    libsdl2-dev libsndfile1-dev libmpg123-dev libsoundtouch-dev librubberband-dev \
    libfluidsynth-dev fluidsynth timgm6mb-soundfont \
    libtag1-dev libasound2-dev libzip-dev ccache dbus \
    dpkg-dev file desktop-file-utils appstream shared-mime-info \
    fonts-dejavu-core fontconfig \
    libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev xvfb xauth

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps build run test bench fuzz package package-check clean

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
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

bench: deps
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DCX_TESTS=OFF -DCX_BENCH=ON -DCX_WERROR=OFF
	cmake --build build-bench -j $(JOBS)
	@for b in build-bench/bench/*; do [ -x "$$b" ] && { echo "== $$b"; "$$b"; }; done; true

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCX_TESTS=OFF -DCX_FUZZ=ON -DCX_WERROR=OFF
	cmake --build build-fuzz -j $(JOBS)
	@for f in build-fuzz/fuzzers/*; do \
	    name=$$(basename $$f); work=build-fuzz/corpus/$$name; mkdir -p $$work; \
	    echo "== $$name for $(FUZZ_SECONDS) s"; \
	    $$f -max_total_time=$(FUZZ_SECONDS) -artifact_prefix=build-fuzz/ $$work fuzz/regressions/$$name || exit 1; \
	done

# A Debian package of the release build (dependencies from dpkg-shlibdeps).
package: deps build
	cd build && cpack -G DEB

# Unpacks the package into a temporary root and checks its files, desktop
# entry, icons, MIME types and AppStream metadata.
package-check: package
	packaging/check-install.sh --deb $$(ls -t build/cantabilex_*.deb | head -n 1)

clean:
	rm -rf build build-test build-bench build-fuzz
