#include "api/clsDeploywizard.h"

#include "api/LibraryLocation.h"
#include "automation/AutomationError.h"
#include "automation/PendingError.h"
#include "automation/TextHelpers.h"
#include "core/DeploymentEngine.h"
#include "core/PacketRemapping.h"
#include "hostctx/SharedProperties.h"
#include "hostctx/Texts.h"

namespace orva::api {

using namespace automation;
using namespace components;

ObjectRef clsDeploywizard::ShowWizard(const VectorRef&, const ObjectRef&) {
    Raise(errors::kInvalidCall, u"ShowWizard is not available in this build: the deployment wizard dialog "
                                u"has not been built yet");
}

Text clsDeploywizard::DeployToFile(const ObjectRef& objResult, const Text& strPath) {
    // Trap and end: any failure gives the empty text and nothing else.
    try {
        Text folder = strPath.empty() ? FromUtf8(LibraryFolder().string()) + u"/" : strPath;
        for (char16_t& c : folder) {
            if (c == u'\\') c = u'/';
        }
        if (folder.back() != u'/') folder += u'/';
        Text file = folder + kPacketFileName;
        CallMethod(objResult, u"Save", {file});
        return file;
    } catch (...) {
        return {};
    }
}

bool clsDeploywizard::DeployToLumoMain(const Text& strFile, DictionaryRef& dctInfo, VectorRef& msgList,
                                       const core::DeployProgress& progress) {
    if (!msgList) msgList = Vector::Create();
    Variant packet;
    // Trap and end for everything before the engine; the engine reports its own failures.
    try {
        Text language = UCase(hostctx::GetPropsValue(u"Language"));
        DictionaryRef packetSet = Dictionary::Create();
        packetSet->Load(strFile);
        packet = packetSet->Value(language);
        if (!packet.IsObject() || !packet.ToObject()) {
            Raise(errors::kBadFileFormat, strFile + u": the packet file holds no packet for the language \"" +
                                              language + u"\"");
        }
        if (dctInfo) core::RemapPacket(*AsVector(packet), *dctInfo, language);
    } catch (...) {
        AutomationError error = CurrentAsAutomationError();
        RecordPending(error);
        msgList->Add(hostctx::FormatText(core::patterns::kDeployFailed, {error.Description()}));
        return false;
    }
    return core::DeployPacketToCatalogue(packet, msgList, progress);
}

Variant clsDeploywizard::Invoke(TextView name, CallKind, std::span<Variant> args) {
    if (MemberIs(name, u"ShowWizard")) {
        RequireArgCount(args, 1, 2);
        VectorRef selected = args[0].ToObject() ? AsVector(args[0]) : nullptr;
        return ShowWizard(selected, args.size() > 1 ? args[1].ToObject() : nullptr);
    }
    if (MemberIs(name, u"DeployToFile")) {
        RequireArgCount(args, 2, 2);
        return DeployToFile(args[0].ToObject(), args[1].ToText());
    }
    if (MemberIs(name, u"DeployToLumoMain")) {
        RequireArgCount(args, 1, 3);
        DictionaryRef info = args.size() > 1 && args[1].ToObject() ? AsDictionary(args[1]) : nullptr;
        VectorRef messages = args.size() > 2 && args[2].ToObject() ? AsVector(args[2]) : nullptr;
        bool result = DeployToLumoMain(args[0].ToText(), info, messages);
        if (args.size() > 2) args[2] = Variant(messages);
        return result;
    }
    RaiseNoSuchMember(*this, name);
}

}  // namespace orva::api
