// orva-deploy translate TEXT [--all]: prints what the library shows for a text key, for translators.

#include <ostream>

#include "automation/TextHelpers.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "hostctx/ModuleState.h"
#include "hostctx/Texts.h"
#include "services/PoCatalog.h"

namespace orva::cli {

using namespace automation;

namespace {

class TranslateCommand : public Command {
public:
    std::string Name() const override { return "translate"; }
    std::string Description() const override { return "Print the text the library shows for a Chinese key"; }

    void Configure(CLI::App& sub) override {
        sub.add_option("text", m_text, "The text as the library writes it (Simplified Chinese)")->required();
        sub.add_flag("--all", m_all, "Print the text in CHS, CHT and EN, one language per line");
        sub.footer(
            "\nThe text is looked up in the language of --language (default CHS, which shows texts as\n"
            "written). Blanks around the text are kept around its translation. When the translation file\n"
            "has no entry for the text, a note goes to stderr and the text is printed as written.\n\n"
            "Examples:\n  orva-deploy --language EN translate 功能发布完毕！\n"
            "  orva-deploy translate --all \"[%1] 发布到: [%2.%3.%4]\"");
    }

    int Execute(const HostOptions&, Streams& streams) override {
        try {
            Text text = FromUtf8(m_text);
            if (m_all) {
                for (const char16_t* language : {u"CHS", u"CHT", u"EN"}) {
                    streams.out << ToUtf8Lossy(language) << "\t"
                                << ToUtf8Lossy(hostctx::TranslateTextTo(text, language)) << "\n";
                    NoteMissing(streams, text, language);
                }
            } else {
                streams.out << ToUtf8Lossy(hostctx::TranslateText(text)) << "\n";
                NoteMissing(streams, text, hostctx::CurrentLanguage());
            }
            for (const std::string& warning : components::TakeCatalogWarnings()) {
                streams.err << "orva-deploy: warning: " << warning << "\n";
            }
            return kExitOk;
        } catch (const AutomationError& error) {
            return ReportFailure(streams, "translate", error);
        }
    }

private:
    // Tells the translator when a file that was read has no entry for the text (a missing file has
    // been warned about already).
    static void NoteMissing(Streams& streams, const Text& text, const Text& language) {
        if (UCase(language) == hostctx::kUntranslatedLanguage) return;
        auto catalog = components::CatalogFor(hostctx::kResFileBaseName, language);
        if (catalog->Size() == 0 || catalog->Find(Trim(text)) != nullptr) return;
        streams.err << "orva-deploy: translate: " << catalog->Path().filename().string()
                    << " has no translation of \"" << ToUtf8Lossy(Trim(text))
                    << "\"; it is shown as written\n";
    }

    std::string m_text;
    bool m_all = false;
};

}  // namespace

std::unique_ptr<Command> MakeTranslateCommand() { return std::make_unique<TranslateCommand>(); }

}  // namespace orva::cli
