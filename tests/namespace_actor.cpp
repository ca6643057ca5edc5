// A game's file that includes no stream header and traces and makes an actor at namespace scope:
// the debug line and the handler's construction trace run during static initialisation, before
// main, and perhaps before any file that includes <iostream> has built std::cout.
#include <engine/actor.h>
#include <engine/trace.h>

const bool g_announced = (DebugPrint("Early"), true);
Actor g_hero("Hero");

int main() {
    DebugPrint(g_hero.name);
    return 0;
}
