#include "dialogs/wizard/frmWizard.h"

#include <algorithm>
#include <array>

#include "account/CatalogContract.h"
#include "automation/ClassRegistry.h"
#include "automation/MemberTable.h"
#include "automation/PendingError.h"
#include "automation/TextHelpers.h"
#include "bag/SharedText.h"
#include "bag/TextFormatter.h"
#include "catalog/BillActionCatalog.h"
#include "catalog/RecordsetCursor.h"
#include "catalog/TemplateService.h"
#include "core/DeployPacket.h"
#include "core/KeyedEntry.h"
#include "core/PublishLine.h"
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

constexpr const char16_t* kHiddenTopClass = u"我的Orva";
constexpr const char16_t* kNoTopClass = u"请选择好发布目标系统！";
constexpr const char16_t* kNoSubSystem = u"请选择好发布目标子系统！";
constexpr const char16_t* kNoSubFunc = u"请选择好发布目标子功能模块！";
constexpr const char16_t* kNothingToPublish = u"请选择好发布对象及发布位置！";
constexpr const char16_t* kDuplicateSubFunc = u"子功能名称重复，请重新录入！";
constexpr const char16_t* kNewSubFuncKey = u"0";
// FEnvironment bits of the places in the bill form and in the bill list.
constexpr int32_t kBillFormMask = 39;
constexpr int32_t kBillListMask = 960;
// The list views' columns leave room for a vertical scroll bar.
constexpr int32_t kColumnMargin = 300;

using NameParts = std::array<Text, 3>;

// What a base-data type's and another type's one function does, in CHS, CHT and EN: fixed words of
// the functions' multi-language names, not looked up.
const NameParts kMaintenanceNames = {u"维护", u"維護", u"Maintenance"};
const NameParts kQueryNames = {u"查询", u"查詢", u"Query"};

// "m0-w0|m1-w1|m2-w2": a function's names in the three languages from its type's and its own.
Text JoinNames(const std::vector<Text>& typeNames, const NameParts& own) {
    return typeNames[0] + u"-" + own[0] + u"|" + typeNames[1] + u"-" + own[1] + u"|" + typeNames[2] + u"-" +
           own[2];
}

// A catalogue reader's recordset: through its typed interface when it is ours, by name when a host
// registered its own reader.
using Records = components::RecordsetCursor;

// One level's records as list entries (display = the name in the host's language, key = the id) and
// their "CHS|CHT|EN" names, each pair read whole so that the two stay parallel.
struct LevelRows {
    std::vector<Text> entries;
    std::vector<Text> names;

    void Read(const CatalogLevel& level, Records& records, automation::TextView hiddenName = {}) {
        for (; !records.AtEnd(); records.MoveNext()) {
            Text display = records.Field(level.nameField).ToText();
            if (!hiddenName.empty() && display == hiddenName) continue;
            Text key = records.Field(level.idField).ToText();
            Text joined;
            for (components::CatalogLanguage language : components::kCatalogLanguages) {
                if (language != components::CatalogLanguage::CHS) joined += u"|";
                joined += records.Field(components::LanguageField(level.nameField, language)).ToText();
            }
            entries.push_back(ComposeKeyedEntry(std::move(display), std::move(key)));
            names.push_back(std::move(joined));
        }
    }
};

// Selecting the first entry of a fill runs its Click as part of the fill: a failure there (a key that is
// no number) ends the fill silently, as a failing read does.
void SelectFirst(ListBox& list) {
    automation::TrapAndEnd([&] { list.SetListIndex(0); });
}

// The reader's records of one level under parent (none for top classes), or nothing when the reader
// answers no recordset.
ObjectRef ListLevel(const CatalogLevel& level, std::optional<int32_t> parent) {
    ObjectRef reader = automation::CreateObject(components::kCatalogReaderProgId);
    Variant answer = parent ? automation::CallMethod(reader, level.listMember, {*parent})
                            : automation::CallMethod(reader, level.listMember);
    return answer.IsObject() ? answer.ToObject() : nullptr;
}

