// The selection a report list keeps in its rows. Left to the list view, a change of many
// rows goes row by row, each row notified and redrawn on its own; with the owner keeping
// the selection (LVIS_SELECTED in the callback mask) the list view still visits every row
// to deselect them all or to count them, asking the owner about each: about 100 us a row
// under Wine. Here a change of any number of rows is one pass over the row records, one
// notification and one redraw of the rows in view that changed. The list view keeps the
// focus, and asks for a row's selection as it draws it.
#include "runtime/control/ReportList.h"

#include <commctrl.h>

namespace {
// What one change did to the selection.
struct SelectionChange {
    int32_t first; // the first and last row that changed
    int32_t last;
    int32_t rows;
    bool gained; // some row became selected
    bool lost;   // some row stopped being selected
};

constexpr SelectionChange NO_CHANGE = {INT32_MAX, -1, 0, false, false};

void SetRowSelected(ReportListState* state, int32_t row, bool selected, SelectionChange* change) {
    uint32_t& rowState = state->rows.rows[row].state;
    if (((rowState & ROW_SELECTED) != 0) == selected) {
        return;
    }
    rowState ^= ROW_SELECTED;
    state->selectedRows += selected ? 1 : -1;
    change->first = row < change->first ? row : change->first;
    change->last = row > change->last ? row : change->last;
    change->rows++;
    change->gained |= selected;
    change->lost |= !selected;
}

// Marks the rows first..last that are in view for drawing; the row below the last whole
// one shows in part.
void RedrawRowsInView(const ReportListState* state, int32_t first, int32_t last) {
    RowsInView view = RowsInViewOf(state);
    int32_t top = view.top;
    int32_t page = view.page;
    first = first > top ? first : top;
    last = last < top + page ? last : top + page;
    last = last < state->rows.count ? last : state->rows.count - 1;
    RECT from = {LVIR_BOUNDS, 0, 0, 0};
    RECT to = {LVIR_BOUNDS, 0, 0, 0};
    RECT client;
    if (first > last ||
        !SendToListView(state, LVM_GETITEMRECT, static_cast<WPARAM>(first),
                        reinterpret_cast<LPARAM>(&from)) ||
        !SendToListView(state, LVM_GETITEMRECT, static_cast<WPARAM>(last),
                        reinterpret_cast<LPARAM>(&to)) ||
        !GetClientRect(state->list, &client)) {
        return;
    }
    RECT rows = {client.left, from.top, client.right, to.bottom};
    InvalidateRect(state->list, &rows, TRUE);
}

// One LVN_ITEMCHANGED for the change: for its row when one row changed, else for row -1,
// LVIS_SELECTED in the new state when some row gained it and in the old when some lost it.
void NotifySelectionChange(ReportListState* state, const SelectionChange& change) {
    if (change.rows == 0) {
        return;
    }
    RedrawRowsInView(state, change.first, change.last);
    NMLISTVIEW note = {};
    note.iItem = change.rows == 1 ? change.first : -1;
    note.uChanged = LVIF_STATE;
    note.uNewState = change.gained ? LVIS_SELECTED : 0;
    note.uOldState = change.lost ? LVIS_SELECTED : 0;
    NotifyListParent(state, &note.hdr, LVN_ITEMCHANGED);
}

// LVM_GETNEXTITEM for selected rows. A report list has no rows beside one another, and
// none of its rows is cut or a drop target.
int32_t NextSelectedRow(const ReportListState* state, int32_t start, UINT flags) {
    if (start < -1 || start >= state->rows.count ||
        (flags & (LVNI_CUT | LVNI_DROPHILITED | LVNI_TOLEFT | LVNI_TORIGHT)) != 0) {
        return -1;
    }
    if ((flags & LVNI_FOCUSED) != 0) {
        int32_t focused = FocusedListRow(state);
        return focused != start && IsRowSelected(state, focused) ? focused : -1;
    }
    int32_t step = (flags & LVNI_ABOVE) != 0 ? -1 : 1;
    for (int32_t row = start + step; state->selectedRows > 0 && IsStoredRow(&state->rows, row);
         row += step) {
        if (IsRowSelected(state, row)) {
            return row;
        }
    }
    return -1;
}

// LVM_SETITEMSTATE: the selection goes to the rows, the other states to the list view.
// Row -1 is every row, which the list view would visit one by one: of its own states only
// the focus can be taken from every row, and that is one row.
BOOL SetItemState(ReportListState* state, int32_t row, const LVITEMA* item) {
    if (item == nullptr || row < -1 || row >= state->rows.count) {
        return FALSE;
    }
    bool select = (item->state & LVIS_SELECTED) != 0;
    if ((item->stateMask & LVIS_SELECTED) != 0) {
        if (select && IsSingleSelection(state) && row == -1) {
            return FALSE;
        }
        if (row == -1) {
            SelectOnlyRows(state, 0, select ? state->rows.count - 1 : -1);
        } else if (select && IsSingleSelection(state)) {
            SelectOnlyRows(state, row, row);
        } else if (IsRowSelected(state, row) != select) {
            ToggleRowSelection(state, row);
        }
    }
    LVITEMA rest = *item;
    rest.stateMask &= ~static_cast<UINT>(LVIS_SELECTED);
    if (row >= 0) {
        return rest.stateMask == 0 ||
               SendToListView(state, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                              reinterpret_cast<LPARAM>(&rest)) != 0;
    }
    if ((rest.stateMask & rest.state & LVIS_FOCUSED) != 0) {
        return FALSE;
    }
    if ((rest.stateMask & LVIS_FOCUSED) != 0) {
        FocusListRow(state, -1);
    }
    return TRUE;
}
} // namespace

