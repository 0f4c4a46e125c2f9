// orva-deploy init --catalog FILE [--demo] [--force]: creates an account database.

#include <ostream>

#include "account/AccountCreation.h"
#include "account/AccountLocation.h"
#include "account/AccountSchema.h"
#include "automation/TextHelpers.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/HostContext.h"

namespace orva::cli {

using namespace automation;
using namespace components;

namespace {

class InitCommand : public Command {
public:
    std::string Name() const override { return "init"; }
    std::string Description() const override { return "Create an account database (the console catalogue)"; }

    void Configure(CLI::App& sub) override {
        sub.add_flag("--demo", m_demo,
                     "Fill it with a sample suite in Simplified Chinese, Traditional Chinese and English");
        sub.add_flag("--force", m_force, "Replace an existing file at that path");
        sub.footer(
            "\nThe account is the file named by --catalog (or by the ConnectString of --props). An existing\n"
            "file is left alone unless --force is given. The file appears only when it is complete.\n\n"
            "Example:\n  orva-deploy init --catalog /srv/orva/account.db --demo");
    }

    int Execute(const HostOptions& host, Streams& streams) override {
        std::string fileName;
        try {
            fileName = AccountFromPropsString(FromUtf8(ComposePropsString(host))).fileName;
        } catch (const AutomationError&) {
            streams.err << "orva-deploy: init: no account database named: give --catalog FILE\n";
            return kExitUsage;
        }
        try {
            CreateAccountFile(fileName, AccountCreationOptions{.demo = m_demo, .overwrite = m_force});
        } catch (const AutomationError& error) {
            if (error.Number() == kFileAlreadyExists) {
                streams.err << "orva-deploy: init: " << ToUtf8Lossy(error.Description())
                            << " (use --force to replace it)\n";
                return kExitFailure;
            }
            return ReportFailure(streams, "init", error);
        }
        streams.out << "Created account database " << fileName << " (schema version "
                    << LatestAccountSchemaVersion() << (m_demo ? ", demo suite" : ", empty") << ")\n";
        return kExitOk;
    }

private:
    bool m_demo = false;
    bool m_force = false;
};

}  // namespace

std::unique_ptr<Command> MakeInitCommand() { return std::make_unique<InitCommand>(); }

}  // namespace orva::cli
