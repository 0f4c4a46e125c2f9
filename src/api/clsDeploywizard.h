#pragma once
// clsDeploywizard: the public class through which a host deploys functions in two stages. ShowWizard
// lets the user choose functions and places and returns a packet set; DeployToFile saves a packet set
// as the packet file "DeployFunction.Dat"; DeployToLumoMain later writes a packet file into the
// console catalogue of the installation it runs in. The class keeps nothing between calls.
//
// Creatable by program ID "OrvaClassDeploy.clsDeploywizard" and callable by name with the members
// ShowWizard, DeployToFile, DeployToLumoMain (in this interface order).

#include "account/JournalOrigin.h"
#include "automation/Object.h"
#include "bag/Dictionary.h"
#include "bag/Vector.h"
#include "core/DeploymentEngine.h"

namespace orva::api {

class clsDeploywizard : public automation::Object {
public:
    static constexpr const char16_t* kProgId = u"OrvaClassDeploy.clsDeploywizard";
    // Identifiers of the class and of its automation interface _clsDeploywizard. Fixed for good:
    // hosts and registration files may record them.
    static constexpr const char16_t* kClassId = u"{6F1C2A57-8D3E-4B9A-A0C4-3E52D7B81F06}";
    static constexpr const char16_t* kInterfaceId = u"{0B84E3D2-5A7F-4C16-9E2B-71D4A9C3F5E8}";
    static constexpr const char16_t* kPacketFileName = u"DeployFunction.Dat";

    // Opens the deployment wizard for the chosen business-object types (dictionaries with FName,
    // FMName, FBillTypeID, FID), optionally on the packet set of an earlier call, and returns the new
    // packet set, or nothing when the user cancels (objResult is never changed). The dialog shows
    // in a window of the host's display, unless other UI services were installed for the calling
    // thread. The host's current language is read before anything else, so the dialog speaks it.
    // Errors reach the caller: 5 naming the language when objResult lacks one of "CHS", "CHT", "EN"
    // (raised before anything is shown), the UI services' error when no window can be opened (5 "No
    // window can be opened: ..."), and what the dialog's show raises.
    automation::ObjectRef ShowWizard(const components::VectorRef& vetSelectObjects,
                                     const automation::ObjectRef& objResult = nullptr);

    // Saves objResult (a packet set, or any object with a Save member) as "DeployFunction.Dat" in
    // strPath, or in the library's own folder when strPath is empty, and returns the full path.
    // Returns the empty text on any failure and reports nothing.
    //
    // Folders on Linux: "/" separates folders. Because hosts written for Windows pass folders with
    // "\", every "\" in strPath is read as "/" ("C:\out\" is not meaningful here, "out\sub\" is the
    // folder out/sub). No separator is added when the folder already ends in one.
    automation::Text DeployToFile(const automation::ObjectRef& objResult, const automation::Text& strPath);

    // Loads the packet file strFile, takes the packet of the host's language, replaces class
    // identifiers and names as dctInfo says, and deploys it into the console catalogue. Every step is
    // reported in msgList, which is created when the caller passes nothing. True when the deployment
    // ran to its end. Never raises: failures are lines of msgList and a false result, and leave no
    // pending error (the failure is handled here).
    // Nodes the deployment creates are named in all three languages: the file's other two packets hold
    // the same lines, so entry k of each gives the name in its language (remapped with dctInfo as the
    // deployed packet is, each with its own language's new names). An entry whose counterparts differ
    // in identifiers or class parameter, or a file whose packets differ in length, keeps its one name.
    // progress, when given, hears after each deployed entry how many of how many are done.
    // The run is recorded in the account's deployment journal (DeployJournaled) under
    // origin (a host's call: "host"; the command line passes "deploy"), with the file's name and
    // SHA-256.
    bool DeployToLumoMain(const automation::Text& strFile, components::DictionaryRef& dctInfo,
                          components::VectorRef& msgList, const core::DeployProgress& progress = nullptr,
                          components::JournalOrigin origin = components::JournalOrigin::Host);

    automation::Text TypeName() const override { return u"clsDeploywizard"; }
    automation::Variant Invoke(automation::TextView name, automation::CallKind kind,
                               std::span<automation::Variant> args) override;
};

}  // namespace orva::api
