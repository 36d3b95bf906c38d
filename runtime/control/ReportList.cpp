// The report list: a list view in report mode whose rows travel as one text, a line feed
// between the columns.
#include "runtime/control/ControlState.h"

#include "runtime/core/Core.h"

#include <string.h>

namespace {
// WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_SHAREIMAGELISTS | LVS_REPORT. The shared image
// lists belong to the runtime, so no list may destroy them.
constexpr uint32_t REPORT_LIST_STYLE = 0x50010041;
// A row's column 0 read by ReadText, and any cell read by ReadCell, may take this much of
// ScratchBuffer, the zero included.
constexpr int32_t ROW_TEXT_LIMIT = 60000;
constexpr int32_t CELL_TEXT_LIMIT = 10000;
constexpr UINT SELECTED_AND_FOCUSED = LVIS_SELECTED | LVIS_FOCUSED;
constexpr UINT STATE_IMAGE_EMPTY_BOX = 0x1000;
constexpr UINT STATE_IMAGE_CHECKED_BOX = 0x2000;
// While rows arrive the list is looked at every tick, and painted every PAINT_TICKS ticks:
// 16 times a second, and still more than 10 when a busy machine delays the ticks. A tick
// that finds no new row, 20 to 40 ms after the last one, draws it whole.
constexpr UINT PAINT_TICK_MS = 20;
constexpr int32_t PAINT_TICKS = 3;
// The list's timer while its painting is held back. Wine's list view numbers its own
// timers by the addresses of its data, which are never this small odd number.
constexpr UINT_PTR PAINT_TIMER = 0x2519;

// Cuts text at its first line feed; returns where the rest starts (at the terminating
// zero when there is no line feed).
char* CutAtLineFeed(char* text) {
    char* place = text;
    while (*place != 0 && *place != '\n') {
        place++;
    }
    if (*place == '\n') {
        *place++ = 0;
    }
    return place;
}

// Appends the text of one cell at the scratch cursor, limited to `limit` bytes and to the
// room left; the empty text when the list cannot give it.
void ReadItemText(HWND list, int32_t row, int32_t column, int32_t limit) {
    int32_t room = ScratchRoom();
    if (room == 0) {
        return;
    }
    *ScratchCursor = 0;
    if (row < 0) {
        return;
    }
    int32_t capacity = room < limit ? room : limit;
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = ScratchCursor;
    item.cchTextMax = capacity;
    if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) ||
        item.pszText == nullptr) {
        *ScratchCursor = 0;
        return;
    }
    // The list may answer with a pointer to a text of its own instead of filling ours.
    size_t length = strnlen(item.pszText, static_cast<size_t>(capacity - 1));
    if (item.pszText != ScratchCursor) {
        memmove(ScratchCursor, item.pszText, length);
    }
    ScratchCursor += length;
    *ScratchCursor = 0;
}

void SetItemState(HWND list, int32_t row, UINT mask, UINT state) {
    LVITEMA item = {};
    item.stateMask = mask;
    item.state = state;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void SetItemText(HWND list, int32_t row, int32_t column, const char* text) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text);
    SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
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
    ReadItemText(list, FocusedRow(list), 0, ROW_TEXT_LIMIT);
}

void SetFocusedRowText(HWND list, char* text) {
    int32_t row = FocusedRow(list);
    if (row < 0) {
        return;
    }
    char empty[1] = {0};
    char* first = text != nullptr ? text : empty;
    char* rest = CutAtLineFeed(first);
    SetItemText(list, row, 0, first);
    SetRowCells(list, row, rest);
}

bool AddRow(HWND list, int32_t position, const char* text) {
    return InsertReportRow(list, position, text, nullptr);
}

