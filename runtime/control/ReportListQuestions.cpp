// What the list view asks the owner of a report list, and which of a list's notifications
// the window records as events: the handler the window runtime asks for every notification.
#include "runtime/control/ReportList.h"

#include <commctrl.h>

namespace {
void AnswerDisplayInfo(const ReportListState* state, LVITEMA* item) {
    if (!IsStoredRow(&state->rows, item->iItem)) {
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
    if ((item->mask & LVIF_STATE) != 0 && (item->stateMask & LVIS_SELECTED) != 0) {
        item->state = (item->state & ~static_cast<UINT>(LVIS_SELECTED)) |
                      ((rowState & ROW_SELECTED) != 0 ? LVIS_SELECTED : 0);
    }
}

// Type-ahead: the first row from `start` on, wrapping when asked, whose column 0 is the
// text searched for or, for a partial search, begins with it; -1 when none.
LRESULT FindRow(const ReportListState* state, UINT flags, int32_t start, const char* wanted) {
    if ((flags & (LVFI_STRING | LVFI_PARTIAL)) == 0 || wanted == nullptr) {
        return -1;
    }
    int32_t rows = state->rowsTold;
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
    if (image != 0 && IsStoredRow(&state->rows, change->iItem)) {
        uint32_t& rowState = state->rows.rows[change->iItem].state;
        rowState &= ~static_cast<uint32_t>(ROW_CHECKED);
        rowState |= image != INDEXTOSTATEIMAGEMASK(1) ? ROW_CHECKED : 0;
    }
}

LRESULT AnswerListQuestion(ReportListState* state, const NMHDR* header) {
    switch (header->code) {
    case LVN_GETDISPINFOA:
        AnswerDisplayInfo(state,
                          &reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(header))->item);
        return 0;
    case LVN_ODFINDITEMA: {
        const NMLVFINDITEMA* find = reinterpret_cast<const NMLVFINDITEMA*>(header);
        LRESULT row = FindRow(state, find->lvfi.flags, find->iStart, find->lvfi.psz);
        return state->typingAhead ? TakeRowFoundByTyping(state, row) : row;
    }
    case LVN_ODFINDITEMW: {
        LRESULT row = FindRowForKeys(state, reinterpret_cast<const NMLVFINDITEMW*>(header));
        return state->typingAhead ? TakeRowFoundByTyping(state, row) : row;
    }
    case LVN_ITEMCHANGED:
        NoteCheckBox(state, reinterpret_cast<const NMLISTVIEW*>(header));
        return 0;
    default:
        return 0;
    }
}

// A list's notifications that reach the application: a person's clicks and activations,
// and every change of a row. The codes are negative numbers; NMHDR carries them as UINT.
bool IsListEventCode(UINT code) {
    switch (code) {
    case NM_CLICK:
    case NM_DBLCLK:
    case NM_RCLICK:
    case NM_RDBLCLK:
    case LVN_ITEMACTIVATE:
    case LVN_ITEMCHANGED:
        return true;
    default:
        return false;
    }
}

// Any list view counts, the runtime's report lists and others alike; its header does not.
bool IsListView(HWND sender) {
    char name[8] = "";
    GetClassNameA(sender, name, sizeof name);
    return name[0] == 'S' && name[1] == 'y' && name[2] == 's' && name[3] == 'L';
}
} // namespace

// A notification sent from another thread points into memory of no meaning here: a list's
// question is read only while its own procedure runs, the only time it asks, and the code
// for an event only when this thread sent the notification itself.
NotificationAnswer AnswerListNotification(const NMHDR* header) {
    NotificationAnswer answer = {0, false};
    if (ListProcedureDepth > 0) {
        ReportListState* state = ReportListStateOf(header->hwndFrom);
        if (state != nullptr) {
            answer.result = AnswerListQuestion(state, header);
        }
    }
    // The code first: a list sends many notifications that are no event (a change about to
    // happen, for each of its rows as Ctrl+A selects them), and the class name costs a call.
    answer.isEvent =
        !InSendMessage() && IsListEventCode(header->code) && IsListView(header->hwndFrom);
    return answer;
}
