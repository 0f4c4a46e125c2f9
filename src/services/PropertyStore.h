#pragma once
// OrvaShare.PropertyStore: the suite's shared-properties store. The hosting program publishes the
// properties of its login (Language, PropsString, and any other value, object references included)
// under its process ID; the library and the components read them back with GetProperty.
//
// The values live in one process-wide table (SharedPropertyTable); a PropertyStore object is only a
// handle on it, so the library may create and release stores as often as it likes. Names match
// without regard to letter case.
//
// Host side, before calling the library:
//   auto& table = orva::components::SharedPropertyTable::Instance();
//   table.Publish(getpid(), u"Language", u"EN");
//   table.Publish(getpid(), u"PropsString", u"Language=EN;ConnectString=sqlite:/srv/acct.db;");

#include <cstdint>
#include <memory>

#include "automation/Object.h"

namespace orva::components {

class SharedPropertyTable {
public:
    static SharedPropertyTable& Instance();

    // Stores value under (processId, name), replacing an earlier value.
    void Publish(int32_t processId, automation::TextView name, automation::Variant value);
    // Removes every property of a process (a host logging out).
    void Withdraw(int32_t processId);
    // The value, or empty when nothing was published under that name.
    automation::Variant Get(int32_t processId, automation::TextView name) const;

private:
    SharedPropertyTable();
    ~SharedPropertyTable();
    SharedPropertyTable(const SharedPropertyTable&) = delete;
    SharedPropertyTable& operator=(const SharedPropertyTable&) = delete;

    // The values and their lock live in the library, so that hosts compiled against this header do
    // not depend on how they are kept.
    struct Values;
    std::unique_ptr<Values> m_values;
};

// Publishes for the calling process (getpid()).
void PublishOwnProperty(automation::TextView name, automation::Variant value);

class PropertyStore : public automation::Object {
public:
    static constexpr const char16_t* kProgId = u"OrvaShare.PropertyStore";

    // The value published under (processId, name); empty when there is none. Never raises.
    automation::Variant GetProperty(int32_t processId, automation::TextView name) const;

    automation::Text TypeName() const override { return u"PropertyStore"; }
    // By name: GetProperty(processId, name).
    automation::Variant Invoke(automation::TextView name, automation::CallKind kind,
                               std::span<automation::Variant> args) override;
};

}  // namespace orva::components
