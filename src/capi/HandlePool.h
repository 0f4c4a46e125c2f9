#pragma once
// The memory behind the object handles the library gives out. A released handle is marked
// ORVA_HANDLE_RELEASED and its memory is never given back to the system, so that a host which uses or
// releases it again reaches a marked slot (refused with 91, or ignored) instead of freed memory. A slot
// is reused only after many later releases, which keeps a stale handle from reaching a new object soon;
// memory stays bounded by the most handles ever alive at once plus that delay.

#include "automation/Object.h"
#include "capi/orva_server_abi.h"

namespace orva::capi {

// A handle: the C part the loader sees, then the reference it holds.
struct Handle : orva_object {
    automation::ObjectRef object;
};

// A live handle holding object, with functions as its function table. Raises 7 when memory runs out.
// Thread-safe.
Handle* AllocateHandle(automation::ObjectRef object, const orva_object_functions* functions);

// Marks handle released and drops its reference (outside the pool's lock, since the object's
// destructor may call back into the library). A handle that is not live is left alone. Thread-safe;
// two threads releasing the same handle at the same moment remain the host's fault.
void ReleaseHandleSlot(orva_object* handle);

}  // namespace orva::capi
