// The rows a report list keeps and the count its list view was told. The list view updates
// its scroll bars twice for every count it is told, and the platform redraws a scroll bar
// on every update asked to redraw, whatever changed: two redraws of the vertical scroll bar
// per count, though at the top of a long list, or far above its end, no pixel changes. The
// list view is therefore told of rows that come below the rows in view with its window
// marked not drawable, as Windows holds back a window's drawing for WM_SETREDRAW, and the
// scroll bar is redrawn once afterwards, when its scroll box moved, at most 10 times a
// second.
#include "runtime/control/ReportList.h"

#include <commctrl.h>

namespace {
// While rows arrive at a visible list, the list view is told the new count 20 times a
// second; a tick that finds no new row stops the timer.
constexpr UINT SHOW_TICK_MS = 50;
// A moved scroll box is drawn at every second tick: the timer's ticks come a little early
// or late, so two of them are not always 100 ms apart.
constexpr DWORD SCROLL_BAR_REDRAW_MS = 90;

void AttachImageList(HWND list, WPARAM kind, HIMAGELIST images) {
    if (SendMessageA(list, LVM_GETIMAGELIST, kind, 0) == 0) {
        SendMessageA(list, LVM_SETIMAGELIST, kind, reinterpret_cast<LPARAM>(images));
    }
}

// Rows told now show where the list has room for them: below the last row it knows, in
// view (the row below the last whole one shows in part).
bool NewRowsComeIntoView(const ReportListState* state) {
    RowsInView view = RowsInViewOf(state);
    return state->rowsTold <= view.top + view.page;
}

// Where the scroll box of the vertical scroll bar is and how long it is; 0 without one.
int32_t ScrollBoxPlace(HWND list) {
    SCROLLBARINFO bar = {};
    bar.cbSize = sizeof bar;
    if (!GetScrollBarInfo(list, OBJID_VSCROLL, &bar) ||
        (bar.rgstate[0] & STATE_SYSTEM_INVISIBLE) != 0) {
        return 0;
    }
    return bar.xyThumbTop * 65536 + bar.xyThumbBottom;
}

void RedrawScrollBar(ReportListState* state) {
    SCROLLINFO bar = {};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_ALL;
    if (GetScrollInfo(state->list, SB_VERT, &bar)) {
        SetScrollInfo(state->list, SB_VERT, &bar, TRUE);
    }
    state->scrollBarBehind = false;
    state->scrollBarDrawnAt = GetTickCount();
}

// The count told with the list's window marked not drawable; the list's procedure keeps the
// two style changes from the list view.
void TellRowCountQuietly(ReportListState* state) {
    HWND list = state->list;
    int32_t boxBefore = ScrollBoxPlace(list);
    state->tellingQuietly = true;
    SetWindowLongPtrA(list, GWL_STYLE, GetWindowLongPtrA(list, GWL_STYLE) & ~WS_VISIBLE);
    SendToListView(state, LVM_SETITEMCOUNT, static_cast<WPARAM>(state->rowsTold),
                   LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    SetWindowLongPtrA(list, GWL_STYLE, GetWindowLongPtrA(list, GWL_STYLE) | WS_VISIBLE);
    state->tellingQuietly = false;
    if (ScrollBoxPlace(list) != boxBefore) {
        state->scrollBarBehind = true;
    }
}

void RedrawScrollBarWhenDue(ReportListState* state, bool now) {
    if (state->scrollBarBehind &&
        (now || GetTickCount() - state->scrollBarDrawnAt >= SCROLL_BAR_REDRAW_MS)) {
        RedrawScrollBar(state);
    }
}

// A list that cannot have a timer is told at once.
void TellRowCountSoon(ReportListState* state) {
    if (state->ticking) {
        return;
    }
    if (SetTimer(state->list, SHOW_TIMER, SHOW_TICK_MS, nullptr) != 0) {
        state->ticking = true;
        state->rowsAtLastTick = state->rowsTold;
        return;
    }
    TellRowCount(state);
}
} // namespace

void TellRowCount(ReportListState* state) {
    if (state->rowsTold != state->rows.count) {
        // A hidden list draws nothing either way; one not yet grown past its page shows the
        // new rows and may gain its scroll bar.
        bool quietly = IsWindowVisible(state->list) && !NewRowsComeIntoView(state);
        state->rowsTold = state->rows.count;
        if (quietly) {
            TellRowCountQuietly(state);
        } else {
            SendToListView(state, LVM_SETITEMCOUNT, static_cast<WPARAM>(state->rowsTold),
                           LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
        }
    }
    RedrawScrollBarWhenDue(state, false);
}

// A tick that finds no new row ends the burst: the scroll bar is drawn as it is and the
// timer stops.
void OnShowTick(ReportListState* state) {
    bool arriving = state->rows.count != state->rowsAtLastTick;
    state->rowsAtLastTick = state->rows.count;
    TellRowCount(state);
    if (!arriving) {
        RedrawScrollBarWhenDue(state, true);
        KillTimer(state->list, SHOW_TIMER);
        state->ticking = false;
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
    NoteRowInserted(state, row);
    if (row < state->rowsTold) {
        // The rows the list view knows moved down by one.
        TellRowCount(state);
        InvalidateRect(list, nullptr, TRUE);
    } else {
        TellRowCountSoon(state);
    }
    return true;
}
