#include "cli/InputShape.h"

#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "core/DeployPacket.h"
#include "core/PacketRemapping.h"

namespace orva::cli {

using namespace automation;
using namespace components;

namespace {

bool IsTextOrNumber(JsonKind kind) { return kind == JsonKind::Text || kind == JsonKind::Number; }

[[noreturn]] void RefuseShape(const Text& file, const Text& place, JsonKind kind, const Text& wanted) {
    Raise(errors::kTypeMismatch, file + u": " + place + u" is " + JsonKindName(kind) + u", not " + wanted);
}

// The key of the place at level, as the file writes it, for messages.
Text KeyAt(const JsonPlace& place, size_t level) { return Abbreviate(FromUtf8Lossy(place[level].key)); }

// The name among names that key matches regardless of letter case, or nullptr.
template <size_t N>
const char16_t* Match(const std::string& key, const char16_t* const (&names)[N]) {
    Text text = FromUtf8Lossy(key);
    for (const char16_t* name : names) {
        if (EqualsNoCase(text, name)) return name;
    }
    return nullptr;
}

}  // namespace

JsonShapeCheck PacketSetShape(const Text& file) {
    return [file](const JsonPlace& place, JsonKind kind) {
        static const char16_t* const kEntryFields[] = {
            core::fields::kTopClassId,    core::fields::kTopClassName, core::fields::kSubSystemId,
            core::fields::kSubSystemName, core::fields::kSubFuncId,    core::fields::kSubFuncName,
            core::fields::kNewName,       core::fields::kFuncName,     core::fields::kClassName,
            core::fields::kClassParam,    core::fields::kHelpCode,     core::fields::kNo};
        if (place.Depth() == 0) {
            if (kind != JsonKind::Object)
                Raise(errors::kBadFileFormat, file + u": the top-level JSON value must be an object");
            return;
        }
        const char16_t* language = Match(place[0].key, core::kPacketLanguages);
        if (!language) return;
        Text where = Text(u"$/") + language;
        if (place.Depth() == 1) {
            if (kind != JsonKind::Array) RefuseShape(file, where, kind, u"an array of deployment entries");
            return;
        }
        where += u"[" + FromUtf8(std::to_string(place[1].index)) + u"]";
        if (place.Depth() == 2) {
            if (kind != JsonKind::Object) RefuseShape(file, where, kind, u"an object (a deployment entry)");
            return;
        }
        if (place.Depth() != 3) return;
        const char16_t* field = Match(place[2].key, kEntryFields);
        if (field && !IsTextOrNumber(kind))
            RefuseShape(file, where + u"/" + field, kind, u"a text or a number");
    };
}

JsonShapeCheck DeploymentInfoShape(const Text& file) {
    return [file](const JsonPlace& place, JsonKind kind) {
        if (place.Depth() == 0) {
            if (kind != JsonKind::Object) {
                Raise(errors::kBadFileFormat, file + u": the deployment information must be a JSON object");
            }
            return;
        }
        Text where = u"$/" + KeyAt(place, 0);
        if (!EqualsNoCase(FromUtf8Lossy(place[0].key), core::kChangeNameKey)) {
            if (place.Depth() == 1 && !IsTextOrNumber(kind))
                RefuseShape(file, where, kind, u"a text or a number (the new class identifier)");
            return;
        }
        if (place.Depth() == 1) {
            if (kind != JsonKind::Object) RefuseShape(file, where, kind, u"an object of class identifiers");
            return;
        }
        where += u"/" + KeyAt(place, 1);
        if (place.Depth() == 2) {
            if (kind != JsonKind::Object) RefuseShape(file, where, kind, u"an object of names per language");
            return;
        }
        if (place.Depth() == 3 && !IsTextOrNumber(kind))
            RefuseShape(file, where + u"/" + KeyAt(place, 2), kind, u"a text or a number");
    };
}

}  // namespace orva::cli
