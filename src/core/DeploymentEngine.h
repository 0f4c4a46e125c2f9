#pragma once
// The catalogue deployment engine: writes every deployment entry of a packet into the console
// catalogue. For each entry it finds the top class, subsystem and sub-function by name (upper-cased,
// then trimmed of U+0020), creates each one that is missing, and creates the function detail unless
// one with a matching name and an identical class parameter is there. Every creation, every refusal
// and the end of the run become lines of the message list.
//
// A create that finds an equal sibling instead (the writer reports FCreated false: a node named in
// another language, or one another deployment made a moment ago) is reused silently, and a function
// detail found that way gets the "already present" line. An entry may carry its names in the three
// languages (FTopClassName_CHS, FSubSystemName_EN, FSubFuncName_CHT, FFuncName_EN, ...): nodes it
// creates are then named in each language, not in the one name everywhere.
// With our own reader the look-ups go through its per-language name-key index (the same rule,
// without walking every sibling); a reader registered by a host is walked record by record.
//
// Each entry gets a new catalogue reader and writer (created by program ID), so it sees the catalogue
// as the entries before it left it. Nodes created before an error stay; entries after it are skipped.

#include <functional>

#include "automation/Variant.h"
#include "bag/Vector.h"

namespace orva::core {

// Deploys packet (a vector of deployment entries, changed in place: FTopClassID, FSubSystemID and
// FSubFuncID receive the identifiers found or created). messages is created when null and handed back.
// Returns true when every entry was processed (an entry refused as already present counts), false
// when an error ended the run; the error is then the last line of messages, and no error is left
// pending for the thread. Never raises.
// progress, when given, is called after each entry with the number of entries done and their total.
using DeployProgress = std::function<void(int32_t done, int32_t total)>;
bool DeployPacketToCatalogue(const automation::Variant& packet, components::VectorRef& messages,
                             const DeployProgress& progress = nullptr);

// The message-list patterns, used exactly as written (they are also the translation keys).
namespace patterns {
inline constexpr const char16_t* kTopClassCreated = u"创建主系统%1成功!";
inline constexpr const char16_t* kSubSystemCreated = u"创建子系统%1成功!";
inline constexpr const char16_t* kSubFuncCreated = u"创建子系统功能%1成功!";
inline constexpr const char16_t* kDetailCreated = u"%1成功！";
inline constexpr const char16_t* kDetailPresent = u"%1失败，原因在于该功能已在主控台中存在！";
inline constexpr const char16_t* kAllDone = u"功能发布完毕！";
inline constexpr const char16_t* kEntryFailed = u"%1失败(%2)!";
inline constexpr const char16_t* kDeployFailed = u"功能发布失败(%1)!";
}  // namespace patterns

}  // namespace orva::core