// The host's language as the function names read it, upper-cased ("CHS" until one is known): a host
// that publishes "en" reads the English names and the field "FName_EN" like one that publishes "EN".
Text LanguageNow() {
    Text language = automation::UCase(hostctx::CurrentLanguage());
    return language.empty() ? Text(u"CHS") : language;
}

size_t LanguagePart(const Text& language) {
    if (language == u"CHT") return 1;
    if (language == u"EN") return 2;
    return 0;
}

// The three language parts of a "CHS|CHT|EN" name; a missing part is the first one (a name typed
// once stands for every language).
NameParts SplitNames(const Text& joined) {
    std::vector<Text> parts = automation::Split(joined, u"|");
    NameParts result;
    for (size_t k = 0; k < result.size(); ++k) {
        result[k] = k < parts.size() ? parts[k] : (parts.empty() ? Text() : parts[0]);
    }
    return result;
}

Text NamesAt(const std::vector<Text>& names, int32_t index) {
    return index >= 0 && static_cast<size_t>(index) < names.size() ? names[static_cast<size_t>(index)]
                                                                   : Text();
}

Text FuncItemKey(const Text& text, const Text& tag) {
    return automation::Int32ToText(static_cast<int32_t>(text.size())) + u":" + text + tag;
}

}  // namespace

