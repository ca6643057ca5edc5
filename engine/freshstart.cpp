// The fresh start: every process-wide value of the engine, put back in one place.
#include "freshstart.h"

#include "baseentity.h"
#include "message.h"
#include "mhandler.h"
#include "quadnode.h"
#include "steering.h"
#include "trace.h"

#include <algorithm>

FreshStart startAfresh() {
    if (MHandler::alive() > 0) {
        return FreshStart::handlersAlive;
    }
    if (ScopedTraceRoute::anyAlive()) {
        return FreshStart::traceScopeAlive;
    }
    be_val = 0;
    std::fill(EntityTable, EntityTable + kEntityTableSize, nullptr);
    Message::restartIdentifiers();
    Message::releasePooled();
    cellSlotCounter = 0;
    pi_idx = 2;
    setTraceRoute(TraceRoute::standardOutput());
    return FreshStart::done;
}
