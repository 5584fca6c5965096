// The two server-wide counters that decide when the module may be unloaded: live objects
// (factories and plug-in objects) and LockServer locks. Both change only atomically.
#pragma once

#include <platform/platform.h>

namespace qp {

void NoteObjectCreated() noexcept;
void NoteObjectDestroyed() noexcept;

// LockServer: a lock adds one, an unlock takes one away; the count has no floor.
void NoteServerLock(bool lock) noexcept;

LONG LiveObjectCount() noexcept;
LONG ServerLockCount() noexcept;

// True when no object is alive and every lock has been matched.
bool ServerCanUnload() noexcept;

}  // namespace qp
