// The control models without a window: selection and its Click, list-view selection, the tree's nodes
// and user actions, change batching as a view sees it, and the controls reached by name.

#include <gtest/gtest.h>

#include "automation/TextHelpers.h"
#include "core/KeyedEntry.h"
#include "dialogs/DialogTestSupport.h"
#include "dialogs/common/ListBox.h"
#include "dialogs/common/ListView.h"
#include "dialogs/common/TextBox.h"
#include "dialogs/common/TreeView.h"
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

// A tree of two groups: "A" (children "a1", "a2") and "B" (no children), with every event counted.
struct TreeFixture {
    std::shared_ptr<ChangeHub> hub = std::make_shared<ChangeHub>();
    TreeView tree{u"tvList", {}, hub};
    std::vector<std::string> events;
    TreeFixture() {
        const int32_t a = tree.AddNode({.key = u"A", .text = u"组A", .tag = u"A", .image = Text(u"closed")});
        tree.AddNode({.key = u"B", .text = u"组B", .tag = u"B"});
        tree.AddNode({.key = u"a1", .text = u"一", .tag = u"1", .parent = a, .image = Text(u"leaf")});
        tree.AddNode({.key = u"a2", .text = u"二", .tag = u"2", .parent = a});
        const auto record = [this](const char* what) {
            return [this, what](int32_t node) {
                events.push_back(std::string(what) + " " + automation::ToUtf8(tree.Node(node).key));
            };
        };
        tree.NodeCheck = record("check");
        tree.Expand = record("expand");
        tree.Collapse = record("collapse");
        tree.NodeClick = record("click");
    }
};

