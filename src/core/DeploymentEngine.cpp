#include "core/DeploymentEngine.h"

#include <optional>

#include "automation/AutomationError.h"
#include "automation/ClassRegistry.h"
#include "automation/PendingError.h"
#include "automation/TextHelpers.h"
#include "catalog/CatalogReader.h"
#include "catalog/CatalogWriter.h"
#include "bag/Dictionary.h"
#include "catalog/Recordset.h"
#include "bag/TextFormatter.h"
#include "core/CatalogNames.h"
#include "core/DeployPacket.h"
#include "hostctx/Texts.h"

namespace orva::core {

using namespace automation;
using namespace components;

namespace {

Text NameKey(const Variant& name) { return components::CatalogNameKey(name.ToText()); }

// True when a record's name matches a wanted name key (NameKey of the entry's name). Upper-casing keeps
// the length and never makes or removes a blank, so a name whose trimmed length differs from the key
// cannot match and is not upper-cased: the walks below visit every sibling of a node, and most of them
// fail on length alone.
bool MatchesKey(const Variant& name, const Text& wanted) {
    Text converted;
    const Text* held = name.TextIf();  // record names are texts: read them in place, uncopied
    if (!held) held = &(converted = name.ToText());
    const Text& text = *held;
    size_t first = text.find_first_not_of(u' ');
    size_t length = first == Text::npos ? 0 : text.find_last_not_of(u' ') - first + 1;
    if (length != wanted.size()) return false;
    return length == 0 || UCase(TextView(text).substr(first, length)) == wanted;
}

// A recordset as the engine reads it: through the typed interface when the reader returned one of
// ours, by name otherwise (a reader registered by a host may return any object). Nothing counts as a
// recordset without records.
class Records {
public:
    explicit Records(const Variant& value)
        : m_object(value.ToObject()), m_typed(dynamic_cast<Recordset*>(m_object.get())) {}

