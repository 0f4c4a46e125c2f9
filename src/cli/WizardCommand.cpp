// orva-deploy wizard --type FID [--type FID ...] [--from PACKETFILE] -o FILE [--play SCRIPT]
// [--screenshot PNG]: opens the deployment wizard as a host's ShowWizard call does and saves the
// packet set the user confirms; --play drives it from a script of user steps instead of a window.

#include <filesystem>
#include <map>
#include <ostream>

#include "api/WizardInvocation.h"
#include "automation/TextHelpers.h"
#include "bag/Dictionary.h"
#include "catalog/ClassCatalog.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/DialogCommandSupport.h"
#include "cli/MetadataListing.h"
#include "dialogs/common/Screenshot.h"
#include "dialogs/common/ScriptedUi.h"
#include "dialogs/common/UiContext.h"
#include "dialogs/play/DialogPlayer.h"
#include "dialogs/wizard/frmWizard.h"
#include "storage/AtomicFile.h"

namespace orva::cli {

using namespace automation;
using namespace components;

namespace {

constexpr const char* kFooter = R"(
The wizard opens on the class types given by --type (FIDs of the account, see "orva-deploy types"),
named in the host's language, and, with --from, on the lines of an earlier packet file. Confirming
writes the packet file FILE (replaced safely if it exists); cancelling writes nothing and ends with
"cancelled" on stderr and exit status 1. Without --play the wizard is a real window, which needs a
display.

--play SCRIPT plays the wizard without a window from a JSON array of user steps and prints a JSON
transcript of the dialog on stdout (and nothing else there); docs/play.md describes both. A wrong
step ends the play: the transcript is still printed, the error naming the step's number goes to
stderr, no file is written, and the exit status is 2.

--screenshot PNG renders the wizard into a PNG picture without a display, after loading and after
any --play steps; with --play each answer typed into the name dialog is rendered too, into
PNG-STEM-frmInput-N.png beside PNG (N from 1), and each message box shown, into
PNG-STEM-message-N.png (details open). Without --play, --screenshot only loads and renders
the wizard: no window, no packet file, exit status 0.

Exit status: 0 confirmed (or pictured), 1 cancelled or failed, 2 a wrong command line, an unknown
type, or a wrong play script.

Examples:
  orva-deploy types --catalog account.db --subsystem 12
  orva-deploy wizard --catalog account.db --type 81 --type 1001 -o DeployFunction.Dat
  echo '[{"click": "lstSubFunc", "text": "销售订单"}, {"click": "cmdSet"}, {"click": "cmdOK"}]' >steps.json
  orva-deploy wizard --catalog account.db --type 81 -o DeployFunction.Dat --play steps.json)";

// The chosen types as a host hands them to ShowWizard, in the order given: FName in the account's
// language, FMName, FBillTypeID, FID. Empty text in unknown when a FID is not the account's.
VectorRef ChosenTypes(const ListingContext& context, const std::vector<int32_t>& fids, std::string& unknown) {
    VectorRef all = ClassTypeDictionaries(context.account, context.language, {});
    std::map<int32_t, DictionaryRef> byId;
    for (const Variant& item : *all) {
        DictionaryRef type = AsDictionary(item);
        byId.emplace(type->Value(u"FID").ToInt32(), type);
    }
    VectorRef chosen = Vector::Create();
    for (int32_t fid : fids) {
        auto it = byId.find(fid);
        if (it == byId.end()) {
            unknown = std::to_string(fid);
            return nullptr;
        }
        DictionaryRef type = Dictionary::Create();
        for (const char16_t* field : {u"FName", u"FMName", u"FBillTypeID", u"FID"})
            type->SetValue(field, it->second->Value(field));
        chosen->Add(std::move(type));
    }
    return chosen;
}

class WizardCommand : public Command {
public:
    std::string Name() const override { return "wizard"; }
    std::string Description() const override {
        return "Open the deployment wizard and save the packet file the user confirms";
    }

    void Configure(CLI::App& sub) override {
        sub.add_option("--type", m_types, "Class type to publish, by FID (see: types); repeat for more")
            ->type_name("FID")
            ->required()
            ->expected(1)
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
        sub.add_option("--from", m_from, "Earlier packet file whose lines the wizard opens with")
            ->type_name("PACKETFILE");
        sub.add_option("-o,--output", m_output, "Packet file to write when the user confirms")
            ->type_name("FILE")
            ->required();
        sub.add_option("--play", m_play, "JSON file of user steps: play the wizard without a window")
            ->type_name("SCRIPT");
        sub.add_option("--screenshot", m_screenshot, "PNG file: render the wizard (no display needed)")
            ->type_name("PNG");
        sub.footer(kFooter);
    }