void RemoveRow(HWND list, int32_t row) {
    SendMessageA(list, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
}

void ClearRows(HWND list) {
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
}

int32_t CountRows(HWND list) {
    return static_cast<int32_t>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

int32_t GetRowState(HWND list, int32_t row) {
    int32_t bits = 0;
    if (SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) != 0) {
        bits |= ROW_SELECTED;
    }
    LRESULT extended = SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    if ((extended & LVS_EX_CHECKBOXES) != 0) {
        LRESULT state =
            SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
        // State image 1 is the empty box; anything else counts as checked.
        if (((state & LVIS_STATEIMAGEMASK) >> 12) != 1) {
            bits |= ROW_CHECKED;
        }
    }
    return bits;
}

void SetRowState(HWND list, int32_t row, int32_t bits) {
    SetItemState(list, row, SELECTED_AND_FOCUSED,
                 (bits & ROW_SELECTED) != 0 ? SELECTED_AND_FOCUSED : 0);
    SetItemState(list, row, LVIS_STATEIMAGEMASK,
                 (bits & ROW_CHECKED) != 0 ? STATE_IMAGE_CHECKED_BOX : STATE_IMAGE_EMPTY_BOX);
}

void ReadCell(HWND list, int32_t row, int32_t column) {
    ReadItemText(list, row, column, CELL_TEXT_LIMIT);
}

void SetCell(HWND list, int32_t row, const char* text, int32_t column) {
    SetItemText(list, row, column, text != nullptr ? text : "");
}

// WM_SETREDRAW that leaves WS_VISIBLE as it was. Wine's list view keeps the message to
// itself; Windows' list view passes it on to the default processing, which clears the bit
// when drawing goes off (the list would then leave the Tab order and read as hidden,
// though it stays on the screen) and sets it when drawing comes back (a hidden list would
// show).
void SetListRedraw(HWND list, BOOL redraw) {
    LONG_PTR before = GetWindowLongPtrA(list, GWL_STYLE);
    SendMessageA(list, WM_SETREDRAW, redraw, 0);
    LONG_PTR after = GetWindowLongPtrA(list, GWL_STYLE);
    if (((before ^ after) & WS_VISIBLE) != 0) {
        SetWindowLongPtrA(list, GWL_STYLE, (after & ~WS_VISIBLE) | (before & WS_VISIBLE));
    }
}

// Draws the list whole, frame, scroll bars and header included, as a full repaint draws
// it; its drawing is on.
void PaintWhole(HWND list) {
    RedrawWindow(list, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// The painting state that the list's record keeps; null for a list that its number does not
// lead to, as while it is being created.
ReportPainting* PaintingOf(HWND list) {
    ControlRecord* record = WritableControlRecord(GetDlgCtrlID(list));
    return record != nullptr && record->handle == list ? &record->painting : nullptr;
}

// The scroll box of the list's vertical scroll bar, where the screen shows it.
void ScrollBoxOf(HWND list, SCROLLBARINFO* box) {
    box->cbSize = sizeof *box;
    GetScrollBarInfo(list, OBJID_VSCROLL, box);
}

// Sets the range of the vertical scroll bar as the list does when its drawing comes on.
// The bar is drawn only when its box moves or changes size: at the top of a long list the
// box sits there at its least size whatever the rows.
void ShowRowsInScrollBar(HWND list, int32_t rows, int32_t perPage) {
    SCROLLINFO bar = {};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_RANGE | SIF_PAGE;
    bar.nMax = rows - 1;
    bar.nPage = static_cast<UINT>(perPage);
    SCROLLBARINFO before = {};
    ScrollBoxOf(list, &before);
    SetScrollInfo(list, SB_VERT, &bar, FALSE);
    SCROLLBARINFO after = {};
    ScrollBoxOf(list, &after);
    if (after.xyThumbTop != before.xyThumbTop || after.xyThumbBottom != before.xyThumbBottom) {
        // The platform draws the bar only when its range changes: one row short of it first.
        bar.nMax--;
        SetScrollInfo(list, SB_VERT, &bar, FALSE);
        bar.nMax++;
        SetScrollInfo(list, SB_VERT, &bar, TRUE);
    }
}

// A tick of a hold-back: every PAINT_TICKS-th paints what changed since the last paint. A
// tick that finds no new row ends the hold-back.
void CALLBACK PaintTick(HWND list, UINT, UINT_PTR timer, DWORD) {
    ReportPainting* painting = PaintingOf(list);
    int32_t rows = CountRows(list);
    if (painting == nullptr || rows == painting->rowsAtTick) {
        KillTimer(list, timer);
        if (painting != nullptr) {
            *painting = {};
        }
        SetListRedraw(list, TRUE);
        PaintWhole(list);
        return;
    }
    // The tick's own paint sends the list messages that WatchHeldBackList would count as
    // changes; the tick's state is written back after it.
    ReportPainting now = *painting;
    int32_t perPage = static_cast<int32_t>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
    int32_t top = static_cast<int32_t>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
    // The rows added since the last tick start at rowsAtTick. Below the view (the row after
    // the last whole row in view shows in part), they change nothing in the client but the
    // vertical scroll bar.
    if (now.rowsAtTick <= top + perPage) {
        now.clientChanged = true;
    }
    now.rowsAtTick = rows;
    now.ticks++;
    if (now.ticks == PAINT_TICKS) {
        // The scroll bar alone is drawn only when no tick since the last paint found a change
        // in the client: the list then had more rows than it shows at that paint, so the
        // screen already shows a bar, whose box alone can have moved.
        if (now.clientChanged) {
            SetListRedraw(list, TRUE);
            PaintWhole(list);
            SetListRedraw(list, FALSE);
        } else {
            ShowRowsInScrollBar(list, rows, perPage);
        }
        now.ticks = 0;
        now.clientChanged = false;
    }
    *painting = now;
}

// Every row added to a visible list costs it a repaint and a scroll-bar update, which
// under Wine take far longer than the row itself. The first row of a burst therefore
// turns the list's drawing off and starts its ticks. A row that goes in above the rows
// counted at the last tick moves rows that may be in view.
void HoldBackPainting(HWND list, int32_t position) {
    ReportPainting* painting = PaintingOf(list);
    if (painting == nullptr) {
        return;
    }
    if (!painting->heldBack) {
        // Without the timer nothing would turn drawing on again: the list then paints each
        // row.
        if (!IsWindowVisible(list) || SetTimer(list, PAINT_TIMER, PAINT_TICK_MS, PaintTick) == 0) {
            return;
        }
        int32_t rows = CountRows(list);
        // Turning drawing off is no change to the client; the hold-back starts after it.
        SetListRedraw(list, FALSE);
        *painting = {.heldBack = true, .clientChanged = false, .ticks = 0, .rowsAtTick = rows};
    }
    if (position < painting->rowsAtTick) {
        painting->clientChanged = true;
    }
}

// The list view's own window procedure, the same for every list.
WNDPROC ListViewProcedure;

// Notes, while painting is held back, every message that may change what the client
// shows: all but a run's own row messages, reads, and the hold-back's own painting.
LRESULT CALLBACK WatchHeldBackList(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    // Only the list's own header notifies it, on this thread; a notification sent from
    // another thread points into memory of no meaning here, which the list view would read.
    if (message == WM_NOTIFY && InSendMessage()) {
        return 0;
    }
    switch (message) {
    case REPORT_ASK_PAINTING_HELD_BACK: {
        ReportPainting* painting = PaintingOf(list);
        return painting != nullptr && painting->heldBack ? 1 : 0;
    }
    case LVM_INSERTITEMA: // HoldBackPainting has judged where the row goes
    case LVM_SETITEMTEXTA:
    case LVM_GETITEMCOUNT:
    case LVM_GETITEMA:
    case LVM_GETNEXTITEM:
    case LVM_GETHEADER:
    case LVM_GETTOPINDEX:
    case LVM_GETCOUNTPERPAGE:
    case WM_SETREDRAW:
    case WM_NCPAINT: // the frame and scroll bars are drawn whether drawing is on or off
        break;
    default:
        ReportPainting* painting = PaintingOf(list);
        if (painting != nullptr && painting->heldBack) {
            painting->clientChanged = true;
        }
    }
    return CallWindowProcA(ListViewProcedure, list, message, wParam, lParam);
}

int32_t ColumnCount(HWND list) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    return header != nullptr ? static_cast<int32_t>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0))
                             : 0;
}

