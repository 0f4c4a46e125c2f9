// frmPromu: the business-object tree, its check handling, the function rows and the preselection.

#include "automation/ClassRegistry.h"
#include "automation/PendingError.h"
#include "automation/TextHelpers.h"
#include "bag/Dictionary.h"
#include "catalog/BillActionCatalog.h"
#include "catalog/ClassCatalog.h"
#include "catalog/MetadataSnapshot.h"
#include "catalog/RecordsetCursor.h"
#include "catalog/ReportCatalog.h"
#include "catalog/TemplateService.h"
#include "core/KeyedEntry.h"
#include "dialogs/promu/frmPromu.h"
#include "hostctx/SharedProperties.h"
#include "hostctx/Texts.h"

namespace orva::dialogs {

using automation::ObjectRef;
using automation::Text;
using automation::Variant;
using core::ComposeKeyedEntry;

namespace {

constexpr const char16_t* kBase = u"Base";
constexpr const char16_t* kBill = u"Bill";
constexpr const char16_t* kReport = u"Report";
// FEnvironment bits of the places in the bill form and in the bill list.
constexpr int32_t kBillFormMask = 39;
constexpr int32_t kBillListMask = 960;
// Report types with a tag of their own; every other type is an SQL report.
constexpr int32_t kCrossReport = 1000;
constexpr int32_t kNewCrossReport = 1002;

struct Group {
    const char16_t* key;
    const char16_t* text;  // through TranslateText
};
constexpr Group kGroups[] = {{kBase, u"基础资料"}, {kBill, u"业务单据"}, {kReport, u"业务报表"}};

// The number after the last "|" of a row's or node's tag (the whole tag when it has none), or nothing
// when that is no 32-bit number.
std::optional<int32_t> TagNumber(const Text& tag) {
    const size_t bar = tag.rfind(u'|');
    std::optional<int32_t> number;
    automation::RunIgnoring(
        [&] { number = automation::TextToInt32(bar == Text::npos ? tag : tag.substr(bar + 1)); });
    return number;
}

// What m_rowTags holds for a row's tag: the same identity in a few dozen units instead of a keyed
// entry's 255 and more, which a group of thousands of rows would copy and hash in full. A keyed entry
// is its display padded with blanks to 255 units, then its key, so it is told apart by the display
// without the padding (its length first) and the key; a shorter tag is kept whole behind a mark no
// display length can take.
Text RowKey(const Text& tag) {
    if (tag.size() < core::kKeyedDisplayWidth) return u'\xFFFF' + tag;
    size_t end = core::kKeyedDisplayWidth;
    while (end > 0 && tag[end - 1] == u' ') --end;
    Text key;
    key.reserve(1 + end + tag.size() - core::kKeyedDisplayWidth);
    key += static_cast<char16_t>(end);
    key.append(tag, 0, end);
    key.append(tag, core::kKeyedDisplayWidth);
    return key;
}

Text ReportTag(const Variant& type, const Text& fid) {
    std::optional<int32_t> number;
    automation::RunIgnoring([&] { number = type.ToInt32(); });
    if (number == kCrossReport) return u"CROSSRPT|" + fid;
    if (number == kNewCrossReport) return u"NEWCROSSRPT|" + fid;
    return u"SQLRPT|" + fid;
}

// Skip mode inside a handler that never fails: a test whose evaluation fails counts as passed, and the
// failure is not kept.
template <typename Test>
bool PassesUnlessFalse(Test&& test) {
    bool passed = true;
    automation::RunIgnoring([&] { passed = static_cast<bool>(test()); });
    return passed;
}

}  // namespace

// ---- Building -----------------------------------------------------------------------------------

void frmPromu::BuildObjectTree() {
    for (const Group& g : kGroups) {
        // A group node that cannot be added ends the building; the load then ends too.
        const int32_t group = tvList.AddNode({.key = g.key,
                                              .text = hostctx::TranslateText(g.text),
                                              .tag = g.key,
                                              .image = Text(kImageClosed)});
        if (automation::TextView(g.key) == kReport) {
            FillReports(group);
        } else {
            FillGroup(group, g.key);
        }
        if (!tvList.Children(group).empty()) {
            tvList.SetExpandedImage(group, Text(kImageOpen));
            tvList.SetExpanded(group, true);
        }
    }
}

void frmPromu::FillGroup(int32_t group, const Text& kind) {
    // Trap and end, silently: the nodes added before a failure stay and the next group follows.
    automation::TrapAndEnd([&] {
        const Text filter = GroupFilter(kind);
        Variant answer;
        {
            ObjectRef catalog = automation::CreateObject(components::ClassCatalog::kProgId);
            answer = automation::CallMethod(catalog, u"GetClassType", {hostctx::GetPropsString(), filter});
        }
        const Text keyStem = kind + u"_Item_";
        for (const Variant& item : *components::AsVector(answer)) {
            components::DictionaryRef type = components::AsDictionary(item);
            Text fid = type->Value(u"FID").ToText();
            const int32_t node = tvList.AddNode({.key = keyStem + fid,
                                                 .text = type->Value(u"FName").ToText(),
                                                 .tag = fid,
                                                 .parent = group,
                                                 .image = Text(kImageLeaf),
                                                 .selectedImage = Text(kImageLeaf)});
            tvList.SetExpanded(node, true);
        }
    });
}

Text frmPromu::GroupFilter(const Text& kind) const {
    return u"FID>=200000000" + Text(kind == kBase ? u" and FBillTypeID=1" : u" and FBillTypeID<>1 ") +
           u" and FFunctionID=" + automation::Int32ToText(m_lCurSubSystem);
}

void frmPromu::FillReports(int32_t group) {
    // Trap and end, as FillGroup.
    automation::TrapAndEnd([&] {
        Variant answer;
        {
            ObjectRef catalog = automation::CreateObject(components::ReportCatalog::kProgId);
            answer =
                automation::CallMethod(catalog, u"GetReportRs",
                                       {hostctx::GetPropsString(), int16_t{0}, int16_t{0}, m_lCurSubSystem});
        }
        if (!answer.IsObject() || !answer.ToObject()) return;
        components::RecordsetCursor records(answer.ToObject());
        for (; !records.AtEnd(); records.MoveNext()) {
            Text fid = records.Field(u"FID").ToText();
            Text tag = ReportTag(records.Field(u"FType"), fid);
            tvList.AddNode({.key = u"Report_Item" + fid,
                            .text = records.Field(u"FName").ToText(),
                            .tag = std::move(tag),
                            .parent = group,
                            .image = Text(kImageLeaf),
                            .selectedImage = Text(kImageLeaf)});
        }
    });
}

// ---- Events of the tree -------------------------------------------------------------------------

void frmPromu::tvList_Expand(int32_t node) {
    if (tvList.Node(node).parent != 0) return;
    tvList.SetImage(node, Text(kImageOpen));
    tvList.SetSelectedImage(node, Text(kImageOpen));
}

void frmPromu::tvList_Collapse(int32_t node) {
    if (tvList.Node(node).parent != 0) return;
    tvList.SetImage(node, Text(kImageClosed));
    tvList.SetSelectedImage(node, Text(kImageClosed));
}

// The outermost check handling owns the words translated while it runs: a group of a thousand bills
// names the same few actions a thousand times, and the language cannot change inside one handler.
class frmPromu::WordScope {
public:
    explicit WordScope(frmPromu& form) : m_form(form) { ++m_form.m_checkDepth; }
    ~WordScope() {
        if (--m_form.m_checkDepth == 0) m_form.m_words.clear();
    }
    WordScope(const WordScope&) = delete;
    WordScope& operator=(const WordScope&) = delete;

private:
    frmPromu& m_form;
};

void frmPromu::OpenBillSnapshot(std::optional<components::ScopedMetadataSnapshot>& snapshot) const {
    automation::RunIgnoring([&] {
        snapshot.emplace(components::HostAccount(), components::ParseClassTypeFilter(GroupFilter(kBill)));
    });
}

void frmPromu::tvList_NodeCheck(int32_t node) {
    WordScope scope(*this);
    // Skip mode: a failing step is passed over and no message is shown.
    const bool checked = tvList.Node(node).checked;
    // Ticking the bill group reads every bill type's template and actions; they are read once, in one
    // statement, for the whole group. Without the snapshot each bill reads its own.
    std::optional<components::ScopedMetadataSnapshot> snapshot;
    if (checked && tvList.Node(node).parent == 0 && tvList.Node(node).key == kBill)
        OpenBillSnapshot(snapshot);
    // Every child follows, also one whose mark was already right: its rows are added or removed again.
    for (int32_t child : tvList.Children(node)) {
        automation::RunIgnoring([&] { tvList.SetChecked(child, checked); });
        tvList_NodeCheck(child);
    }
    const int32_t parent = tvList.Node(node).parent;
    if (parent == 0) return;
    const Text group = tvList.Node(parent).key;
    if (group == kBill) {
        if (checked) {
            AddBillRows(node);
        } else if (std::optional<int32_t> id = TagNumber(tvList.Node(node).tag)) {
            automation::RunIgnoring([&] { RemoveBillRows(*id); });
        }
    } else if (group == kBase || group == kReport) {
        automation::RunIgnoring([&] {
            const Text entry = ObjectEntry(node, group);
            checked ? AddFunctionRow(entry) : RemoveFunctionRow(entry);
        });
    }
}

Text frmPromu::ObjectEntry(int32_t node, const Text& group) const {
    const TreeNode& n = tvList.Node(node);
    const bool base = group == kBase;
    const Text display = hostctx::FormatText(
        u"%1-%2", {hostctx::TranslateText(n.text), hostctx::TranslateText(base ? u"维护" : u"查询")});
    return ComposeKeyedEntry(display, base ? u"Base|" + n.tag : n.tag);
}

void frmPromu::AddBillRows(int32_t node) {
    const TreeNode& n = tvList.Node(node);
    const Text tag = n.tag;
    const Text name = hostctx::TranslateText(n.text);
    // Skip mode: each step that fails is passed over. Both components live only for this check, and
    // without either of them the bill adds no row: actions read without the bill's template would
    // publish functions the bill does not have.
    ObjectRef actions;
    ObjectRef service;
    if (!automation::RunIgnoring(
            [&] { actions = automation::CreateObject(components::BillActionCatalog::kProgId); }))
        return;
    automation::RunIgnoring([&] { automation::LetProperty(actions, u"ClassTypeID", tag); });
    if (!automation::RunIgnoring(
            [&] { service = automation::CreateObject(components::TemplateService::kProgId); }))
        return;
    automation::RunIgnoring([&] { automation::LetProperty(service, u"ClassTypeID", tag); });
    automation::RunIgnoring([&] {
        automation::SetProperty(actions, u"ClassType",
                                automation::GetProperty(service, u"ClassType").ToObject());
    });
    automation::RunIgnoring([&] { automation::CallMethod(actions, u"Initialize"); });
    const auto read = [&] {
        return components::AsDictionary(automation::CallMethod(actions, u"GetBillActions"));
    };
    if (PassesUnlessFalse([&] { return read()->Count() == 0; }))
        automation::RunIgnoring([&] { automation::CallMethod(actions, u"NewBill"); });
    components::DictionaryRef list;
    automation::RunIgnoring([&] { list = read(); });
    if (!list) return;

    // Every row's parameter string ends in "|" + tag, so the rows share the number after its last "|".
    const std::optional<int32_t> tagNumber = TagNumber(tag);
    for (int32_t i = 1; i <= list->Count(); ++i) {
        const Text& key = list->Key(i);
        ObjectRef action;
        automation::RunIgnoring([&] { action = list->Value(key).ToObject(); });
        const auto field = [&](const char16_t* f) {
            return automation::GetProperty(action, u"Item", {Text(f)});
        };
        std::optional<Text> display;
        automation::RunIgnoring([&] {
            display = hostctx::FormatTranslatedText(TranslateWord(u"%1-%2"),
                                                    {name, TranslateWord(field(u"FName").ToText())});
        });
        if (!display) continue;
        int32_t environment = 0;
        // An environment that cannot be read takes the action's first choice of place.
        const bool known = automation::RunIgnoring([&] { environment = field(u"FEnvironment").ToInt32(); });
        const bool form = !known || (environment & kBillFormMask) != 0;
        const bool listPlace = !known || (environment & kBillListMask) != 0;
        // Entering a new bill belongs to the bill form; every other action to the list.
        const char16_t* prefix = nullptr;
        if (key == u"mnuFileNew") {
            prefix = form ? u"Bill|" : (listPlace ? u"List|" : nullptr);
        } else {
            prefix = listPlace ? u"List|" : (form ? u"Bill|" : nullptr);
        }
        if (prefix) {
            automation::RunIgnoring(
                [&] { AddFunctionRow(ComposeKeyedEntry(*display, prefix + tag), tagNumber); });
        }
    }
}

const Text& frmPromu::TranslateWord(const Text& word) {
    auto known = m_words.find(word);
    if (known == m_words.end()) known = m_words.emplace(word, hostctx::TranslateText(word)).first;
    return known->second;
}

// ---- Function rows ------------------------------------------------------------------------------

void frmPromu::AddFunctionRow(const Text& entry) { AddFunctionRow(entry, TagNumber(entry)); }

void frmPromu::AddFunctionRow(const Text& entry, std::optional<int32_t> number) {
    if (!m_rowTags.insert(RowKey(entry)).second) return;
    const int32_t row = lvwFuncDetail.AddItem(core::KeyedEntryDisplay(entry), entry);
    lvwFuncDetail.SetSelected(row, true);
    if (number) ++m_rowsPerNumber[*number];
}

void frmPromu::RemoveFunctionRow(const Text& entry) {
    const Text key = RowKey(entry);
    if (!m_rowTags.contains(key)) return;
    for (int32_t row = 1; row <= lvwFuncDetail.Count(); ++row) {
        if (lvwFuncDetail.Item(row).tag != entry) continue;
        lvwFuncDetail.RemoveItem(row);
        m_rowTags.erase(key);
        if (std::optional<int32_t> number = TagNumber(entry)) --m_rowsPerNumber[*number];
        return;
    }
}

void frmPromu::RemoveBillRows(int32_t classTypeId) {
    auto count = m_rowsPerNumber.find(classTypeId);
    if (count == m_rowsPerNumber.end() || count->second == 0) return;
    std::vector<ListViewItem> kept;
    kept.reserve(static_cast<size_t>(lvwFuncDetail.Count()));
    for (const ListViewItem& row : lvwFuncDetail.Items()) {
        if (TagNumber(row.tag) == classTypeId) {
            m_rowTags.erase(RowKey(row.tag));
        } else {
            kept.push_back(row);
        }
    }
    m_rowsPerNumber.erase(count);
    RebuildRows(std::move(kept));
}

void frmPromu::RebuildRows(std::vector<ListViewItem> rows) {
    ChangeBatch batch(Hub());
    lvwFuncDetail.Clear();
    lvwFuncDetail.AddItems(std::move(rows));
}

// ---- Preselection -------------------------------------------------------------------------------

void frmPromu::PreselectObject() {
    // Skip mode: each failing step is passed over; the preselection never fails.
    automation::RunIgnoring([&] {
        lvwFuncDetail.Clear();
        m_rowTags.clear();
        m_rowsPerNumber.clear();
    });
    int32_t target = 0;
    automation::RunIgnoring([&] {
        if (!ClassType) {
            // A report call: the report node whose tag ends in ReportID.
            for (int32_t child : tvList.Children(tvList.IndexOf(kReport))) {
                if (TagNumber(tvList.Node(child).tag) == ReportID) {
                    target = child;
                    break;
                }
            }
            return;
        }
        const bool base = PassesUnlessFalse([&] {
            return automation::GetProperty(ClassType, u"Value", {Text(u"FBillTypeID")}).ToInt32() == 1;
        });
        const Text fid = automation::GetProperty(ClassType, u"Value", {Text(u"FID")}).ToText();
        for (int32_t child : tvList.Children(tvList.IndexOf(base ? kBase : kBill))) {
            if (tvList.Node(child).tag == fid) {
                target = child;
                break;
            }
        }
    });
    if (target != 0) {
        automation::RunIgnoring([&] { tvList.SetSelectedIndex(target); });
        // Set from code, the mark raises no NodeCheck: its rows come with the rebuild below.
        automation::RunIgnoring([&] { tvList.SetChecked(target, true); });
        automation::RunIgnoring([&] { tvList.EnsureVisible(target); });
    }
    AddTickedObjectRows();
}

void frmPromu::AddTickedObjectRows() {
    // The rows of every ticked object come back, not only the preselected one's: the list always
    // shows what the tree shows ticked, so a return to the window loses none of the user's choice.
    // One handling for the whole walk: words are translated once, bills read in one statement.
    WordScope scope(*this);
    std::optional<components::ScopedMetadataSnapshot> snapshot;
    const int32_t bills = tvList.IndexOf(kBill);
    for (int32_t group : tvList.Children(0)) {
        for (int32_t child : tvList.Children(group)) {
            if (!tvList.Node(child).checked) continue;
            if (group == bills && !snapshot) OpenBillSnapshot(snapshot);
            tvList_NodeCheck(child);
        }
    }
}

}  // namespace orva::dialogs
