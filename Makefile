# make run    build the programs, write the demo installation and start kalder on it
# make test   build everything with the sanitizers and run every test, build the release under -Werror,
#             run each fuzzer briefly
# make bench  build optimised and run the benchmarks, then gather the headline figures (tools/bench-goals.sh)
# make bench-build  only build the benchmarks, into build/release/bench
# make demo-sound  play kshow's sound script into build/demo/sound.wav (no sound card needed) and check it
# make demo-cd     play the demo disc's music track into build/demo/cd.wav (no sound card needed) and check it
# make demo-film   run kalder's start-up with the demo's opening film into build/demo/film.wav and check it

JOBS ?= $(shell nproc)
# New build folders use Ninja, which compiles a program's sources while the libraries it needs are
# still linking; a folder configured before keeps the generator it has.
GENERATOR = $(if $(wildcard $(1)/CMakeCache.txt),,-G Ninja)
RELEASE := build/release
TESTS := build/test
DEMO := build/demo

.PHONY: all deps release release-werror run rundx test bench bench-build clean demo-input fuzz demo-display demo-frame demo-controls demo-sound demo-prof demo-cd demo-film demo-film-picture demo-title demo-moves

all: release

deps:
	@tools/install-deps.sh

# The programs, mkdemo and the developers' tools; no test and no benchmark.
release: deps
	cmake -S . -B $(RELEASE) $(call GENERATOR,$(RELEASE)) -DCMAKE_BUILD_TYPE=Release -DKALDER_TESTS=OFF
	cmake --build $(RELEASE) -j $(JOBS)

# The release build with warnings as errors (make test runs it, so that the optimiser's warnings are
# caught as the sanitizer build's are); the setting stays in build/release's cache.
release-werror: deps
	cmake -S . -B $(RELEASE) $(call GENERATOR,$(RELEASE)) -DCMAKE_BUILD_TYPE=Release -DKALDER_TESTS=OFF -DKALDER_WERROR=ON
	cmake --build $(RELEASE) -j $(JOBS)

$(DEMO): release
	$(RELEASE)/tools/mkdemo/mkdemo --sage $(DEMO)

run: release
	$(RELEASE)/tools/mkdemo/mkdemo --sage $(DEMO)
	cd $(DEMO) && ../release/programs/kalder

rundx: release
	$(RELEASE)/tools/mkdemo/mkdemo --sage $(DEMO)
	cd $(DEMO) && ../release/programs/kalderdx

# The sanitizer build and every test, the release build under -Werror, then each fuzzer for a few
# seconds over its seeds and regressions.
test: deps
	cmake -S . -B $(TESTS) $(call GENERATOR,$(TESTS)) -DCMAKE_BUILD_TYPE=Debug -DKALDER_SANITIZE=ON -DKALDER_WERROR=ON -DKALDER_BENCH=OFF
	cmake --build $(TESTS) -j $(JOBS)
	cd $(TESTS) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) release-werror
	$(MAKE) fuzz FUZZ_TIME=3 FUZZ_SEEDS=$(abspath $(TESTS))/fuzz/fuzz-seeds

# The fuzz harnesses under clang's libFuzzer: a short run of each (make fuzz FUZZ_TIME=600 for longer,
# make fuzz FUZZ_RUNS=1000000 for a count of executions, with no time limit unless FUZZ_TIME is given;
# FUZZ_SEEDS=<folder> takes the seeds another build wrote instead of writing them).
FUZZ := build/fuzz
FUZZ_RUNS ?=
FUZZ_SEEDS ?=
FUZZ_TIME ?= $(if $(FUZZ_RUNS),0,20)
FUZZ_TIMEOUT = $(if $(filter 0,$(FUZZ_TIME)),86400,$$(( $(FUZZ_TIME) + 120 )))
fuzz: deps
	CC=clang-14 CXX=clang++-14 cmake -S . -B $(FUZZ) $(call GENERATOR,$(FUZZ)) -DCMAKE_BUILD_TYPE=Debug -DKALDER_FUZZ=ON -DKALDER_TESTS=OFF -DKALDER_BENCH=OFF -DKALDER_WERROR=ON -DKALDER_FUZZ_TIME=$(FUZZ_TIME) -DKALDER_FUZZ_RUNS=$(FUZZ_RUNS) -DKALDER_FUZZ_SEED_DIR=$(FUZZ_SEEDS)
	cmake --build $(FUZZ) -j $(JOBS)
	cd $(FUZZ) && ctest -L fuzz --output-on-failure -j $(JOBS) --timeout $(FUZZ_TIMEOUT)

bench-build: release
	-@tools/install-deps.sh bench
	cmake -S . -B $(RELEASE) -DKALDER_BENCH=ON
	cmake --build $(RELEASE) -j $(JOBS) --target benchmarks

bench: bench-build
	mkdir -p $(RELEASE)/bench-out
	for b in $(RELEASE)/bench/*_bench; do $$b --benchmark_repetitions=5 | tee $(RELEASE)/bench-out/$$(basename $$b).txt; done
	tools/bench-goals.sh $(RELEASE)/bench-out

clean:
	rm -rf build

demo-input: release
	xvfb-run -a tools/xvfb-demo.sh input

# The control mapping under Xvfb: Up, Left held for a second, Space and Escape, as control words.
demo-controls: release
	xvfb-run -a tools/xvfb-demo.sh controls

# The display under Xvfb: windows and full screen, screenshots checked, pictures in build/demo.
demo-display: release
	@tools/install-deps.sh demo
	tools/xvfb-demo.sh display

# The game's hot keys under Xvfb: letterbox bands and screen sizes checked on screenshots, Alt+X
# ends it; kdev blend adds the menu's darkened pictures. Everything lands in build/demo.
demo-frame: release
	@tools/install-deps.sh demo
	tools/xvfb-demo.sh frame

# The opening film under Xvfb: a screenshot of kalder's window 1.5 s in, its black bands and moving
# picture checked (build/demo/film-picture.png).
demo-film-picture: release
	@tools/install-deps.sh demo
	tools/xvfb-demo.sh film-picture

# The title under Xvfb: the intro, the menu's ring under the arrow keys, "NEW GAME" into the level and
# Escape out of the menu, for kalder and kalderdx; screenshots checked, build/demo/title-*.png.
demo-title: release
	@tools/install-deps.sh demo
	tools/xvfb-demo.sh title

# The hero played by real keys under Xvfb: jumped, walked and turned; screenshots checked,
# build/demo/moves-*.png.
demo-moves: release
	@tools/install-deps.sh demo
	tools/xvfb-demo.sh moves

# Sound through SDL's disk audio driver: build/demo/sound.wav and its spectrogram sound.png, checked
# with sox.
demo-sound: release
	tools/audio-demo.sh sound

# The profiler's bars and frame rate over the cubes under Xvfb (kshow prof): a screenshot checked,
# build/demo/prof.png, and the last figures the tool printed.
demo-prof: release
	@tools/install-deps.sh demo
	tools/xvfb-demo.sh prof

# CD audio through SDL's disk audio driver: the demo disc's track 2 into build/demo/cd.wav and its
# spectrogram cd.png, checked with sox, then the playlist 0x0302.
demo-cd: release
	tools/audio-demo.sh cd

# The title's intro through SDL's disk audio driver: kalder runs 7 s in a fresh installation,
# its output lands in build/demo/film.wav and film.png, checked with sox (one 440 Hz tone of 3 s, then
# silence).
demo-film: release
	tools/audio-demo.sh film
