// Traces and makes an actor at namespace scope, with no stream header: before main, and perhaps
// before any file that includes <iostream> has built std::cout.
#include <engine/actor.h>
#include <engine/trace.h>

const bool g_announced = (DebugPrint("Early"), true);
Actor g_hero("Hero");

int main() {
    DebugPrint(g_hero.name);
    return 0;
}