// Attaches a shared image list to the list unless it already has one of this kind.
void AttachImageList(HWND list, WPARAM kind, HIMAGELIST images) {
    if (SendMessageA(list, LVM_GETIMAGELIST, kind, 0) == 0) {
        SendMessageA(list, LVM_SETIMAGELIST, kind, reinterpret_cast<LPARAM>(images));
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
    .RemoveRow = RemoveRow,             // LVM_DELETEITEM
    .ClearRows = ClearRows,             // LVM_DELETEALLITEMS
    .CountRows = CountRows,             // LVM_GETITEMCOUNT
    .GetRowState = GetRowState,         // ROW_SELECTED, ROW_CHECKED
    .SetRowState = SetRowState,         // ROW_SELECTED, ROW_CHECKED
    .ReadCell = ReadCell,               // one cell's text
    .SetCell = SetCell,                 // one cell's text; null counts as ""
};

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
    HWND handle = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, nullptr, ReportListStyle(flags),
                                  x, y, width, height, ControlParent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(number)),
                                  ModuleInstance, nullptr);
    // A failed creation leaves the table as it was.
    if (handle == nullptr) {
        return nullptr;
    }
    ListViewProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchHeldBackList)));
    AddRowCommands(handle);
    SendMessageA(handle, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont), TRUE);
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
    record->painting = {};
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

