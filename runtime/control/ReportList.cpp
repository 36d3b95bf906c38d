// The report list: a virtual list view in report mode that shows the rows the runtime keeps,
// each of which travels as one text with a line feed between the columns.
#include "runtime/control/ControlState.h"

#include "runtime/core/Core.h"
#include "runtime/window/Window.h"

#include <string.h>

namespace {
// WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_OWNERDATA | LVS_SHAREIMAGELISTS | LVS_REPORT. The
// shared image lists belong to the runtime, so no list may destroy them.
constexpr uint32_t REPORT_LIST_STYLE = 0x50011041;
// A row's column 0 read by ReadText, and any cell read by ReadCell, may take this much of
// ScratchBuffer, the zero included.
constexpr int32_t ROW_TEXT_LIMIT = 60000;
constexpr int32_t CELL_TEXT_LIMIT = 10000;
// What a column needs beside its text: the list view's margin before a cell's text and its
// padding behind it.
constexpr int32_t CELL_PADDING = 16;
constexpr UINT SELECTED_AND_FOCUSED = LVIS_SELECTED | LVIS_FOCUSED;
// While rows arrive at a visible list, the list view is told the new count 20 times a
// second; a tick that finds no new row stops the timer. Wine's list view numbers its own
// timers by the addresses of its data, which are never this small odd number.
constexpr UINT SHOW_TICK_MS = 50;
constexpr UINT_PTR SHOW_TIMER = 0x2519;

// The list view's own window procedure, the same for every list.
WNDPROC ListViewProcedure;

// The list's state once the list view knows every stored row.
ReportListState* ShownStateOf(HWND list) {
    ReportListState* state = ReportListStateOf(list);
    if (state != nullptr) {
        ShowStoredRows(list, state);
    }
    return state;
}

// Appends the text of one cell at the scratch cursor, limited to `limit` bytes and to the
// room left; the empty text for a cell that does not exist.
void ReadCellText(HWND list, int32_t row, int32_t column, int32_t limit) {
    int32_t room = ScratchRoom();
    if (room == 0) {
        return;
    }
    ReportListState* state = ReportListStateOf(list);
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
    ReadCellText(list, FocusedRow(list), 0, ROW_TEXT_LIMIT);
}

// The row keeps its state and image; the caller's text is cut at its line feeds.
void SetFocusedRowText(HWND list, char* text) {
    ReportListState* state = ReportListStateOf(list);
    int32_t row = FocusedRow(list);
    if (state == nullptr || row < 0 || row >= state->rows.count) {
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
    ReportListState* state = ShownStateOf(list);
    if (state == nullptr || row < 0 || row >= state->rows.count) {
        return;
    }
    RemoveStoredRow(&state->rows, row);
    // The list view moves the selection and the focus below the row up with the rows.
    state->rowsShown--;
    SendMessageA(list, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    InvalidateRect(list, nullptr, TRUE);
}

void ClearRows(HWND list) {
    ReportListState* state = ReportListStateOf(list);
    if (state == nullptr) {
        return;
    }
    ClearStoredRows(&state->rows);
    state->rowsShown = 0;
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
}

int32_t CountRows(HWND list) {
    ReportListState* state = ReportListStateOf(list);
    return state != nullptr ? state->rows.count : 0;
}

bool IsStoredRow(const ReportListState* state, int32_t row) {
    return state != nullptr && row >= 0 && row < state->rows.count;
}

int32_t GetRowState(HWND list, int32_t row) {
    ReportListState* state = ReportListStateOf(list);
    int32_t bits = 0;
    if (SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) != 0) {
        bits |= ROW_SELECTED;
    }
    LRESULT extended = SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    if ((extended & LVS_EX_CHECKBOXES) != 0 && IsStoredRow(state, row)) {
        bits |= static_cast<int32_t>(state->rows.rows[row].state) & ROW_CHECKED;
    }
    return bits;
}

void SetRowState(HWND list, int32_t row, int32_t bits) {
    ReportListState* state = ReportListStateOf(list);
    SetItemState(list, row, SELECTED_AND_FOCUSED,
                 (bits & ROW_SELECTED) != 0 ? SELECTED_AND_FOCUSED : 0);
    if (IsStoredRow(state, row)) {
        uint32_t& rowState = state->rows.rows[row].state;
        rowState = (rowState & ~static_cast<uint32_t>(ROW_CHECKED)) |
                   (static_cast<uint32_t>(bits) & ROW_CHECKED);
        RedrawRow(list, row);
    }
}

void ReadCell(HWND list, int32_t row, int32_t column) {
    ReadCellText(list, row, column, CELL_TEXT_LIMIT);
}

void SetCell(HWND list, int32_t row, const char* text, int32_t column) {
    ReportListState* state = ReportListStateOf(list);
    if (state != nullptr && ReplaceStoredCell(&state->rows, row, column, text)) {
        RedrawRow(list, row);
    }
}

// Attaches a shared image list to the list unless it already has one of this kind.
void AttachImageList(HWND list, WPARAM kind, HIMAGELIST images) {
    if (SendMessageA(list, LVM_GETIMAGELIST, kind, 0) == 0) {
        SendMessageA(list, LVM_SETIMAGELIST, kind, reinterpret_cast<LPARAM>(images));
    }
}

// A tick while rows arrive: tells the list view the rows that came since the last one.
void CALLBACK ShowTick(HWND list, UINT, UINT_PTR timer, DWORD) {
    ReportListState* state = ReportListStateOf(list);
    if (state == nullptr || state->rowsShown == state->rows.count) {
        KillTimer(list, timer);
        if (state != nullptr) {
            state->ticking = false;
        }
        return;
    }
    ShowStoredRows(list, state);
}

// Under Wine every count the list view is told costs it a scroll-bar update and a repaint
// of the new rows in view, far more than the row itself; the rows are therefore told at the
// next tick, or before the list answers a message. A list without a timer is told at once.
void ShowRowsSoon(HWND list, ReportListState* state) {
    if (state->ticking) {
        return;
    }
    if (SetTimer(list, SHOW_TIMER, SHOW_TICK_MS, ShowTick) != 0) {
        state->ticking = true;
        return;
    }
    ShowStoredRows(list, state);
}

bool IsNumberPart(char c) {
    return (c >= '0' && c <= '9') || c == '-';
}

// The mark of a cut cell: the ellipsis where the code page has it, else three dots.
SIZE_T CutMark(char mark[4]) {
    BOOL defaulted = FALSE;
    int length = WideCharToMultiByte(CP_ACP, 0, L"\u2026", 1, mark, 3, nullptr, &defaulted);
    if (length < 1 || defaulted) {
        memcpy(mark, "...", 4);
        return 3;
    }
    mark[length] = 0;
    return static_cast<SIZE_T>(length);
}

// A cell longer than the room the list view gives it ends after its last whole number and
// the separator after it, then the mark: a number cut short would read as another one.
void CopyCellToDraw(const ReportRows* rows, int32_t row, int32_t column, char* destination,
                    SIZE_T capacity) {
    SIZE_T length;
    const char* cell = StoredCell(rows, row, column, &length);
    char mark[4];
    SIZE_T markLength = CutMark(mark);
    if (cell == nullptr || length < capacity || capacity <= markLength) {
        CopyStoredCell(rows, row, column, destination, capacity);
        return;
    }
    // Where the last number that starts within the room starts, after its separator.
    SIZE_T end = capacity - 1 - markLength;
    while (end > 0 && !(IsNumberPart(cell[end]) && !IsNumberPart(cell[end - 1]))) {
        end--;
    }
    memcpy(destination, cell, end);
    memcpy(destination + end, mark, markLength + 1);
}

void AnswerDisplayInfo(const ReportListState* state, LVITEMA* item) {
    if (!IsStoredRow(state, item->iItem)) {
        return;
    }
    uint32_t rowState = state->rows.rows[item->iItem].state;
    if ((item->mask & LVIF_TEXT) != 0 && item->pszText != nullptr && item->cchTextMax > 0) {
        CopyCellToDraw(&state->rows, item->iItem, item->iSubItem, item->pszText,
                       static_cast<SIZE_T>(item->cchTextMax));
    }
    if ((item->mask & LVIF_IMAGE) != 0) {
        item->iImage = static_cast<int>(rowState >> ROW_IMAGE_SHIFT) - 1;
    }
    if ((item->mask & LVIF_STATE) != 0 && (item->stateMask & LVIS_STATEIMAGEMASK) != 0) {
        item->state = (item->state & ~LVIS_STATEIMAGEMASK) |
                      INDEXTOSTATEIMAGEMASK((rowState & ROW_CHECKED) != 0 ? 2 : 1);
    }
}

// Type-ahead: the first row from `start` on, wrapping when asked, whose column 0 is the
// text searched for or, for a partial search, begins with it; -1 when none.
LRESULT FindRow(const ReportListState* state, UINT flags, int32_t start, const char* wanted) {
    if ((flags & (LVFI_STRING | LVFI_PARTIAL)) == 0 || wanted == nullptr) {
        return -1;
    }
    int32_t rows = state->rowsShown;
    int32_t wantedLength = lstrlenA(wanted);
    start = start >= 0 && start < rows ? start : 0;
    int32_t end = (flags & LVFI_WRAP) != 0 ? start + rows : rows;
    for (int32_t turn = start; turn < end; turn++) {
        int32_t row = turn % rows;
        SIZE_T length;
        const char* cell = StoredCell(&state->rows, row, 0, &length);
        bool partial = (flags & LVFI_PARTIAL) != 0;
        if (static_cast<SIZE_T>(wantedLength) <= length &&
            (partial || length == static_cast<SIZE_T>(wantedLength)) &&
            CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, cell, wantedLength, wanted,
                           wantedLength) == CSTR_EQUAL) {
            return row;
        }
    }
    return -1;
}

// The list view asks with the wide text it collected from the keys, whatever the owner's
// notification format.
LRESULT FindRowForKeys(const ReportListState* state, const NMLVFINDITEMW* find) {
    char wanted[MAX_PATH];
    if (find->lvfi.psz == nullptr || WideCharToMultiByte(CP_ACP, 0, find->lvfi.psz, -1, wanted,
                                                         sizeof wanted, nullptr, nullptr) == 0) {
        return -1;
    }
    return FindRow(state, find->lvfi.flags, find->iStart, wanted);
}

// A click on a row's check box reaches the list view, which asks the owner to keep it.
void NoteCheckBox(ReportListState* state, const NMLISTVIEW* change) {
    UINT image = change->uNewState & LVIS_STATEIMAGEMASK;
    if (image != 0 && IsStoredRow(state, change->iItem)) {
        uint32_t& rowState = state->rows.rows[change->iItem].state;
        rowState &= ~static_cast<uint32_t>(ROW_CHECKED);
        rowState |= image != INDEXTOSTATEIMAGEMASK(1) ? ROW_CHECKED : 0;
    }
}

// What a list asks its owner. A notification is read only while a list's own procedure
// runs: one sent from another thread points into memory of no meaning here.
LRESULT AnswerListNotification(const NMHDR* header) {
    if (ListProcedureDepth == 0) {
        return 0;
    }
    ReportListState* state = ReportListStateOf(header->hwndFrom);
    if (state == nullptr) {
        return 0;
    }
    switch (header->code) {
    case LVN_GETDISPINFOA:
        AnswerDisplayInfo(state,
                          &reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(header))->item);
        return 0;
    case LVN_ODFINDITEMA: {
        const NMLVFINDITEMA* find = reinterpret_cast<const NMLVFINDITEMA*>(header);
        return FindRow(state, find->lvfi.flags, find->iStart, find->lvfi.psz);
    }
    case LVN_ODFINDITEMW:
        return FindRowForKeys(state, reinterpret_cast<const NMLVFINDITEMW*>(header));
    case LVN_ITEMCHANGED:
        NoteCheckBox(state, reinterpret_cast<const NMLISTVIEW*>(header));
        return 0;
    default:
        return 0;
    }
}

