// The report list's commands on its rows: Ctrl+A selects every row, Ctrl+C puts the
// selected rows on the clipboard, and a right click offers both in a menu.
#include "runtime/control/ReportList.h"

#include "runtime/core/Core.h"
#include "runtime/window/Window.h"

#include <stdint.h>
#include <string.h>
#include <windowsx.h>

namespace {
constexpr UINT COPY_COMMAND = 1;
constexpr UINT SELECT_ALL_COMMAND = 2;
constexpr SIZE_T FIRST_TEXT_CAPACITY = 65536;
constexpr int32_t CLIPBOARD_TRIES = 20;
constexpr DWORD CLIPBOARD_WAIT_MS = 10;

// The rows' text while it is built on AppHeap: one line per row, a tab between the cells.
struct RowsText {
    char* text;
    SIZE_T length;
    SIZE_T capacity;
};

// Makes room for `more` bytes after the text; false when AppHeap cannot give it, or the
// size would pass what the address space can hold.
bool MakeRoom(RowsText* rows, SIZE_T more) {
    if (rows->capacity - rows->length >= more) {
        return true;
    }
    SIZE_T capacity = rows->capacity != 0 ? rows->capacity : FIRST_TEXT_CAPACITY;
    while (capacity - rows->length < more) {
        if (capacity > SIZE_MAX / 2) {
            return false;
        }
        capacity *= 2;
    }
    void* grown = GrowHeapBlock(rows->text, capacity, 0);
    if (grown == nullptr) {
        return false;
    }
    rows->text = static_cast<char*>(grown);
    rows->capacity = capacity;
    return true;
}

bool AppendToRowsText(RowsText* rows, const char* bytes, SIZE_T count) {
    if (!MakeRoom(rows, count)) {
        return false;
    }
    memcpy(rows->text + rows->length, bytes, count);
    rows->length += count;
    return true;
}

// Appends one cell's whole text.
bool AppendCell(RowsText* text, const ReportRows* rows, int32_t row, int32_t column) {
    SIZE_T length;
    const char* cell = StoredCell(rows, row, column, &length);
    return AppendToRowsText(text, cell != nullptr ? cell : "", length);
}

// The selected rows in list order, each line ended by CR LF, the text closed by a zero;
// false when AppHeap cannot hold it whole. The caller frees text->text either way.
bool BuildSelectedRowsText(RowsText* text, const ReportListState* state) {
    const ReportRows* rows = &state->rows;
    int32_t columns = ColumnCount(state->list);
    for (int32_t row = 0; row < rows->count; row++) {
        if (!IsRowSelected(state, row)) {
            continue;
        }
        for (int32_t column = 0; column < columns; column++) {
            if (!AppendCell(text, rows, row, column) ||
                !AppendToRowsText(text, column + 1 < columns ? "\t" : "\r\n",
                                  column + 1 < columns ? 1 : 2)) {
                return false;
            }
        }
    }
    return AppendToRowsText(text, "", 1);
}

// Another program that reads the clipboard holds it open for a moment; the copy waits up to
// CLIPBOARD_TRIES * CLIPBOARD_WAIT_MS for it rather than fail.
bool OpenClipboardSoon(HWND list) {
    for (int32_t attempt = 1;; attempt++) {
        if (OpenClipboard(list)) {
            return true;
        }
        if (attempt == CLIPBOARD_TRIES) {
            return false;
        }
        Sleep(CLIPBOARD_WAIT_MS);
    }
}

// Hands the text to the clipboard as CF_TEXT; the system makes the Unicode form from it.
// The clipboard is emptied only once the text is whole in its block.
// Null when the clipboard took the text, else the message to show.
const char* PutOnClipboard(HWND list, const RowsText* rows, const ReportCommandTexts* texts) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, rows->length);
    if (block == nullptr) {
        return texts->noMemoryForCopy;
    }
    memcpy(GlobalLock(block), rows->text, rows->length);
    GlobalUnlock(block);
    bool taken = false;
    if (OpenClipboardSoon(list)) {
        EmptyClipboard();
        taken = SetClipboardData(CF_TEXT, block) != nullptr;
        CloseClipboard();
    }
    // The clipboard owns the block only once it took it.
    if (!taken) {
        GlobalFree(block);
        return texts->clipboardRefused;
    }
    return nullptr;
}

