// frmPromu: the form, the target lists and the publish list. The tree and the function rows are in
// frmPromuTree.cpp.

#include "dialogs/promu/frmPromu.h"

#include <algorithm>

#include "account/CatalogContract.h"
#include "automation/ClassRegistry.h"
#include "automation/MemberTable.h"
#include "automation/PendingError.h"
#include "automation/TextHelpers.h"
#include "bag/Dictionary.h"
#include "catalog/RecordsetCursor.h"
#include "core/DeployPacket.h"
#include "core/DeploymentEngine.h"
#include "core/JournaledDeployment.h"
#include "core/KeyedEntry.h"
#include "dialogs/common/SelectionLines.h"
#include "dialogs/input/frmInput.h"
#include "hostctx/Texts.h"

namespace orva::dialogs {

using automation::Args;
using automation::Member;
using automation::ObjectRef;
using automation::Text;
using automation::Variant;
using components::CatalogLevel;
using core::ComposeKeyedEntry;

namespace {

constexpr const char16_t* kLinePattern = u"[%1] 发布到: [%2.%3.%4]";
constexpr const char16_t* kHiddenTopClass = u"我的Orva";
constexpr const char16_t* kNoTopClass = u"请选择好发布目标系统！";
constexpr const char16_t* kNoSubSystem = u"请选择好发布目标子系统！";
constexpr const char16_t* kNoSubFunc = u"请选择好发布目标子功能模块！";
constexpr const char16_t* kNothingToPublish = u"请选择好发布对象及发布位置！";
constexpr const char16_t* kPublished = u"发布对象成功！";
constexpr const char16_t* kPublishFailed = u"发布对象失败！";
constexpr const char16_t* kDuplicateSubFunc = u"子功能名称重复，请重新录入！";
// Keys of sub-functions the catalogue does not hold yet: a group name proposed from the tree, and a
// name the user typed while no entry was selected.
constexpr const char16_t* kProposedKey = u"0";
constexpr const char16_t* kTypedKey = u"-1";
// The list views' columns leave room for a vertical scroll bar.
constexpr int32_t kColumnMargin = 300;

// The reader's records of one level under parent (none for top classes), or nothing when the reader
// cannot be created or answers no recordset: the fill then reads no records.
ObjectRef ListLevel(const CatalogLevel& level, std::optional<int32_t> parent) {
    ObjectRef records;
    automation::RunIgnoring([&] {
        ObjectRef reader = automation::CreateObject(components::kCatalogReaderProgId);
        Variant answer = parent ? automation::CallMethod(reader, level.listMember, {*parent})
                                : automation::CallMethod(reader, level.listMember);
        if (answer.IsObject()) records = answer.ToObject();
    });
    return records;
}

// The records of a level as keyed entries (display = the name, key = the id), read past failures: a
// record whose name or id cannot be read is left out. A recordset that cannot tell its end or move on
// ends the reading, which would otherwise go round the same record for ever.
std::vector<Text> ReadEntries(const CatalogLevel& level, const ObjectRef& records,
                              automation::TextView hiddenName = {}) {
    std::vector<Text> entries;
    components::RecordsetCursor cursor(records);
    for (;;) {
        bool atEnd = true;
        if (!automation::RunIgnoring([&] { atEnd = cursor.AtEnd(); }) || atEnd) break;
        automation::RunIgnoring([&] {
            Text display = cursor.Field(level.nameField).ToText();
            if (!hiddenName.empty() && display == hiddenName) return;
            Text key = cursor.Field(level.idField).ToText();
            entries.push_back(ComposeKeyedEntry(std::move(display), std::move(key)));
        });
        if (!automation::RunIgnoring([&] { cursor.MoveNext(); })) break;
    }
    return entries;
}

void CloseRecords(const ObjectRef& records) {
    automation::RunIgnoring([&] { components::RecordsetCursor(records).Close(); });
}

// Selecting the first entry runs its Click, which refills the lists below; a failing Click (a key
// that is no number) goes unnoticed, as every other step of a fill.
void SelectFirst(ListBox& list) {
    if (list.ListCount() > 0) automation::RunIgnoring([&] { list.SetListIndex(0); });
}

// The engine's message list, one line per message.
Text JoinMessages(const components::VectorRef& messages) {
    Text joined;
    if (!messages) return joined;
    for (const Variant& line : *messages) {
        if (!joined.empty()) joined += u"\n";
        joined += line.ToText();
    }
    return joined;
}

}  // namespace

frmPromu::frmPromu(std::shared_ptr<UiServices> ui)
    : DialogModel(kName, 9240, 7650, std::move(ui)),
      framePub3(AddControl<Frame>(u"framePub(3)", {75, 30, 3900, 4020})),
      tvList(AddControlIn<TreeView>(framePub3, u"tvList", {105, 270, 3690, 3660})),
      framePub0(AddControl<Frame>(u"framePub(0)", {4080, 30, 5100, 4020})),
      Label2(AddControlIn<Label>(framePub0, u"Label2", {105, 255, 4875, 180})),
      lstTopClass(AddControlIn<ListBox>(framePub0, u"lstTopClass", {105, 450, 4890, 960})),
      Label3(AddControlIn<Label>(framePub0, u"Label3", {105, 1470, 4695, 180})),
      lstSubSystem(AddControlIn<ListBox>(framePub0, u"lstSubSystem", {90, 1665, 4905, 960})),
      Label4(AddControlIn<Label>(framePub0, u"Label4", {105, 2730, 4380, 180})),
      cmdModify(AddControlIn<Button>(framePub0, u"cmdModify", {3465, 2655, 1530, 285})),
      lstSubFunc(AddControlIn<ListBox>(framePub0, u"lstSubFunc", {105, 2955, 4890, 960})),
      Label1(AddControl<Label>(u"Label1", {0, 0, 0, 0})),
      lvwFuncDetail(AddControl<ListView>(u"lvwFuncDetail", {60, 4140, 9120, 1440})),
      cmdSet(AddControl<Button>(u"cmdSet", {3615, 5670, 1305, 315})),
      cmdDel(AddControl<Button>(u"cmdDel", {4965, 5670, 1305, 315})),
      cmdOK(AddControl<Button>(u"cmdOK", {6390, 5670, 1305, 315})),
      cmdCancel(AddControl<Button>(u"cmdCancel", {7755, 5670, 1305, 315}, false, true)),
      lvwResult(AddControl<ListView>(u"lvwResult", {60, 6030, 9120, 1560})) {
    // The design texts, until the captions are set at load.
    SetCaption(u"发布");
    framePub3.SetCaption(u"业务对象列表");
    framePub0.SetCaption(u"目标位置");
    Label2.SetCaption(u"发布的目标系统：");
    Label3.SetCaption(u"发布的目标子系统：");
    Label4.SetCaption(u"发布的目标子功能模块：");
    cmdModify.SetCaption(u"修改名称(&M) ↓");
    cmdSet.SetCaption(u"添加(&A) ↓");
    cmdDel.SetCaption(u"删除(&R) ↑");
    cmdOK.SetCaption(u"发布(&D)");
    cmdCancel.SetCaption(u"关闭(&C)");

    tvList.NodeCheck = [this](int32_t node) { tvList_NodeCheck(node); };
    tvList.Expand = [this](int32_t node) { tvList_Expand(node); };
    tvList.Collapse = [this](int32_t node) { tvList_Collapse(node); };
    lstTopClass.Click = [this] { lstTopClass_Click(); };
    lstSubSystem.Click = [this] { lstSubSystem_Click(); };
    lstSubFunc.Click = [this] { lstSubFunc_Click(); };
    lstSubFunc.DblClick = [this] { lstSubFunc_DblClick(); };
    cmdModify.Click = [this] { cmdModify_Click(); };
    cmdSet.Click = [this] { cmdSet_Click(); };
    cmdDel.Click = [this] { cmdDel_Click(); };
    cmdOK.Click = [this] { cmdOK_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
}

void frmPromu::Form_Load() {
    for (auto [view, text] :
         {std::pair{&lvwFuncDetail, u"将要发布的功能"}, std::pair{&lvwResult, u"发布列表"}}) {
        view->ClearColumns();
        view->AddColumn(text, view->Position().width - kColumnMargin);
    }
    SetCaptions();
    hostctx::ApplyFormFont(weak_from_this().lock());
    // Trap and end, silently: the tree comes first because the sub-function list proposes its group
    // nodes; a failure leaves what was made so far and the dialog is shown as it stands.
    automation::TrapAndEnd([&] {
        BuildObjectTree();
        PublishData = components::Vector::Create();
        FillTopClasses();
    });
}

void frmPromu::SetCaptions() {
    // Skip mode: a caption that cannot be set keeps its design text and the next one is set.
    const auto set = [](auto&& step) { automation::RunSkipping(step); };
    const auto column = [](ListView& view, const Text& text) {
        if (view.Columns().empty())
            automation::Raise(automation::errors::kSubscriptOutOfRange, view.Name() + u" has no column");
        const int32_t width = view.Columns().front().width;
        view.ClearColumns();
        view.AddColumn(text, width);
    };
    set([&] { SetCaption(hostctx::TranslateText(u"发布")); });
    set([&] { column(lvwFuncDetail, hostctx::TranslateText(u"将要发布的功能")); });
    set([&] { column(lvwResult, hostctx::TranslateText(u"发布列表")); });
    set([&] { cmdSet.SetCaption(hostctx::TranslateText(u"添加(&A) ↓")); });
    set([&] { cmdDel.SetCaption(hostctx::TranslateText(u"删除(&R) ↑")); });
    set([&] { framePub3.SetCaption(hostctx::TranslateText(u"业务对象列表")); });
    set([&] { framePub0.SetCaption(hostctx::TranslateText(u"目标位置")); });
    set([&] { cmdModify.SetCaption(hostctx::TranslateText(u"修改名称(&M) ↓")); });
    set([&] { Label2.SetCaption(hostctx::TranslateText(u"发布的目标系统：")); });
    set([&] { Label3.SetCaption(hostctx::TranslateText(u"发布的目标子系统：")); });
    set([&] { Label4.SetCaption(hostctx::TranslateText(u"发布的目标子功能模块：")); });
    set([&] { cmdCancel.SetCaption(hostctx::TranslateText(u"关闭(&C)")); });
    set([&] { cmdOK.SetCaption(hostctx::TranslateText(u"发布(&D)")); });
}

// ---- Target lists -------------------------------------------------------------------------------

void frmPromu::FillTopClasses() {
    ObjectRef records = ListLevel(components::kTopClassLevel, std::nullopt);
    // Appended, not refilled: the list is filled once, at load.
    lstTopClass.AddItems(
        ReadEntries(components::kTopClassLevel, records, hostctx::TranslateText(kHiddenTopClass)));
    CloseRecords(records);
    SelectFirst(lstTopClass);
}

void frmPromu::FillSubSystems(int32_t topClassId) {
    ObjectRef records = ListLevel(components::kSubSystemLevel, topClassId);
    lstSubSystem.Clear();
    lstSubSystem.AddItems(ReadEntries(components::kSubSystemLevel, records));
    SelectFirst(lstSubSystem);
    CloseRecords(records);
}

void frmPromu::FillSubFunctions(int32_t subSystemId) {
    ObjectRef records = ListLevel(components::kSubFuncLevel, subSystemId);
    lstSubFunc.Clear();
    std::vector<Text> entries = ReadEntries(components::kSubFuncLevel, records);
    CloseRecords(records);
    // Each group node of the tree that no entry names, ignoring letter case, is proposed as a new
    // sub-function. The names taken are hashed: no scan of the list per group.
    std::unordered_set<Text> taken;
    for (const Text& entry : entries) taken.insert(automation::UCase(core::KeyedEntryDisplay(entry)));
    for (int32_t group : tvList.Children(0)) {
        const TreeNode& node = tvList.Node(group);
        if (node.key != u"Base" && node.key != u"Bill" && node.key != u"Report") continue;
        if (taken.insert(automation::UCase(automation::Trim(node.text))).second)
            entries.push_back(ComposeKeyedEntry(node.text, kProposedKey));
    }
    lstSubFunc.AddItems(std::move(entries));
    SelectFirst(lstSubFunc);
}

void frmPromu::lstTopClass_Click() {
    ReadSelectedPlace(lstTopClass, m_lTopClassID, m_strTopClassName);
    FillSubSystems(m_lTopClassID);
}

void frmPromu::lstSubSystem_Click() {
    ReadSelectedPlace(lstSubSystem, m_lSubSystemID, m_strSubSystemName);
    FillSubFunctions(m_lSubSystemID);
}

void frmPromu::lstSubFunc_Click() {
    ReadSelectedPlace(lstSubFunc, m_lSubFuncID, m_strSubFuncName);
    // Only a proposed group name may be renamed: a catalogue sub-function keeps its name, and a typed
    // name is typed again instead.
    cmdModify.SetEnabled(m_lSubFuncID == 0);
}

void frmPromu::lstSubFunc_DblClick() {
    if (cmdModify.Enabled()) cmdModify_Click();
}

void frmPromu::cmdModify_Click() {
    const int32_t selected = lstSubFunc.ListIndex();
    const Text current = selected >= 0 ? lstSubFunc.DisplayText(selected) : Text();
    auto input = std::make_shared<frmInput>(UiPtr());
    input->m_strText = current;
    input->ShowModal();
    if (!input->bOK || input->m_strText.empty()) return;
    const Text name = input->m_strText;
    if (name == current) return;
    // The selected entry takes part: the same name in other letter case is refused too.
    for (int32_t i = 0; i < lstSubFunc.ListCount(); ++i) {
        if (automation::EqualsNoCase(lstSubFunc.DisplayText(i), name)) {
            ShowWarning(kDuplicateSubFunc);
            return;
        }
    }
    if (selected < 0) {
        // Selected at once: the user typed it to publish there.
        lstSubFunc.AddItem(ComposeKeyedEntry(name, kTypedKey));
        lstSubFunc.SetListIndex(lstSubFunc.ListCount() - 1);
        return;
    }
    lstSubFunc.SetItem(selected, ComposeKeyedEntry(name, lstSubFunc.Key(selected)));
    lstSubFunc_Click();
}

void frmPromu::cmdCancel_Click() { Hide(); }

// ---- Publish list -------------------------------------------------------------------------------

void frmPromu::cmdSet_Click() {
    const std::pair<const ListBox*, const char16_t*> required[] = {
        {&lstTopClass, kNoTopClass}, {&lstSubSystem, kNoSubSystem}, {&lstSubFunc, kNoSubFunc}};
    for (const auto& [list, message] : required) {
        if (list->ListIndex() < 0) {
            ShowWarning(message);
            return;
        }
    }
    if (!PublishData) PublishData = components::Vector::Create();
    const Text& top = lstTopClass.List(lstTopClass.ListIndex());
    const Text& sub = lstSubSystem.List(lstSubSystem.ListIndex());
    const Text& func = lstSubFunc.List(lstSubFunc.ListIndex());
    std::vector<ListViewItem> added;
    for (int32_t i : lvwFuncDetail.SelectedIndexes()) {
        const ListViewItem& row = lvwFuncDetail.Item(i);
        Text line = hostctx::FormatText(kLinePattern,
                                        {row.text, m_strTopClassName, m_strSubSystemName, m_strSubFuncName});
        if (!m_publishTexts.insert(line).second) continue;
        PublishData->Add(SelectionEntry(line, top, sub, func, row.tag));
        added.push_back({std::move(line), row.tag, true});
    }
    if (added.empty()) return;
    lvwResult.AddItems(std::move(added));
    // The new rows go below the last; the list shows the last of them.
    lvwResult.EnsureVisible(lvwResult.Count());
}

void frmPromu::cmdDel_Click() {
    const std::vector<int32_t> selected = lvwResult.SelectedIndexes();
    if (selected.empty()) return;
    // Each deleted row takes the first entry with its text out of the publish data; one pass marks them.
    std::unordered_map<Text, int32_t> wanted;
    for (int32_t row : selected) ++wanted[lvwResult.Item(row).text];
    if (PublishData) {
        std::vector<Variant> kept;
        kept.reserve(static_cast<size_t>(PublishData->Count()));
        for (const Variant& entry : *PublishData) {
            auto it = wanted.find(SelectionEntryText(entry));
            if (it != wanted.end() && it->second > 0) {
                --it->second;
                m_publishTexts.erase(it->first);
                continue;
            }
            kept.push_back(entry);
        }
        PublishData->Clear();
        PublishData->Reserve(kept.size());
        for (Variant& entry : kept) PublishData->Add(std::move(entry));
    }
    const int32_t remembered = selected.back();
    std::vector<ListViewItem> rows;
    for (const ListViewItem& row : lvwResult.Items()) {
        if (!row.selected) rows.push_back(row);
    }
    ChangeBatch batch(Hub());
    lvwResult.Clear();
    lvwResult.AddItems(std::move(rows));
    if (lvwResult.Count() == 0) return;
    const int32_t next = std::min(remembered, lvwResult.Count());
    lvwResult.SetSelected(next, true);
    lvwResult.EnsureVisible(next);
}

void frmPromu::cmdOK_Click() {
    if (!PublishData || PublishData->Count() == 0) {
        ShowWarning(kNothingToPublish);
        return;
    }
    bool published = false;
    Text details;
    {
        HourglassScope hourglass(Ui());
        // Trap and end: a packet that cannot be built (a place whose key is no number) is a failed
        // publish; the engine itself never raises and reports through its messages.
        automation::TrapAndEnd(
            [&] {
                components::VectorRef packet = core::BuildDeployPacket(*PublishData);
                components::VectorRef messages;
                components::JournalRunInfo run;
                run.origin = components::JournalOrigin::Publish;
                published = core::DeployJournaled(std::move(run), packet, messages);
                details = JoinMessages(messages);
            },
            [&](const automation::AutomationError& error) { details = error.Description(); });
    }
    ShowWarning(published ? kPublished : kPublishFailed, std::move(details));
}

std::optional<Variant> frmPromu::InvokeOwn(automation::TextView name, automation::CallKind kind, Args args) {
    static constexpr Member<frmPromu> kMembers[] = {
        {.name = u"m_lCurSubSystem",
         .kinds = automation::kAssign,
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](frmPromu& f, Args a) -> Variant {
             f.m_lCurSubSystem = a[0].ToInt32();
             return {};
         }},
        {.name = u"m_lCurSubSystem", .call = [](frmPromu& f, Args) -> Variant { return f.m_lCurSubSystem; }},
        {.name = u"ClassType",
         .kinds = automation::kSet,
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](frmPromu& f, Args a) -> Variant {
             f.ClassType = a[0].ToObject();
             return {};
         }},
        {.name = u"ClassType", .call = [](frmPromu& f, Args) -> Variant { return f.ClassType; }},
        {.name = u"ReportID",
         .kinds = automation::kLet,
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](frmPromu& f, Args a) -> Variant {
             f.ReportID = a[0].ToInt32();
             return {};
         }},
        {.name = u"ReportType",
         .kinds = automation::kLet,
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](frmPromu& f, Args a) -> Variant {
             f.ReportType = a[0].ToText();
             return {};
         }},
        {.name = u"ReportName",
         .kinds = automation::kLet,
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](frmPromu& f, Args a) -> Variant {
             f.ReportName = a[0].ToText();
             return {};
         }},
        {.name = u"Form_Activate",
         .kinds = automation::kMethodCall,
         .call = [](frmPromu& f, Args) -> Variant {
             f.Activate();
             return {};
         }},
    };
    return automation::TryInvokeMember(*this, kMembers, name, kind, args);
}

}  // namespace orva::dialogs
