// A game's file that includes no stream header and makes an actor at namespace scope: the
// handler's construction trace runs during static initialisation, before main, and perhaps
// before any file that includes <iostream> has built std::cout.
#include <engine/actor.h>
#include <engine/trace.h>

Actor g_hero("Hero");

int main() {
    DebugPrint(g_hero.name);
    return 0;
}