    int Execute(const HostOptions& host, Streams& streams) override {
        std::optional<ListingContext> context = ListingContextOf(host, streams, Name());
        if (!context) return kExitUsage;
        VectorRef types;
        dialogs::PlayScript script;
        std::string unknown;
        try {
            types = ChosenTypes(*context, m_types, unknown);
        } catch (const AutomationError& error) {
            return ReportFailure(streams, Name(), error);
        }
        if (!types) return Usage(streams, "--type " + unknown + ": the account has no class type " + unknown);
        // Checked before the user spends time in the wizard.
        std::filesystem::path folder = std::filesystem::path(m_output).parent_path();
        std::error_code folderError;
        if (!folder.empty() && !std::filesystem::is_directory(folder, folderError)) {
            return Usage(streams, "-o " + m_output + ": the folder " + folder.string() + " does not exist");
        }
        // A script that cannot be read or parsed is a wrong command line: nothing is shown.
        if (!m_play.empty()) {
            if (std::optional<std::string> problem = ReadPlayScriptFile(m_play, script))
                return Usage(streams, *problem);
        }
        // So is a file that could not be saved: a FIFO would hang the save, a device take the bytes.
        if (!m_play.empty() || m_screenshot.empty()) {
            try {
                components::CheckReplaceable(FromUtf8(m_output));
            } catch (const AutomationError& error) {
                return Usage(streams, "-o: " + ToUtf8Lossy(error.Description()));
            }
        }
        if (!m_screenshot.empty()) {
            if (auto problem = CheckPictureTargets(m_screenshot, m_play.empty() ? nullptr : &script))
                return Usage(streams, *problem);
        }
        try {
            // The loaded file is needed only for its lines: its packets are let go as they are read,
            // which keeps a big file's peak memory down.
            std::optional<api::WizardLists> earlier;
            if (!m_from.empty()) {
                DictionaryRef loaded = Dictionary::Create();
                loaded->Load(FromUtf8(m_from));
                earlier = api::TakeEarlierResult(loaded);
            }
            if (!m_play.empty()) return Play(types, earlier, script, streams);
            if (!m_screenshot.empty()) {
                // Pictured only: loaded as ShowWizard would show it, never shown.
                auto wizard =
                    api::CreateWizardDialog(std::make_shared<dialogs::ScriptedUi>(), types, earlier);
                wizard->Load();
                dialogs::RenderDialogPng(*wizard, m_screenshot);
                return kExitOk;
            }
            // ShowWizard's steps, on the lists already read.
            auto wizard = api::CreateWizardDialog(dialogs::CurrentUiServices(), types, earlier);
            wizard->ShowModal();
            ObjectRef result = api::WizardResult(*wizard);
            if (!result) return Cancelled(streams);
            CallMethod(result, u"Save", {FromUtf8(m_output)});
            return kExitOk;
        } catch (const AutomationError& error) {
            return ReportFailure(streams, Name(), error);
        }
    }

private:
    int Usage(Streams& streams, const std::string& message) const {
        return ReportUsage(streams, Name(), message);
    }

    int Cancelled(Streams& streams) const {
        streams.err << "orva-deploy: " << Name() << ": cancelled\n";
        return kExitFailure;
    }

    // --play: the transcript goes to stdout whenever the wizard was shown; then the outcome's message
    // to stderr. A play that ends in an error writes no packet file.
    int Play(const VectorRef& types, const std::optional<api::WizardLists>& earlier,
             const dialogs::PlayScript& script, Streams& streams) {
        auto ui = std::make_shared<dialogs::ScriptedUi>();
        auto wizard = api::CreateWizardDialog(ui, types, earlier);
        dialogs::PlayOptions options;
        if (!m_screenshot.empty()) PictureEachInput(options, m_screenshot);
        dialogs::PlayOutcome outcome = dialogs::PlayDialog(*wizard, script, options);
        std::optional<AutomationError> failure = outcome.failure;
        ObjectRef result;
        const auto attempt = [&](auto&& step) {
            if (failure) return;
            try {
                step();
            } catch (const AutomationError& error) {
                failure = error;
            }
        };
        attempt([&] { result = api::WizardResult(*wizard); });
        if (!m_screenshot.empty()) {
            attempt([&] { dialogs::RenderDialogPng(*wizard, m_screenshot); });
            attempt([&] { PictureEachMessage(*wizard, m_screenshot); });
        }
        if (result && !outcome.stepError) attempt([&] { CallMethod(result, u"Save", {FromUtf8(m_output)}); });

        streams.out << dialogs::Transcript(*wizard, Variant(result))
                           .dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
                    << "\n";
        if (outcome.stepError) return Usage(streams, ToUtf8Lossy(outcome.stepError->Message()));
        if (failure) return ReportFailure(streams, Name(), *failure);
        return result ? kExitOk : Cancelled(streams);
    }

    std::vector<int32_t> m_types;
    std::string m_from;
    std::string m_output;
    std::string m_play;
    std::string m_screenshot;
};

}  // namespace

std::unique_ptr<Command> MakeWizardCommand() { return std::make_unique<WizardCommand>(); }

}  // namespace orva::cli
