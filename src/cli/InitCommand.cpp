// orva-deploy init --catalog FILE|URI [--demo] [--force]: creates an account database.

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
        sub.add_flag("--force", m_force, "Replace an existing file at that path (not for a server)");
        sub.footer(
            "\nThe account is the file named by --catalog (or by the ConnectString of --props). An existing\n"
            "file is left alone unless --force is given. The file appears only when it is complete.\n"
            "A postgresql:// URI names an empty database on a PostgreSQL server instead, which becomes the\n"
            "account in one transaction; a database that is an account already is brought up to date and\n"
            "otherwise left alone (no demo suite is added to it), one that holds other tables is refused,\n"
            "and --force is refused: this program never drops a server's tables.\n\n"
            "Examples:\n  orva-deploy init --catalog /srv/orva/account.db --demo\n"
            "  orva-deploy init --catalog postgresql://orva@db.example.com:5432/orva_account");
    }

    int Execute(const HostOptions& host, Streams& streams) override {
        std::optional<AccountAddress> found = HostAccount(host, streams, "init");
        if (!found) return kExitUsage;
        const AccountAddress& account = *found;
        if (account.IsServer()) return InitServer(account, streams);
        const std::string& fileName = account.location;
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
    int InitServer(const AccountAddress& account, Streams& streams) const {
        if (m_force) {
            streams.err
                << "orva-deploy: init: --force replaces an account file; an account on a server is never "
                   "replaced (drop its tables with the server's own tools first)\n";
            return kExitUsage;
        }
        ServerAccountCreation result;
        try {
            result = CreateServerAccount(account.location, AccountCreationOptions{.demo = m_demo});
        } catch (const AutomationError& error) {
            return ReportFailure(streams, "init", error);
        }
        if (result.created) {
            streams.out << "Created account database " << result.name << " (schema version "
                        << result.schemaVersion << (m_demo ? ", demo suite" : ", empty") << ")\n";
        } else {
            streams.out << "Account database " << result.name << " exists already (schema version "
                        << result.schemaVersion << "); left as it is"
                        << (m_demo ? ", without the demo suite" : "") << "\n";
        }
        return kExitOk;
    }

    bool m_demo = false;
    bool m_force = false;
};

}  // namespace

std::unique_ptr<Command> MakeInitCommand() { return std::make_unique<InitCommand>(); }

}  // namespace orva::cli
