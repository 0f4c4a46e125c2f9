#pragma once
// frmWizard: the deployment wizard. The caller hands in the business-object types the user chose
// (SelectClasses) and, when the wizard is opened again on an earlier result, that result's selection
// entries; the user pairs functions made from the types (lvwFuncDetail) with a place in the console
// catalogue (lstTopClass > lstSubSystem > lstSubFunc) into publish lines (lvwResult); confirming hands
// back one deployment packet per language (CreateDeployPacket).
//
// Use: create with std::make_shared; set SelectClasses; for an earlier result set PromulgateListCHS,
// PromulgateListCHT, PromulgateListEN and PromulgateList (a Copy of the current language's list);
// ShowModal(); read bOK; when true call CreateDeployPacket; release the dialog.
//
// Every publish line exists four times, at the same position in PromulgateList (current language: what
// lvwResult shows, what duplicates and deletion compare by) and in the three language lists (what
// leaves the dialog). The wizard appends to and removes from the caller's very vectors, so the lines
// outlive the dialog, also after a cancel. Lines compare by their "No" text; a line whose text is
// already in PromulgateList is never added again. The wizard keeps those texts in a hash set beside the
// list, and the function items' (text, tag) pairs and the sub-function names likewise, so loading and
// adding thousands of lines costs time in proportion to their number. The lines' keyed entries are held
// without their filling blanks (core::KeyedEntryValue) and a press shares its target's entries among its
// lines: they read as the padded texts, at a tenth of the memory.
//
// Target lists: each list box holds keyed list entries (display padded to 255 units, hidden key = the
// catalogue id, "0" for a sub-function that deployment creates); beside each a names vector holds the
// thing's names "CHS|CHT|EN" (element k belongs to entry k). The catalogue reader "OrvaData.CatalogReader"
// is created for each fill; a failing fill ends silently, keeps what it added and refills nothing
// further down. The top class named TranslateText("我的Orva") is never offered. Below the catalogue's
// sub-functions, each chosen type whose FName no entry has (ignoring letter case) is proposed as a new
// sub-function. cmdModify (enabled only on a new sub-function) names it through frmInput; a name equal
// to any entry's, ignoring letter case, shows "子功能名称重复，请重新录入！" and changes nothing.
//
// Function list: per chosen type, base data (FBillTypeID 1) gives "<name>-维护" with key "Base|FID", a
// bill (4) one function per action of "OrvaBills.ActionCatalog" ("Bill|FID" for actions placed in the
// bill form, mask 39, "List|FID" for those in the bill list, mask 960; "mnuFileNew" prefers the bill
// form, every other action the list; an action in neither is not offered), any other type "<name>-查询"
// with key FID. Equal (text, key) pairs give one item. Every item starts selected. A failing component
// or a type whose FMName has fewer than three parts ends the fill silently; earlier items stay.
//
// Decisions where the product leaves a choice:
// - Both list views allow several selected items; cmdSet and cmdDel act on all selected items.
// - A sub-function named while lstSubFunc has no selected entry is added unselected, and the click
//   that follows runs with no selected entry: it sets m_lSubFuncID to 0, m_strSubFuncName to "" and
//   enables cmdModify (a new name may be typed); the user then selects the target.
// - A multi-language name with fewer than three parts (only a caller's FMName brings one into
//   lstSubFunc) gives its first part for the missing languages, as a typed name stands for all three;
//   parts after the third are ignored.
// - cmdDel removes an entry position from each of the four lists that is long enough to have it, so a
//   caller's lists of unequal length do not stop the deletion halfway.
// - CreateDeployPacket treats a list that was never set (the dialog was not loaded) as empty.
// - cmdSet with no function selected ends after the target checks, before any lookup. A language whose
//   line pattern the string loader cannot give (none can be created) gets the pattern as written, as
//   TranslateText does for the host's language; a line's four entries are all made before any list
//   takes one, so the lists stay in step and the press never ends the dialog with an error.
// - Proposals compare the chosen types' names trimmed, as the list shows them: " Quote " and "quote"
//   give one proposal.
// - The current language is upper-cased where the function list reads it: a host publishing "en" gets
//   the English names.
// - cmdSet and cmdDel bring the last line added, or the line selected after a deletion, into view.
// - A catalogue record is read whole (name, id, three names) before its entry and its names are added,
//   so a failing read never leaves an entry without its names. Selecting the first entry belongs to
//   the fill: a Click that fails there (a key that is no number) ends the fill silently too.
//
// By name: bOK (get, let), SelectClasses, PromulgateList, PromulgateListCHS, PromulgateListCHT,
// PromulgateListEN (set), CreateDeployPacket (method), and the controls and form members of
// DialogModel.

