#include <gtest/gtest.h>

#include "automation/AutomationError.h"
#include "core/PacketRemapping.h"
#include "core/PacketTestData.h"

namespace orva::core {
namespace {

using namespace components;
using automation::AutomationError;
using automation::Text;
using automation::Variant;

VectorRef PacketOf(std::initializer_list<std::pair<Text, Text>> functions) {
    auto selections = Vector::Create();
    for (const auto& [name, param] : functions) selections->Add(testdata::Selection(u"1", name, param));
    return BuildDeployPacket(*selections);
}

Text FieldOf(const VectorRef& packet, int32_t index, const char16_t* field) {
    return AsDictionary(packet->Item(index))->Value(field).ToText();
}

DictionaryRef RenameTo(std::initializer_list<std::pair<Text, Text>> names) {
    auto byLanguage = Dictionary::Create();
    for (const auto& [language, name] : names) byLanguage->SetValue(language, name);
    return byLanguage;
}

TEST(RemapPacket, ReplacesIdentifiersAndRenamesKeepingTheActionWord) {
    VectorRef packet = PacketOf(
        {{u"客户-维护", u"Base|200000001"}, {u"报价单", u"Bill|200000002"}, {u"科目-维护", u"Base|1001"}});
    auto info = Dictionary::Create();
    info->SetValue(u"200000001", u"300000001");
    auto renames = Dictionary::Create();
    renames->SetValue(u"200000001", RenameTo({{u"CHS", u"顾客"}, {u"EN", u"Customer"}}));
    renames->SetValue(u"200000002", RenameTo({{u"EN", u"Quotation"}}));
    info->SetValue(u"ChangeName", renames);

    RemapPacket(*packet, *info, u"EN");
    EXPECT_EQ(FieldOf(packet, 1, u"FClassParam"), u"Base|300000001");
    EXPECT_EQ(FieldOf(packet, 1, u"FFuncName"), u"Customer-维护");
    EXPECT_EQ(FieldOf(packet, 1, u"NewName"), u"Customer-维护");
    // A name without "-" keeps all of itself after the new name.
    EXPECT_EQ(FieldOf(packet, 2, u"FFuncName"), u"Quotation-报价单");
    EXPECT_EQ(FieldOf(packet, 2, u"FClassParam"), u"Bill|200000002");
    // An identifier in neither table passes unchanged.
    EXPECT_EQ(FieldOf(packet, 3, u"FClassParam"), u"Base|1001");
    EXPECT_EQ(FieldOf(packet, 3, u"FFuncName"), u"科目-维护");
}

TEST(RemapPacket, AnEmptyRenameTableIsNoRenameTable) {
    VectorRef packet = PacketOf({{u"客户-维护", u"Base|5"}});
    auto info = Dictionary::Create();
    info->SetValue(u"ChangeName", nullptr);
    RemapPacket(*packet, *info, u"CHS");
    EXPECT_EQ(FieldOf(packet, 1, u"FFuncName"), u"客户-维护");
}

TEST(RemapPacket, AClassParameterWithoutSeparatorFails) {
    VectorRef packet = PacketOf({{u"客户-维护", u"Base|5"}, {u"坏-维护", u"NoSeparator"}});
    try {
        RemapPacket(*packet, *Dictionary::Create(), u"CHS");
        FAIL() << "a class parameter without \"|\" was accepted";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.Number(), 9);
        EXPECT_NE(error.Description().find(u"NoSeparator"), Text::npos);
    }
}

// "报价单-新增" must not become "-新增": a rename table with no name for the host's language (no
// entry, an empty one, an empty variant) leaves the name, while identifiers are still replaced.
TEST(RemapPacket, KeepsTheNameWhenTheRenameTableHasNoneForTheLanguage) {
    for (Variant chs : {Variant(), Variant(u""), Variant(u"报价")}) {
        SCOPED_TRACE(automation::ToUtf8(chs.ToText()));
        VectorRef packet = PacketOf({{u"报价单-新增", u"Bill|200000002"}});
        Text newNameBefore = FieldOf(packet, 1, u"NewName");
        auto info = Dictionary::Create();
        info->SetValue(u"200000002", u"300000002");
        auto renames = Dictionary::Create();
        DictionaryRef byLanguage = RenameTo({{u"EN", u"Quotation"}});
        if (!chs.IsEmpty()) byLanguage->SetValue(u"CHS", chs);
        renames->SetValue(u"200000002", byLanguage);
        info->SetValue(u"ChangeName", renames);

        RemapPacket(*packet, *info, u"CHS");
        EXPECT_EQ(FieldOf(packet, 1, u"FClassParam"), u"Bill|300000002");
        if (chs.ToText().empty()) {
            EXPECT_EQ(FieldOf(packet, 1, u"FFuncName"), u"报价单-新增");
            EXPECT_EQ(FieldOf(packet, 1, u"NewName"), newNameBefore);
        } else {
            EXPECT_EQ(FieldOf(packet, 1, u"FFuncName"), u"报价-新增");
            EXPECT_EQ(FieldOf(packet, 1, u"NewName"), u"报价-新增");
        }
    }
}

}  // namespace
}  // namespace orva::core
