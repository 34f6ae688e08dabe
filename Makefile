# Tesvan: make run | make test | make bench | make fuzz | make package
# (scripts/make TARGET installs make and the rest first on a bare system)
BUILD      ?= build
FUZZ_BUILD ?= build-fuzz
JOBS       ?= 2
FUZZ_SECONDS ?= 60

.PHONY: all setup build run test bench fuzz package clean

all: build

setup:
	@bash scripts/setup

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: setup $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/tesvan

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# A .deb in $(BUILD) (README: Package).
package: build
	cmake --build $(BUILD) --target package

bench: setup $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target tesvan_bench tesvan
	./$(BUILD)/tesvan_bench

$(FUZZ_BUILD)/CMakeCache.txt:
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESVAN_FUZZ=ON

fuzz: setup $(FUZZ_BUILD)/CMakeCache.txt
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets
	bash fuzz/run_all.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD)
