// The one procedure the runtime puts in front of every list view: it fetches the list's
// state once and hands each message the list answers itself to its handler.
#include "runtime/control/ReportList.h"

#include "runtime/core/Core.h"

#include <commctrl.h>

namespace {
void FreeListState(ReportListState* state) {
    SetWindowLongPtrA(state->list, GWLP_USERDATA, 0);
    ClearStoredRows(&state->rows);
    HeapFree(AppHeap, 0, state);
}

// What the list answers itself; false for a message the list view answers.
bool AnswerListMessage(ReportListState* state, UINT message, WPARAM wParam, LPARAM lParam,
                       LRESULT* result) {
    *result = 0;
    switch (message) {
    case WM_TIMER:
        if (wParam != SHOW_TIMER) {
            return false;
        }
        OnShowTick(state);
        return true;
    case WM_KEYDOWN:
        return TakeRowShortcut(state, wParam);
    case WM_CONTEXTMENU:
        ShowRowMenu(state, lParam);
        return true;
    case LVM_GETITEMCOUNT:
        // Whoever asks learns of every row kept, without a telling of the list view; one who
        // then asks anything of a row gets it told first.
        *result = state->rows.count;
        return true;
    case WM_STYLECHANGING:
    case WM_STYLECHANGED:
        // The list view would update its scroll bars, and redraw them, for a style change
        // that only holds its drawing back while it is told of rows.
        return state->tellingQuietly;
    default:
        return false;
    }
}
} // namespace

ReportListState* ReportListStateOf(HWND list) {
    const ControlRecord* record = LookupControlRecord(GetDlgCtrlID(list));
    if (list == nullptr || record->handle != list || record->ops != &ReportListOps) {
        return nullptr;
    }
    return reinterpret_cast<ReportListState*>(GetWindowLongPtrA(list, GWLP_USERDATA));
}

LRESULT CALLBACK ReportListProcedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    // Only the list's own header notifies it, on this thread; a notification sent from
    // another thread points into memory of no meaning here, which the list view would read.
    if (message == WM_NOTIFY && InSendMessage()) {
        return 0;
    }
    ReportListState* state = ReportListStateOf(list);
    if (state != nullptr) {
        LRESULT result;
        if (AnswerListMessage(state, message, wParam, lParam, &result)) {
            return result;
        }
        // Whoever asks the list learns of every row kept, not only of those of the last tick.
        if (message >= LVM_FIRST && message < LVM_FIRST + 0x100 && message != LVM_SETITEMCOUNT) {
            TellRowCount(state);
        }
        // The list view asks for no more rows once it is being destroyed.
        if (message == WM_NCDESTROY) {
            FreeListState(state);
        }
    }
    ListProcedureDepth++;
    LRESULT result = CallWindowProcA(ListViewProcedure, list, message, wParam, lParam);
    ListProcedureDepth--;
    return result;
}

LRESULT SendToListView(const ReportListState* state, UINT message, WPARAM wParam, LPARAM lParam) {
    ListProcedureDepth++;
    LRESULT result = CallWindowProcA(ListViewProcedure, state->list, message, wParam, lParam);
    ListProcedureDepth--;
    return result;
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
