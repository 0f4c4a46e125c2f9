// Exporting catalogue branches into a packet file: which details, in which order, and the property
// that defines it: a branch exported from one account, deployed into another that lacks it and
// exported there again gives equal packets (identifiers aside), so the second account holds the same
// names in all three languages, class parameters, help codes and order. The file an export writes
// straight from the details is byte for byte the file of the packet set built as a tree, and refuses
// what saving that tree refuses.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <sstream>
#include <vector>

#include "api/clsDeploywizard.h"
#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "bag/PacketCodec.h"
#include "bag/PacketFile.h"
#include "catalog/CatalogReader.h"
#include "catalog/CatalogWriter.h"
#include "core/BranchExport.h"
#include "core/DeployPacket.h"
#include "support/TempDir.h"
#include "support/TestAccount.h"
#include "support/TestBackend.h"

namespace orva::core {
namespace {

using namespace automation;
using namespace components;
using orva::testing::AccountAt;
using orva::testing::TestAccount;

std::vector<BranchRoot> Roots(std::initializer_list<std::pair<int32_t, int32_t>> levelsAndIds) {
    std::vector<BranchRoot> roots;
    for (auto [level, id] : levelsAndIds) roots.push_back({level, id, {}});
    return roots;
}

// Every top class of an account, as roots.
std::vector<BranchRoot> AllTopClasses(const TestAccount& account) {
    std::vector<BranchRoot> roots;
    auto records = CatalogReader(AccountAt(account.Path()), CatalogLanguage::CHS).GetTopClass_All();
    for (; !records->IsEOF(); records->MoveNext())
        roots.push_back({1, records->Field(u"FTopClassID").ToInt32(), {}});
    return roots;
}

// A packet set's entries field by field, per language, without the identifiers (the accounts' own).
using Entries = std::map<Text, std::vector<std::vector<std::pair<Text, Text>>>>;
Entries WithoutIds(const DictionaryRef& packetSet) {
    Entries all;
    for (const char16_t* language : kPacketLanguages) {
        VectorRef packet = AsVector(packetSet->Value(language));
        for (int32_t i = packet->LowerBound(); i <= packet->UpperBound(); ++i) {
            DictionaryRef entry = AsDictionary(packet->Item(i));
            std::vector<std::pair<Text, Text>> fieldsOf;
            for (int32_t k = 1; k <= entry->Count(); ++k) {
                const Text& key = entry->Key(k);
                if (key == fields::kTopClassId || key == fields::kSubSystemId || key == fields::kSubFuncId)
                    continue;
                fieldsOf.emplace_back(key, entry->Value(key).ToText());
            }
            all[language].push_back(std::move(fieldsOf));
        }
    }
    return all;
}

const Text kLongName(255, u'名');                             // 255 units
const Text kLongWithPair = Text(253, u'繁') + u"\U0001F600";  // 255 units, ending in a pair

// A branch of odd names written into a: controls, blanks, a "%1", names of 255 units (one ending in
// a surrogate pair); returns its top class.
int32_t CreateHostileBranch(const TestAccount& a) {
    CatalogWriter writer(AccountAt(a.Path()));
    auto data = [](const Text& chs, const Text& cht, const Text& en) {
        DictionaryRef names = Dictionary::Create();
        // The plain field is required; the per-language ones name the node in each language.
        for (const char16_t* field : {u"FTopClassName", u"FSysName", u"FFuncName"}) {
            names->SetValue(field, chs);
            names->SetValue(Text(field) + u"_CHS", chs);
            names->SetValue(Text(field) + u"_CHT", cht);
            names->SetValue(Text(field) + u"_EN", en);
        }
        return names;
    };
    int32_t top = writer.CreateTopClass(1, *data(u" \x1b[2J顶级 ", u"頂級\u202e", u"Top %2 | x"));
    int32_t sub = writer.CreateSubSys(top, 1, *data(kLongName, kLongWithPair, Text(255, u'N')));
    int32_t func = writer.CreateSubFunc(sub, 1, *data(u"  子功能\t", u"子功能\r\n", u"Sub\\function "));
    for (auto [param, help] :
         {std::pair<Text, Text>{u" Base|1 ", u"H\x01"}, std::pair<Text, Text>{u"Base|2", u""}}) {
        DictionaryRef detail = data(u"\a响铃 %1", u"響鈴", u" Bell ");
        detail->SetValue(u"FClassParam", param);
        detail->SetValue(u"FHelpCode", help);
        writer.CreateDetailFunc(func, 1 + (param[0] == u'B'), *detail);
    }
    return top;
}

// Exports roots of a into a packet file as the export command does, deploys it in language into the
// empty account b, and returns both accounts' packet sets of the branches (b's roots: all of its top
// classes).
std::pair<DictionaryRef, DictionaryRef> RoundTrip(const TestAccount& a, std::span<const BranchRoot> roots,
                                                  const TestAccount& b, const std::string& language) {
    std::vector<BranchDetail> details = ReadCatalogBranches(AccountAt(a.Path()), roots, true);
    Text file = FromUtf8((b.Folder() / "导出的功能.Dat").string());
    SaveBranchPacketSet(file, details);
    DictionaryRef fromA = BuildBranchPacketSet(details);
    b.Publish(language);
    VectorRef messages;
    DictionaryRef noInfo;
    api::clsDeploywizard wizard;
    EXPECT_TRUE(wizard.DeployToLumoMain(file, noInfo, messages))
        << ToUtf8Lossy(messages->Item(messages->Count()).ToText());
    return {fromA, ExportCatalogBranches(AccountAt(b.Path()), AllTopClasses(b), true)};
}

TEST(BranchExport, TheDemoCatalogueDeployedElsewhereExportsBackEqualInEveryLanguage) {
    for (const char* language : {"CHS", "EN"}) {
        SCOPED_TRACE(language);
        TestAccount a(true);
        TestAccount b(false);
        auto [fromA, fromB] = RoundTrip(a, AllTopClasses(a), b, language);
        Entries entries = WithoutIds(fromA);
        ASSERT_EQ(entries[u"CHS"].size(), 60u);  // every detail, hidden branches included
        EXPECT_EQ(WithoutIds(fromB), entries);
    }
}

TEST(BranchExport, EntriesHaveThePacketFieldsFirstAndTheWizardsLineInEachLanguage) {
    TestAccount a(true);
    DictionaryRef set = ExportCatalogBranches(AccountAt(a.Path()), Roots({{3, 1011}}), false);
    const Text expectedFields[] = {u"FTopClassID", u"FTopClassName", u"FSubSystemID", u"FSubSystemName",
                                   u"FSubFuncID",  u"FSubFuncName",  u"NewName",      u"FFuncName",
                                   u"FClassName",  u"FClassParam",   u"FHelpCode",    u"No"};
    DictionaryRef chs = AsDictionary(AsVector(set->Value(u"CHS"))->Item(1));
    for (int32_t k = 1; k <= 12; ++k) EXPECT_EQ(chs->Key(k), expectedFields[k - 1]);
    EXPECT_EQ(chs->Value(u"FTopClassID"), Variant(u"2"));
    EXPECT_EQ(chs->Value(u"No"), Variant(u"[会计科目] 发布到: [财务会计.总账.基础资料]"));
    EXPECT_EQ(chs->Value(u"FHelpCode"), Variant(u"GL-0001"));
    EXPECT_EQ(chs->Value(u"FSubSystemName_EN"), Variant(u"General Ledger"));
    DictionaryRef en = AsDictionary(AsVector(set->Value(u"EN"))->Item(1));
    EXPECT_EQ(en->Value(u"No"),
              Variant(u"[Chart of Accounts] publish to: [Financial Accounting.General Ledger.Base Data]"));
    EXPECT_EQ(en->Value(u"FClassParam"), Variant(u"Base|1001"));
}

TEST(BranchExport, RootsGiveEachDetailOnceInCatalogueOrderAndHiddenOnesOnlyWhenAsked) {
    TestAccount a(true);
    struct Case {
        const char* name;
        std::vector<BranchRoot> roots;
        bool hidden;
        std::vector<int32_t> details;  // all of them, or the first and the last with the count
        size_t count;
    };
    const Case cases[] = {
        // Accounts Payable (203) comes after Cash Management (205) among its siblings.
        {"sibling order, not option order",
         Roots({{2, 203}, {2, 205}}),
         false,
         {10131, 10132, 10091, 10101},
         4},
        {"a root twice and one inside another",
         Roots({{3, 1072}, {2, 302}, {3, 1072}, {2, 302}}),
         false,
         {10181, 10203},
         8},
        {"a top class and a subsystem inside it", Roots({{2, 302}, {1, 3}}), false, {10141, 10251}, 23},
        {"a hidden subsystem is left out", Roots({{1, 5}}), false, {10301, 10315}, 7},
        {"and kept with hidden", Roots({{1, 5}}), true, {10301, 10321}, 8},
        {"a hidden sub-function is left out", Roots({{2, 403}}), false, {10281, 10282}, 2},
        {"a hidden root with hidden", Roots({{3, 1151}}), true, {10321}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<BranchDetail> read = ReadCatalogBranches(AccountAt(a.Path()), c.roots, c.hidden);
        std::vector<int32_t> ids;
        for (const BranchDetail& detail : read) ids.push_back(detail.detail.id);
        ASSERT_EQ(ids.size(), c.count);
        if (c.details.size() == c.count) {
            EXPECT_EQ(ids, c.details);
        } else {
            EXPECT_EQ(ids.front(), c.details.front());
            EXPECT_EQ(ids.back(), c.details.back());
        }
    }
}

TEST(BranchExport, AMissingOrHiddenRootIsRefusedByItsLabel) {
    TestAccount a(true);
    const std::pair<BranchRoot, const char16_t*> cases[] = {
        {{2, 999, u"--subsystem 999"}, u"--subsystem 999: no subsystem has the id 999"},
        {{3, 10011, u"--subfunc 10011"}, u"--subfunc 10011: no sub-function has the id 10011"},
        {{2, 503, u"--subsystem 503"}, u"--subsystem 503: the subsystem 503 is hidden"},
        {{3, 1151, {}}, u"sub-function 1151: the subsystem 503 is hidden"},
        {{4, 10011, {}}, u"function detail 10011: a branch starts at"},
    };
    for (const auto& [root, message] : cases) {
        SCOPED_TRACE(ToUtf8(message));
        // A good root beside the bad one changes nothing: the whole export is refused.
        const BranchRoot roots[] = {{1, 2, {}}, root};
        try {
            ExportCatalogBranches(AccountAt(a.Path()), roots, false);
            ADD_FAILURE() << "no error";
        } catch (const AutomationError& error) {
            EXPECT_EQ(error.Number(), errors::kInvalidCall);
            EXPECT_EQ(error.Description().rfind(message, 0), 0u) << ToUtf8Lossy(error.Description());
        }
    }
}

TEST(BranchExport, AHostileBranchComesBackExact) {
    TestAccount a(false);
    const int32_t top = CreateHostileBranch(a);
    TestAccount b(false);
    const BranchRoot roots[] = {{1, top, {}}};
    auto [fromA, fromB] = RoundTrip(a, roots, b, "CHS");
    Entries entries = WithoutIds(fromA);
    ASSERT_EQ(entries[u"CHS"].size(), 2u);
    EXPECT_EQ(WithoutIds(fromB), entries);
    // The line is made of the names as stored; a "%1" in a name is not filled in again.
    DictionaryRef first = AsDictionary(AsVector(fromB->Value(u"CHS"))->Item(1));
    EXPECT_EQ(first->Value(u"No").ToText(),
              u"[\a响铃 %1] 发布到: [ \x1b[2J顶级 ." + kLongName + u".  子功能\t]");
    EXPECT_EQ(first->Value(u"FClassParam"), Variant(u" Base|1 "));
    EXPECT_EQ(AsDictionary(AsVector(fromB->Value(u"CHT"))->Item(1))->Value(u"FSubSystemName"),
              Variant(kLongWithPair));
}

// Details made in memory, odder than a catalogue holds: identifiers at the ends of their range, empty
// names, a NUL, controls, names of 255 and 300 units, and two top classes, so that consecutive entries
// change the nodes above them.
std::vector<BranchDetail> OddDetails() {
    const auto node = [](int32_t id, Text chs, Text cht, Text en) {
        auto made = std::make_shared<BranchNode>();
        made->id = id;
        made->names = {std::move(chs), std::move(cht), std::move(en)};
        return made;
    };
    const std::shared_ptr<const BranchNode> tops[] = {
        node(std::numeric_limits<int32_t>::min(), u" \x1b[2J顶级 ", u"頂級\u202e", u"Top %2 | x"),
        node(-1, u"", u"", u"")};
    auto sub = node(std::numeric_limits<int32_t>::max(), kLongName, kLongWithPair, Text(255, u'N'));
    auto func = node(0, u"  子功能\t", u"子功能\r\n", u"Sub\\function ");
    std::vector<BranchDetail> details;
    for (int32_t k = 0; k < 3; ++k) {
        BranchDetail& detail = details.emplace_back(BranchDetail{tops[k % 2], sub, func, {}});
        detail.detail.id = 10 + k;
        detail.detail.names = {u"\a响铃 %1", Text(300, u'é'), Text(1, u'\0') + u" Bell "};
        detail.detail.className = u"Nexo.Host";
        detail.detail.classParam = k == 1 ? Text(u" Base|1 ") : Text();
        detail.detail.helpCode = u"H\x01";
    }
    return details;
}

std::string Content(const std::filesystem::path& path) {
    std::ostringstream content;
    content << std::ifstream(path, std::ios::binary).rdbuf();
    return content.str();
}

TEST(BranchExport, TheFileIsWrittenStraightFromTheDetailsAsTheTreeWouldBe) {
    std::vector<BranchDetail> many;  // a file of a few megabytes, written in several pieces
    for (int k = 0; k < 100; ++k) {
        for (BranchDetail& detail : OddDetails()) many.push_back(std::move(detail));
    }
    TestAccount demo(true);
    TestAccount hostile(false);
    const BranchRoot hostileRoots[] = {{1, CreateHostileBranch(hostile), {}}};
    const struct Case {
        const char* name;
        std::vector<BranchDetail> details;
    } cases[] = {
        {"the demo catalogue", ReadCatalogBranches(AccountAt(demo.Path()), AllTopClasses(demo), false)},
        {"and its hidden branches", ReadCatalogBranches(AccountAt(demo.Path()), AllTopClasses(demo), true)},
        {"a hostile branch", ReadCatalogBranches(AccountAt(hostile.Path()), hostileRoots, false)},
        {"odd details", OddDetails()},
        {"many of them", many},
        {"no details", {}},
    };
    orva::testing::TempDir folder;
    const std::filesystem::path file = folder / "包.opk";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EncodedPacket tree = EncodePacketCharged(*BuildBranchPacketSet(c.details));
        EncodedPacket streamed = EncodeBranchPacketSet(c.details);
        EXPECT_EQ(streamed.bytes, tree.bytes);
        // What loading charges decides which files are refused: the same, item for item.
        EXPECT_EQ(streamed.memory, tree.memory);
        SaveBranchPacketSet(FromUtf8(file.string()), c.details);
        EXPECT_EQ(Content(file), tree.bytes);
    }
}

TEST(BranchExport, ALoneSurrogateIsRefusedAsSavingTheTreeRefusesItAndNoFileIsWritten) {
    const struct Case {
        size_t detail, level, language;
        Text name;
        const char* keyPath;  // where the tree's encoder meets it first
    } cases[] = {
        {0, 3, 0, Text(u"响") + char16_t(0xD83D), "$/CHS[1]/NewName"},
        {1, 0, 2, Text(1, char16_t(0xDE00)) + u"Top", "$/CHS[2]/FTopClassName_EN"},
        {2, 2, 1, Text(u"子") + char16_t(0xDBFF) + u"x", "$/CHS[3]/FSubFuncName_CHT"},
    };
    orva::testing::TempDir folder;
    std::filesystem::create_directory(folder / "导出");
    const std::filesystem::path file = folder / "导出" / "包.opk";
    std::ofstream(file, std::ios::binary) << "earlier file";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keyPath);
        std::vector<BranchDetail> details = OddDetails();
        const BranchNode* levels[] = {details[c.detail].topClass.get(), details[c.detail].subSystem.get(),
                                      details[c.detail].subFunc.get(), &details[c.detail].detail};
        auto odd = std::make_shared<BranchNode>(*levels[c.level]);
        odd->names[c.language] = c.name;
        if (c.level == 0) details[c.detail].topClass = odd;
        if (c.level == 2) details[c.detail].subFunc = odd;
        if (c.level == 3) details[c.detail].detail = *odd;
        const auto errorOf = [](auto&& save) -> std::pair<int32_t, Text> {
            try {
                save();
            } catch (const AutomationError& error) {
                return {error.Number(), error.Description()};
            }
            return {0, u"no error"};
        };
        auto [number, message] = errorOf([&] { EncodePacket(*BuildBranchPacketSet(details)); });
        EXPECT_EQ(number, errors::kInvalidCall);
        EXPECT_NE(message.find(FromUtf8(std::string("at ") + c.keyPath + " holds a lone UTF-16 surrogate")),
                  Text::npos)
            << ToUtf8Lossy(message);
        EXPECT_EQ(errorOf([&] { EncodeBranchPacketSet(details); }), std::pair(number, message));
        const Text path = FromUtf8(file.string());
        EXPECT_EQ(errorOf([&] { SaveBranchPacketSet(path, details); }),
                  std::pair(number, path + u": " + message));
        EXPECT_EQ(Content(file), "earlier file");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "导出"),
                                std::filesystem::directory_iterator()),
                  1);
    }
}

}  // namespace
}  // namespace orva::core
