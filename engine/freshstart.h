/// @file
/// A fresh start: the engine's process-wide state put back as a new process has it, so that one
/// process can run a second whole game, or a level begin again from fresh counters.
#pragma once

/// What startAfresh did.
enum class FreshStart {
    done,            ///< every counter, the table and the trace's route are as at the start
    handlersAlive,   ///< refused: an actor or a handler is alive, and would keep identifiers
                     ///< and messages of the old run, which the new one would hand out again
    traceScopeAlive, ///< refused: a ScopedTraceRoute is alive, which would put its route back
                     ///< over the new run's at its end
};

/// Puts the entity identifier counter, the four message identifier counters, the leaf cell
/// counter, the table random index, the entity table and the trace's route back as a new
/// process has them, and gives the blocks kept for messages back to the free store. Refuses,
/// changing nothing, while any handler (and so any actor) or any ScopedTraceRoute is alive,
/// which also refuses it from inside a hook. A tree built before it stays valid.
[[nodiscard]] FreshStart startAfresh();
