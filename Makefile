# Thin wrapper over CMake: `make run` runs the scenario program, `make test` runs every check.
.PHONY: run test clean

# Builds only the program, quietly (errors still reach the terminal), so that what follows
# is the scenario's own transcript.
run:
	@cmake -S . -B build-run -DCMAKE_BUILD_TYPE=Release -DENGINE_BUILD_TESTS=OFF > /dev/null
	@cmake --build build-run --target scenario -j 2 > /dev/null
	@./build-run/engine/scenario

# One line per check, logs in build/logs/; `make test V=1` shows every check's whole output.
test:
	@V=$(V) scripts/test-all

clean:
	rm -rf build build-*
