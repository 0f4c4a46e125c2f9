#pragma once
// ListBox: a list of texts, usually keyed list entries (a 255-unit display part and a hidden key), with
// at most one selected entry (ListIndex, -1 for none). Selecting raises Click inside the model, so the
// cascades that fill one list from another's Click run the same with or without a window.

#include <vector>

#include "dialogs/common/Control.h"

namespace orva::dialogs {

class ListBox : public Control {
public:
    ListBox(automation::Text name, Geometry geometry, std::shared_ptr<ChangeHub> hub)
        : Control(ControlKind::ListBox, std::move(name), geometry, std::move(hub)) {}

    Handler Click;
    Handler DblClick;

    // Appends an entry; the selection stays.
    void AddItem(automation::Text entry);
    // Appends many entries as one change (a fill).
    void AddItems(std::vector<automation::Text> entries);
    // Removes entry index; raises 5 naming the index when it is out of range. A selection after the
    // entry moves up with it; a removed selected entry leaves no selection. No Click.
    void RemoveItem(int32_t index);
    // Replaces entry index, keeping the selection; raises 5 naming the index when it is out of range.
    // No Click.
    void SetItem(int32_t index, automation::Text entry);
    // Removes every entry; ListIndex becomes -1 without a Click.
    void Clear();

    int32_t ListCount() const { return static_cast<int32_t>(m_items.size()); }
    // The whole entry as added (display padding and key included). Raises 9 when out of range.
    const automation::Text& List(int32_t index) const;
    const std::vector<automation::Text>& Items() const { return m_items; }
    // What a list shows of entry index: the display part of a keyed entry, trimmed.
    automation::Text DisplayText(int32_t index) const;
    // The hidden key of entry index, untrimmed (empty for a plain text).
    automation::Text Key(int32_t index) const;

    int32_t ListIndex() const { return m_listIndex; }
    // Selecting from code: index -1 .. ListCount() - 1, else raises 5 naming it. Raises Click when the
    // index changes (as a list does when its selection is set by a program); the same index again
    // raises nothing.
    void SetListIndex(int32_t index);

    // The user clicks entry index: selects it and raises Click, also when it was already selected.
    // Does nothing on a disabled list. Range as SetListIndex, without -1.
    void SelectByUser(int32_t index);
    // The user double-clicks entry index: SelectByUser, then DblClick.
    void DoubleClickByUser(int32_t index);
    // The second click of a double click whose first click already selected: raises DblClick when the
    // list is enabled and an entry is selected.
    void DblClickByUser();

    automation::Text TypeName() const override { return u"ListBox"; }
    // By name: AddItem, RemoveItem, Clear, ListCount, List(i), ListIndex (get and let), and the
    // members of every control.
    automation::Variant Invoke(automation::TextView name, automation::CallKind kind,
                               std::span<automation::Variant> args) override;

private:
    void RequireEntry(int32_t index, bool allowNone) const;

    std::vector<automation::Text> m_items;
    int32_t m_listIndex = -1;
};

}  // namespace orva::dialogs
