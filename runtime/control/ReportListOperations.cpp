// The report list's operations by number: its rows, its cells, its focused row and the
// rows' states, each reached through ReportListOps.
#include "runtime/control/ReportList.h"

#include "runtime/core/Core.h"

#include <commctrl.h>

namespace {
// A row's column 0 read by ReadText, and any cell read by ReadCell, may take this much of
// ScratchBuffer, the zero included.
constexpr int32_t ROW_TEXT_LIMIT = 60000;
constexpr int32_t CELL_TEXT_LIMIT = 10000;
constexpr UINT SELECTED_AND_FOCUSED = LVIS_SELECTED | LVIS_FOCUSED;

// Appends the text of one cell at the scratch cursor, limited to `limit` bytes and to the
// room left; the empty text for a cell that does not exist.
void ReadCellText(const ReportListState* state, int32_t row, int32_t column, int32_t limit) {
    int32_t room = ScratchRoom();
    if (room == 0) {
        return;
    }
    if (state == nullptr) {
        *ScratchCursor = 0;
        return;
    }
    ScratchCursor += CopyStoredCell(&state->rows, row, column, ScratchCursor,
                                    static_cast<SIZE_T>(room < limit ? room : limit));
}

void SetItemState(HWND list, int32_t row, UINT mask, UINT state) {
    LVITEMA item = {};
    item.stateMask = mask;
    item.state = state;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void RedrawRow(HWND list, int32_t row) {
    SendMessageA(list, LVM_REDRAWITEMS, static_cast<WPARAM>(row), row);
}

int32_t FocusedRow(HWND list) {
    return static_cast<int32_t>(
        SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_FOCUSED, 0)));
}

void SelectRow(HWND list, int32_t row) {
    if (row >= 0) {
        SetItemState(list, row, SELECTED_AND_FOCUSED, SELECTED_AND_FOCUSED);
        SetFocus(list);
    } else if (row == -1 && FocusedRow(list) >= 0) {
        SetItemState(list, -1, SELECTED_AND_FOCUSED, 0);
    }
}

void ReadFocusedRowText(HWND list) {
    ReadCellText(ReportListStateOf(list), FocusedRow(list), 0, ROW_TEXT_LIMIT);
}

// The row keeps its state and image; the caller's text is cut at its line feeds.
void SetFocusedRowText(HWND list, char* text) {
    ReportListState* state = ReportListStateOf(list);
    int32_t row = FocusedRow(list);
    if (state == nullptr || !IsStoredRow(&state->rows, row)) {
        return;
    }
    int32_t replacement;
    if (InsertStoredRow(&state->rows, row, text, state->rows.rows[row].state, &replacement)) {
        RemoveStoredRow(&state->rows, row + 1);
        RedrawRow(list, row);
    }
    for (char* place = text; place != nullptr && *place != 0; place++) {
        if (*place == '\n') {
            *place = 0;
        }
    }
}

bool AddRow(HWND list, int32_t position, const char* text) {
    return InsertReportRow(list, position, text, nullptr);
}

void RemoveRow(HWND list, int32_t row) {
    ReportListState* state = ReportListStateOf(list);
    if (state == nullptr || !IsStoredRow(&state->rows, row)) {
        return;
    }
    TellRowCount(state);
    NoteRowRemoved(state, row);
    RemoveStoredRow(&state->rows, row);
    // The list view moves the selection and the focus below the row up with the rows.
    state->rowsTold--;
    SendMessageA(list, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    InvalidateRect(list, nullptr, TRUE);
}

void ClearRows(HWND list) {
    ReportListState* state = ReportListStateOf(list);
    if (state == nullptr) {
        return;
    }
    ClearStoredRows(&state->rows);
    ForgetSelection(state);
    state->rowsTold = 0;
    state->rowsAtLastTick = 0;
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
}

int32_t CountRows(HWND list) {
    ReportListState* state = ReportListStateOf(list);
    return state != nullptr ? state->rows.count : 0;
}

int32_t GetRowState(HWND list, int32_t row) {
    ReportListState* state = ReportListStateOf(list);
    if (state == nullptr) {
        return 0;
    }
    TellRowCount(state);
    int32_t bits = IsRowSelected(state, row) ? ROW_SELECTED : 0;
    LRESULT extended = SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    if ((extended & LVS_EX_CHECKBOXES) != 0 && IsStoredRow(&state->rows, row)) {
        bits |= static_cast<int32_t>(state->rows.rows[row].state) & ROW_CHECKED;
    }
    return bits;
}

void SetRowState(HWND list, int32_t row, int32_t bits) {
    ReportListState* state = ReportListStateOf(list);
    SetItemState(list, row, SELECTED_AND_FOCUSED,
                 (bits & ROW_SELECTED) != 0 ? SELECTED_AND_FOCUSED : 0);
    if (state != nullptr && IsStoredRow(&state->rows, row)) {
        uint32_t& rowState = state->rows.rows[row].state;
        rowState = (rowState & ~static_cast<uint32_t>(ROW_CHECKED)) |
                   (static_cast<uint32_t>(bits) & ROW_CHECKED);
        RedrawRow(list, row);
    }
}

void ReadCell(HWND list, int32_t row, int32_t column) {
    ReadCellText(ReportListStateOf(list), row, column, CELL_TEXT_LIMIT);
}

void SetCell(HWND list, int32_t row, const char* text, int32_t column) {
    ReportListState* state = ReportListStateOf(list);
    if (state != nullptr && ReplaceStoredCell(&state->rows, row, column, text)) {
        RedrawRow(list, row);
    }
}
} // namespace

const ControlOps ReportListOps = {
    .GetState = FocusedRow,             // index of the focused row, -1 when none
    .SetState = SelectRow,              // select and focus a row; -1 clears both everywhere
    .ReadText = ReadFocusedRowText,     // column 0 of the focused row
    .SetText = SetFocusedRowText,       // the focused row's cells from line-feed pieces
    .AddRow = AddRow,                   // a row without an image
    .AddRowWithImage = InsertReportRow, // a row with a bitmap or icon
    .RemoveRow = RemoveRow,             // one row; the rows below move up
    .ClearRows = ClearRows,             // every row
    .CountRows = CountRows,             // the rows kept
    .GetRowState = GetRowState,         // ROW_SELECTED, ROW_CHECKED
    .SetRowState = SetRowState,         // ROW_SELECTED, ROW_CHECKED
    .ReadCell = ReadCell,               // one cell's text
    .SetCell = SetCell,                 // one cell's text; null counts as ""
};
