// The control models without a window: selection and its Click, list-view selection, change batching
// as a view sees it, and the controls reached by name.

#include <gtest/gtest.h>

#include "core/KeyedEntry.h"
#include "dialogs/DialogTestSupport.h"
#include "dialogs/common/ListBox.h"
#include "dialogs/common/ListView.h"
#include "dialogs/common/TextBox.h"
#include "support/ErrorNumber.h"

namespace orva::dialogs {
namespace {

using automation::Text;
using automation::Variant;
using testing::ErrorNumberOf;
using testing::RecordingListener;

struct ListFixture {
    std::shared_ptr<ChangeHub> hub = std::make_shared<ChangeHub>();
    ListBox list{u"lstTopClass", {}, hub};
    int clicks = 0;
    ListFixture() {
        list.Click = [this] { ++clicks; };
        list.AddItems(
            {core::ComposeKeyedEntry(u"基础资料", u"1"), core::ComposeKeyedEntry(u" 报表 ", u"2"), u"plain"});
    }
};

TEST(ListBox, ClickFollowsTheUserAndOnlyChangesFromCode) {
    struct Case {
        const char* what;
        std::function<void(ListBox&)> act;
        int32_t listIndex;
        int clicks;
    };
    const Case cases[] = {
        {"code selects", [](ListBox& l) { l.SetListIndex(1); }, 1, 1},
        {"code selects the same entry again", [](ListBox& l) { l.SetListIndex(1), l.SetListIndex(1); }, 1, 1},
        {"code clears the selection", [](ListBox& l) { l.SetListIndex(1), l.SetListIndex(-1); }, -1, 2},
        {"user clicks the selected entry again", [](ListBox& l) { l.SelectByUser(2), l.SelectByUser(2); }, 2,
         2},
        {"disabled list ignores the user", [](ListBox& l) { l.SetEnabled(false), l.SelectByUser(0); }, -1, 0},
        {"disabled list still follows code", [](ListBox& l) { l.SetEnabled(false), l.SetListIndex(0); }, 0,
         1},
        {"removing the selected entry", [](ListBox& l) { l.SetListIndex(1), l.RemoveItem(1); }, -1, 1},
        {"removing an entry above moves it up", [](ListBox& l) { l.SetListIndex(2), l.RemoveItem(0); }, 1, 1},
        {"removing an entry below keeps it", [](ListBox& l) { l.SetListIndex(0), l.RemoveItem(2); }, 0, 1},
        {"clear leaves no selection, no click", [](ListBox& l) { l.SetListIndex(0), l.Clear(); }, -1, 1},
    };
    for (const Case& c : cases) {
        ListFixture f;
        c.act(f.list);
        EXPECT_EQ(f.list.ListIndex(), c.listIndex) << c.what;
        EXPECT_EQ(f.clicks, c.clicks) << c.what;
    }
}

TEST(ListBox, DoubleClickSelectsClicksThenDoubleClicks) {
    ListFixture f;
    std::vector<std::string> order;
    f.list.Click = [&] { order.push_back("Click " + std::to_string(f.list.ListIndex())); };
    f.list.DblClick = [&] { order.push_back("DblClick " + std::to_string(f.list.ListIndex())); };
    f.list.DoubleClickByUser(2);
    EXPECT_EQ(order, (std::vector<std::string>{"Click 2", "DblClick 2"}));
}

TEST(ListBox, ShowsTheDisplayPartAndKeepsTheKeyHidden) {
    ListFixture f;
    EXPECT_EQ(f.list.DisplayText(0), u"基础资料");
    EXPECT_EQ(f.list.DisplayText(1), u"报表");
    EXPECT_EQ(f.list.Key(1), u"2");
    EXPECT_EQ(f.list.DisplayText(2), u"plain");
    EXPECT_EQ(f.list.Key(2), u"");
    EXPECT_EQ(f.list.List(0).size(), 256u);
}

TEST(ListBox, BadIndexesNameTheListAndChangeNothing) {
    ListFixture f;
    f.list.SetListIndex(1);
    Text description;
    EXPECT_EQ(ErrorNumberOf([&] { f.list.SetListIndex(3); }, &description), 5);
    EXPECT_EQ(description, u"lstTopClass has no entry 3 (it holds 3)");
    EXPECT_EQ(ErrorNumberOf([&] { f.list.SelectByUser(-1); }), 5);
    EXPECT_EQ(ErrorNumberOf([&] { f.list.RemoveItem(-1); }), 5);
    EXPECT_EQ(ErrorNumberOf([&] { f.list.List(3); }), 9);
    EXPECT_EQ(f.list.ListIndex(), 1);
    EXPECT_EQ(f.list.ListCount(), 3);
    EXPECT_EQ(f.clicks, 1);
}

TEST(ListView, SelectsExactlyTheNamedItemsAndRefusesBadIndexesWhole) {
    ListView view(u"lvwResult", {}, std::make_shared<ChangeHub>());
    view.AddColumn(u"功能");
    for (Text text : {u"a", u"b", u"c", u"d"}) view.AddItem(text, u"tag-" + text);
    EXPECT_EQ(view.Item(4).tag, u"tag-d");
    view.SetSelected(1, true);
    view.SelectOnly({2, 4});
    EXPECT_EQ(view.SelectedIndexes(), (std::vector<int32_t>{2, 4}));
    EXPECT_EQ(ErrorNumberOf([&] { view.SelectOnly({3, 5}); }), 9);
    EXPECT_EQ(view.SelectedIndexes(), (std::vector<int32_t>{2, 4}));
    EXPECT_EQ(ErrorNumberOf([&] { view.SetSelected(0, true); }), 9);
    view.RemoveItem(2);
    EXPECT_EQ(view.SelectedIndexes(), (std::vector<int32_t>{3}));
    view.SelectOnly({});
    EXPECT_TRUE(view.SelectedIndexes().empty());
}

TEST(ChangeHub, BatchesDeliverEachControlOnceInOrderOfFirstChange) {
    auto hub = std::make_shared<ChangeHub>();
    ListBox list(u"lstA", {}, hub);
    TextBox box(u"txtB", {}, hub);
    RecordingListener listener;
    hub->Attach(&listener);
    {
        ChangeBatch outer(*hub);
        box.SetText(u"x");
        {
            ChangeBatch inner(*hub);
            for (int i = 0; i < 5000; ++i) list.AddItem(u"entry");
        }
        EXPECT_TRUE(listener.heard.empty());  // the inner batch does not deliver
        list.SetListIndex(4999);
        box.SetText(u"x");  // no change
    }
    ASSERT_EQ(listener.heard.size(), 2u);
    EXPECT_EQ(listener.heard[0], (std::pair<Text, Changes>{u"txtB", change::kText}));
    EXPECT_EQ(listener.heard[1], (std::pair<Text, Changes>{u"lstA", change::kItems | change::kSelection}));
    listener.heard.clear();
    list.SetEnabled(false);  // outside a batch: at once
    EXPECT_EQ(listener.heard, (std::vector<std::pair<Text, Changes>>{{u"lstA", change::kEnabled}}));
}

TEST(TextBox, ChangeRunsOnlyWhenTheTextChanges) {
    TextBox box(u"txtContent", {}, nullptr);
    int changes = 0;
    box.Change = [&] { ++changes; };
    box.SetText(u"");
    box.SetText(u"a");
    box.SetText(u"a");
    box.SetText(u"a ");
    EXPECT_EQ(changes, 2);
}

TEST(ControlsByName, ReadAndSetThroughTheAutomationMembers) {
    auto list = std::make_shared<ListBox>(u"lstTopClass", Geometry{10, 20, 30, 40}, nullptr);
    automation::ObjectRef ref = list;
    automation::CallMethod(ref, u"AddItem", {Variant(u"a")});
    automation::CallMethod(ref, u"AddItem", {Variant(u"b")});
    automation::LetProperty(ref, u"listindex", 1);
    EXPECT_EQ(automation::GetProperty(ref, u"ListIndex").ToInt32(), 1);
    EXPECT_EQ(automation::GetProperty(ref, u"List", {Variant(0)}).ToText(), u"a");
    EXPECT_EQ(automation::GetProperty(ref, u"Width").ToInt32(), 30);
    automation::LetProperty(ref, u"Enabled", false);
    EXPECT_FALSE(list->Enabled());
    EXPECT_EQ(ErrorNumberOf([&] { automation::GetProperty(ref, u"Caption"); }), 438);
}

}  // namespace
}  // namespace orva::dialogs