void FreeListState(HWND list) {
    ReportListState* state =
        reinterpret_cast<ReportListState*>(SetWindowLongPtrA(list, GWLP_USERDATA, 0));
    if (state != nullptr) {
        ClearStoredRows(&state->rows);
        HeapFree(AppHeap, 0, state);
    }
}

// The one procedure the runtime puts in front of every list view.
LRESULT CALLBACK ReportListProcedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    // Only the list's own header notifies it, on this thread; a notification sent from
    // another thread points into memory of no meaning here, which the list view would read.
    if (message == WM_NOTIFY && InSendMessage()) {
        return 0;
    }
    if (TakeRowCommand(list, message, wParam, lParam)) {
        return 0;
    }
    // Whoever asks the list learns of every row kept, not only of those of the last tick.
    if (message >= LVM_FIRST && message < LVM_FIRST + 0x100 && message != LVM_SETITEMCOUNT) {
        ShownStateOf(list);
    }
    // The list view asks for no more rows once it is being destroyed.
    if (message == WM_NCDESTROY) {
        FreeListState(list);
    }
    ListProcedureDepth++;
    LRESULT result = CallWindowProcA(ListViewProcedure, list, message, wParam, lParam);
    ListProcedureDepth--;
    return result;
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

ReportListState* ReportListStateOf(HWND list) {
    const ControlRecord* record = LookupControlRecord(GetDlgCtrlID(list));
    if (list == nullptr || record->handle != list || record->ops != &ReportListOps) {
        return nullptr;
    }
    return reinterpret_cast<ReportListState*>(GetWindowLongPtrA(list, GWLP_USERDATA));
}

