// What a person does to a report list's selection: clicks, the keys that move the focus,
// and type-ahead. The list view would carry each out row by row (every plain click and
// Shift+arrow first deselects each row, asking the owner about each), so the list takes
// them and changes the rows it keeps at once, as the list view moves the focus and the
// selection; the list view keeps only the focus. A press is not watched for a drag: no
// rows are dragged, and no rectangle drawn with the mouse selects rows.
#include "runtime/control/ReportList.h"

#include <commctrl.h>
#include <windowsx.h>

namespace {
// How a gesture changes the selection around the row it lands on, which takes the focus.
enum class SelectionMove {
    Only,      // that row alone; the anchor there
    Extend,    // the rows from the anchor to it, alone
    Toggle,    // that row in or out; the anchor there
    AddRange,  // the rows from the anchor to it, added; the anchor there
    FocusOnly, // the selection as it was
};

void MoveSelection(ReportListState* state, int32_t row, SelectionMove move) {
    // A list of one selected row moves its selection with the focus, whatever the keys held.
    if (IsSingleSelection(state)) {
        move = SelectionMove::Only;
    }
    int32_t anchor = state->anchorRow >= 0 ? state->anchorRow : row;
    int32_t first = anchor < row ? anchor : row;
    int32_t last = anchor < row ? row : anchor;
    switch (move) {
    case SelectionMove::Only:
        SelectOnlyRows(state, row, row);
        state->anchorRow = row;
        break;
    case SelectionMove::Extend:
        SelectOnlyRows(state, first, last);
        state->anchorRow = anchor;
        break;
    case SelectionMove::Toggle:
        ToggleRowSelection(state, row);
        state->anchorRow = row;
        break;
    case SelectionMove::AddRange:
        AddSelectedRows(state, first, last);
        state->anchorRow = row;
        break;
    case SelectionMove::FocusOnly:
        break;
    }
    FocusListRow(state, row);
}

bool HasCheckBoxes(const ReportListState* state) {
    return (SendToListView(state, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES) != 0;
}

// A key's move by the keys held with it, Shift before Ctrl; Ctrl moves the focus alone,
// except with Space, which then takes the row in or out.
SelectionMove KeyMove(bool space) {
    if (GetKeyState(VK_SHIFT) < 0) {
        return SelectionMove::Extend;
    }
    if (GetKeyState(VK_CONTROL) < 0) {
        return space ? SelectionMove::Toggle : SelectionMove::FocusOnly;
    }
    return SelectionMove::Only;
}

SelectionMove ClickMove(WPARAM keys) {
    bool shift = (keys & MK_SHIFT) != 0;
    bool control = (keys & MK_CONTROL) != 0;
    if (shift && control) {
        return SelectionMove::AddRange;
    }
    if (control) {
        return SelectionMove::Toggle;
    }
    return shift ? SelectionMove::Extend : SelectionMove::Only;
}

// The row at a point of the list's client area, -1 for none. A list with LVS_EX_FULLROWSELECT
// has its rows' whole width in them, the others their first cell.
int32_t RowAt(const ReportListState* state, LPARAM where, UINT* flags) {
    LVHITTESTINFO hit = {};
    hit.pt = {GET_X_LPARAM(where), GET_Y_LPARAM(where)};
    SendToListView(state, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    *flags = hit.flags;
    return (hit.flags & LVHT_ONITEM) != 0 && IsStoredRow(&state->rows, hit.iItem) ? hit.iItem : -1;
}

// Page Up and Page Down as the list view moves them in a report: to the top row in view, or
// from there a page up; to the last whole row in view, or from there a page down.
int32_t PageRow(const ReportListState* state, int32_t focused, bool down) {
    RowsInView view = RowsInViewOf(state);
    int32_t top = view.top;
    int32_t page = view.page;
    if (!down) {
        int32_t row = focused == top ? top - page + 1 : top;
        return row > 0 ? row : 0;
    }
    int32_t bottom = top + page - 1;
    int32_t row = focused == bottom ? focused + page - 1 : bottom;
    return row < state->rows.count ? row : state->rows.count - 1;
}
} // namespace

bool TakeButtonDown(ReportListState* state, UINT message, WPARAM wParam, LPARAM lParam) {
    TellRowCount(state);
    UINT flags;
    int32_t row = RowAt(state, lParam, &flags);
    bool plain = (wParam & (MK_SHIFT | MK_CONTROL)) == 0;
    if (GetFocus() != state->list) {
        SetFocus(state->list);
    }
    if (message == WM_LBUTTONDOWN && row >= 0 && (flags & LVHT_ONITEMSTATEICON) != 0 &&
        HasCheckBoxes(state)) {
        ToggleRowCheck(state, row);
    } else if (row < 0) {
        // A click beside the rows takes the selection away, unless Shift or Ctrl keeps it.
        if (plain || message == WM_RBUTTONDOWN) {
            SelectOnlyRows(state, 0, -1);
        }
    } else if (message == WM_LBUTTONDOWN) {
        MoveSelection(state, row, ClickMove(wParam));
    } else {
        // The menu of a right click is about the selection: an unselected row becomes it.
        MoveSelection(state, row,
                      plain && !IsRowSelected(state, row) ? SelectionMove::Only
                                                          : SelectionMove::FocusOnly);
    }
    // The release comes to the list wherever the pointer goes meanwhile.
    state->pressedButton = message;
    SetCapture(state->list);
    return true;
}

// The release of a press on the list tells the parent of the click, as the list view does,
// and a right click that the parent leaves opens the list's menu.
bool TakeButtonUp(ReportListState* state, UINT message, LPARAM lParam) {
    UINT pressed = message == WM_LBUTTONUP ? WM_LBUTTONDOWN : WM_RBUTTONDOWN;
    if (state->pressedButton != pressed) {
        return false;
    }
    state->pressedButton = 0;
    ReleaseCapture();
    HWND list = state->list;
    LVHITTESTINFO hit = {};
    hit.pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    SendToListView(state, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    NMITEMACTIVATE click = {};
    click.iItem = hit.iItem;
    click.iSubItem = hit.iSubItem;
    click.ptAction = hit.pt;
    LRESULT handled =
        NotifyListParent(state, &click.hdr, pressed == WM_LBUTTONDOWN ? NM_CLICK : NM_RCLICK);
    if (pressed == WM_RBUTTONDOWN && handled == 0 && IsWindow(list)) {
        POINT screen = hit.pt;
        ClientToScreen(list, &screen);
        SendMessageA(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list),
                     MAKELPARAM(screen.x, screen.y));
    }
    return true;
}

bool TakeSelectionKey(ReportListState* state, WPARAM key) {
    TellRowCount(state);
    int32_t focused = FocusedListRow(state);
    int32_t row;
    switch (key) {
    case VK_SPACE:
        row = focused;
        if (HasCheckBoxes(state)) {
            ToggleRowCheck(state, focused);
        }
        break;
    case VK_HOME:
        row = 0;
        break;
    case VK_END:
        row = state->rows.count - 1;
        break;
    case VK_UP:
        row = focused >= 0 ? focused - 1 : -1;
        break;
    case VK_DOWN:
        row = focused + 1;
        break;
    case VK_PRIOR:
    case VK_NEXT:
        row = PageRow(state, focused, key == VK_NEXT);
        break;
    default:
        return false;
    }
    if (IsStoredRow(&state->rows, row) && (row != focused || key == VK_SPACE)) {
        MoveSelection(state, row, KeyMove(key == VK_SPACE));
    }
    return true;
}

// The list view gathers the keys typed within a moment and asks the owner for the row they
// begin; the list takes the row it finds (TakeRowFoundByTyping).
void TypeAhead(ReportListState* state, WPARAM character, LPARAM keyData) {
    TellRowCount(state);
    state->typingAhead = true;
    SendToListView(state, WM_CHAR, character, keyData);
    state->typingAhead = false;
}

LRESULT TakeRowFoundByTyping(ReportListState* state, LRESULT row) {
    if (IsStoredRow(&state->rows, static_cast<int32_t>(row))) {
        MoveSelection(state, static_cast<int32_t>(row), KeyMove(false));
    }
    return -1;
}