#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "bag/Dictionary.h"
#include "bag/Vector.h"
#include "dialogs/common/CaptionedControl.h"
#include "dialogs/common/DialogModel.h"
#include "dialogs/common/ListBox.h"
#include "dialogs/common/ListView.h"

namespace orva::dialogs {

class frmWizard : public DialogModel {
public:
    static constexpr const char16_t* kName = u"frmWizard";

    explicit frmWizard(std::shared_ptr<UiServices> ui);

    // True only after cmdOK accepted a non-empty publish list.
    bool bOK = false;
    // The chosen types: a vector of dictionaries with FName, FMName ("CHS|CHT|EN"), FBillTypeID, FID.
    components::VectorRef SelectClasses;
    // The publish lines' selection entries; set by the caller before the show, else created empty at
    // load. Owned by the caller: the wizard changes these very vectors.
    components::VectorRef PromulgateList;
    components::VectorRef PromulgateListCHS;
    components::VectorRef PromulgateListCHT;
    components::VectorRef PromulgateListEN;

    // The current target: display text and id of the entries whose click ran last.
    automation::Text m_strTopClassName;
    int32_t m_lTopClassID = 0;
    automation::Text m_strSubSystemName;
    int32_t m_lSubSystemID = 0;
    automation::Text m_strSubFuncName;
    int32_t m_lSubFuncID = 0;

    // "CHS|CHT|EN" names beside the lists: element k belongs to entry (item) k of the list (the product
    // counts these vectors from 1, item k + 1).
    std::vector<automation::Text> m_vecTopClassNames;
    std::vector<automation::Text> m_vecSubSystemNames;
    std::vector<automation::Text> m_vecSubFuncNames;
    std::vector<automation::Text> m_vecFuncNames;

    // Controls, declared in tab order. Controls inside Frame(0) are placed relative to the frame.
    Button& cmdOK;
    Button& cmdCancel;
    Frame& Frame0;  // "Frame(0)"
    ListBox& lstTopClass;
    ListBox& lstSubSystem;
    ListBox& lstSubFunc;
    Label& Label4;
    Label& Label3;
    Label& Label2;
    Button& cmdDel;
    Button& cmdSet;
    Button& cmdModify;
    ListView& lvwResult;
    ListView& lvwFuncDetail;

    // The packet set: a new dictionary "CHS", "CHT", "EN" (in this order) holding BuildDeployPacket of
    // each language list. Raises what BuildDeployPacket raises; then no packet set is made.
    components::DictionaryRef CreateDeployPacket() const;

    // Target lists.
    void FillTopClasses();
    void FillSubSystems(int32_t topClassId);
    void FillSubFunctions(int32_t subSystemId);
    void lstTopClass_Click();
    void lstSubSystem_Click();
    void lstSubFunc_Click();
    void lstSubFunc_DblClick();
    void cmdModify_Click();

    // Function list and publish list.
    void FillFunctionList();
    // Adds the item (display, key) of a keyed list entry, selected, unless an item has that text and tag.
    // Returns whether it added one.
    bool AddFunctionItem(const automation::Text& entry);
    void FillPublishList();
    // cmdSet: each selected function under the current target, as four selection entries.
    void AddToPublishList();
    void cmdSet_Click() { AddToPublishList(); }
    void cmdDel_Click();

    void cmdOK_Click();
    void cmdCancel_Click();

    automation::Text TypeName() const override { return u"frmWizard"; }

protected:
    void Form_Load() override;
    std::optional<automation::Variant> InvokeOwn(automation::TextView name, automation::CallKind kind,
                                                 std::span<automation::Variant> args) override;

private:
    void SetCaptions();
    void SetColumnText(ListView& view, const automation::Text& text);
    void RemoveLines(const std::vector<int32_t>& lines);

    // "No" texts of PromulgateList, with how often each stands there.
    std::unordered_map<automation::Text, int32_t> m_publishTexts;
    // (text, tag) of the function items, joined by a separator that no text holds.
    std::unordered_set<automation::Text> m_funcItemKeys;
};

}  // namespace orva::dialogs
