// orva-deploy publish --subsystem N (--type FID | --report FID) [--play SCRIPT] [--screenshot PNG]:
// opens the publish dialog as a host's Promugate or PromugateReport call does; the user publishes
// into the account from inside it. --play drives it from a script of user steps instead of a window.

#include <ostream>

#include "api/PromulgatorDialogs.h"
#include "api/clsPromulgator.h"
#include "automation/TextHelpers.h"
#include "bag/Dictionary.h"
#include "catalog/ClassCatalog.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/DialogCommandSupport.h"
#include "cli/MetadataListing.h"
#include "dialogs/common/Screenshot.h"
#include "dialogs/common/ScriptedUi.h"
#include "dialogs/play/PublishPlay.h"
#include "dialogs/promu/frmPromu.h"

namespace orva::cli {

using namespace automation;
using namespace components;

namespace {

constexpr const char* kFooter = R"(
The dialog lists the base-data types, bill types and reports of the business subsystem N (see
"orva-deploy subsystems") and opens with one of them ticked: the class type FID given by --type
(see "orva-deploy types"), or the report FID given by --report (see "orva-deploy reports"). An FID
the account does not have opens the dialog with nothing ticked. The user ticks business objects,
picks a place in the console catalogue, adds functions to the publish list and presses Publish,
which publishes them into the account at once; the dialog stays open until the user closes it.
Without --play the dialog is a real window, which needs a display.

--play SCRIPT plays the dialog without a window from a JSON array of user steps and prints a JSON
transcript of the dialog on stdout (and nothing else there); docs/play.md describes both, with the
tree's steps "check", "expand" and "activate". Publishing happens when a step presses cmdOK. A wrong
step ends the play: the transcript is still printed, the error naming the step's number goes to
stderr, and the exit status is 2 (what was published before the error stays published).

--screenshot PNG renders the dialog into a PNG picture without a display, as it stands after the
--play steps; each answer typed into the name dialog is rendered too, into PNG-STEM-frmInput-N.png
beside PNG (N from 1), and each message box shown, into PNG-STEM-message-N.png (details open).
Without --play, --screenshot renders the dialog as it first shows (loaded, its object ticked) and
ends: no window, nothing published, exit status 0.

Exit status: 0 the dialog closed (also after a publish that failed: its message says so), 1 the
dialog could not open (no display, an account that cannot be read), 2 a wrong command line, an
unknown subsystem, or a wrong play script.

Examples:
  orva-deploy subsystems --catalog account.db
  orva-deploy publish --catalog account.db --subsystem 12 --type 200000004
  echo '[{"check": "tvList", "key": "Report_Item5102", "value": true}, {"click": "lstTopClass", "index": 1},
         {"click": "cmdSet"}, {"click": "cmdOK"}, {"click": "cmdCancel"}]' >steps.json
  orva-deploy publish --catalog account.db --subsystem 12 --report 5101 --play steps.json)";

// The class type fid as a host hands it to Promugate: the dictionary the account's class catalogue
// answers for it, or one holding only "FID" when the account has no such type.
DictionaryRef ClassTypeOf(const ListingContext& context, int32_t fid) {
    ClassTypeFilter filter{{{ClassTypeField::FID, FilterOperator::Equal, fid}}};
    VectorRef found = ClassTypeDictionaries(context.account, context.language, filter);
    if (found->Count() > 0) return AsDictionary(found->Item(1));
    DictionaryRef unknown = Dictionary::Create();
    unknown->SetValue(u"FID", fid);
    return unknown;
}

// The report fid as a host hands it to PromugateReport: its name in the account's language and its
// FType as text; both empty when the account has no such report.
struct ReportCall {
    Text name;
    int32_t id = 0;
    Text type;
};

ReportCall ReportOf(const ListingContext& context, int32_t fid) {
    ReportCall call{{}, fid, {}};
    std::shared_ptr<Recordset> reports = QueryReports(context.account, context.language, std::nullopt);
    for (; !reports->IsEOF(); reports->MoveNext()) {
        if (reports->Field(u"FID").ToInt32() != fid) continue;
        call.name = reports->Field(u"FName").ToText();
        call.type = reports->Field(u"FType").ToText();
        break;
    }
    reports->Close();
    return call;
}

class PublishCommand : public Command {
public:
    std::string Name() const override { return "publish"; }
    std::string Description() const override {
        return "Open the publish dialog on a class type or a report and publish what the user chooses";
    }