int32_t FocusedListRow(const ReportListState* state) {
    return static_cast<int32_t>(SendToListView(state, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                               MAKELPARAM(LVNI_FOCUSED, 0)));
}

void FocusListRow(ReportListState* state, int32_t row) {
    int32_t focused = FocusedListRow(state);
    if (row != focused) {
        LVITEMA item = {};
        item.stateMask = LVIS_FOCUSED;
        item.state = row >= 0 ? LVIS_FOCUSED : 0;
        SendToListView(state, LVM_SETITEMSTATE, static_cast<WPARAM>(row >= 0 ? row : focused),
                       reinterpret_cast<LPARAM>(&item));
    }
    if (row >= 0) {
        SendToListView(state, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    }
}

bool IsRowSelected(const ReportListState* state, int32_t row) {
    return IsStoredRow(&state->rows, row) && (state->rows.rows[row].state & ROW_SELECTED) != 0;
}

bool IsSingleSelection(const ReportListState* state) {
    return (GetWindowLongPtrA(state->list, GWL_STYLE) & LVS_SINGLESEL) != 0;
}

void SelectOnlyRows(ReportListState* state, int32_t first, int32_t last) {
    SelectionChange change = NO_CHANGE;
    for (int32_t row = 0; row < state->rows.count; row++) {
        SetRowSelected(state, row, row >= first && row <= last, &change);
    }
    NotifySelectionChange(state, change);
}

void AddSelectedRows(ReportListState* state, int32_t first, int32_t last) {
    SelectionChange change = NO_CHANGE;
    for (int32_t row = first > 0 ? first : 0; row <= last && row < state->rows.count; row++) {
        SetRowSelected(state, row, true, &change);
    }
    NotifySelectionChange(state, change);
}

void ToggleRowSelection(ReportListState* state, int32_t row) {
    if (IsStoredRow(&state->rows, row)) {
        SelectionChange change = NO_CHANGE;
        SetRowSelected(state, row, !IsRowSelected(state, row), &change);
        NotifySelectionChange(state, change);
    }
}

void ToggleRowCheck(ReportListState* state, int32_t row) {
    if (!IsStoredRow(&state->rows, row)) {
        return;
    }
    bool checked = ((state->rows.rows[row].state ^= ROW_CHECKED) & ROW_CHECKED) != 0;
    RedrawRowsInView(state, row, row);
    NMLISTVIEW note = {};
    note.iItem = row;
    note.uChanged = LVIF_STATE;
    note.uNewState = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    note.uOldState = INDEXTOSTATEIMAGEMASK(checked ? 1 : 2);
    NotifyListParent(state, &note.hdr, LVN_ITEMCHANGED);
}

bool AnswerSelectionMessage(ReportListState* state, UINT message, WPARAM wParam, LPARAM lParam,
                            LRESULT* result) {
    switch (message) {
    case LVM_GETSELECTEDCOUNT:
        *result = state->selectedRows;
        return true;
    case LVM_GETNEXTITEM:
        if ((LOWORD(lParam) & LVNI_SELECTED) == 0) {
            return false;
        }
        *result = NextSelectedRow(state, static_cast<int32_t>(wParam), LOWORD(lParam));
        return true;
    case LVM_SETITEMSTATE:
        *result = SetItemState(state, static_cast<int32_t>(wParam),
                               reinterpret_cast<const LVITEMA*>(lParam));
        return true;
    case LVM_GETSELECTIONMARK:
        *result = state->anchorRow;
        return true;
    case LVM_SETSELECTIONMARK:
        *result = state->anchorRow;
        state->anchorRow = IsStoredRow(&state->rows, static_cast<int32_t>(lParam))
                               ? static_cast<int32_t>(lParam)
                               : -1;
        return true;
    default:
        return false;
    }
}

void NoteRowInserted(ReportListState* state, int32_t row) {
    if (state->anchorRow >= row) {
        state->anchorRow++;
    }
}

void NoteRowRemoved(ReportListState* state, int32_t row) {
    if (IsRowSelected(state, row)) {
        state->selectedRows--;
    }
    if (state->anchorRow == row) {
        state->anchorRow = -1;
    } else if (state->anchorRow > row) {
        state->anchorRow--;
    }
}

void ForgetSelection(ReportListState* state) {
    state->selectedRows = 0;
    state->anchorRow = -1;
}
