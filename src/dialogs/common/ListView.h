#pragma once
// ListView: a report-style list with column headers and items (text, tag, selected flag). Several items
// may be selected at once. Items count from 1, as list-view items do for their callers. Selecting items
// raises no handler: the dialogs read the selected flags when a button is pressed. A dialog that adds
// or selects an item the user must see marks it with EnsureVisible (change::kScroll), and the view
// scrolls it into sight.

#include <vector>

#include "dialogs/common/Control.h"

namespace orva::dialogs {

struct ListViewItem {
    automation::Text text;
    automation::Text tag;
    bool selected = false;
};

class ListView : public Control {
public:
    ListView(automation::Text name, Geometry geometry, std::shared_ptr<ChangeHub> hub)
        : Control(ControlKind::ListView, std::move(name), geometry, std::move(hub)) {}

    // A column header; width in twips (0: the view chooses).
    struct Column {
        automation::Text text;
        int32_t width = 0;
    };

    void AddColumn(automation::Text text, int32_t width = 0);
    void ClearColumns();
    const std::vector<Column>& Columns() const { return m_columns; }

    // Appends an unselected item and returns its index (from 1).
    int32_t AddItem(automation::Text text, automation::Text tag = {});
    // Appends many items as one change (a fill).
    void AddItems(std::vector<ListViewItem> items);
    // Removes item index (from 1); raises 9 naming it when out of range.
    void RemoveItem(int32_t index);
    void Clear();

    int32_t Count() const { return static_cast<int32_t>(m_items.size()); }
    // Item index (from 1); raises 9 naming it when out of range.
    const ListViewItem& Item(int32_t index) const;
    const std::vector<ListViewItem>& Items() const { return m_items; }

    // Sets one item's selected flag (a user's ctrl-click, or a program). Raises 9 when out of range.
    void SetSelected(int32_t index, bool selected);
    // Exactly the items of indexes (from 1) end selected, all others not; raises 9 naming the first
    // index out of range before anything changes. An empty list clears the selection.
    void SelectOnly(const std::vector<int32_t>& indexes);
    // The selected items' indexes (from 1), ascending.
    std::vector<int32_t> SelectedIndexes() const;

    // Marks item index (from 1) as the one to bring into view (kScroll); raises 9 when out of range.
    void EnsureVisible(int32_t index);
    // The item last marked with EnsureVisible, 0 for none; removing or clearing items resets it.
    int32_t ScrollTarget() const { return m_scrollTarget; }

    automation::Text TypeName() const override { return u"ListView"; }
    // By name: Count, ItemText(i), ItemTag(i), Selected(i) (get and let), Clear, and the members of
    // every control.
    automation::Variant Invoke(automation::TextView name, automation::CallKind kind,
                               std::span<automation::Variant> args) override;

private:
    size_t Slot(int32_t index) const;

    std::vector<Column> m_columns;
    std::vector<ListViewItem> m_items;
    int32_t m_scrollTarget = 0;
};

}  // namespace orva::dialogs
