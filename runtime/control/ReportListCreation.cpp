// The report list's creation, through the one creation path of every control kind, and its
// columns.
#include "runtime/control/ReportList.h"

#include "runtime/core/Core.h"

#include <commctrl.h>

namespace {
// WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_OWNERDATA | LVS_SHAREIMAGELISTS | LVS_REPORT. The
// shared image lists belong to the runtime, so no list may destroy them.
constexpr uint32_t REPORT_LIST_STYLE = 0x50011041;
// What a column needs beside its text: the list view's margin before a cell's text and its
// padding behind it.
constexpr int32_t CELL_PADDING = 16;

// The list view under the number, else null.
HWND ReportListHandle(int32_t number) {
    const ControlRecord* record = LookupControlRecord(number);
    return record->ops == &ReportListOps ? record->handle : nullptr;
}

// Hangs the state on the list and puts the list's procedure in front of the list view.
void AttachListState(HWND list, ReportListState* state) {
    state->list = list;
    state->anchorRow = -1;
    SetWindowLongPtrA(list, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    ListViewProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ReportListProcedure)));
}
} // namespace

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
    auto* state = static_cast<ReportListState*>(
        HeapAlloc(AppHeap, HEAP_ZERO_MEMORY, sizeof(ReportListState)));
    if (state == nullptr) {
        return nullptr;
    }
    PendingControl = {WC_LISTVIEWA, x, y, width, height, nullptr, flags, &ReportListOps, true};
    HWND handle = CreateControlWindow(number, ReportListStyle(flags), WS_EX_CLIENTEDGE);
    if (handle == nullptr) {
        HeapFree(AppHeap, 0, state);
        return nullptr;
    }
    AttachListState(handle, state);
    // The check boxes and the selection are the rows' state; the focus is the list view's.
    SendMessageA(handle, LVM_SETCALLBACKMASK, LVIS_SELECTED | LVIS_STATEIMAGEMASK, 0);
    uint32_t extended = ReportListExtendedListStyle(flags);
    if (extended != 0) {
        SendMessageA(handle, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    }
    AddReportColumn(number, 0, columnTitle, columnWidth);
    return handle;
}

void AddReportColumn(int32_t number, int32_t index, const char* title, int32_t width) {
    HWND list = ReportListHandle(number);
    if (list == nullptr) {
        return;
    }
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    column.pszText = const_cast<char*>(title != nullptr ? title : "");
    column.iSubItem = index;
    SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&column));
}

int32_t ColumnCount(HWND list) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    return header != nullptr ? static_cast<int32_t>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0))
                             : 0;
}

int32_t ReportTextWidth(int32_t number, const char* text) {
    HWND list = ReportListHandle(number);
    if (list == nullptr || text == nullptr) {
        return 0;
    }
    int32_t width = static_cast<int32_t>(
        SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text)));
    return width + CELL_PADDING;
}

int32_t ReportColumnRoom(int32_t number) {
    HWND list = ReportListHandle(number);
    RECT client = {};
    if (list == nullptr || !GetClientRect(list, &client)) {
        return 0;
    }
    int32_t room = client.right - client.left;
    // Once the rows outgrow the list, its vertical scroll bar takes its width from the client.
    if ((GetWindowLongPtrA(list, GWL_STYLE) & WS_VSCROLL) == 0) {
        room -= GetSystemMetrics(SM_CXVSCROLL);
    }
    return room;
}

void SetReportColumnWidth(int32_t number, int32_t column, int32_t width) {
    HWND list = ReportListHandle(number);
    if (list != nullptr) {
        SendMessageA(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0));
    }
}

void SetReportCommandTexts(int32_t number, const ReportCommandTexts* texts) {
    ReportListState* state = ReportListStateOf(ReportListHandle(number));
    if (state != nullptr) {
        state->texts = texts;
    }
}