TEST(TreeView, KeepsNodeOrderParentsAndKeysAndRefusesBadNodesWhole) {
    TreeFixture f;
    TreeView& t = f.tree;
    EXPECT_EQ(t.Count(), 4);
    EXPECT_EQ(t.Children(0), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(t.Children(1), (std::vector<int32_t>{3, 4}));
    EXPECT_TRUE(t.Children(2).empty());
    EXPECT_EQ(t.Node(4).parent, 1);
    EXPECT_EQ((std::pair{t.Find(u"a2"), t.Find(u"A2")}), (std::pair{4, 0}));  // keys compare exactly
    // An image never set is none, not an empty name.
    EXPECT_EQ(t.Node(1).image, std::optional<Text>(u"closed"));
    EXPECT_FALSE(t.Node(2).image.has_value());
    EXPECT_FALSE(t.Node(1).selectedImage.has_value());

    Text description;
    EXPECT_EQ(ErrorNumberOf([&] { t.AddNode({.key = u"a1", .parent = 2}); }, &description), 5);
    EXPECT_EQ(description, u"tvList already has a node with the key \"a1\"");
    EXPECT_EQ(ErrorNumberOf([&] { t.AddNode({.key = u"c", .parent = 9}); }), 5);
    EXPECT_EQ(ErrorNumberOf([&] { t.IndexOf(u"c"); }, &description), 9);
    EXPECT_EQ(description, u"tvList has no node \"c\"");
    EXPECT_EQ(ErrorNumberOf([&] { t.Node(5); }), 9);
    EXPECT_EQ(t.Count(), 4);
    EXPECT_TRUE(t.Children(2).empty());
    // Nodes without a key are not looked up, and several may exist.
    t.AddNode({.text = u"x", .parent = 2});
    t.AddNode({.text = u"y", .parent = 2});
    EXPECT_EQ(t.Children(2), (std::vector<int32_t>{5, 6}));
    t.SetSelectedIndex(5);
    t.Clear();
    EXPECT_EQ((std::tuple{t.Count(), t.Find(u"A"), t.SelectedIndex(), t.Children(0).size()}),
              (std::tuple{0, 0, 0, size_t{0}}));
}

TEST(TreeView, UserActionsRaiseTheirHandlerOnlyWhenTheyChangeSomething) {
    struct Case {
        const char* what;
        std::function<void(TreeView&)> act;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {"check", [](TreeView& t) { t.CheckByUser(3, true); }, {"check a1"}},
        {"check twice", [](TreeView& t) { t.CheckByUser(3, true), t.CheckByUser(3, true); }, {"check a1"}},
        {"uncheck an unchecked node", [](TreeView& t) { t.CheckByUser(3, false); }, {}},
        {"check from code, then by the user",
         [](TreeView& t) { t.SetChecked(3, true), t.CheckByUser(3, true); },
         {}},
        {"expand, collapse",
         [](TreeView& t) { t.ExpandByUser(1, true), t.ExpandByUser(1, false); },
         {"expand A", "collapse A"}},
        {"expand an open node", [](TreeView& t) { t.SetExpanded(1, true), t.ExpandByUser(1, true); }, {}},
        {"expand a node without children", [](TreeView& t) { t.ExpandByUser(2, true); }, {}},
        {"select", [](TreeView& t) { t.SelectByUser(4); }, {"click a2"}},
        {"disabled tree ignores the user",
         [](TreeView& t) {
             t.SetEnabled(false), t.CheckByUser(3, true), t.ExpandByUser(1, true), t.SelectByUser(4);
         },
         {}},
        {"ensure visible expands from code", [](TreeView& t) { t.EnsureVisible(4); }, {}},
    };
    for (const Case& c : cases) {
        TreeFixture f;
        c.act(f.tree);
        EXPECT_EQ(f.events, c.events) << c.what;
    }
    TreeFixture f;
    f.tree.EnsureVisible(4);
    EXPECT_EQ((std::pair{f.tree.Node(1).expanded, f.tree.ScrollTarget()}), (std::pair{true, 4}));
    f.tree.CheckByUser(4, true);
    f.tree.SelectByUser(4);
    EXPECT_EQ((std::pair{f.tree.Node(4).checked, f.tree.SelectedIndex()}), (std::pair{true, 4}));
    EXPECT_EQ(ErrorNumberOf([&] { f.tree.CheckByUser(0, true); }), 9);
}

TEST(TreeView, AFillIsOneRefillAndStateChangesNameTheirNodes) {
    auto hub = std::make_shared<ChangeHub>();
    TreeView tree(u"tvList", {}, hub);
    RecordingListener listener;
    hub->Attach(&listener);
    {
        ChangeBatch batch(*hub);
        const int32_t group = tree.AddNode({.key = u"G"});
        for (int32_t i = 0; i < 5000; ++i) tree.AddNode({.key = automation::Int32ToText(i), .parent = group});
        tree.SetExpanded(group, true);
    }
    EXPECT_EQ(listener.heard,
              (std::vector<std::pair<Text, Changes>>{{u"tvList", change::kItems | change::kNodeState}}));
    tree.TakeChangedNodes();
    listener.heard.clear();
    {
        ChangeBatch batch(*hub);
        tree.SetChecked(7, true);
        tree.SetImage(3, Text(u"open"));
        tree.SetChecked(7, false);
        tree.SetChecked(3, true);
        tree.SetImage(4, std::nullopt);  // no change: it had none
    }
    EXPECT_EQ(listener.heard, (std::vector<std::pair<Text, Changes>>{{u"tvList", change::kNodeState}}));
    EXPECT_EQ(tree.TakeChangedNodes(), (std::vector<int32_t>{7, 3}));
    EXPECT_TRUE(tree.TakeChangedNodes().empty());
    listener.heard.clear();
    tree.EnsureVisible(9);
    tree.SetSelectedIndex(9);
    EXPECT_EQ(listener.heard, (std::vector<std::pair<Text, Changes>>{{u"tvList", change::kScroll},
                                                                     {u"tvList", change::kSelection}}));
    // Without a listener nothing is collected.
    hub->Attach(nullptr);
    tree.SetChecked(8, true);
    EXPECT_TRUE(tree.TakeChangedNodes().empty());
}

TEST(TreeView, ByNameANodeIsNamedByItsIndexOrItsKey) {
    TreeFixture f;
    const auto call = [&](const char16_t* name, std::vector<Variant> args,
                          automation::CallKind kind = automation::CallKind::PropertyGet) {
        return f.tree.Invoke(name, kind, args);
    };
    EXPECT_EQ(call(u"Count", {}).ToInt32(), 4);
    EXPECT_EQ(call(u"Key", {3}).ToText(), u"a1");
    EXPECT_EQ(call(u"tag", {u"a2"}).ToText(), u"2");
    EXPECT_EQ(call(u"Text", {1}).ToText(), u"组A");
    EXPECT_EQ(call(u"Parent", {u"a2"}).ToText(), u"A");
    EXPECT_EQ(call(u"Parent", {1}).ToText(), u"");
    EXPECT_TRUE(call(u"Image", {u"B"}).IsNull());
    EXPECT_EQ(call(u"Image", {u"a1"}).ToText(), u"leaf");
    call(u"Checked", {u"a1", true}, automation::CallKind::PropertyLet);  // from code: no NodeCheck
    EXPECT_TRUE(call(u"Checked", {3}).ToBool());
    EXPECT_TRUE(f.events.empty());
    EXPECT_EQ(ErrorNumberOf([&] { call(u"Tag", {u"zz"}); }), 9);
    EXPECT_EQ(ErrorNumberOf([&] { call(u"Tag", {0}); }), 9);
    EXPECT_EQ(call(u"Width", {}).ToInt32(), 0);
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
