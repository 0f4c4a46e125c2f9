#include "core/DeploymentEngine.h"

#include <optional>

#include "account/CatalogContract.h"
#include "account/PlannerStatistics.h"
#include "automation/AutomationError.h"
#include "automation/ClassRegistry.h"
#include "automation/PendingError.h"
#include "automation/TextHelpers.h"
#include "bag/Dictionary.h"
#include "bag/TextFormatter.h"
#include "catalog/CatalogReader.h"
#include "catalog/CatalogWriter.h"
#include "catalog/RecordsetCursor.h"
#include "core/DeployPacket.h"
#include "hostctx/Texts.h"

namespace orva::core {

using namespace automation;
using namespace components;

namespace {

Text NameKey(const Variant& name) { return CatalogNameKey(name.ToText()); }

// True when a record's name has a wanted name key (NameKey of the entry's name). The walks below visit
// every sibling of a node: names are read in place, uncopied, when they are texts (record names are).
bool MatchesKey(const Variant& name, const Text& wanted) {
    if (const Text* held = name.TextIf()) return HasCatalogNameKey(*held, wanted);
    return HasCatalogNameKey(name.ToText(), wanted);
}

// Nothing returned by the reader counts as a recordset without records.
using Records = RecordsetCursor;

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
        if (MatchesKey(records.Field(kDetailFuncLevel.nameField), wantedName) &&
            records.Field(kDetailFuncLevel.identityField).ToText() == classParam) {
            present = true;
            break;
        }
    }
    records.Close();
    return present;
}

Variant NextIndex(const ObjectRef& reader, const CatalogLevel& level, const Variant& parent) {
    return CallMethod(reader, u"GetNextIndex", {Variant(static_cast<int16_t>(level.number)), parent});
}

void Append(Vector& messages, const char16_t* pattern, const Variant& value) {
    messages.Add(hostctx::FormatText(pattern, {value}));
}

const Variant kZero(static_cast<int16_t>(0));

// The message of a node the engine created, for the three levels above a function detail.
const char16_t* CreatedPattern(const CatalogLevel& level) {
    static constexpr const char16_t* kPatterns[] = {patterns::kTopClassCreated, patterns::kSubSystemCreated,
                                                    patterns::kSubFuncCreated};
    return kPatterns[level.number - 1];
}

// What the engine stores in an attribute of a node it creates above a function detail; nothing for the
// attributes it leaves to the writer.
std::optional<Variant> AttributeValue(const CatalogAttribute& attribute) {
    TextView field = attribute.field;
    if (field == kClassNameField) return Variant(kRuntimeHostClass);
    if (field == kSubIdField) return Variant(u"orvahost");
    return std::nullopt;
}

// Copies the entry's names in the three languages, where it carries them (DeployToLumoMain adds them
// from the packet file's parallel packets), into the create's data: a node created by a deployment is
// named in every language, so a later deployment in another language finds it.
void CopyLanguageNames(const Dictionary& entry, const char16_t* entryName, Dictionary& data,
                       const char16_t* dataName) {
    for (CatalogLanguage language : kCatalogLanguages) {
        Variant name = entry.Value(LanguageField(entryName, language));
        if (!name.IsEmpty()) data.SetValue(LanguageField(dataName, language), name);
    }
}

// Whether a create call made its node: our writer writes FCreated false into the data when it found
// an equal sibling (a name in another language, another deployment's node) and handed that back. A
// writer that says nothing is taken at its word: the node is new.
bool WasCreated(const Dictionary& data) {
    Variant created = data.Value(kCreatedField);
    return created.IsEmpty() || created.ToBool();
}

// Our reader answers "the first child of this name" through an index; any other reader is walked.
components::CatalogReader* OwnReader(const ObjectRef& reader) {
    return dynamic_cast<components::CatalogReader*>(reader.get());
}

std::optional<Variant> FindChild(const CatalogLevel& level, const std::optional<Variant>& parent,
                                 const ObjectRef& reader, const Text& wanted) {
    if (components::CatalogReader* own = OwnReader(reader)) {
        auto id = own->FindChildByKey(level.number, parent ? parent->ToInt32() : 0, wanted);
        return id ? std::optional<Variant>(Variant(*id)) : std::nullopt;
    }
    Variant list =
        parent ? CallMethod(reader, level.listMember, {*parent}) : CallMethod(reader, level.listMember);
    return FindByName(Records(list.ToObject()), level.nameField, level.idField, wanted);
}

