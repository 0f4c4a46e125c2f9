#include <gtest/gtest.h>

#include "account/AccountLocation.h"
#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "catalog/CatalogReader.h"
#include "services/PropsString.h"
#include "storage/ServerUri.h"
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
    EXPECT_EQ(ParseConnectString(u"a.db").location, (std::filesystem::current_path() / "a.db").string());
}

TEST(AccountLocation, ServerUrisAreKeptAsWrittenAndNeverReadAsFiles) {
    const AccountKind server = AccountKind::Postgres;
    struct Case {
        const char16_t* value;
        AccountAddress address;
    };
    const Case cases[] = {
        {u" postgresql://orva@db:5432/acct ", {"postgresql://orva@db:5432/acct", false, server}},
        {u"POSTGRES://orva@%2Ftmp%2Fx/acct", {"POSTGRES://orva@%2Ftmp%2Fx/acct", false, server}},
        // libpq's options stay; "?mode=ro" is a SQLite form and passed on like any other option.
        {u"postgresql://db/acct?mode=ro", {"postgresql://db/acct?mode=ro", false, server}},
        {u"postgresql://", {"postgresql://", false, server}},
        {u"sqlite:postgresql://x", {(std::filesystem::current_path() / "postgresql:/x").string(), false}},
    };
    for (const Case& each : cases) {
        EXPECT_EQ(ParseConnectString(each.value), each.address) << automation::ToUtf8(each.value);
    }
    testing::ScopedPropsString scoped("Language=EN;ConnectString=postgresql://orva@db/acct;");
    EXPECT_EQ(HostAccount(), (AccountAddress{"postgresql://orva@db/acct", false, server}));
}

TEST(AccountLocation, PasswordsAreMaskedWhereverAUriHoldsThem) {
    const std::pair<const char*, const char*> cases[] = {
        {"postgresql://orva:secret@db:5432/acct", "postgresql://orva:***@db:5432/acct"},
        {"postgres://orva:se:cr@et@db/acct", "postgres://orva:***@db/acct"},
        {"postgresql://orva@db:5432/acct", "postgresql://orva@db:5432/acct"},
        {"postgresql://db:5432/acct?password=secret&sslmode=require",
         "postgresql://db:5432/acct?password=***&sslmode=require"},
        {"postgresql://orva:a@db/acct?application_name=x&PASSWORD=b",
         "postgresql://orva:***@db/acct?application_name=x&PASSWORD=***"},
        {"postgresql://orva@[::1]:5432/acct", "postgresql://orva@[::1]:5432/acct"},
        {"/srv/a:b@c.db", "/srv/a:b@c.db"},
    };
    for (const auto& [uri, masked] : cases) {
        EXPECT_EQ(MaskedConnectString(uri), masked) << uri;
        if (IsPostgresConnectString(uri) && !ServerUriProblem(uri).empty()) {
            // A URI that does not read is refused, and named masked.
            try {
                ParseConnectString(automation::FromUtf8(uri));
                ADD_FAILURE() << "accepted " << uri;
            } catch (const AutomationError& error) {
                EXPECT_TRUE(automation::ToUtf8(error.Description()).starts_with(std::string(masked) + ": "))
                    << automation::ToUtf8(error.Description());
            }
            continue;
        }
        EXPECT_EQ(ParseConnectString(automation::FromUtf8(uri)).DisplayName(),
                  IsPostgresConnectString(uri) ? masked : uri);
    }
}

TEST(AccountLocation, OtherDatabasesAreRefusedWithoutRepeatingTheirConnectString) {
    const char16_t kNul[] = u"sqlite:/tmp/a.db\0secret";
    for (Text value :
         {Text(u"mysql://orva:secret@db/acct"), Text(u"Provider=SQLOLEDB;Password=secret"), Text(u"sqlite:"),
          Text(kNul, std::size(kNul) - 1), Text(u"POSTGRESQL://orva:secret%zz@db/a"),
          Text(u"postgresql://db/acct?PASSWORD=secret"), Text(u"postgresql://u:se/cret@db/acct")}) {
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
