#include "server/server_lifetime.h"

#include <atomic>

namespace qp {
namespace {

std::atomic<LONG> g_liveObjects{0};
std::atomic<LONG> g_locks{0};

}  // namespace

void NoteObjectCreated() noexcept { ++g_liveObjects; }

void NoteObjectDestroyed() noexcept { --g_liveObjects; }

void NoteServerLock(bool lock) noexcept {
    if (lock) {
        ++g_locks;
    } else {
        --g_locks;
    }
}

LONG LiveObjectCount() noexcept { return g_liveObjects.load(); }

LONG ServerLockCount() noexcept { return g_locks.load(); }

bool ServerCanUnload() noexcept { return LiveObjectCount() == 0 && ServerLockCount() == 0; }

}  // namespace qp
