# Zabrel's front door. `make run` and `make test` install what is missing first.
BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
SECONDS ?= 60

.PHONY: all deps configure build test run bench bench-server fuzz format install deb clean

all: build

deps:
	@bash scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

run: build
	@bash scripts/run

bench: build
	@BASELINE=$(BASELINE) bash scripts/bench $(BUILD)
	@if [ -x $(BUILD)/src/server/zabrel-server ]; then bash scripts/bench-server $(BUILD); fi

bench-server: configure
	@bash scripts/bench-server $(BUILD)

fuzz: deps
	@bash scripts/fuzz $(SECONDS)

format:
	@find src tests bench fuzz -name '*.cpp' -o -name '*.h' | xargs clang-format -i

install: build
	@cmake --install $(BUILD)

deb: deps
	@bash scripts/deb

clean:
	@rm -rf $(BUILD) $(SANITIZE_BUILD) build-fuzz build-deb
