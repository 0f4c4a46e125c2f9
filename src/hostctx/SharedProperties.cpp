#include "hostctx/SharedProperties.h"

#include <unistd.h>

#include <optional>
#include <vector>

#include "automation/AutomationError.h"
#include "automation/ClassRegistry.h"
#include "automation/PendingError.h"
#include "automation/TextHelpers.h"
#include "services/PropsString.h"

namespace orva::hostctx {

using namespace automation;

namespace {
constexpr const char16_t* kPropertyStoreProgId = u"OrvaShare.PropertyStore";
}  // namespace

// Pass mode: no handler here; every failure reaches the caller.
Variant GetSharedProperty(const Text& name) {
    auto processId = static_cast<int32_t>(getpid());
    ObjectRef store = CreateObject(kPropertyStoreProgId);  // released when this call ends
    std::vector<Variant> args{Variant(processId), Variant(name)};
    // The first answer only tells whether the property holds an object; the store is asked again for
    // the value itself, with the same (by-reference) arguments.
    Variant probe = CallByName(store, u"GetProperty", args);
    if (probe.IsObject()) {
        return Variant(CallByName(store, u"GetProperty", args).ToObject());
    }
    return CallByName(store, u"GetProperty", args);
}

Text GetPropsString() { return GetSharedProperty(u"PropsString").ToText(); }

// Skip mode: a failing step leaves its result empty and the next step runs. The failures are not
// recorded as the pending error: this function never fails, so it leaves the caller's error alone.
Text GetPropsValue(const Text& name) {
    Text props;
    RunIgnoring([&] { props = GetPropsString(); });
    // Whole entries only, the same rule as the components' reader: a match inside a longer name
    // ("DefLanguage=") or inside a value would make the two read different languages or accounts.
    std::optional<Text> value = components::PropsEntry(props, name);
    return value ? UCase(*value) : Text();
}

}  // namespace orva::hostctx
