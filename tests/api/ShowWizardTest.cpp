// ShowWizard on the demo account, the user played through the UI services installed for the thread:
// confirm, cancel and close, reopening an earlier result (the same lines come back), the refusal of a
// result lacking a language before anything shows, and a host without a display.

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "api/WizardInvocation.h"
#include "api/clsDeploywizard.h"
#include "automation/ClassRegistry.h"
#include "bag/PropertyBagJson.h"
#include "core/DeployPacket.h"
#include "core/KeyedEntry.h"
#include "dialogs/common/ScriptedUi.h"
#include "dialogs/common/UiContext.h"
#include "dialogs/wizard/frmWizard.h"
#include "hostctx/Texts.h"
#include "support/ErrorNumber.h"
#include "support/TestAccount.h"

namespace orva::api {
namespace {

using automation::Text;
using automation::Variant;
using components::AsDictionary;
using components::AsVector;
using components::Dictionary;
using components::DictionaryRef;
using components::Vector;
using components::VectorRef;
using dialogs::DialogModel;
using dialogs::frmWizard;
using dialogs::ModalStep;
using dialogs::ScriptedUi;

// Base data "会计科目" (1001) and the query "销售毛利查询" (200000006) of the demo account, FName in the
// host's language (0 CHS, 2 EN).
VectorRef ChosenTypes(size_t part) {
    struct Type {
        int32_t fid;
        Text names[3];
        int32_t billType;
    };
    const Type types[] = {{1001, {u"会计科目", u"會計科目", u"Account"}, 1},
                          {200000006, {u"销售毛利查询", u"銷售毛利查詢", u"Gross Margin Inquiry"}, 2}};
    VectorRef chosen = Vector::Create();
    for (const Type& t : types) {
        DictionaryRef type = Dictionary::Create();
        type->SetValue(u"FName", t.names[part]);
        type->SetValue(u"FMName", t.names[0] + u"|" + t.names[1] + u"|" + t.names[2]);
        type->SetValue(u"FBillTypeID", t.billType);
        type->SetValue(u"FID", t.fid);
        chosen->Add(type);
    }
    return chosen;
}

frmWizard& Wizard(DialogModel& d) { return static_cast<frmWizard&>(d); }
const ModalStep kAdd = [](DialogModel& d) { Wizard(d).cmdSet.Press(); };
const ModalStep kOk = [](DialogModel& d) { Wizard(d).cmdOK.Press(); };
const ModalStep kCancel = [](DialogModel& d) { Wizard(d).cmdCancel.Press(); };
// Picks the proposed sub-function of the first chosen type: a line that deployment creates (key "0").
const ModalStep kNewSubFunc = [](DialogModel& d) {
    dialogs::ListBox& list = Wizard(d).lstSubFunc;
    list.SelectByUser(list.ListCount() - 2);
};

// The user of one ShowWizard call: the steps, then what the user saw.
struct Played {
    std::shared_ptr<ScriptedUi> ui = std::make_shared<ScriptedUi>();
    automation::ObjectRef result;
};

Played Show(const std::vector<ModalStep>& steps, const automation::ObjectRef& earlier, size_t part = 0) {
    Played played;
    for (const ModalStep& step : steps) played.ui->Enqueue(frmWizard::kName, step);
    dialogs::ScopedUiServices scope(played.ui);
    played.result = clsDeploywizard().ShowWizard(ChosenTypes(part), earlier);
    return played;
}

std::string Json(const automation::ObjectRef& object) {
    return components::WritePropertyBagJson(Variant(object));
}

TEST(ShowWizard, ReturnsThePacketSetOnlyWhenConfirmed) {
    testing::TestAccount account(true, "CHS");
    struct Case {
        const char* what;
        std::vector<ModalStep> steps;
        bool confirmed;
        size_t messages;
    };
    const Case cases[] = {
        {"add, confirm", {kAdd, kOk}, true, 0},
        {"confirm an empty list, add, confirm", {kOk, kAdd, kOk}, true, 1},
        {"add, cancel", {kAdd, kCancel}, false, 0},
        {"add, close the window", {kAdd}, false, 0},
    };
    for (const Case& c : cases) {
        Played played = Show(c.steps, nullptr);
        EXPECT_EQ(played.result != nullptr, c.confirmed) << c.what;
        EXPECT_EQ(played.ui->Messages().size(), c.messages) << c.what;
        EXPECT_EQ(played.ui->Shows(), std::vector<Text>{frmWizard::kName}) << c.what;
        if (!played.result) continue;
        DictionaryRef set = AsDictionary(Variant(played.result));
        ASSERT_EQ(set->Count(), 3) << c.what;
        EXPECT_EQ(AsVector(set->Value(u"EN"))->Count(), 2) << c.what;
    }

    // By name, as a host calls it; the installed services of this thread show the dialog.
    auto ui = std::make_shared<ScriptedUi>();
    ui->Enqueue(frmWizard::kName, kAdd);
    ui->Enqueue(frmWizard::kName, kOk);
    dialogs::ScopedUiServices scope(ui);
    automation::ObjectRef wizard = automation::CreateObject(clsDeploywizard::kProgId);
    Variant set = automation::CallMethod(wizard, u"ShowWizard", {ChosenTypes(0)});
    EXPECT_EQ(AsVector(AsDictionary(set)->Value(u"CHT"))->Count(), 2);
}

TEST(ShowWizard, ReopeningAnEarlierResultGivesTheSameLinesBack) {
    using Host = std::pair<const char*, size_t>;  // the language and the part of a name it shows
    for (const auto& [language, part] : {Host{"CHS", 0}, Host{"EN", 2}}) {
        testing::TestAccount account(true, language);
        // Two lines under a catalogue sub-function, two under a new one.
        Played first = Show({kAdd, kNewSubFunc, kAdd, kOk}, nullptr, part);
        ASSERT_TRUE(first.result) << language;
        const std::string before = Json(first.result);

        // A new thread state, as a host that has translated nothing yet: the current-language list is
        // still filled, so the lines show and the wizard can be confirmed unchanged.
        hostctx::ResetModuleState();
        std::optional<int32_t> shownLines;
        Played again = Show({[&](DialogModel& d) { shownLines = Wizard(d).lvwResult.Count(); }, kOk},
                            first.result, part);
        EXPECT_EQ(shownLines.value_or(-1), 4) << language;
        ASSERT_TRUE(again.result) << language;
        EXPECT_TRUE(again.ui->Messages().empty()) << language;
        // Same ids, names, class parameters and "No" texts, in every language.
        EXPECT_EQ(Json(again.result), before) << language;

        // Deleting every line and cancelling returns nothing and leaves the earlier result alone.
        Played cancelled = Show({[](DialogModel& d) {
                                     auto& w = Wizard(d);
                                     w.lvwResult.SelectOnly({1, 2, 3, 4});
                                     w.cmdDel.Press();
                                     EXPECT_EQ(w.lvwResult.Count(), 0);
                                 },
                                 kCancel},
                                first.result, part);
        EXPECT_FALSE(cancelled.result) << language;
        EXPECT_EQ(Json(first.result), before) << language;

        // Taken from a packet set its owner lets go: the same lines, and the packets are gone from it.
        auto owned = components::AsDictionary(components::ParsePropertyBagJson(before, u"before"));
        std::optional<api::WizardLists> read = api::ReadEarlierResult(owned);
        std::optional<api::WizardLists> taken = api::TakeEarlierResult(owned);
        ASSERT_TRUE(read && taken && read->current && taken->current);
        for (size_t k = 0; k < read->perLanguage.size(); ++k) {
            EXPECT_EQ(components::WritePropertyBagJson(read->perLanguage[k]),
                      components::WritePropertyBagJson(taken->perLanguage[k]));
        }
        EXPECT_EQ(components::WritePropertyBagJson(read->current),
                  components::WritePropertyBagJson(taken->current));
        EXPECT_EQ(owned->Count(), 0) << language;
    }
}

// Read lines share one entry per place. Each line must still get its own place's entry, also where a
// name and id run together like another's ("a" + "12", "a1" + "2"), and every entry must read as the
// composed text, unit for unit (a blank-ended name, a name cut at 255 units, an empty one).
TEST(ShowWizard, ReadLinesCarryEachPlaceAndFunctionAsTheirComposedEntries) {
    testing::TestAccount account(true, "CHS");
    namespace f = core::fields;
    struct Line {
        Text top, topId, sub, subId, func, funcId, name, param;
    };
    const Line lines[] = {
        {u"a", u"12", u"总账", u"201", u" 期末 ", u"0", u"科目-维护", u"Base|1001"},
        {u"a1", u"2", u"总账", u"201", u"期末", u"1015", u"科目-維護", u"Base|1002"},
        {u"a", u"12", u"总 账", u"201", Text(300, u'长'), u"7", Text(), Text()},
    };
    DictionaryRef set = Dictionary::Create();
    for (const char16_t* language : {u"CHS", u"CHT", u"EN"}) {
        VectorRef packet = Vector::Create();
        for (const Line& l : lines) {
            DictionaryRef entry = Dictionary::Create();
            const std::pair<const char16_t*, Text> fields[] = {
                {f::kTopClassName, l.top},  {f::kTopClassId, l.topId}, {f::kSubSystemName, l.sub},
                {f::kSubSystemId, l.subId}, {f::kSubFuncName, l.func}, {f::kSubFuncId, l.funcId},
                {f::kFuncName, l.name},     {f::kClassParam, l.param}, {f::kNo, l.name + language}};
            for (const auto& [field, value] : fields) entry->SetValue(field, value);
            packet->Add(entry);
        }
        set->SetValue(language, packet);
    }
    std::optional<api::WizardLists> read = api::TakeEarlierResult(set);
    ASSERT_TRUE(read && read->current);
    for (size_t k = 0; k < read->perLanguage.size(); ++k) {
        const VectorRef& list = read->perLanguage[k];
        ASSERT_EQ(list->Count(), 3);
        for (int32_t i = 1; i <= list->Count(); ++i) {
            SCOPED_TRACE(i);
            const Line& l = lines[i - 1];
            DictionaryRef selection = AsDictionary(list->Item(i));
            EXPECT_EQ(selection->Value(u"TopClass").ToText(), core::ComposeKeyedEntry(l.top, l.topId));
            EXPECT_EQ(selection->Value(u"SubSystem").ToText(), core::ComposeKeyedEntry(l.sub, l.subId));
            EXPECT_EQ(selection->Value(u"SubFunc").ToText(), core::ComposeKeyedEntry(l.func, l.funcId));
            EXPECT_EQ(selection->Value(u"FuncDetail").ToText(), core::ComposeKeyedEntry(l.name, l.param));
            EXPECT_EQ(selection->Value(u"No").ToText(), l.name + core::kPacketLanguages[k]);
        }
    }
}

TEST(ShowWizard, AnEarlierResultLackingALanguageFailsBeforeAnythingShows) {
    testing::TestAccount account(true, "CHS");
    Played first = Show({kAdd, kOk}, nullptr);
    for (const char16_t* missing : {u"CHS", u"CHT", u"EN"}) {
        DictionaryRef partial = Dictionary::Create();
        DictionaryRef full = AsDictionary(Variant(first.result));
        for (int32_t k = 1; k <= full->Count(); ++k) {
            if (full->Key(k) != missing) partial->SetValue(full->Key(k), full->Value(full->Key(k)));
        }
        Played played;
        dialogs::ScopedUiServices scope(played.ui);
        Text description;
        EXPECT_EQ(testing::ErrorNumberOf([&] { clsDeploywizard().ShowWizard(ChosenTypes(0), partial); },
                                         &description),
                  5);
        EXPECT_EQ(description, u"ShowWizard: the earlier packet set holds no packet for the language \"" +
                                   Text(missing) + u"\"");
        EXPECT_TRUE(played.ui->Shows().empty());
    }
}

TEST(ShowWizard, NoDisplayIsTheAutomationErrorOfTheUiServices) {
    testing::TestAccount account(true, "CHS");
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) unsetenv(name);
    Text description;
    const int32_t number =
        testing::ErrorNumberOf([] { clsDeploywizard().ShowWizard(ChosenTypes(0)); }, &description);
    if (number == 429) GTEST_SKIP() << "the views library is not built";
    EXPECT_EQ(number, 5);
    EXPECT_EQ(description, u"No window can be opened: neither DISPLAY nor WAYLAND_DISPLAY is set");
}

}  // namespace
}  // namespace orva::api