    void Configure(CLI::App& sub) override {
        sub.add_option("--subsystem", m_subsystem, "Business subsystem whose objects the dialog lists")
            ->type_name("N")
            ->required();
        CLI::Option* type = sub.add_option("--type", m_type, "Class type to open with, by FID (see: types)")
                                ->type_name("FID");
        CLI::Option* report =
            sub.add_option("--report", m_report, "Report to open with, by FID (see: reports)")
                ->type_name("FID");
        type->excludes(report);
        report->excludes(type);
        m_typeOption = type;
        m_reportOption = report;
        sub.add_option("--play", m_play, "JSON file of user steps: play the dialog without a window")
            ->type_name("SCRIPT");
        sub.add_option("--screenshot", m_screenshot, "PNG file: render the dialog (no display needed)")
            ->type_name("PNG");
        sub.footer(kFooter);
    }

    int Execute(const HostOptions& host, Streams& streams) override {
        std::optional<ListingContext> context = ListingContextOf(host, streams, Name());
        if (!context) return kExitUsage;
        if (m_typeOption->count() == 0 && m_reportOption->count() == 0) {
            return Usage(streams, "give --type FID or --report FID: the object the dialog opens with");
        }
        dialogs::PlayScript script;
        try {
            if (!ReadBizSubsystem(context->account, m_subsystem)) {
                return Usage(streams, "--subsystem " + std::to_string(m_subsystem) +
                                          ": the account has no business subsystem " +
                                          std::to_string(m_subsystem));
            }
        } catch (const AutomationError& error) {
            return ReportFailure(streams, Name(), error);
        }
        // A script that cannot be read or parsed is a wrong command line: nothing is shown.
        if (!m_play.empty()) {
            if (std::optional<std::string> problem = ReadPlayScriptFile(m_play, script))
                return Usage(streams, *problem);
        }
        if (!m_screenshot.empty()) {
            if (auto problem = CheckPictureTargets(m_screenshot, m_play.empty() ? nullptr : &script))
                return Usage(streams, *problem);
        }
        try {
            api::clsPromulgator promulgator;
            promulgator.SetSubSystem(m_subsystem);
            DictionaryRef classType;
            ReportCall report;
            if (m_typeOption->count() > 0) {
                classType = ClassTypeOf(*context, m_type);
            } else {
                report = ReportOf(*context, m_report);
            }
            const auto create = [&](std::shared_ptr<dialogs::UiServices> ui) {
                return classType ? api::CreateTypeDialog(std::move(ui), promulgator.SubSystem(), classType)
                                 : api::CreateReportDialog(std::move(ui), promulgator.SubSystem(),
                                                           report.name, report.id, report.type);
            };
            if (!m_play.empty())
                return Play(create(std::make_shared<dialogs::ScriptedUi>()), script, streams);
            if (!m_screenshot.empty()) {
                // Pictured only, as the user first sees it: loaded and activated (its object ticked),
                // never shown.
                auto dialog = create(std::make_shared<dialogs::ScriptedUi>());
                dialog->Load();
                dialog->Activate();
                dialogs::RenderDialogPng(*dialog, m_screenshot);
                return kExitOk;
            }
            if (classType) {
                promulgator.Promugate(classType);
            } else {
                promulgator.PromugateReport(report.name, report.id, report.type);
            }
            return kExitOk;
        } catch (const AutomationError& error) {
            return ReportFailure(streams, Name(), error);
        }
    }

private:
    int Usage(Streams& streams, const std::string& message) const {
        return ReportUsage(streams, Name(), message);
    }

    // --play: the transcript goes to stdout whenever the dialog was shown; then a step error or the
    // dialog's failure to stderr. A load that fails shows nothing and passes to the caller.
    int Play(const std::shared_ptr<dialogs::frmPromu>& dialog, const dialogs::PlayScript& script,
             Streams& streams) {
        dialogs::PlayOptions options;
        options.extensions = dialogs::PublishPlayExtensions();
        if (!m_screenshot.empty()) PictureEachInput(options, m_screenshot);
        dialogs::PlayOutcome outcome = dialogs::PlayDialog(*dialog, script, options);
        std::optional<AutomationError> failure = outcome.failure;
        if (!m_screenshot.empty() && !failure) {
            try {
                dialogs::RenderDialogPng(*dialog, m_screenshot);
                PictureEachMessage(*dialog, m_screenshot);
            } catch (const AutomationError& error) {
                failure = error;
            }
        }
        streams.out << dialogs::PublishTranscript(*dialog).dump(
                           2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
                    << "\n";
        if (outcome.stepError) return Usage(streams, ToUtf8Lossy(outcome.stepError->Message()));
        if (failure) return ReportFailure(streams, Name(), *failure);
        return kExitOk;
    }

    int32_t m_subsystem = 0;
    int32_t m_type = 0;
    int32_t m_report = 0;
    CLI::Option* m_typeOption = nullptr;
    CLI::Option* m_reportOption = nullptr;
    std::string m_play;
    std::string m_screenshot;
};

}  // namespace

std::unique_ptr<Command> MakePublishCommand() { return std::make_unique<PublishCommand>(); }

}  // namespace orva::cli