frmWizard::frmWizard(std::shared_ptr<UiServices> ui)
    : DialogModel(kName, 8505, 6840, std::move(ui)),
      cmdOK(AddControl<Button>(u"cmdOK", {5850, 4275, 1215, 300}, true, false)),
      cmdCancel(AddControl<Button>(u"cmdCancel", {7110, 4275, 1215, 300}, false, true)),
      Frame0(AddControl<Frame>(u"Frame(0)", {75, 75, 8370, 4080})),
      lstTopClass(AddControlIn<ListBox>(Frame0, u"lstTopClass", {4035, 510, 4245, 960})),
      lstSubSystem(AddControlIn<ListBox>(Frame0, u"lstSubSystem", {4020, 1740, 4245, 960})),
      lstSubFunc(AddControlIn<ListBox>(Frame0, u"lstSubFunc", {4020, 3030, 4245, 960})),
      Label4(AddControlIn<Label>(Frame0, u"Label4", {4035, 2820, 4050, 180})),
      Label3(AddControlIn<Label>(Frame0, u"Label3", {4035, 1545, 4050, 180})),
      Label2(AddControlIn<Label>(Frame0, u"Label2", {4035, 315, 4050, 180})),
      cmdDel(AddControl<Button>(u"cmdDel", {4305, 4275, 1320, 300})),
      cmdSet(AddControl<Button>(u"cmdSet", {3045, 4275, 1215, 300})),
      cmdModify(AddControlIn<Button>(Frame0, u"cmdModify", {6780, 2730, 1470, 285})),
      lvwResult(AddControl<ListView>(u"lvwResult", {45, 4635, 8400, 2160})),
      lvwFuncDetail(AddControlIn<ListView>(Frame0, u"lvwFuncDetail", {90, 270, 3855, 3735})) {
    // The design texts, until the captions are set at load.
    SetCaption(u"功能发布");
    Frame0.SetCaption(u"功能列表");
    Label2.SetCaption(u"发布的目标系统：");
    Label3.SetCaption(u"发布的目标子系统：");
    Label4.SetCaption(u"发布的目标子功能模块：");
    cmdModify.SetCaption(u"修改名称(&M) ↓");
    cmdSet.SetCaption(u"添加(&A) ↓");
    cmdDel.SetCaption(u"删除(&R) ↑");
    cmdOK.SetCaption(u"确认(&F)");
    cmdCancel.SetCaption(u"取消(&C)");

    cmdOK.Click = [this] { cmdOK_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
    cmdSet.Click = [this] { cmdSet_Click(); };
    cmdDel.Click = [this] { cmdDel_Click(); };
    cmdModify.Click = [this] { cmdModify_Click(); };
    lstTopClass.Click = [this] { lstTopClass_Click(); };
    lstSubSystem.Click = [this] { lstSubSystem_Click(); };
    lstSubFunc.Click = [this] { lstSubFunc_Click(); };
    lstSubFunc.DblClick = [this] { lstSubFunc_DblClick(); };
}

void frmWizard::Form_Load() {
    hostctx::ApplyFormFont(weak_from_this().lock());
    lvwFuncDetail.ClearColumns();
    lvwFuncDetail.AddColumn(u"功能列表", lvwFuncDetail.Position().width - kColumnMargin);
    lvwResult.ClearColumns();
    lvwResult.AddColumn(u"发布列表", lvwResult.Position().width - kColumnMargin);
    SetCaptions();
    for (components::VectorRef* list :
         {&PromulgateList, &PromulgateListCHS, &PromulgateListCHT, &PromulgateListEN}) {
        if (!*list) *list = components::Vector::Create();
    }
    FillFunctionList();
    FillTopClasses();
    FillPublishList();
}

void frmWizard::SetCaptions() {
    // Skip mode: a caption that cannot be set keeps its design text and the next one is set.
    const auto set = [](auto&& step) { automation::RunSkipping(step); };
    set([&] { SetCaption(hostctx::TranslateText(u"功能发布")); });
    set([&] { cmdSet.SetCaption(hostctx::TranslateText(u"添加(&A) ↓")); });
    set([&] { cmdDel.SetCaption(hostctx::TranslateText(u"删除(&R) ↑")); });
    set([&] { cmdModify.SetCaption(hostctx::TranslateText(u"修改名称(&M) ↓")); });
    set([&] { SetColumnText(lvwResult, hostctx::TranslateText(u"发布列表")); });
    set([&] { Frame0.SetCaption(hostctx::TranslateText(u"功能列表")); });
    set([&] { Label2.SetCaption(hostctx::TranslateText(u"发布的目标系统：")); });
    set([&] { Label3.SetCaption(hostctx::TranslateText(u"发布的目标子系统：")); });
    set([&] { Label4.SetCaption(hostctx::TranslateText(u"发布的目标子功能模块：")); });
    set([&] { SetColumnText(lvwFuncDetail, hostctx::TranslateText(u"将要发布的功能：")); });
    set([&] { cmdCancel.SetCaption(hostctx::TranslateText(u"取消(&C)")); });
    set([&] { cmdOK.SetCaption(hostctx::TranslateText(u"确认(&F)")); });
}

void frmWizard::SetColumnText(ListView& view, const Text& text) {
    if (view.Columns().empty())
        automation::Raise(automation::errors::kSubscriptOutOfRange, view.Name() + u" has no column");
    const int32_t width = view.Columns().front().width;
    view.ClearColumns();
    view.AddColumn(text, width);
}

// ---- Target lists -------------------------------------------------------------------------------

void frmWizard::FillTopClasses() {
    LevelRows rows;
    bool cleared = false;
    // Trap and end: a failing reader ends the fill silently; the entries read before stay.
    const bool complete = automation::TrapAndEnd([&] {
        ObjectRef records = ListLevel(components::kTopClassLevel, std::nullopt);
        if (!records) return;
        Records reading(records);
        lstTopClass.Clear();
        m_vecTopClassNames.clear();
        cleared = true;
        rows.Read(components::kTopClassLevel, reading, hostctx::TranslateText(kHiddenTopClass));
        reading.Close();
    });
    if (!cleared) return;
    lstTopClass.AddItems(std::move(rows.entries));
    m_vecTopClassNames.insert(m_vecTopClassNames.end(), rows.names.begin(), rows.names.end());
    if (complete && lstTopClass.ListCount() > 0) SelectFirst(lstTopClass);
}

void frmWizard::FillSubSystems(int32_t topClassId) {
    LevelRows rows;
    bool cleared = false;
    // Trap and end, as FillTopClasses.
    const bool complete = automation::TrapAndEnd([&] {
        ObjectRef records = ListLevel(components::kSubSystemLevel, topClassId);
        Records reading(records);
        lstSubSystem.Clear();
        m_vecSubSystemNames.clear();
        cleared = true;
        rows.Read(components::kSubSystemLevel, reading);
        reading.Close();
    });
    if (!cleared) return;
    lstSubSystem.AddItems(std::move(rows.entries));
    m_vecSubSystemNames.insert(m_vecSubSystemNames.end(), rows.names.begin(), rows.names.end());
    if (complete && lstSubSystem.ListCount() > 0) SelectFirst(lstSubSystem);
}

void frmWizard::FillSubFunctions(int32_t subSystemId) {
    LevelRows rows;
    bool cleared = false;
    // Trap and end, as FillTopClasses; a chosen type that cannot be read ends it too.
    const bool complete = automation::TrapAndEnd([&] {
        ObjectRef records = ListLevel(components::kSubFuncLevel, subSystemId);
        Records reading(records);
        lstSubFunc.Clear();
        m_vecSubFuncNames.clear();
        cleared = true;
        rows.Read(components::kSubFuncLevel, reading);
        reading.Close();
        if (!SelectClasses) return;
        // Trimmed, upper-cased display texts of the entries so far: one proposal per name, none for a
        // name the catalogue already has, without a scan of the list per chosen type. A list shows its
        // entries trimmed, so names that differ only by surrounding blanks are one sub-function.
        std::unordered_set<Text> taken;
        for (const Text& entry : rows.entries)
            taken.insert(automation::UCase(core::KeyedEntryDisplay(entry)));
        for (const Variant& item : *SelectClasses) {
            components::DictionaryRef type = components::AsDictionary(item);
            Text name = type->Value(u"FName").ToText();
            Text names = type->Value(u"FMName").ToText();
            if (!taken.insert(automation::UCase(automation::Trim(name))).second) continue;
            rows.entries.push_back(ComposeKeyedEntry(std::move(name), kNewSubFuncKey));
            rows.names.push_back(std::move(names));
        }
    });
    if (!cleared) return;
    lstSubFunc.AddItems(std::move(rows.entries));
    m_vecSubFuncNames.insert(m_vecSubFuncNames.end(), rows.names.begin(), rows.names.end());
    if (complete && lstSubFunc.ListCount() > 0) SelectFirst(lstSubFunc);
}

void frmWizard::lstTopClass_Click() {
    ReadSelectedPlace(lstTopClass, m_lTopClassID, m_strTopClassName);
    FillSubSystems(m_lTopClassID);
}

void frmWizard::lstSubSystem_Click() {
    ReadSelectedPlace(lstSubSystem, m_lSubSystemID, m_strSubSystemName);
    FillSubFunctions(m_lSubSystemID);
}

void frmWizard::lstSubFunc_Click() {
    ReadSelectedPlace(lstSubFunc, m_lSubFuncID, m_strSubFuncName);
    // A sub-function of the catalogue keeps its name; only a new one may be (re)named.
    cmdModify.SetEnabled(m_lSubFuncID == 0);
}

void frmWizard::lstSubFunc_DblClick() {
    ReadSelectedPlace(lstSubFunc, m_lSubFuncID, m_strSubFuncName);
    if (cmdModify.Enabled()) cmdModify_Click();
}

void frmWizard::cmdModify_Click() {
    const int32_t selected = lstSubFunc.ListIndex();
    const Text current = selected >= 0 ? lstSubFunc.DisplayText(selected) : Text();
    auto input = std::make_shared<frmInput>(UiPtr());
    input->m_strText = current;
    input->ShowModal();
    if (!input->bOK || input->m_strText.empty()) return;
    const Text name = input->m_strText;
    if (name == current) return;
    // The selected entry takes part: a new spelling of the same name in other letter case is refused.
    for (int32_t i = 0; i < lstSubFunc.ListCount(); ++i) {
        if (automation::EqualsNoCase(lstSubFunc.DisplayText(i), name)) {
            ShowWarning(kDuplicateSubFunc);
            return;
        }
    }
    const Text names = name + u"|" + name + u"|" + name;
    if (selected < 0) {
        // Added without being selected: the user picks the new target, as from any other list.
        lstSubFunc.AddItem(ComposeKeyedEntry(name, kNewSubFuncKey));
        m_vecSubFuncNames.push_back(names);
    } else {
        lstSubFunc.SetItem(selected, ComposeKeyedEntry(name, lstSubFunc.Key(selected)));
        m_vecSubFuncNames[static_cast<size_t>(selected)] = names;
    }
    lstSubFunc_Click();
}

// ---- Function list ------------------------------------------------------------------------------

bool frmWizard::AddFunctionItem(const Text& entry) {
    Text text = core::KeyedEntryDisplay(entry);
    Text tag = core::KeyedEntryKey(entry);
    if (!m_funcItemKeys.insert(FuncItemKey(text, tag)).second) return false;
    const int32_t index = lvwFuncDetail.AddItem(std::move(text), std::move(tag));
    lvwFuncDetail.SetSelected(index, true);
    return true;
}

void frmWizard::FillFunctionList() {
    if (!SelectClasses) return;
    const Text language = LanguageNow();
    const size_t part = LanguagePart(language);
    const Text nameField = u"FName_" + language;
    const auto add = [&](const Text& display, const Text& key, Text names) {
        if (AddFunctionItem(ComposeKeyedEntry(display, key))) m_vecFuncNames.push_back(std::move(names));
    };
    // The texts every function name is made of are looked up once per fill, not once per type.
    const Text namePattern = hostctx::TranslateText(u"%1-%2");
    const Text maintenance = hostctx::TranslateText(u"维护");
    const Text query = hostctx::TranslateText(u"查询");
    const components::TextFormatter formatter;
    const auto functionName = [&](const Text& typeName, const Variant& own) {
        return formatter.Format(namePattern, std::vector<Variant>{typeName, own});
    };
    // Trap and end: a component or a type that fails ends the list silently; earlier items stay.
    automation::TrapAndEnd([&] {
        ObjectRef actions = automation::CreateObject(components::BillActionCatalog::kProgId);
        for (const Variant& item : *SelectClasses) {
            components::DictionaryRef type = components::AsDictionary(item);
            const Text joined = type->Value(u"FMName").ToText();
            const std::vector<Text> m = automation::Split(joined, u"|");
            if (m.size() < 3) {
                automation::Raise(automation::errors::kInvalidCall,
                                  u"FMName \"" + joined + u"\" has fewer than three names");
            }
            const Text& name = m[part];
            const Variant fid = type->Value(u"FID");
            const Text fidText = fid.ToText();
            const int32_t billType = type->Value(u"FBillTypeID").ToInt32();
            if (billType == 1) {
                add(functionName(name, maintenance), u"Base|" + fidText, JoinNames(m, kMaintenanceNames));
            } else if (billType == 4) {
                automation::LetProperty(actions, u"ClassTypeID", fid);
                ObjectRef service = automation::CreateObject(components::TemplateService::kProgId);
                automation::LetProperty(service, u"ClassTypeID", fid);
                automation::SetProperty(actions, u"ClassType",
                                        automation::GetProperty(service, u"ClassType").ToObject());
                automation::CallMethod(actions, u"Initialize");
                components::DictionaryRef list =
                    components::AsDictionary(automation::CallMethod(actions, u"GetBillActions"));
                if (list->Count() == 0) automation::CallMethod(actions, u"NewBill");
                list = components::AsDictionary(automation::CallMethod(actions, u"GetBillActions"));
                for (int32_t i = 1; i <= list->Count(); ++i) {
                    const Text& key = list->Key(i);
                    ObjectRef action = list->Value(key).ToObject();
                    const auto field = [&](const Text& f) {
                        return automation::GetProperty(action, u"Item", {f});
                    };
                    const Text display = functionName(name, field(nameField));
                    const Text names =
                        JoinNames(m, {field(u"FName_CHS").ToText(), field(u"FName_CHT").ToText(),
                                      field(u"FName_EN").ToText()});
                    const int32_t environment = field(u"FEnvironment").ToInt32();
                    const bool form = (environment & kBillFormMask) != 0;
                    const bool listPlace = (environment & kBillListMask) != 0;
                    // "mnuFileNew" enters a new bill, so it prefers the bill form; the others the list.
                    const bool preferForm = key == u"mnuFileNew";
                    const Text* prefix = nullptr;
                    static const Text kBill = u"Bill|";
                    static const Text kList = u"List|";
                    if (preferForm)
                        prefix = form ? &kBill : (listPlace ? &kList : nullptr);
                    else
                        prefix = listPlace ? &kList : (form ? &kBill : nullptr);
                    if (prefix) add(display, *prefix + fidText, names);
                }
            } else {
                add(functionName(name, query), fidText, JoinNames(m, kQueryNames));
            }
        }
    });
}

// ---- Publish list -------------------------------------------------------------------------------

void frmWizard::FillPublishList() {
    std::vector<ListViewItem> lines;
    lines.reserve(static_cast<size_t>(PromulgateList->Count()));
    for (const Variant& entry : *PromulgateList) {
        Text no = SelectionEntryText(entry);
        ++m_publishTexts[no];
        lines.push_back({std::move(no), {}, false});
    }
    if (lines.empty()) return;
    lines.front().selected = true;
    lvwResult.AddItems(std::move(lines));
}

void frmWizard::AddToPublishList() {
    const std::pair<const ListBox*, const char16_t*> required[] = {
        {&lstTopClass, kNoTopClass}, {&lstSubSystem, kNoSubSystem}, {&lstSubFunc, kNoSubFunc}};
    for (const auto& [list, message] : required) {
        if (list->ListIndex() < 0) {
            ShowWarning(message);
            return;
        }
    }
    const std::vector<int32_t> selected = lvwFuncDetail.SelectedIndexes();
    // Nothing to place: no lookups either, so a missing string loader cannot fail the press.
    if (selected.empty()) return;
    const int32_t top = lstTopClass.ListIndex();
    const int32_t sub = lstSubSystem.ListIndex();
    const int32_t func = lstSubFunc.ListIndex();
    const NameParts t = SplitNames(NamesAt(m_vecTopClassNames, top));
    const NameParts s = SplitNames(NamesAt(m_vecSubSystemNames, sub));
    const NameParts u = SplitNames(NamesAt(m_vecSubFuncNames, func));
    const Text topKey = lstTopClass.Key(top);
    const Text subKey = lstSubSystem.Key(sub);
    const Text funcKey = lstSubFunc.Key(func);
    const components::VectorRef languageLists[] = {PromulgateListCHS, PromulgateListCHT, PromulgateListEN};
    // The patterns are looked up once per press, not once per line. A language whose pattern the string
    // loader cannot give (it cannot be created) gets the pattern as written, as TranslateText gives the
    // host's own: the press still writes every line to all four lists, never to some of them.
    const Text pattern = hostctx::TranslateText(core::kPublishLinePattern);
    const NameParts languagePatterns = core::PublishLinePatterns();
    const components::TextFormatter formatter;

    // The target's entries are the same on every line of the press: made once and shared by the lines,
    // held without their filling blanks as every entry of the four lists is.
    const Variant currentTop = core::KeyedEntryValue(lstTopClass.List(top));
    const Variant currentSub = core::KeyedEntryValue(lstSubSystem.List(sub));
    const Variant currentFunc = core::KeyedEntryValue(lstSubFunc.List(func));
    std::array<Variant, 3> topEntries, subEntries, funcEntries;
    for (size_t k = 0; k < languagePatterns.size(); ++k) {
        topEntries[k] = core::KeyedEntryValue(t[k], topKey);
        subEntries[k] = core::KeyedEntryValue(s[k], subKey);
        funcEntries[k] = core::KeyedEntryValue(u[k], funcKey);
    }

    // The formatters' arguments: the target's names stay, the function's name (first) changes per line.
    std::vector<Variant> lineArgs{Variant(), m_strTopClassName, m_strSubSystemName, m_strSubFuncName};
    std::array<std::vector<Variant>, 3> languageArgs;
    for (size_t k = 0; k < languageArgs.size(); ++k) languageArgs[k] = {Variant(), t[k], s[k], u[k]};

    m_publishTexts.reserve(m_publishTexts.size() + selected.size());
    std::vector<ListViewItem> added;
    for (int32_t i : selected) {
        const ListViewItem& item = lvwFuncDetail.Item(i);
        lineArgs[0] = item.text;
        Text line = formatter.Format(pattern, lineArgs);
        if (m_publishTexts.contains(line)) continue;
        // All four entries are made before any list takes one, so the lists stay in step.
        NameParts f = SplitNames(NamesAt(m_vecFuncNames, i - 1));
        std::array<components::DictionaryRef, 3> languageEntries;
        for (size_t k = 0; k < languagePatterns.size(); ++k) {
            Variant detail = core::KeyedEntryValue(f[k], item.tag);
            languageArgs[k][0] = std::move(f[k]);
            Text no = formatter.Format(languagePatterns[k], languageArgs[k]);
            languageEntries[k] = SelectionEntry(std::move(no), topEntries[k], subEntries[k], funcEntries[k],
                                                std::move(detail));
        }
        PromulgateList->Add(SelectionEntry(line, currentTop, currentSub, currentFunc,
                                           core::KeyedEntryValue(item.text, item.tag)));
        for (size_t k = 0; k < languageEntries.size(); ++k)
            languageLists[k]->Add(std::move(languageEntries[k]));
        m_publishTexts.emplace(line, 1);
        added.push_back({std::move(line), {}, true});
    }
    if (added.empty()) return;
    lvwResult.AddItems(std::move(added));
    // The new lines go below the last; the list shows the last of them.
    lvwResult.EnsureVisible(lvwResult.Count());
}

void frmWizard::cmdDel_Click() {
    const std::vector<int32_t> selected = lvwResult.SelectedIndexes();
    if (selected.empty()) return;
    RemoveLines(selected);
    const int32_t noted = selected.back();
    std::vector<ListViewItem> kept;
    kept.reserve(static_cast<size_t>(lvwResult.Count()) - selected.size());
    for (int32_t i = 1, next = 0; i <= lvwResult.Count(); ++i) {
        if (static_cast<size_t>(next) < selected.size() && selected[static_cast<size_t>(next)] == i) {
            ++next;
            continue;
        }
        kept.push_back(lvwResult.Item(i));
    }
    ChangeBatch batch(Hub());
    lvwResult.Clear();
    lvwResult.AddItems(std::move(kept));
    if (lvwResult.Count() == 0) return;
    const int32_t next = std::min(noted, lvwResult.Count());
    lvwResult.SetSelected(next, true);
    lvwResult.EnsureVisible(next);
}

void frmWizard::RemoveLines(const std::vector<int32_t>& lines) {
    // Each deleted line removes the first entry still standing with its text: together, the first n
    // entries of a text that n deleted lines show. One pass marks them all.
    std::unordered_map<Text, int32_t> wanted;
    for (int32_t line : lines) ++wanted[lvwResult.Item(line).text];
    std::vector<bool> removed(static_cast<size_t>(PromulgateList->Count()), false);
    bool any = false;
    for (int32_t position = 1; position <= PromulgateList->Count(); ++position) {
        auto it = wanted.find(SelectionEntryText(PromulgateList->Item(position)));
        if (it == wanted.end() || it->second == 0) continue;
        --it->second;
        removed[static_cast<size_t>(position - 1)] = true;
        any = true;
        auto count = m_publishTexts.find(it->first);
        if (count != m_publishTexts.end() && --count->second == 0) m_publishTexts.erase(count);
    }
    if (!any) return;
    for (const components::VectorRef& list :
         {PromulgateList, PromulgateListCHS, PromulgateListCHT, PromulgateListEN}) {
        std::vector<Variant> kept;
        kept.reserve(static_cast<size_t>(list->Count()));
        int32_t position = 0;
        for (const Variant& entry : *list) {
            if (static_cast<size_t>(position) >= removed.size() || !removed[static_cast<size_t>(position)]) {
                kept.push_back(entry);
            }
            ++position;
        }
        list->Clear();
        list->Reserve(kept.size());
        for (Variant& entry : kept) list->Add(std::move(entry));
    }
}

// ---- Confirm, cancel, packet set ----------------------------------------------------------------

void frmWizard::cmdOK_Click() {
    if (PromulgateList && PromulgateList->Count() > 0) {
        bOK = true;
        Hide();
    } else {
        ShowWarning(kNothingToPublish);
    }
}

void frmWizard::cmdCancel_Click() {
    bOK = false;
    Hide();
}

components::DictionaryRef frmWizard::CreateDeployPacket() const {
    const components::VectorRef lists[] = {PromulgateListCHS, PromulgateListCHT, PromulgateListEN};
    const components::Vector empty;
    components::VectorRef packets[std::size(lists)];
    for (size_t k = 0; k < std::size(lists); ++k)
        packets[k] = core::BuildDeployPacket(lists[k] ? *lists[k] : empty);
    components::DictionaryRef set = components::Dictionary::Create();
    for (size_t k = 0; k < std::size(lists); ++k) set->SetValue(core::kPacketLanguages[k], packets[k]);
    return set;
}

std::optional<Variant> frmWizard::InvokeOwn(automation::TextView name, automation::CallKind kind, Args args) {
    using Wizard = frmWizard;
    static constexpr Member<Wizard> kMembers[] = {
        {.name = u"bOK", .call = [](Wizard& w, Args) -> Variant { return w.bOK; }},
        {.name = u"bOK",
         .kinds = automation::kAssign,
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](Wizard& w, Args a) -> Variant {
             w.bOK = a[0].ToBool();
             return {};
         }},
        {.name = u"SelectClasses",
         .kinds = automation::kAssign,
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](Wizard& w, Args a) -> Variant {
             w.SelectClasses = components::AsVector(a[0]);
             return {};
         }},
        {.name = u"PromulgateList",
         .kinds = automation::kAssign,
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](Wizard& w, Args a) -> Variant {
             w.PromulgateList = components::AsVector(a[0]);
             return {};
         }},
        {.name = u"PromulgateListCHS",
         .kinds = automation::kAssign,
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](Wizard& w, Args a) -> Variant {
             w.PromulgateListCHS = components::AsVector(a[0]);
             return {};
         }},
        {.name = u"PromulgateListCHT",
         .kinds = automation::kAssign,
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](Wizard& w, Args a) -> Variant {
             w.PromulgateListCHT = components::AsVector(a[0]);
             return {};
         }},
        {.name = u"PromulgateListEN",
         .kinds = automation::kAssign,
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](Wizard& w, Args a) -> Variant {
             w.PromulgateListEN = components::AsVector(a[0]);
             return {};
         }},
        {.name = u"CreateDeployPacket",
         .call = [](Wizard& w, Args) -> Variant { return w.CreateDeployPacket(); }},
    };
    return automation::TryInvokeMember(*this, kMembers, name, kind, args);
}

}  // namespace orva::dialogs
