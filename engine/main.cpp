// Entry point: runs the fixed scenario; the command line and environment are ignored.
#include "scenario.h"

int main() {
    return runScenario();
}
