#include "api/clsDeploywizard.h"

#include "api/WizardInvocation.h"
#include "automation/AutomationError.h"
#include "automation/MemberTable.h"
#include "automation/PendingError.h"
#include "automation/TextHelpers.h"
#include "core/DeployPacket.h"
#include "core/DeploymentEngine.h"
#include "core/JournaledDeployment.h"
#include "core/PacketRemapping.h"
#include "dialogs/common/UiContext.h"
#include "dialogs/wizard/frmWizard.h"
#include "hostctx/SharedProperties.h"
#include "hostctx/Texts.h"
#include "services/LibraryLocation.h"
#include "services/Sha256.h"

namespace orva::api {

using namespace automation;
using namespace components;

// Pass mode: every failure reaches the caller. The earlier result is read before the UI services are
// asked for, so a packet set lacking a language fails before anything is shown, also without a display.
ObjectRef clsDeploywizard::ShowWizard(const VectorRef& vetSelectObjects, const ObjectRef& objResult) {
    std::optional<WizardLists> earlier = ReadEarlierResult(objResult);
    std::shared_ptr<dialogs::frmWizard> wizard =
        CreateWizardDialog(dialogs::CurrentUiServices(), vetSelectObjects, earlier);
    wizard->ShowModal();
    return WizardResult(*wizard);  // the dialog is unloaded when the last reference goes
}

Text clsDeploywizard::DeployToFile(const ObjectRef& objResult, const Text& strPath) {
    // Pass: a NUL would end the folder's name early and save somewhere the caller did not name.
    RequireNoNul(strPath, u"strPath");
    // Trap and end: any failure gives the empty text and nothing else.
    Text file;
    bool saved = TrapAndEnd([&] {
        Text folder = strPath.empty() ? FromUtf8(services::LibraryFolder().string()) + u"/" : strPath;
        for (char16_t& c : folder) {
            if (c == u'\\') c = u'/';
        }
        if (folder.back() != u'/') folder += u'/';
        file = folder + kPacketFileName;
        CallMethod(objResult, u"Save", {file});
    });
    return saved ? file : Text();
}

namespace {

// The entry fields that name the entry's place and function, and those that must agree across the
// three packets for their entries to be the same line.
constexpr const char16_t* kNameFields[] = {core::fields::kTopClassName, core::fields::kSubSystemName,
                                           core::fields::kSubFuncName, core::fields::kFuncName};
constexpr const char16_t* kSameInEveryLanguage[] = {core::fields::kTopClassId, core::fields::kSubSystemId,
                                                    core::fields::kSubFuncId, core::fields::kClassParam};

// The packet file holds the same lines in its three packets: entry k of each describes the same
// function and place. Where that holds (the same number of entries, and entry k of each with the same
// identifiers and class parameter), every entry of the packet to deploy receives its names in all
// three languages (FTopClassName_CHS, ..., FFuncName_EN), so that the nodes it creates are named in
// each language. The other packets are remapped as the deployed one was, each with its own
// language's new names. Where the packets are not parallel, or another packet cannot be read or
// remapped, entries keep their one name: this is a refinement, never a reason to fail.
void AddLanguageNames(components::Vector& packet, const Text& language, const Dictionary& packetSet,
                      const DictionaryRef& info) {
    std::vector<VectorRef> packets;
    for (const char16_t* code : core::kPacketLanguages) {
        if (code == language) {
            packets.push_back(nullptr);  // the packet being deployed, already remapped
            continue;
        }
        // A packet that is missing, of another length, or cannot be read or remapped gives no names:
        // every entry keeps its one name. This refinement never fails, so the failure is not recorded.
        VectorRef copy;
        bool read = RunIgnoring([&] {
            Variant other = packetSet.Value(code);
            if (!other.IsObject() || !other.ToObject()) return;
            // A copy: the file's other packets are read, not changed.
            VectorRef source = AsVector(other);
            if (source->Count() != packet.Count()) return;
            copy = Vector::Create();
            for (int32_t i = source->LowerBound(); i <= source->UpperBound(); ++i) {
                DictionaryRef original = AsDictionary(source->Item(i));
                DictionaryRef entry = Dictionary::Create();
                for (int32_t k = 1; k <= original->Count(); ++k) {
                    const Text& key = original->Key(k);
                    entry->SetValue(key, original->Value(key));
                }
                copy->Add(entry);
            }
            if (info) core::RemapPacket(*copy, *info, code);
        });
        if (!read || !copy) return;
        packets.push_back(copy);
    }
    for (int32_t i = packet.LowerBound(); i <= packet.UpperBound(); ++i) {
        // Skip, unrecorded: an entry that fails keeps its one name.
        RunIgnoring([&] {
            DictionaryRef entry = AsDictionary(packet.Item(i));
            std::vector<DictionaryRef> parallel;
            bool same = true;
            for (size_t p = 0; p < packets.size() && same; ++p) {
                DictionaryRef other =
                    packets[p]
                        ? AsDictionary(packets[p]->Item(packets[p]->LowerBound() + (i - packet.LowerBound())))
                        : entry;
                for (const char16_t* field : kSameInEveryLanguage) {
                    same = same && other->Value(field).ToText() == entry->Value(field).ToText();
                }
                parallel.push_back(other);
            }
            if (!same) return;
            for (size_t p = 0; p < parallel.size(); ++p) {
                for (const char16_t* field : kNameFields) {
                    entry->SetValue(Text(field) + u"_" + core::kPacketLanguages[p],
                                    parallel[p]->Value(field));
                }
            }
        });
    }
}

}  // namespace

bool clsDeploywizard::DeployToLumoMain(const Text& strFile, DictionaryRef& dctInfo, VectorRef& msgList,
                                       const core::DeployProgress& progress, JournalOrigin origin) {
    // Pass: a NUL would end the file's name early and deploy another file than the caller named.
    RequireNoNul(strFile, u"strFile");
    if (!msgList) msgList = Vector::Create();
    Variant packet;
    JournalRunInfo run;
    run.origin = origin;
    run.packetFile = strFile;
    // Trap and end for everything before the engine, reported in the list; the engine reports its
    // own failures.
    bool ready = TrapAndEnd(
        [&] {
            Text language = UCase(hostctx::GetPropsValue(u"Language"));
            // No language means no login was published: say what is missing, not which packet.
            if (language.empty())
                Raise(errors::kInvalidCall, u"no login: publish Language and PropsString first");
            DictionaryRef packetSet = Dictionary::Create();
            packetSet->Load(strFile);
            packet = packetSet->Value(language);
            if (!packet.IsObject() || !packet.ToObject()) {
                Raise(errors::kBadFileFormat,
                      strFile + u": the packet file holds no packet for the language \"" + language + u"\"");
            }
            if (dctInfo) core::RemapPacket(*AsVector(packet), *dctInfo, language);
            AddLanguageNames(*AsVector(packet), language, *packetSet, dctInfo);
            run.packetSha256 = FileSha256(ToUtf8(strFile));
            run.language = language;
        },
        [&](const AutomationError& error) {
            msgList->Add(hostctx::FormatText(core::patterns::kDeployFailed, {error.Description()}));
        });
    if (!ready) return false;
    return core::DeployJournaled(std::move(run), packet, msgList, progress);
}

namespace {

// The message list is passed by reference: one the call creates reaches the caller's argument.
Variant DeployToLumoMainByName(clsDeploywizard& wizard, Args args) {
    DictionaryRef info = args.size() > 1 && args[1].ToObject() ? AsDictionary(args[1]) : nullptr;
    VectorRef messages = args.size() > 2 && args[2].ToObject() ? AsVector(args[2]) : nullptr;
    bool result = wizard.DeployToLumoMain(args[0].ToText(), info, messages);
    if (args.size() > 2) args[2] = Variant(messages);
    return result;
}

}  // namespace

Variant clsDeploywizard::Invoke(TextView name, CallKind kind, std::span<Variant> args) {
    // clang-format off
    static constexpr Member<clsDeploywizard> kMembers[] = {
        {.name = u"ShowWizard", .minArgs = 1, .maxArgs = 2,
         .call = [](clsDeploywizard& w, Args a) -> Variant {
             VectorRef selected = a[0].ToObject() ? AsVector(a[0]) : nullptr;
             return w.ShowWizard(selected, a.size() > 1 ? a[1].ToObject() : nullptr);
         }},
        {.name = u"DeployToFile", .minArgs = 2, .maxArgs = 2,
         .call = [](clsDeploywizard& w, Args a) -> Variant {
             return w.DeployToFile(a[0].ToObject(), a[1].ToText());
         }},
        {.name = u"DeployToLumoMain", .minArgs = 1, .maxArgs = 3, .call = DeployToLumoMainByName},
    };
    // clang-format on
    return InvokeMember(*this, kMembers, name, kind, args);
}

}  // namespace orva::api