    bool AtEnd() const {
        if (!m_object) return true;
        return m_typed ? m_typed->IsEOF() : GetProperty(m_object, u"EOF").ToBool();
    }
    Variant Field(const char16_t* name) const {
        return m_typed ? m_typed->Field(name) : GetProperty(m_object, u"Fields", {name});
    }
    void MoveNext() { m_typed ? m_typed->MoveNext() : void(CallMethod(m_object, u"MoveNext")); }
    void Close() {
        if (m_object) m_typed ? m_typed->Close() : void(CallMethod(m_object, u"Close"));
    }

private:
    ObjectRef m_object;
    Recordset* m_typed;
};

// Walks the records from the first and returns the value of idField of the first one whose
// nameField matches; nothing when none does.
std::optional<Variant> FindByName(Records records, const char16_t* nameField, const char16_t* idField,
                                  const Text& wanted) {
    std::optional<Variant> found;
    for (; !records.AtEnd(); records.MoveNext()) {
        if (MatchesKey(records.Field(nameField), wanted)) {
            found = records.Field(idField);
            break;
        }
    }
    records.Close();
    return found;
}

bool DetailPresent(Records records, const Text& wantedName, const Text& classParam) {
    bool present = false;
    for (; !records.AtEnd(); records.MoveNext()) {
        // A record that matches by name only is passed over: the same function name may launch
        // another object.
        if (MatchesKey(records.Field(u"FFuncName"), wantedName) &&
            records.Field(u"FClassParam").ToText() == classParam) {
            present = true;
            break;
        }
    }
    records.Close();
    return present;
}

Variant NextIndex(const ObjectRef& reader, short level, const Variant& parent) {
    return CallMethod(reader, u"GetNextIndex", {Variant(static_cast<int16_t>(level)), parent});
}

void Append(Vector& messages, const char16_t* pattern, const Variant& value) {
    messages.Add(hostctx::FormatText(pattern, {value}));
}

const Variant kZero(static_cast<int16_t>(0));

// One of the three levels above a function detail, as the engine finds or creates it.
struct Level {
    short level;
    const char16_t* listMember;    // reader member listing the children of the parent
    const char16_t* recordName;    // field of the records holding the name (host's language)
    const char16_t* recordId;      // field of the records holding the identifier
    const char16_t* entryName;     // deployment-entry field with the wanted name
    const char16_t* entryId;       // deployment-entry field that receives the identifier
    const char16_t* createMember;  // writer member creating a node
    const char16_t* dataId;        // data fields of a new node: identifier (0), name, and whether
    const char16_t* dataName;      // the runtime host's class name and the subsystem ID follow
    bool withClassName;
    bool withSubId;
    const char16_t* createdPattern;
};

constexpr Level kTopClass{kLevelTopClass,
                          u"GetTopClass_All",
                          u"FTopClassName",
                          u"FTopClassID",
                          fields::kTopClassName,
                          fields::kTopClassId,
                          u"CreateTopClass",
                          u"FTopClassID",
                          u"FTopClassName",
                          false,
                          false,
                          patterns::kTopClassCreated};
constexpr Level kSubSystem{kLevelSubSystem,
                           u"GetSubSystem_All",
                           u"FName",
                           u"FSubSysID",
                           fields::kSubSystemName,
                           fields::kSubSystemId,
                           u"CreateSubSys",
                           u"FSubSysID",
                           u"FSysName",
                           true,
                           true,
                           patterns::kSubSystemCreated};
constexpr Level kSubFunc{kLevelSubFunc,
                         u"GetSubFunc_All",
                         u"FFuncName",
                         u"FSubFuncID",
                         fields::kSubFuncName,
                         fields::kSubFuncId,
                         u"CreateSubFunc",
                         u"FSubFuncID",
                         u"FFuncName",
                         true,
                         false,
                         patterns::kSubFuncCreated};

// Copies the entry's names in the three languages, where it carries them (DeployToLumoMain adds them
// from the packet file's parallel packets), into the create's data: a node created by a deployment is
// named in every language, so a later deployment in another language finds it.
void CopyLanguageNames(const Dictionary& entry, const char16_t* entryName, Dictionary& data,
                       const char16_t* dataName) {
    for (const char16_t* language : kPacketLanguages) {
        Text suffix = Text(u"_") + language;
        Variant name = entry.Value(Text(entryName) + suffix);
        if (!name.IsEmpty()) data.SetValue(Text(dataName) + suffix, name);
    }
}

// Whether a create call made its node: our writer writes FCreated false into the data when it found
// an equal sibling (a name in another language, another deployment's node) and handed that back. A
// writer that says nothing is taken at its word: the node is new.
bool WasCreated(const Dictionary& data) {
    Variant created = data.Value(components::kCreatedField);
    return created.IsEmpty() || created.ToBool();
}

// Our reader answers "the first child of this name" through an index; any other reader is walked.
components::CatalogReader* OwnReader(const ObjectRef& reader) {
    return dynamic_cast<components::CatalogReader*>(reader.get());
}

std::optional<Variant> FindChild(const Level& level, const std::optional<Variant>& parent,
                                 const ObjectRef& reader, const Text& wanted) {
    if (components::CatalogReader* own = OwnReader(reader)) {
        auto id = own->FindChildByKey(level.level, parent ? parent->ToInt32() : 0, wanted);
        return id ? std::optional<Variant>(Variant(*id)) : std::nullopt;
    }
    Variant list =
        parent ? CallMethod(reader, level.listMember, {*parent}) : CallMethod(reader, level.listMember);
    return FindByName(Records(list), level.recordName, level.recordId, wanted);
}

// Finds the node of the entry's name under parent (the top level when parent is nothing), creates
// it when missing, and stores its identifier in the entry. Returns the identifier.
Variant FindOrCreate(const Level& level, Dictionary& entry, const std::optional<Variant>& parent,
                     const ObjectRef& reader, const ObjectRef& writer, Vector& messages) {
    Variant name = entry.Value(level.entryName);
    if (auto id = FindChild(level, parent, reader, NameKey(name))) {
        entry.SetValue(level.entryId, *id);
        return *id;
    }
    DictionaryRef data = Dictionary::Create();
    data->SetValue(level.dataId, kZero);
    data->SetValue(level.dataName, name);
    CopyLanguageNames(entry, level.entryName, *data, level.dataName);
    if (level.withClassName) data->SetValue(u"FClassName", kRuntimeHostClass);
    if (level.withSubId) data->SetValue(u"FSubID", u"orvahost");
    data->SetValue(u"FVisible", true);
    Variant index = NextIndex(reader, level.level, parent.value_or(kZero));
    // The data dictionary goes by reference; of what the writer leaves in it, only FCreated is read.
    std::vector<Variant> args;
    if (parent) args.push_back(*parent);
    args.insert(args.end(), {index, data, true});
    Variant id = CallByName(writer, level.createMember, args);
    entry.SetValue(level.entryId, id);
    // A node found by the create (named in another language, or made by another deployment a moment
    // ago) is reused silently, as a node the walk found.
    if (WasCreated(*data)) Append(messages, level.createdPattern, name);
    return id;
}

bool DetailPresent(const ObjectRef& reader, const Variant& subFuncId, const Text& wantedName,
                   const Text& classParam) {
    if (components::CatalogReader* own = OwnReader(reader)) {
        return own->HasDetailByKey(subFuncId.ToInt32(), wantedName, classParam);
    }
    return DetailPresent(Records(CallMethod(reader, u"GetDetailFunc_All", {subFuncId})), wantedName,
                         classParam);
}

void DeployEntry(Dictionary& entry, Vector& messages) {
    ObjectRef reader = CreateObject(kCatalogReaderProgId);
    ObjectRef writer = CreateObject(kCatalogWriterProgId);

    Variant topClassId = FindOrCreate(kTopClass, entry, std::nullopt, reader, writer, messages);
    Variant subSystemId = FindOrCreate(kSubSystem, entry, topClassId, reader, writer, messages);
    Variant subFuncId = FindOrCreate(kSubFunc, entry, subSystemId, reader, writer, messages);

    Variant funcName = entry.Value(fields::kFuncName);
    Text classParam = entry.Value(fields::kClassParam).ToText();
    if (DetailPresent(reader, subFuncId, NameKey(funcName), classParam)) {
        Append(messages, patterns::kDetailPresent, entry.Value(fields::kNo));
        return;
    }
    DictionaryRef data = Dictionary::Create();
    data->SetValue(u"NewName", entry.Value(fields::kNewName));
    data->SetValue(u"FFuncName", funcName);
    CopyLanguageNames(entry, fields::kFuncName, *data, u"FFuncName");
    data->SetValue(u"FClassName", entry.Value(fields::kClassName));
    data->SetValue(u"FClassParam", classParam);
    data->SetValue(u"FDetailFuncID", kZero);
    data->SetValue(u"FHelpCode", Text());
    Variant index = NextIndex(reader, kLevelDetailFunc, subFuncId);
    std::vector<Variant> args{subFuncId, index, data, true};
    CallByName(writer, u"CreateDetailFunc", args);  // its result is not needed
    // Another deployment may have created the same function since the look-up above: the writer then
    // finds it inside its transaction, and this entry is refused like any present function.
    Append(messages, WasCreated(*data) ? patterns::kDetailCreated : patterns::kDetailPresent,
           entry.Value(fields::kNo));
}

// The error line for a failure, with the entry's "No" when an entry was being processed. Formatting
// the line can fail in turn (no formatter); the report must still reach the list, so the plain
// pattern with the values is the last resort.
Text ErrorLine(const AutomationError& error, const DictionaryRef& current) {
    // Failures here are ignored, not recorded: the pending error holds the failure being reported.
    std::optional<Text> no;
    if (current) RunIgnoring([&] { no = current->Value(fields::kNo).ToText(); });
    Text line;
    bool formatted = RunIgnoring([&] {
        line = no ? hostctx::FormatText(patterns::kEntryFailed, {*no, error.Description()})
                  : hostctx::FormatText(patterns::kDeployFailed, {error.Description()});
    });
    if (formatted) return line;
    TextFormatter formatter;
    return no ? formatter.Format(patterns::kEntryFailed, std::vector<Variant>{*no, error.Description()})
              : formatter.Format(patterns::kDeployFailed, std::vector<Variant>{error.Description()});
}

}  // namespace

bool DeployPacketToCatalogue(const Variant& packet, VectorRef& messages, const DeployProgress& progress) {
    if (!messages) messages = Vector::Create();
    DictionaryRef current;
    // Trap and end: the first failure ends the run with one error line and false.
    return TrapAndEnd(
        [&] {
            VectorRef entries = AsVector(packet);
            for (int32_t i = entries->LowerBound(); i <= entries->UpperBound(); ++i) {
                // An item that is not an entry has no "No": its failure must not be reported under the
                // previous entry's line, which succeeded.
                current.reset();
                current = AsDictionary(entries->Item(i));
                DeployEntry(*current, *messages);
                if (progress) progress(i, entries->UpperBound());
            }
            current.reset();
            messages->Add(hostctx::TranslateText(patterns::kAllDone));
        },
        [&](const AutomationError& error) { messages->Add(ErrorLine(error, current)); });
}

}  // namespace orva::core
