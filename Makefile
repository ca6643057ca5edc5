# Thin wrapper over CMake: `make run` runs the scenario program, `make test` runs every check.
.PHONY: run test clean

# Builds only the program, quietly (errors still reach the terminal), so that what follows
# is the scenario's own transcript.
run:
	@cmake --preset program > /dev/null
	@cmake --build --preset program -j 2 > /dev/null
	@./build-run/engine/scenario

# One line per check, logs in build/logs/; `make test V=1` shows every check's whole output.
test:
	@V=$(V) scripts/test-all

clean:
	rm -rf build build-*
