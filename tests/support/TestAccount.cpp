#include "support/TestAccount.h"

#include <unistd.h>

#include "account/AccountCreation.h"
#include "automation/TextHelpers.h"
#include "hostctx/Texts.h"
#include "services/PropertyStore.h"
#include "support/PostgresServer.h"
#include "support/TestBackend.h"

namespace orva::testing {

using namespace automation;

TestAccount::TestAccount(bool demo, const std::string& language) {
    if (AccountsOnServer()) {
        CheckServerForAccounts();
        m_server = std::make_unique<ScratchPostgresDatabase>();
        m_path = m_server->Uri();
        components::CreateServerAccount(m_path, {.demo = demo});
    } else {
        m_path = (m_dir / "account.db").string();
        components::CreateAccountFile(m_path, {.demo = demo, .overwrite = false});
    }
    Publish(language);
}

TestAccount::~TestAccount() {
    components::SharedPropertyTable::Instance().Withdraw(static_cast<int32_t>(getpid()));
}

void TestAccount::Publish(const std::string& language, const std::string& connectSuffix) const {
    components::PublishOwnProperty(u"Language", FromUtf8(language));
    components::PublishOwnProperty(
        u"PropsString", FromUtf8("Language=" + language + ";ConnectString=" + (m_server ? "" : "sqlite:") +
                                 m_path + connectSuffix + ";"));
    hostctx::ResetModuleState();
}

}  // namespace orva::testing