bool InsertReportRow(HWND list, int32_t position, const char* text, HANDLE image) {
    if (list == nullptr) {
        return false;
    }
    if (position == -1) {
        position = CountRows(list);
    }
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    if (image != nullptr) {
        int32_t index = ImageIndexFor(image);
        if (index >= 0) {
            AttachImageList(list, LVSIL_NORMAL, NormalImageList);
            AttachImageList(list, LVSIL_SMALL, SmallImageList);
            item.mask |= LVIF_IMAGE;
            item.iImage = index;
        }
    }
    // The pieces are cut in a copy, so the caller's text (often a scratch text) stays whole.
    // Without the copy the row could show only its first piece.
    char empty[1] = {0};
    char* copy = nullptr;
    char* rest = empty;
    if (text != nullptr) {
        size_t size = strlen(text) + 1;
        copy = static_cast<char*>(GlobalAlloc(GMEM_FIXED, size));
        if (copy == nullptr) {
            return false;
        }
        memcpy(copy, text, size);
        rest = CutAtLineFeed(copy);
    }
    HoldBackPainting(list, position);
    item.iItem = position;
    item.iSubItem = 0;
    item.pszText = copy != nullptr ? copy : empty;
    LRESULT row = SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    bool complete = row >= 0 && SetRowCells(list, static_cast<int32_t>(row), rest);
    // A row missing some of its cells would read as a wrong result.
    if (row >= 0 && !complete) {
        SendMessageA(list, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    }
    if (copy != nullptr) {
        GlobalFree(copy);
    }
    return complete;
}

bool SetRowCells(HWND list, int32_t row, char* pieces) {
    if (pieces == nullptr) {
        return true;
    }
    bool complete = true;
    int32_t column = 1;
    while (*pieces != 0) {
        char* piece = pieces;
        pieces = CutAtLineFeed(piece);
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = piece;
        // A piece beyond the last column has no cell to miss; the platform drops it.
        if (!SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row),
                          reinterpret_cast<LPARAM>(&item)) &&
            column < ColumnCount(list)) {
            complete = false;
        }
        column++;
    }
    return complete;
}