void ShowStoredRows(HWND list, ReportListState* state) {
    if (state->rowsShown == state->rows.count) {
        return;
    }
    state->rowsShown = state->rows.count;
    SendMessageA(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(state->rowsShown),
                 LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

int32_t ColumnCount(HWND list) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    return header != nullptr ? static_cast<int32_t>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0))
                             : 0;
}

// Wine's list view keeps the message to itself; Windows' list view passes it on to the
// default processing, which clears WS_VISIBLE when drawing goes off (the list would then
// leave the Tab order and read as hidden, though it stays on the screen) and sets it when
// drawing comes back (a hidden list would show).
void SetListRedraw(HWND list, BOOL redraw) {
    LONG_PTR before = GetWindowLongPtrA(list, GWL_STYLE);
    SendMessageA(list, WM_SETREDRAW, redraw, 0);
    LONG_PTR after = GetWindowLongPtrA(list, GWL_STYLE);
    if (((before ^ after) & WS_VISIBLE) != 0) {
        SetWindowLongPtrA(list, GWL_STYLE, (after & ~WS_VISIBLE) | (before & WS_VISIBLE));
    }
}

uint32_t ReportListStyle(uint32_t flags) {
    uint32_t style = flags | REPORT_LIST_STYLE;
    // The flag bit shares its value with LVS_SINGLESEL but means the opposite.
    if ((flags & REPORT_MULTI_SELECT) != 0) {
        style &= ~static_cast<uint32_t>(LVS_SINGLESEL);
    } else {
        style |= LVS_SINGLESEL;
    }
    return style;
}

