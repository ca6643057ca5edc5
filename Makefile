# Thin wrapper over CMake: `make run` runs the scenario program, `make check` is the loop while
# working (a rebuild and the tests), `make test` runs every check.
.PHONY: run check test clean

# Builds only the program, quietly (errors still reach the terminal), so that what follows
# is the scenario's own transcript.
run:
	@cmake --preset program > /dev/null
	@cmake --build --preset program -j 2 > /dev/null
	@./build-run/engine/scenario

# What changed rebuilt, then the unit tests and the manual's examples, pictures and links;
# `make check L=unit` runs one kind (label) of test only.
check:
	@scripts/quick $(if $(L),-L '$(L)')

# One line per check, logs in build/logs/; `make test V=1` shows every check's whole output.
test:
	@V=$(V) scripts/test-all

clean:
	rm -rf build build-* tests/browser/node_modules
