#pragma once
// frmPromu: the publish dialog. The caller names a subsystem (m_lCurSubSystem) and either a
// business-object type (ClassType, a dictionary with FID and FBillTypeID) or a report (ReportID); the
// user ticks business objects of that subsystem in the tree tvList, whose functions appear in
// lvwFuncDetail; picks a place in the console catalogue (lstTopClass > lstSubSystem > lstSubFunc);
// collects functions with their place in the publish list lvwResult; and publishes the list into the
// catalogue with cmdOK. Nothing goes back to the caller; the user closes the dialog with cmdCancel.
//
// Use: create with std::make_shared; set m_lCurSubSystem and ClassType, or ReportName, ReportID and
// ReportType; ShowModal(); release. Loading builds the tree, creates the publish data and fills the
// target lists; activation (the first show, then Activate() whenever the user comes back to the
// window) preselects the caller's object.
//
// Tree: three group nodes, keys and tags "Base", "Bill", "Report", texts "基础资料", "业务单据",
// "业务报表" through TranslateText, image kImageClosed, no selected image; a group with children gets
// the expanded image kImageOpen and is expanded. Their children: the base-data types and the bill
// types (every type that is not base data) of "OrvaMeta.ClassCatalog" with FID >= 200000000 in the
// subsystem (keys "Base_Item_" + FID and "Bill_Item_" + FID, tag FID) and the subsystem's reports of
// "OrvaReports.ReportCatalog" (key "Report_Item" + FID, tag "CROSSRPT|", "NEWCROSSRPT|" or "SQLRPT|" +
// FID for FType 1000, 1002, anything else); text FName, image and selected image kImageLeaf, expanded.
// A group whose fill fails keeps the nodes added before. A user's expand or collapse of a group node
// sets its image and selected image to kImageOpen or kImageClosed.
//
// Function rows (lvwFuncDetail): a ticked object adds its functions, each row once (text = display
// name, tag = keyed entry of display name and parameter string), selected: base data "<name>-维护"
// with "Base|FID", a report "<name>-查询" with its tag, a bill one row per action of
// "OrvaBills.ActionCatalog" ("NewBill" when it has none): "mnuFileNew" goes to the bill form
// ("Bill|FID") when its FEnvironment has a bit of mask 39, else to the list ("List|FID") for mask 960;
// every other action the other way round; an action in neither place gets no row. Unticking removes
// the object's rows; unticking a bill removes every row whose parameter string ends in its FID
// (RemoveBillRows). Ticking a group ticks each of its objects. The rows are found through hash sets
// beside the list, so ticking a group of thousands costs time in proportion to their number.
//
// Target lists: keyed entries (display padded to 255 units, key = catalogue id) from the catalogue
// reader "OrvaData.CatalogReader", a new one per fill; every fill goes on past failures without a
// message (a record that cannot be read is left out). The top class named TranslateText("我的Orva")
// is never offered. Below the subsystem's sub-functions, each group node's text that no entry has
// (ignoring letter case) is proposed with key "0"; cmdModify (enabled while the current sub-function id
// is 0) renames the selected entry through frmInput, keeping its key, or, with none selected, adds the
// typed name with key "-1". A name equal to any entry's, ignoring letter case, shows
// "子功能名称重复，请重新录入！" and changes nothing.
//
// Publish list: cmdSet adds each selected function row with the current place as the row
// "[function] 发布到: [top.subsystem.sub-function]" and a selection entry (No, TopClass, SubSystem,
// SubFunc, FuncDetail) in the publish data; a row text already there is skipped. cmdDel removes the
// selected rows and their entries and selects the row now standing where the last selected one stood
// (the new last row when that is past the end). cmdOK publishes the publish data with
// BuildDeployPacket and the deployment engine under the hourglass and shows "发布对象成功！" or
// "发布对象失败！"; the list stays as it is and the dialog stays open. Every message has the title
// "Tarvo提示" and style 48.
//
// Decisions where the product leaves a choice:
// - The publish messages carry the engine's message list as details, one line each, so the user sees
//   what was created and what was refused as already present: "发布对象成功！" also follows a publish
//   in which every function was refused, because the engine counts a refusal as processed.
// - An error while the packet is built (a place whose key is no number) restores the pointer, shows
//   "发布对象失败！" with the error's description as details, and leaves the engine uncalled.
// - Missing publish data (the load ended before creating it) counts as empty: cmdOK shows
//   "请选择好发布对象及发布位置！", cmdSet creates it when it first adds.
// - A name typed while no sub-function is selected is added with key "-1" and selected, so it is the
//   target of the next cmdSet; with no entry selected the current sub-function is id 0 and "".
// - A click that finds no selected entry sets that level's current id to 0 and name to "".
// - A recordset that fails to tell its end or to move on ends its fill there, instead of reading the
//   same record forever.
// - An action whose display name cannot be made adds no row (a row without a name, or with the
//   previous action's, would publish a function nobody can recognise).
// - RemoveBillRows and the report preselection pass over a row or node whose parameter string does
//   not end in a number, rather than treating it as a match.
// - A report FType that is not a number counts as "any other" type (an SQL report).
// - Activation runs on the first show and on Activate(); closing a message box or frmInput is no
//   activation. Activation ticks the caller's object again and then rebuilds the rows of every ticked
//   object in the tree's order, so lvwFuncDetail always holds the functions of what the tree shows
//   ticked: cutting it back to the preselected object's rows alone would drop functions the user still
//   sees ticked.
// - A bill adds no rows when the action catalogue or the template service cannot be created.
// - cmdSet and cmdDel bring the last row added, or the row selected after a deletion, into view.
// - Esc presses cmdCancel; no button is the default, so Enter never publishes by accident.
//
// The controls of a frame are added to it (Control::Container) at frame-relative twips. By name:
// m_lCurSubSystem (get, let), ClassType (get, set), ReportID, ReportType, ReportName (let), Form_Activate
// (method), and the controls and form members of DialogModel.

