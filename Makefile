# make run    build the programs, write the demo installation and start kalder on it
# make test   build everything with the sanitizers and run every test
# make bench  build optimised and run the benchmarks

JOBS ?= $(shell nproc)
RELEASE := build/release
TESTS := build/test
DEMO := build/demo

.PHONY: all deps release run rundx test bench clean demo-input fuzz demo-display demo-frame demo-controls

all: release

deps:
	@tools/install-deps.sh

release: deps
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release -DKALDER_TESTS=OFF
	cmake --build $(RELEASE) -j $(JOBS)

$(DEMO): release
	$(RELEASE)/tools/mkdemo/mkdemo $(DEMO)

run: release
	$(RELEASE)/tools/mkdemo/mkdemo $(DEMO)
	cd $(DEMO) && ../release/programs/kalder

rundx: release
	$(RELEASE)/tools/mkdemo/mkdemo $(DEMO)
	cd $(DEMO) && ../release/programs/kalderdx

test: deps
	cmake -S . -B $(TESTS) -DCMAKE_BUILD_TYPE=Debug -DKALDER_SANITIZE=ON -DKALDER_WERROR=ON -DKALDER_BENCH=OFF
	cmake --build $(TESTS) -j $(JOBS)
	cd $(TESTS) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) fuzz FUZZ_TIME=20

# The fuzz harnesses under clang's libFuzzer: a short run of each (make fuzz FUZZ_TIME=600 for longer).
FUZZ := build/fuzz
FUZZ_TIME ?= 20
fuzz: deps
	CC=clang-14 CXX=clang++-14 cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=Debug -DKALDER_FUZZ=ON -DKALDER_TESTS=OFF -DKALDER_BENCH=OFF -DKALDER_WERROR=ON -DKALDER_FUZZ_TIME=$(FUZZ_TIME)
	cmake --build $(FUZZ) -j $(JOBS)
	cd $(FUZZ) && ctest -L fuzz --output-on-failure -j $(JOBS) --timeout $$(( $(FUZZ_TIME) + 120 ))

bench: release
	-@tools/install-deps.sh bench
	cmake -S . -B $(RELEASE) -DKALDER_BENCH=ON
	cmake --build $(RELEASE) -j $(JOBS)
	for b in $(RELEASE)/bench/*_bench; do $$b --benchmark_repetitions=5; done

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
