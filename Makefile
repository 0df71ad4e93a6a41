# Single entry point. Every target installs what is missing and builds first.
#   make run        open the window with the built-in sample; without a display, convert the
#                   sample instead (writes out/)
#   make install    install the programs, resources, desktop entry and icons under PREFIX
#                   (default /usr/local)
#   make screenshot pictures of the window, the drawing-parameters window and the print window on a virtual display
#   make test       build and run the whole test suite
#   make sanitize   the test suite under AddressSanitizer + UndefinedBehaviorSanitizer
#   make bench      one table of every style (FILTER=number or name: one style) on real 2 MP and
#                   12 MP photographs: medians, peer filter, ratio, preview, peak memory
#   make fuzz       build the libFuzzer targets with clang (in build-fuzz) and run each for
#                   FUZZ_SECONDS (default 60) on its seeds; fails on any finding
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
PREFIX ?= /usr/local

.PHONY: setup build run install screenshot test sanitize fuzz bench clean

setup:
	@bash scripts/setup.sh

build: setup
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  echo "Opening the Atelion window with the built-in sample"; \
	  $(BUILD)/atelion; \
	else \
	  echo "No display: converting the built-in sample instead"; \
	  mkdir -p out; \
	  $(BUILD)/atelion-cli convert $(BUILD)/resources/sample/lakeside.png out/lakeside_Atelion.jpg \
	    --style "Frame, texture and text only" --p2 175 --p4 150 --p5 120 --soften --texture 2 --texture-strength 30 && \
	  echo "Wrote out/lakeside_Atelion.jpg"; \
	fi

install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

screenshot: build
	@bash scripts/screenshot.sh $(BUILD) atelion-window.png atelion-parameters.png atelion-print.png atelion-batch.png atelion-script.png \
		--samples-screenshot atelion-samples.png --modify-screenshot atelion-modify.png --resize-screenshot atelion-resize.png \
		--brush-screenshot atelion-brush.png --hd-screenshot atelion-hd.png \
		--frame-screenshot atelion-frame.png --text-screenshot atelion-text.png
	@bash scripts/screenshot.sh $(BUILD) atelion-window.png "" "" "" "" --brush-mode-screenshot atelion-brush-mode.png

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

sanitize: setup
	@cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DATELION_SANITIZE=ON -DATELION_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

fuzz:
	@FUZZ_BUILD=$(FUZZ_BUILD) FUZZ_SECONDS=$(FUZZ_SECONDS) JOBS=$(JOBS) bash scripts/fuzz.sh

bench: build
	@bash ../shared/bench/photos.sh $(BUILD)/photos >/dev/null
	@python3 bench/bench_table.py --build $(BUILD) --filter '$(FILTER)' --reps $(or $(REPS),5)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) out