#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "bag/Vector.h"
#include "dialogs/common/CaptionedControl.h"
#include "dialogs/common/DialogModel.h"
#include "dialogs/common/ListBox.h"
#include "dialogs/common/ListView.h"
#include "dialogs/common/TreeView.h"

namespace orva::components {
class ScopedMetadataSnapshot;
}

namespace orva::dialogs {

class frmPromu : public DialogModel {
public:
    static constexpr const char16_t* kName = u"frmPromu";
    // The tree's image names: a collapsed group, an expanded group, an object.
    static constexpr const char16_t* kImageClosed = u"closed";
    static constexpr const char16_t* kImageOpen = u"open";
    static constexpr const char16_t* kImageLeaf = u"leaf";

    explicit frmPromu(std::shared_ptr<UiServices> ui);

    // Set by the caller before the show.
    int32_t m_lCurSubSystem = 0;
    // The business-object type to preselect (an object answering Value("FID") and
    // Value("FBillTypeID")), or none for a report.
    automation::ObjectRef ClassType;
    int32_t ReportID = 0;
    // Kept for the caller; the dialog reads neither.
    automation::Text ReportType;
    automation::Text ReportName;

    // The current place: display text and id of the entries whose click ran last.
    automation::Text m_strTopClassName;
    int32_t m_lTopClassID = 0;
    automation::Text m_strSubSystemName;
    int32_t m_lSubSystemID = 0;
    automation::Text m_strSubFuncName;
    int32_t m_lSubFuncID = 0;

    // One selection entry per publish-list row, in the order of adding; created at load.
    components::VectorRef PublishData;

    // Controls, in tab order.
    Frame& framePub3;  // "framePub(3)", holds tvList
    TreeView& tvList;
    Frame& framePub0;  // "framePub(0)", holds the target lists, their labels and cmdModify
    Label& Label2;
    ListBox& lstTopClass;
    Label& Label3;
    ListBox& lstSubSystem;
    Label& Label4;
    Button& cmdModify;
    ListBox& lstSubFunc;
    Label& Label1;
    ListView& lvwFuncDetail;
    Button& cmdSet;
    Button& cmdDel;
    Button& cmdOK;
    Button& cmdCancel;
    ListView& lvwResult;

    // Target lists.
    void FillTopClasses();
    void FillSubSystems(int32_t topClassId);
    void FillSubFunctions(int32_t subSystemId);
    void lstTopClass_Click();
    void lstSubSystem_Click();
    void lstSubFunc_Click();
    void lstSubFunc_DblClick();
    void cmdModify_Click();
    void cmdCancel_Click();

    // Tree and function rows (node: an index of tvList).
    void BuildObjectTree();
    void tvList_Expand(int32_t node);
    void tvList_Collapse(int32_t node);
    void tvList_NodeCheck(int32_t node);
    // Appends a row for entry (a keyed entry of display name and parameter string), selected, unless a
    // row has that tag.
    void AddFunctionRow(const automation::Text& entry);
    // Removes the first row whose tag is entry, if any.
    void RemoveFunctionRow(const automation::Text& entry);
    // Removes every row whose parameter string ends in "|" + classTypeId.
    void RemoveBillRows(int32_t classTypeId);
    // Empties lvwFuncDetail, ticks the caller's object and adds the rows of every ticked object in the
    // tree's order, each row once (check marks of other objects stay, and so do their rows). Never
    // fails.
    void PreselectObject();
    void Form_Activate() override { PreselectObject(); }

    // Publish list and publishing.
    void cmdSet_Click();
    void cmdDel_Click();
    void cmdOK_Click();

    automation::Text TypeName() const override { return u"frmPromu"; }

protected:
    void Form_Load() override;
    std::optional<automation::Variant> InvokeOwn(automation::TextView name, automation::CallKind kind,
                                                 std::span<automation::Variant> args) override;

private:
    void SetCaptions();
    void FillGroup(int32_t group, const automation::Text& kind);
    // The class-type filter of a group's objects ("Base" or "Bill").
    automation::Text GroupFilter(const automation::Text& kind) const;
    void FillReports(int32_t group);
    void AddBillRows(int32_t node);
    // AddFunctionRow with the number its parameter string ends in, known to the caller.
    void AddFunctionRow(const automation::Text& entry, std::optional<int32_t> number);
    // The function entry of an object node: its display name and parameter string as a keyed entry.
    automation::Text ObjectEntry(int32_t node, const automation::Text& group) const;
    void RebuildRows(std::vector<ListViewItem> rows);
    // Adds the rows of every ticked object node, in the tree's order (PreselectObject).
    void AddTickedObjectRows();
    // Opens a snapshot of the bill group's templates and actions; left closed when it cannot be read.
    void OpenBillSnapshot(std::optional<components::ScopedMetadataSnapshot>& snapshot) const;
    class WordScope;
    // TranslateText of word, remembered while the outermost tvList_NodeCheck runs.
    const automation::Text& TranslateWord(const automation::Text& word);

    // The rows of lvwFuncDetail by their tags (RowKey of each tag), and how many rows end in each number
    // (RemoveBillRows skips the scan for a number without rows).
    std::unordered_set<automation::Text> m_rowTags;
    std::unordered_map<int32_t, int32_t> m_rowsPerNumber;
    // Words translated by the running check handling (TranslateWord), and how deep it is nested.
    std::unordered_map<automation::Text, automation::Text> m_words;
    int32_t m_checkDepth = 0;
    // "No" texts of the publish data.
    std::unordered_set<automation::Text> m_publishTexts;
};

}  // namespace orva::dialogs
