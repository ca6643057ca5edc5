// Entry point: runs the fixed scenario; the command line and environment are ignored.
#include "scenario.h"

#include <iostream>

int main() {
    const int status = runScenario();
    // The transcript is the program's one product: output that could not be written is a
    // failure, not the scenario's status.
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "scenario: standard output could not be written\n";
        return 1;
    }
    return status;
}