uint32_t ReportListExtendedListStyle(uint32_t flags) {
    uint32_t extended = 0;
    if ((flags & REPORT_GRIDLINES) != 0) {
        extended |= LVS_EX_GRIDLINES;
    }
    if ((flags & REPORT_FULL_ROW) != 0) {
        extended |= LVS_EX_FULLROWSELECT;
    }
    if ((flags & REPORT_HEADER_DRAG) != 0) {
        extended |= LVS_EX_HEADERDRAGDROP;
    }
    if ((flags & REPORT_CHECKBOXES) != 0) {
        extended |= LVS_EX_CHECKBOXES;
    }
    return extended;
}

HWND CreateReportList(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                      const char* columnTitle, int32_t columnWidth) {
    return CreateReportListWithFlags(number, x, y, width, height, columnTitle, columnWidth, 0);
}

HWND CreateReportListWithFlags(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                               const char* columnTitle, int32_t columnWidth, uint32_t flags) {
    if (number < 0 || number > MAX_CONTROL_NUMBER) {
        return nullptr;
    }
    auto* state = static_cast<ReportListState*>(
        HeapAlloc(AppHeap, HEAP_ZERO_MEMORY, sizeof(ReportListState)));
    if (state == nullptr) {
        return nullptr;
    }
    HWND handle = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, nullptr, ReportListStyle(flags),
                                  x, y, width, height, ControlParent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(number)),
                                  ModuleInstance, nullptr);
    // A failed creation leaves the table as it was.
    if (handle == nullptr) {
        HeapFree(AppHeap, 0, state);
        return nullptr;
    }
    SetWindowLongPtrA(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    ListViewProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ReportListProcedure)));
    SetNotificationHandler(AnswerListNotification);
    SendMessageA(handle, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont), TRUE);
    // The check boxes are the rows' state; focus and selection are the list view's.
    SendMessageA(handle, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
    uint32_t extended = ReportListExtendedListStyle(flags);
    if (extended != 0) {
        SendMessageA(handle, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    }
    if (!GrowControlTable(number)) {
        // Unreachable by number, the list would only sit on the parent.
        DestroyWindow(handle);
        return nullptr;
    }
    ControlRecord* record = WritableControlRecord(number);
    record->handle = handle;
    record->ops = &ReportListOps;
    AddReportColumn(number, 0, columnTitle, columnWidth);
    return handle;
}

void AddReportColumn(int32_t number, int32_t index, const char* title, int32_t width) {
    const ControlRecord* record = LookupControlRecord(number);
    if (record->handle == nullptr || record->ops != &ReportListOps) {
        return;
    }
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    column.pszText = const_cast<char*>(title != nullptr ? title : "");
    column.iSubItem = index;
    SendMessageA(record->handle, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&column));
}

