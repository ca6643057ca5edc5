# Thin wrapper over CMake: `make run` runs the scenario program, `make test` runs every check.
BUILD ?= build

.PHONY: run test build clean

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DENGINE_WERROR=ON
	cmake --build $(BUILD) -j 2

run: build
	./$(BUILD)/engine/scenario

test:
	scripts/test-all

clean:
	rm -rf $(BUILD) build-*