// Puts the selected rows on the clipboard as lines of tab-separated cells, under the wait
// cursor. A text that cannot be had whole is not copied at all: the user is told, and the
// clipboard keeps what it held. With no row selected nothing happens.
void CopySelectedRows(const ReportListState* state) {
    if (state->selectedRows == 0) {
        return;
    }
    HWND list = state->list;
    static const ReportCommandTexts untold = {};
    const ReportCommandTexts* texts = state->texts != nullptr ? state->texts : &untold;
    HCURSOR cursor = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    RowsText text = {};
    const char* failure = BuildSelectedRowsText(&text, state) ? PutOnClipboard(list, &text, texts)
                                                              : texts->noMemoryForCopy;
    if (text.text != nullptr) {
        HeapFree(AppHeap, 0, text.text);
    }
    SetCursor(cursor);
    if (failure != nullptr && state->texts != nullptr) {
        ShowWarning(GetAncestor(list, GA_ROOT), failure);
    }
}

// Every row kept; a list of one selected row has no select-all.
void SelectAllRows(ReportListState* state) {
    if (!IsSingleSelection(state)) {
        TellRowCount(state);
        AddSelectedRows(state, 0, state->rows.count - 1);
    }
}

// Where a menu asked for with the keyboard (no pointer position) opens: below the focused
// row while it is in view, else at the list's top left corner.
POINT MenuPlaceForKeyboard(HWND list) {
    POINT place = {0, 0};
    RECT client;
    RECT row;
    row.left = LVIR_LABEL;
    GetClientRect(list, &client);
    int32_t focused = static_cast<int32_t>(
        SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_FOCUSED, 0)));
    if (focused >= 0 &&
        SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(focused),
                     reinterpret_cast<LPARAM>(&row)) &&
        row.bottom > client.top && row.bottom < client.bottom) {
        place = {row.left, row.bottom};
    }
    ClientToScreen(list, &place);
    return place;
}

// Ctrl with the letter, without Alt: Ctrl+Alt is AltGr on many keyboards.
bool IsControlShortcut(WPARAM key, char letter) {
    return key == static_cast<WPARAM>(letter) && GetKeyState(VK_CONTROL) < 0 &&
           GetKeyState(VK_MENU) >= 0;
}

// TranslateMessage has already queued the shortcut's character (1 for Ctrl+A, 3 for
// Ctrl+C); taken here, it must not reach the list view's type-ahead, which would search
// for it, and beep where nothing is found. Taken before the command, whose message box
// would dispatch it.
void DropShortcutCharacter(HWND list, char letter) {
    MSG queued;
    if (PeekMessageA(&queued, list, WM_CHAR, WM_CHAR, PM_NOREMOVE | PM_NOYIELD) &&
        queued.wParam == static_cast<WPARAM>(letter - 'A' + 1)) {
        PeekMessageA(&queued, list, WM_CHAR, WM_CHAR, PM_REMOVE | PM_NOYIELD);
    }
}
} // namespace

// The menu of a right click (or of the menu key): copy, grey while no row is selected, and
// select all, in the texts the list was given; none without them.
void ShowRowMenu(ReportListState* state, LPARAM where) {
    if (state->texts == nullptr) {
        return;
    }
    HWND list = state->list;
    POINT place = {GET_X_LPARAM(where), GET_Y_LPARAM(where)};
    if (place.x == -1 && place.y == -1) {
        place = MenuPlaceForKeyboard(list);
    }
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) {
        return;
    }
    UINT copyState = state->selectedRows > 0 ? MF_ENABLED : MF_GRAYED;
    AppendMenuW(menu, MF_STRING | copyState, COPY_COMMAND, state->texts->copyItem);
    AppendMenuW(menu, MF_STRING, SELECT_ALL_COMMAND, state->texts->selectAllItem);
    UINT chosen =
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, place.x, place.y, 0, list, nullptr);
    DestroyMenu(menu);
    if (chosen == COPY_COMMAND) {
        CopySelectedRows(state);
    } else if (chosen == SELECT_ALL_COMMAND) {
        SelectAllRows(state);
    }
}

bool TakeRowShortcut(ReportListState* state, WPARAM key) {
    if (IsControlShortcut(key, 'A')) {
        DropShortcutCharacter(state->list, 'A');
        SelectAllRows(state);
        return true;
    }
    if (IsControlShortcut(key, 'C')) {
        DropShortcutCharacter(state->list, 'C');
        CopySelectedRows(state);
        return true;
    }
    return false;
}
