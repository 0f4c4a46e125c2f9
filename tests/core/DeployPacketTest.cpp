#include <gtest/gtest.h>

#include "automation/AutomationError.h"
#include "core/DeployPacket.h"
#include "core/KeyedEntry.h"
#include "core/PacketTestData.h"

namespace orva::core {
namespace {

using namespace components;
using automation::AutomationError;
using automation::Text;
using automation::Variant;

TEST(BuildDeployPacket, WritesTheTwelveFieldsInOrder) {
    auto selections = Vector::Create();
    selections->Add(testdata::Selection(u"12", u"  凭证-新增  ", u"Bill|71"));
    VectorRef packet = BuildDeployPacket(*selections);
    ASSERT_EQ(packet->Count(), 1);
    DictionaryRef entry = AsDictionary(packet->Item(1));

    const char16_t* expectedOrder[] = {u"FTopClassID", u"FTopClassName", u"FSubSystemID", u"FSubSystemName",
                                       u"FSubFuncID",  u"FSubFuncName",  u"NewName",      u"FFuncName",
                                       u"FClassName",  u"FClassParam",   u"FHelpCode",    u"No"};
    ASSERT_EQ(entry->Count(), 12);
    for (int32_t i = 1; i <= 12; ++i) EXPECT_EQ(entry->Key(i), expectedOrder[i - 1]);

    EXPECT_EQ(entry->Value(u"FTopClassID"), Variant(u"12"));  // as text, not as a number
    EXPECT_EQ(entry->Value(u"FTopClassName"), Variant(u"财务会计"));
    EXPECT_EQ(entry->Value(u"FSubFuncID"), Variant(u"1001"));
    EXPECT_EQ(entry->Value(u"NewName"), Variant(u"凭证-新增"));
    EXPECT_EQ(entry->Value(u"FFuncName"), Variant(u"凭证-新增"));
    EXPECT_EQ(entry->Value(u"FClassName"), Variant(u"OrvaHost.Application"));
    EXPECT_EQ(entry->Value(u"FClassParam"), Variant(u"Bill|71"));
    EXPECT_EQ(entry->Value(u"FHelpCode"), Variant(u""));
    EXPECT_EQ(entry->Value(u"No"), AsDictionary(selections->Item(1))->Value(u"No"));
}

TEST(BuildDeployPacket, KeepsOrderAndLeavesTheSelectionsAlone) {
    auto selections = Vector::Create();
    selections->Add(testdata::Selection(u"1", u"科目-维护", u"Base|1001"));
    selections->Add(testdata::Selection(u"2", u"凭证-新增", u"Bill|71"));
    Variant firstBefore = AsDictionary(selections->Item(1))->Value(u"TopClass");
    VectorRef packet = BuildDeployPacket(*selections);
    ASSERT_EQ(packet->Count(), 2);
    EXPECT_EQ(AsDictionary(packet->Item(2))->Value(u"FClassParam"), Variant(u"Bill|71"));
    EXPECT_EQ(AsDictionary(selections->Item(1))->Value(u"TopClass"), firstBefore);
    EXPECT_EQ(AsDictionary(selections->Item(1))->Count(), 5);
    EXPECT_EQ(BuildDeployPacket(*Vector::Create())->Count(), 0);
}

TEST(BuildDeployPacket, ANonNumericTopClassKeyFailsTheWholeCall) {
    for (const char16_t* badKey : {u"abc", u"", u"99999999999"}) {
        auto selections = Vector::Create();
        selections->Add(testdata::Selection(u"1", u"科目-维护", u"Base|1001"));
        selections->Add(testdata::Selection(badKey, u"凭证-新增", u"Bill|71"));
        try {
            BuildDeployPacket(*selections);
            FAIL() << "key \"" << automation::ToUtf8(badKey) << "\" was accepted";
        } catch (const AutomationError& error) {
            EXPECT_EQ(error.Number(), Text(badKey) == u"99999999999" ? 6 : 13);
        }
    }
}

TEST(BuildDeployPacket, ReadsEveryFieldFromItsOwnPartOfTheSelection) {
    // Every display and key is distinct, so a field read from the wrong entry or the wrong part shows.
    auto selection = Dictionary::Create();
    selection->SetValue(selection::kTopClass, ComposeKeyedEntry(u" top name ", u"7"));
    selection->SetValue(selection::kSubSystem, ComposeKeyedEntry(u"sub name", u"subsystem key"));
    selection->SetValue(selection::kSubFunc, ComposeKeyedEntry(u"func name ", u"sub-function key"));
    selection->SetValue(selection::kFuncDetail, ComposeKeyedEntry(u"  detail-name", u"Kind|detail key"));
    selection->SetValue(selection::kNo, u" line ");
    auto selections = Vector::Create();
    selections->Add(selection);
    DictionaryRef entry = AsDictionary(BuildDeployPacket(*selections)->Item(1));
    const std::pair<const char16_t*, const char16_t*> expected[] = {
        {u"FTopClassID", u"7"},
        {u"FTopClassName", u"top name"},
        {u"FSubSystemID", u"subsystem key"},
        {u"FSubSystemName", u"sub name"},
        {u"FSubFuncID", u"sub-function key"},
        {u"FSubFuncName", u"func name"},
        {u"NewName", u"detail-name"},
        {u"FFuncName", u"detail-name"},
        {u"FClassName", u"OrvaHost.Application"},
        {u"FClassParam", u"Kind|detail key"},
        {u"FHelpCode", u""},
        {u"No", u" line "},  // unchanged, blanks included
    };
    for (const auto& [field, value] : expected) {
        EXPECT_EQ(entry->Value(field), Variant(value)) << automation::ToUtf8(field);
    }
}

}  // namespace
}  // namespace orva::core
