#include <gtest/gtest.h>

#include "account/AccountLocation.h"
#include "automation/AutomationError.h"
#include "catalog/CatalogReader.h"
#include "services/PropsString.h"
#include "support/AccountFixture.h"

namespace orva::components {
namespace {

using automation::AutomationError;
using automation::Text;

TEST(AccountLocation, ReadsEntriesWithoutRegardToCaseAndKeepsTheValue) {
    Text props = u"Language=en; connectstring = sqlite:/Srv/Orva/Account.db ;UserName=Li";
    EXPECT_EQ(PropsEntry(props, u"ConnectString"), Text(u" sqlite:/Srv/Orva/Account.db "));
    EXPECT_EQ(PropsEntry(props, u"LANGUAGE"), Text(u"en"));
    EXPECT_EQ(PropsEntry(props, u"Name"), std::nullopt) << "only whole entry names match";
    EXPECT_EQ(LanguageFromPropsString(props), CatalogLanguage::EN);
    EXPECT_EQ(LanguageFromPropsString(u"Language=FR;"), CatalogLanguage::CHS);
    EXPECT_EQ(LanguageFromPropsString(u"Language=cht"), CatalogLanguage::CHT);
}

TEST(AccountLocation, ConnectStringForms) {
    EXPECT_EQ(ParseConnectString(u" sqlite:/Srv/Orva/Account.db "),
              (AccountAddress{"/Srv/Orva/Account.db", false}));
    EXPECT_EQ(ParseConnectString(u"SQLite:/srv/a.db?mode=ro"), (AccountAddress{"/srv/a.db", true}));
    EXPECT_EQ(ParseConnectString(u"/srv/./a.db"), (AccountAddress{"/srv/a.db", false}));
    EXPECT_EQ(ParseConnectString(u"a.db").fileName, (std::filesystem::current_path() / "a.db").string());
}

TEST(AccountLocation, OtherDatabasesAreRefusedWithoutRepeatingTheirConnectString) {
    for (const char16_t* value :
         {u"postgresql://orva:secret@db/acct", u"Provider=SQLOLEDB;Password=secret", u"sqlite:"}) {
        try {
            ParseConnectString(value);
            FAIL() << "accepted";
        } catch (const AutomationError& error) {
            EXPECT_EQ(error.Number(), automation::errors::kInvalidCall);
            EXPECT_EQ(error.Description().find(u"secret"), Text::npos);
        }
    }
}

TEST(AccountLocation, TheErrorWithoutAnAccountNamesThePropertiesString) {
    for (const char* props : {"", "Language=EN;"}) {
        testing::ScopedPropsString scoped(props);
        try {
            HostAccount();
            FAIL() << "an account was found in \"" << props << "\"";
        } catch (const AutomationError& error) {
            EXPECT_NE(error.Description().find(u"PropsString"), Text::npos);
        }
    }
    testing::ScopedPropsString scoped("Language=EN;ConnectString=sqlite:/srv/acct.db;");
    EXPECT_EQ(HostAccount(), (AccountAddress{"/srv/acct.db", false}));
}

}  // namespace
}  // namespace orva::components
