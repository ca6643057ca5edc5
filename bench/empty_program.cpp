// The baseline of the scenario program's start-to-exit time: a program that includes <iostream>
// and does nothing, started and ended the same way.
#include <iostream>

int main() {
    return 0;
}
