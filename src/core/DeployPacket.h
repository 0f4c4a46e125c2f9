#pragma once
// Deployment packets: the hand-over between the dialogs' publish lists and the deployment engine.
//
// A selection entry is a dictionary with the keyed list entries "TopClass", "SubSystem", "SubFunc",
// "FuncDetail" (display = function name, key = class parameter) and the line text "No". A deployment
// entry is the flat dictionary the engine reads, with the fields below in this order. A packet is a
// vector of deployment entries; a packet set a dictionary "CHS", "CHT", "EN" -> packet.

#include "account/CatalogContract.h"
#include "bag/Dictionary.h"
#include "bag/Vector.h"

namespace orva::core {

// The ProgID of the runtime host that opens a published function.
inline constexpr const char16_t* kRuntimeHostClass = components::kRuntimeHostProgId;

// Field names of a deployment entry, in the order they are written. Those of the catalogue's levels are
// the contract's (entryIdField, entryNameField).
namespace fields {
inline constexpr const char16_t* kTopClassId = components::kTopClassLevel.entryIdField;
inline constexpr const char16_t* kTopClassName = components::kTopClassLevel.entryNameField;
inline constexpr const char16_t* kSubSystemId = components::kSubSystemLevel.entryIdField;
inline constexpr const char16_t* kSubSystemName = components::kSubSystemLevel.entryNameField;
inline constexpr const char16_t* kSubFuncId = components::kSubFuncLevel.entryIdField;
inline constexpr const char16_t* kSubFuncName = components::kSubFuncLevel.entryNameField;
inline constexpr const char16_t* kNewName = u"NewName";
inline constexpr const char16_t* kFuncName = components::kDetailFuncLevel.entryNameField;
inline constexpr const char16_t* kClassName = components::kClassNameField;
inline constexpr const char16_t* kClassParam = components::kClassParamField;
inline constexpr const char16_t* kHelpCode = components::kHelpCodeField;
inline constexpr const char16_t* kNo = u"No";
}  // namespace fields

// Keys of a selection entry.
namespace selection {
inline constexpr const char16_t* kTopClass = u"TopClass";
inline constexpr const char16_t* kSubSystem = u"SubSystem";
inline constexpr const char16_t* kSubFunc = u"SubFunc";
inline constexpr const char16_t* kFuncDetail = u"FuncDetail";
inline constexpr const char16_t* kNo = u"No";
}  // namespace selection

// The three language codes of a packet set, in their order.
inline constexpr const auto& kPacketLanguages = components::kCatalogLanguageCodes;

// A new packet with one deployment entry per selection entry, in order; the selections stay unchanged.
// Raises 13 or 6 when a top-class key is not a 32-bit number (an empty key included), 91/13 when an
// item is not a dictionary; then no packet is returned.
components::VectorRef BuildDeployPacket(const components::Vector& selections);

}  // namespace orva::core