// Finds the node of the entry's name under parent (the top level when parent is nothing), creates
// it when missing, and stores its identifier in the entry. Returns the identifier.
Variant FindOrCreate(const CatalogLevel& level, Dictionary& entry, const std::optional<Variant>& parent,
                     const ObjectRef& reader, const ObjectRef& writer, Vector& messages) {
    Variant name = entry.Value(level.entryNameField);
    if (auto id = FindChild(level, parent, reader, NameKey(name))) {
        entry.SetValue(level.entryIdField, *id);
        return *id;
    }
    DictionaryRef data = Dictionary::Create();
    data->SetValue(level.idField, kZero);
    data->SetValue(level.createNameField, name);
    CopyLanguageNames(entry, level.entryNameField, *data, level.createNameField);
    for (const CatalogAttribute& attribute : level.Attributes()) {
        if (auto value = AttributeValue(attribute)) data->SetValue(attribute.field, *value);
    }
    data->SetValue(kVisibleField, true);
    Variant index = NextIndex(reader, level, parent.value_or(kZero));
    // The data dictionary goes by reference; of what the writer leaves in it, only FCreated is read.
    std::vector<Variant> args;
    if (parent) args.push_back(*parent);
    args.insert(args.end(), {index, data, true});
    Variant id = CallByName(writer, level.createMember, args);
    entry.SetValue(level.entryIdField, id);
    // A node found by the create (named in another language, or made by another deployment a moment
    // ago) is reused silently, as a node the walk found.
    if (WasCreated(*data)) Append(messages, CreatedPattern(level), name);
    return id;
}

bool DetailPresent(const ObjectRef& reader, const Variant& subFuncId, const Text& wantedName,
                   const Text& classParam) {
    if (components::CatalogReader* own = OwnReader(reader)) {
        return own->HasDetailByKey(subFuncId.ToInt32(), wantedName, classParam);
    }
    return DetailPresent(Records(CallMethod(reader, kDetailFuncLevel.listMember, {subFuncId}).ToObject()),
                         wantedName, classParam);
}

void DeployEntry(Dictionary& entry, Vector& messages) {
    ObjectRef reader = CreateObject(kCatalogReaderProgId);
    ObjectRef writer = CreateObject(kCatalogWriterProgId);

    // The levels above the function detail, each under the one found or created before it.
    std::optional<Variant> parent;
    for (const CatalogLevel* level = &kTopClassLevel; level != &kDetailFuncLevel; level = level->Child()) {
        parent = FindOrCreate(*level, entry, parent, reader, writer, messages);
    }
    const Variant& subFuncId = *parent;

    const CatalogLevel& detail = kDetailFuncLevel;
    Variant funcName = entry.Value(detail.entryNameField);
    Text classParam = entry.Value(fields::kClassParam).ToText();
    if (DetailPresent(reader, subFuncId, NameKey(funcName), classParam)) {
        Append(messages, patterns::kDetailPresent, entry.Value(fields::kNo));
        return;
    }
    DictionaryRef data = Dictionary::Create();
    data->SetValue(detail.createNameFallback, entry.Value(fields::kNewName));
    data->SetValue(detail.createNameField, funcName);
    CopyLanguageNames(entry, detail.entryNameField, *data, detail.createNameField);
    data->SetValue(kClassNameField, entry.Value(fields::kClassName));
    data->SetValue(kClassParamField, classParam);
    data->SetValue(detail.idField, kZero);
    // The help code travels with the function (an exported branch carries the stored one); packets
    // made by the dialogs carry the empty text.
    Variant helpCode = entry.Value(fields::kHelpCode);
    data->SetValue(kHelpCodeField, helpCode.IsEmpty() || helpCode.IsNull() ? Variant(Text()) : helpCode);
    Variant index = NextIndex(reader, detail, subFuncId);
    std::vector<Variant> args{subFuncId, index, data, true};
    CallByName(writer, detail.createMember, args);  // its result is not needed
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

// A long run has the server's statistics of the host's account brought up to date every this many
// entries and at its end, so that its later entries, and the runs after it, are planned for the
// catalogue as it has grown (PlannerStatistics.h).
constexpr int32_t kStatisticsInterval = 500;

void RefreshHostAccountStatistics() {
    RunIgnoring([] { components::AnalyseGrownTables(components::HostAccount()); });
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
                if ((i - entries->LowerBound() + 1) % kStatisticsInterval == 0)
                    RefreshHostAccountStatistics();
            }
            current.reset();
            if (entries->Count() >= kStatisticsInterval) RefreshHostAccountStatistics();
            messages->Add(hostctx::TranslateText(patterns::kAllDone));
        },
        [&](const AutomationError& error) { messages->Add(ErrorLine(error, current)); });
}

}  // namespace orva::core
