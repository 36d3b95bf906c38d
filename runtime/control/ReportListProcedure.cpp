// The one procedure the runtime puts in front of every list view: it fetches the list's
// state once and hands each message the list answers itself to its handler: the show tick,
// the clicks and keys that change the selection, the row shortcuts, the menu, and the list
// view's messages about the selection.
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
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        return TakeButtonDown(state, message, wParam, lParam);
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        return TakeButtonUp(state, message, lParam);
    case WM_CAPTURECHANGED:
        state->pressedButton = 0;
        return false;
    case WM_KEYDOWN:
        return TakeSelectionKey(state, wParam) || TakeRowShortcut(state, wParam);
    case WM_CHAR:
        TypeAhead(state, wParam, lParam);
        return true;
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
        return AnswerSelectionMessage(state, message, wParam, lParam, result);
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
        // Whoever asks the list learns of every row kept, not only of those of the last tick;
        // the row count itself is answered from the rows kept.
        if (message >= LVM_FIRST && message < LVM_FIRST + 0x100 && message != LVM_SETITEMCOUNT &&
            message != LVM_GETITEMCOUNT) {
            TellRowCount(state);
        }
        LRESULT result;
        if (AnswerListMessage(state, message, wParam, lParam, &result)) {
            return result;
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

LRESULT NotifyListParent(const ReportListState* state, NMHDR* header, UINT code) {
    header->hwndFrom = state->list;
    header->idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(state->list));
    header->code = code;
    return SendMessageA(GetParent(state->list), WM_NOTIFY, header->idFrom,
                        reinterpret_cast<LPARAM>(header));
}

RowsInView RowsInViewOf(const ReportListState* state) {
    return {static_cast<int32_t>(SendToListView(state, LVM_GETTOPINDEX, 0, 0)),
            static_cast<int32_t>(SendToListView(state, LVM_GETCOUNTPERPAGE, 0, 0))};
}