int32_t ReportTextWidth(int32_t number, const char* text) {
    const ControlRecord* record = LookupControlRecord(number);
    if (record->handle == nullptr || record->ops != &ReportListOps || text == nullptr) {
        return 0;
    }
    int32_t width = static_cast<int32_t>(
        SendMessageA(record->handle, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text)));
    return width + CELL_PADDING;
}

int32_t ReportColumnRoom(int32_t number) {
    const ControlRecord* record = LookupControlRecord(number);
    RECT client = {};
    if (record->handle == nullptr || record->ops != &ReportListOps ||
        !GetClientRect(record->handle, &client)) {
        return 0;
    }
    int32_t room = client.right - client.left;
    // Once the rows outgrow the list, its vertical scroll bar takes its width from the client.
    if ((GetWindowLongPtrA(record->handle, GWL_STYLE) & WS_VSCROLL) == 0) {
        room -= GetSystemMetrics(SM_CXVSCROLL);
    }
    return room;
}

void SetReportColumnWidth(int32_t number, int32_t column, int32_t width) {
    const ControlRecord* record = LookupControlRecord(number);
    if (record->handle != nullptr && record->ops == &ReportListOps) {
        SendMessageA(record->handle, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column),
                     MAKELPARAM(width, 0));
    }
}

void SetReportCommandTexts(int32_t number, const ReportCommandTexts* texts) {
    ReportListState* state = ReportListStateOf(LookupControlRecord(number)->handle);
    if (state != nullptr) {
        state->texts = texts;
    }
}

bool InsertReportRow(HWND list, int32_t position, const char* text, HANDLE image) {
    ReportListState* state = ReportListStateOf(list);
    if (state == nullptr) {
        return false;
    }
    uint32_t rowState = 0;
    int32_t imageIndex = ImageIndexFor(image);
    if (imageIndex >= 0) {
        AttachImageList(list, LVSIL_NORMAL, NormalImageList);
        AttachImageList(list, LVSIL_SMALL, SmallImageList);
        rowState = static_cast<uint32_t>(imageIndex + 1) << ROW_IMAGE_SHIFT;
    }
    int32_t row;
    if (!InsertStoredRow(&state->rows, position, text, rowState, &row)) {
        return false;
    }
    if (row < state->rowsShown) {
        // The rows the list view knows moved down by one.
        ShowStoredRows(list, state);
        InvalidateRect(list, nullptr, TRUE);
    } else {
        ShowRowsSoon(list, state);
    }
    return true;
}
