// orva-deploy format PATTERN ARG...: prints a message as the library formats it.

#include <array>
#include <ostream>
#include <string>

#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "hostctx/Texts.h"

namespace orva::cli {

using namespace automation;

namespace {

class FormatCommand : public Command {
public:
    std::string Name() const override { return "format"; }
    std::string Description() const override {
        return "Translate a message pattern and fill in its %1, %2, ...";
    }

    void Configure(CLI::App& sub) override {
        sub.add_option("pattern", m_pattern, "The pattern as the library writes it, e.g. \"%1失败(%2)!\"")
            ->required();
        // One text option per value rather than a list option: CLI11 would read a list value written
        // in brackets, such as a publish-list line "[A] publish to: [B.C.D]", as a list of its own.
        for (size_t i = 0; i < m_values.size(); ++i) {
            m_options[i] = sub.add_option("value" + std::to_string(i + 1), m_values[i],
                                          "Value for %" + std::to_string(i + 1));
        }
        sub.footer(
            "\nUsage: orva-deploy format PATTERN [VALUE...] with up to nine values, for %1 to %9. The\n"
            "pattern is translated into the language of --language first. A placeholder without a value\n"
            "stays as written.\n\nExample:\n  orva-deploy --language EN format 创建主系统%1成功! "
            "财务会计");
    }

    int Execute(const HostOptions&, Streams& streams) override {
        try {
            VariantArray arguments;
            for (size_t i = 0; i < m_values.size() && m_options[i]->count() > 0; ++i) {
                arguments.items.emplace_back(FromUtf8(m_values[i]));
            }
            streams.out << ToUtf8Lossy(hostctx::FormatText(FromUtf8(m_pattern), arguments)) << "\n";
            return kExitOk;
        } catch (const AutomationError& error) {
            return ReportFailure(streams, "format", error);
        }
    }

private:
    std::string m_pattern;
    std::array<std::string, 9> m_values;  // the values of %1 to %9
    std::array<CLI::Option*, 9> m_options{};
};

}  // namespace

std::unique_ptr<Command> MakeFormatCommand() { return std::make_unique<FormatCommand>(); }

}  // namespace orva::cli
