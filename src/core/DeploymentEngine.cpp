#include "core/DeploymentEngine.h"

#include <optional>

#include "automation/AutomationError.h"
#include "automation/ClassRegistry.h"
#include "automation/TextHelpers.h"
#include "automation/PendingError.h"
#include "components/Dictionary.h"
#include "components/TextFormatter.h"
#include "core/CatalogNames.h"
#include "core/DeployPacket.h"
#include "hostctx/Texts.h"

namespace orva::core {

using namespace automation;
using namespace components;

namespace {

Text NameKey(const Variant& name) { return Trim(UCase(name.ToText())); }

// True when a record's name matches a wanted name key (NameKey of the entry's name). Upper-casing keeps
// the length and never makes or removes a blank, so a name whose trimmed length differs from the key
// cannot match and is not upper-cased: the walks below visit every sibling of a node, and most of them
// fail on length alone.
bool MatchesKey(const Variant& name, const Text& wanted) {
    Text text = name.ToText();
    size_t first = text.find_first_not_of(u' ');
    size_t length = first == Text::npos ? 0 : text.find_last_not_of(u' ') - first + 1;
    if (length != wanted.size()) return false;
    return length == 0 || UCase(TextView(text).substr(first, length)) == wanted;
}

// Walks a recordset (nothing counts as one without records) and returns the value of idField of the
// first record whose nameField matches name; nothing when no record matches.
std::optional<Variant> FindByName(const Variant& records, const char16_t* nameField, const char16_t* idField,
                                  const Text& wanted) {
    ObjectRef recordset = records.ToObject();
    if (!recordset) return std::nullopt;
    std::optional<Variant> found;
    while (!GetProperty(recordset, u"EOF").ToBool()) {
        if (MatchesKey(GetProperty(recordset, u"Fields", {nameField}), wanted)) {
            found = GetProperty(recordset, u"Fields", {idField});
            break;
        }
        CallMethod(recordset, u"MoveNext");
    }
    CallMethod(recordset, u"Close");
    return found;
}

bool DetailPresent(const Variant& records, const Text& wantedName, const Text& classParam) {
    ObjectRef recordset = records.ToObject();
    if (!recordset) return false;
    bool present = false;
    while (!GetProperty(recordset, u"EOF").ToBool()) {
        // A record that matches by name only is passed over: the same function name may launch
        // another object.
        if (MatchesKey(GetProperty(recordset, u"Fields", {u"FFuncName"}), wantedName) &&
            GetProperty(recordset, u"Fields", {u"FClassParam"}).ToText() == classParam) {
            present = true;
            break;
        }
        CallMethod(recordset, u"MoveNext");
    }
    CallMethod(recordset, u"Close");
    return present;
}

Variant NextIndex(const ObjectRef& reader, short level, const Variant& parent) {
    return CallMethod(reader, u"GetNextIndex", {Variant(static_cast<int16_t>(level)), parent});
}

// Calls a writer's create member with the data dictionary passed by reference.
Variant Create(const ObjectRef& writer, const char16_t* member, std::vector<Variant> args) {
    return CallByName(writer, member, args);
}

void Append(Vector& messages, const char16_t* pattern, const Variant& value) {
    messages.Add(hostctx::FormatText(pattern, {value}));
}

void DeployEntry(Dictionary& entry, Vector& messages) {
    ObjectRef reader = CreateObject(kCatalogReaderProgId);
    ObjectRef writer = CreateObject(kCatalogWriterProgId);
    const Variant kZero(static_cast<int16_t>(0));

    // Top class.
    Variant topClassName = entry.Value(fields::kTopClassName);
    if (auto id = FindByName(CallMethod(reader, u"GetTopClass_All"), u"FTopClassName", u"FTopClassID",
                             NameKey(topClassName))) {
        entry.SetValue(fields::kTopClassId, *id);
    } else {
        DictionaryRef data = Dictionary::Create();
        data->SetValue(u"FTopClassID", kZero);
        data->SetValue(u"FTopClassName", topClassName);
        data->SetValue(u"FVisible", true);
        Variant index = NextIndex(reader, kLevelTopClass, kZero);
        entry.SetValue(fields::kTopClassId, Create(writer, u"CreateTopClass", {index, data, true}));
        Append(messages, patterns::kTopClassCreated, topClassName);
    }
    Variant topClassId = entry.Value(fields::kTopClassId);

    // Subsystem.
    Variant subSystemName = entry.Value(fields::kSubSystemName);
    if (auto id = FindByName(CallMethod(reader, u"GetSubSystem_All", {topClassId}), u"FName", u"FSubSysID",
                             NameKey(subSystemName))) {
        entry.SetValue(fields::kSubSystemId, *id);
    } else {
        DictionaryRef data = Dictionary::Create();
        data->SetValue(u"FSubSysID", kZero);
        data->SetValue(u"FSysName", subSystemName);
        data->SetValue(u"FClassName", kRuntimeHostClass);
        data->SetValue(u"FSubID", u"orvahost");
        data->SetValue(u"FVisible", true);
        Variant index = NextIndex(reader, kLevelSubSystem, topClassId);
        entry.SetValue(fields::kSubSystemId, Create(writer, u"CreateSubSys", {topClassId, index, data, true}));
        Append(messages, patterns::kSubSystemCreated, subSystemName);
    }
    Variant subSystemId = entry.Value(fields::kSubSystemId);

    // Sub-function.
    Variant subFuncName = entry.Value(fields::kSubFuncName);
    if (auto id = FindByName(CallMethod(reader, u"GetSubFunc_All", {subSystemId}), u"FFuncName",
                             u"FSubFuncID", NameKey(subFuncName))) {
        entry.SetValue(fields::kSubFuncId, *id);
    } else {
        DictionaryRef data = Dictionary::Create();
        data->SetValue(u"FSubFuncID", kZero);
        data->SetValue(u"FFuncName", subFuncName);
        data->SetValue(u"FClassName", kRuntimeHostClass);
        data->SetValue(u"FVisible", true);
        Variant index = NextIndex(reader, kLevelSubFunc, subSystemId);
        entry.SetValue(fields::kSubFuncId, Create(writer, u"CreateSubFunc", {subSystemId, index, data, true}));
        Append(messages, patterns::kSubFuncCreated, subFuncName);
    }
    Variant subFuncId = entry.Value(fields::kSubFuncId);

    // Function detail.
    Variant funcName = entry.Value(fields::kFuncName);
    Text classParam = entry.Value(fields::kClassParam).ToText();
    if (DetailPresent(CallMethod(reader, u"GetDetailFunc_All", {subFuncId}), NameKey(funcName), classParam)) {
        Append(messages, patterns::kDetailPresent, entry.Value(fields::kNo));
        return;
    }
    DictionaryRef data = Dictionary::Create();
    data->SetValue(u"NewName", entry.Value(fields::kNewName));
    data->SetValue(u"FFuncName", funcName);
    data->SetValue(u"FClassName", entry.Value(fields::kClassName));
    data->SetValue(u"FClassParam", classParam);
    data->SetValue(u"FDetailFuncID", kZero);
    data->SetValue(u"FHelpCode", Text());
    Variant index = NextIndex(reader, kLevelDetailFunc, subFuncId);
    Create(writer, u"CreateDetailFunc", {subFuncId, index, data, true});
    Append(messages, patterns::kDetailCreated, entry.Value(fields::kNo));
}

// The error line for a failure, with the entry's "No" when an entry was being processed. Formatting
// the line can fail in turn (no formatter); the report must still reach the list, so the plain
// pattern with the values is the last resort.
Text ErrorLine(const AutomationError& error, const DictionaryRef& current) {
    std::optional<Text> no;
    if (current) {
        try {
            no = current->Value(fields::kNo).ToText();
        } catch (const AutomationError&) {
        }
    }
    try {
        return no ? hostctx::FormatText(patterns::kEntryFailed, {*no, error.Description()})
                  : hostctx::FormatText(patterns::kDeployFailed, {error.Description()});
    } catch (...) {
        TextFormatter formatter;
        return no ? formatter.Format(patterns::kEntryFailed, std::vector<Variant>{*no, error.Description()})
                  : formatter.Format(patterns::kDeployFailed, std::vector<Variant>{error.Description()});
    }
}

}  // namespace

bool DeployPacketToCatalogue(const Variant& packet, VectorRef& messages, const DeployProgress& progress) {
    if (!messages) messages = Vector::Create();
    DictionaryRef current;
    // Trap and end: the first failure ends the run with one error line and false.
    try {
        VectorRef entries = AsVector(packet);
        for (int32_t i = entries->LowerBound(); i <= entries->UpperBound(); ++i) {
            current = AsDictionary(entries->Item(i));
            DeployEntry(*current, *messages);
            if (progress) progress(i, entries->UpperBound());
        }
        current.reset();
        messages->Add(hostctx::TranslateText(patterns::kAllDone));
        return true;
    } catch (...) {
        AutomationError error = CurrentAsAutomationError();
        RecordPending(error);
        messages->Add(ErrorLine(error, current));
        return false;
    }
}

}  // namespace orva::core
