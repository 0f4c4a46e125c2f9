#include "capi/HandlePool.h"

#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "automation/AutomationError.h"

namespace orva::capi {

using namespace automation;

namespace {

constexpr size_t kSlabSize = 256;
// Released slots wait this long (in later releases) before they are handed out again.
constexpr size_t kReuseDelay = 4096;

struct Pool {
    std::mutex mutex;
    std::vector<std::unique_ptr<Handle[]>> slabs;
    std::deque<Handle*> released;  // oldest first
    size_t unused = 0;             // slots of the newest slab not handed out yet
};

// Never destroyed: a host may release handles while the process exits.
Pool& ThePool() {
    static Pool* pool = new Pool;
    return *pool;
}

}  // namespace

Handle* AllocateHandle(ObjectRef object, const orva_object_functions* functions) {
    Pool& pool = ThePool();
    Handle* handle = nullptr;
    {
        std::lock_guard lock(pool.mutex);
        if (pool.released.size() > kReuseDelay) {
            handle = pool.released.front();
            pool.released.pop_front();
        } else {
            if (pool.unused == 0) {
                try {
                    pool.slabs.push_back(std::make_unique<Handle[]>(kSlabSize));
                } catch (const std::bad_alloc&) {
                    Raise(errors::kOutOfMemory);
                }
                pool.unused = kSlabSize;
            }
            handle = &pool.slabs.back()[kSlabSize - pool.unused--];
        }
        handle->functions = functions;
        handle->object = std::move(object);
        handle->mark = ORVA_HANDLE_LIVE;
    }
    return handle;
}

void ReleaseHandleSlot(orva_object* handle) {
    Pool& pool = ThePool();
    ObjectRef dropped;
    {
        std::lock_guard lock(pool.mutex);
        if (!orva_handle_live(handle)) return;
        Handle* slot = static_cast<Handle*>(handle);
        slot->mark = ORVA_HANDLE_RELEASED;
        dropped = std::move(slot->object);
        slot->object = nullptr;
        try {
            pool.released.push_back(slot);
        } catch (const std::bad_alloc&) {
            // The slot is simply never reused.
        }
    }
}

}  // namespace orva::capi
