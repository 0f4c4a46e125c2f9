#include <gtest/gtest.h>

#include "account/CatalogContract.h"
#include "automation/TextHelpers.h"
#include "storage/SqliteDatabase.h"
#include "storage/Statement.h"
#include "support/TestAccount.h"

namespace orva::components {
namespace {

using automation::Text;
using automation::ToUtf8;

// Every column the contract names exists in a new account's table of its level (preparing a statement
// that names a missing column fails), and each level's parent column is the identifier of the level
// above: the reader, the writer and the migrations build their SQL from these names alone.
TEST(CatalogContract, NamesTheAccountsTablesAndColumns) {
    orva::testing::TestAccount account;
    DatabaseRef database = SqliteDatabase::Open(account.Path(), SqliteDatabase::OpenMode::ReadOnly);
    int32_t number = 0;
    for (const CatalogLevel& level : kCatalogLevels) {
        EXPECT_EQ(level.number, ++number);
        EXPECT_EQ(FindCatalogLevel(level.number), &level);
        std::string columns =
            ToUtf8(level.idField) + ", " + ToUtf8(kIndexField) + ", " + ToUtf8(kVisibleField);
        if (const CatalogLevel* parent = level.Parent()) {
            EXPECT_EQ(Text(level.parentIdField), Text(parent->idField)) << ToUtf8(level.kind);
            EXPECT_EQ(parent->Child(), &level);
            columns += ", " + ToUtf8(level.parentIdField);
        } else {
            EXPECT_EQ(level.parentIdField, nullptr);
        }
        for (CatalogLanguage language : kCatalogLanguages) {
            columns += ", " + ToUtf8(LanguageField(level.nameField, language)) + ", " +
                       ToUtf8(LanguageField(kNameKeyStem, language));
        }
        for (const CatalogAttribute& attribute : level.Attributes())
            columns += ", " + ToUtf8(attribute.field);
        EXPECT_NO_THROW(Statement(database, "SELECT " + columns + " FROM " + ToUtf8(level.table))) << columns;
    }
    EXPECT_EQ(FindCatalogLevel(0), nullptr);
    EXPECT_EQ(FindCatalogLevel(5), nullptr);
    EXPECT_EQ(kDetailFuncLevel.Child(), nullptr);
}

// The walk's shortcut (no upper-casing when the trimmed length differs) answers as comparing keys does.
TEST(CatalogContract, HasNameKeyAgreesWithTheNameKeyRule) {
    const Text names[] = {u"Sales",   u"  sales ", u"SALES",  u"sale s", u"",  u"   ",
                          u"\tsales", u"straße",   u"STRAßE", u"ς",      u"Σ", u"销售管理 "};
    for (const Text& name : names) {
        for (const Text& other : names) {
            Text key = CatalogNameKey(other);
            EXPECT_EQ(HasCatalogNameKey(name, key), CatalogNameKey(name) == key)
                << ToUtf8(name) << " / " << ToUtf8(key);
        }
    }
    EXPECT_EQ(CatalogNameKey(u"  straße x "), u"STRAßE X");
}

}  // namespace
}  // namespace orva::components
