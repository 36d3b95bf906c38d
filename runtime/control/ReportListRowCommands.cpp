// The report list's commands on its rows: Ctrl+A selects every row, Ctrl+C puts the
// selected rows on the clipboard, and a right click offers both in a menu.
#include "runtime/control/ControlState.h"

#include "runtime/core/Core.h"
#include "runtime/window/Window.h"

#include <stdint.h>
#include <string.h>
#include <windowsx.h>

namespace {
constexpr UINT COPY_COMMAND = 1;
constexpr UINT SELECT_ALL_COMMAND = 2;
// A cell is first read with this much room; a longer one is read again with twice as much.
constexpr SIZE_T FIRST_CELL_ROOM = 4096;
constexpr SIZE_T FIRST_TEXT_CAPACITY = 65536;

constexpr char NO_MEMORY_FOR_COPY[] =
    "Der Speicher reicht nicht aus, um die markierten Zeilen zu kopieren. Die Zwischenablage "
    "bleibt, wie sie war.";
constexpr char CLIPBOARD_REFUSED[] =
    "Die Zwischenablage hat die markierten Zeilen nicht angenommen.";

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
    void* grown = rows->text != nullptr ? HeapReAlloc(AppHeap, 0, rows->text, capacity)
                                        : HeapAlloc(AppHeap, 0, capacity);
    if (grown == nullptr) {
        return false;
    }
    rows->text = static_cast<char*>(grown);
    rows->capacity = capacity;
    return true;
}

bool AppendBytes(RowsText* rows, const char* bytes, SIZE_T count) {
    if (!MakeRoom(rows, count)) {
        return false;
    }
    memcpy(rows->text + rows->length, bytes, count);
    rows->length += count;
    return true;
}

// Appends one cell's whole text; false when it cannot be read whole.
bool AppendCell(RowsText* rows, HWND list, int32_t row, int32_t column) {
    for (SIZE_T room = FIRST_CELL_ROOM;; room *= 2) {
        if (!MakeRoom(rows, room)) {
            return false;
        }
        char* place = rows->text + rows->length;
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.iSubItem = column;
        item.pszText = place;
        item.cchTextMax = static_cast<int>(room);
        if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) ||
            item.pszText == nullptr) {
            return false;
        }
        // A text that fills the room may have been cut there.
        SIZE_T length = strnlen(item.pszText, room);
        if (length < room - 1) {
            // The list may answer with a pointer to a text of its own instead of filling ours.
            memmove(place, item.pszText, length);
            rows->length += length;
            return true;
        }
    }
}

int32_t NextSelectedRow(HWND list, int32_t after) {
    return static_cast<int32_t>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(after),
                                             MAKELPARAM(LVNI_SELECTED, 0)));
}

// The selected rows in list order, each line ended by CR LF, the text closed by a zero;
// false when AppHeap cannot hold it whole. The caller frees rows->text either way.
bool BuildSelectedRowsText(RowsText* rows, HWND list) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    int32_t columns = static_cast<int32_t>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    for (int32_t row = NextSelectedRow(list, -1); row >= 0; row = NextSelectedRow(list, row)) {
        for (int32_t column = 0; column < columns; column++) {
            if (!AppendCell(rows, list, row, column) ||
                !AppendBytes(rows, column + 1 < columns ? "\t" : "\r\n",
                             column + 1 < columns ? 1 : 2)) {
                return false;
            }
        }
    }
    return AppendBytes(rows, "", 1);
}

// Hands the text to the clipboard as CF_TEXT; the system makes the Unicode form from it.
// The clipboard is emptied only once the text is whole in its block.
const char* PutOnClipboard(HWND list, const RowsText* rows) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, rows->length);
    if (block == nullptr) {
        return NO_MEMORY_FOR_COPY;
    }
    memcpy(GlobalLock(block), rows->text, rows->length);
    GlobalUnlock(block);
    bool taken = false;
    if (OpenClipboard(list)) {
        EmptyClipboard();
        taken = SetClipboardData(CF_TEXT, block) != nullptr;
        CloseClipboard();
    }
    // The clipboard owns the block only once it took it.
    if (!taken) {
        GlobalFree(block);
        return CLIPBOARD_REFUSED;
    }
    return nullptr;
}

// Puts the selected rows on the clipboard as lines of tab-separated cells, under the wait
// cursor. A text that cannot be had whole is not copied at all: the user is told, and the
// clipboard keeps what it held. With no row selected nothing happens.
void CopySelectedRows(HWND list) {
    if (NextSelectedRow(list, -1) < 0) {
        return;
    }
    HCURSOR cursor = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    RowsText rows = {};
    const char* failure =
        BuildSelectedRowsText(&rows, list) ? PutOnClipboard(list, &rows) : NO_MEMORY_FOR_COPY;
    if (rows.text != nullptr) {
        HeapFree(AppHeap, 0, rows.text);
    }
    SetCursor(cursor);
    if (failure != nullptr) {
        ShowWarning(GetAncestor(list, GA_ROOT), failure);
    }
}

// Under the wait cursor too: the list reports each row's change on its own, which takes
// seconds for a hundred thousand rows.
void SelectAllRows(HWND list) {
    HCURSOR cursor = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    SetCursor(cursor);
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

// The menu of a right click (or of the menu key): "Kopieren", grey while no row is
// selected, and "Alles auswählen". The texts are wide, so that the umlaut shows whatever
// the system's ANSI code page.
void ShowRowMenu(HWND list, LPARAM where) {
    POINT place = {GET_X_LPARAM(where), GET_Y_LPARAM(where)};
    if (place.x == -1 && place.y == -1) {
        place = MenuPlaceForKeyboard(list);
    }
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) {
        return;
    }
    UINT copyState = NextSelectedRow(list, -1) >= 0 ? MF_ENABLED : MF_GRAYED;
    AppendMenuW(menu, MF_STRING | copyState, COPY_COMMAND, L"&Kopieren");
    AppendMenuW(menu, MF_STRING, SELECT_ALL_COMMAND, L"&Alles ausw\u00e4hlen");
    UINT chosen =
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, place.x, place.y, 0, list, nullptr);
    DestroyMenu(menu);
    if (chosen == COPY_COMMAND) {
        CopySelectedRows(list);
    } else if (chosen == SELECT_ALL_COMMAND) {
        SelectAllRows(list);
    }
}

// Ctrl with the letter, without Alt: Ctrl+Alt is AltGr on many keyboards.
bool IsControlShortcut(WPARAM key, char letter) {
    return key == static_cast<WPARAM>(letter) && GetKeyState(VK_CONTROL) < 0 &&
           GetKeyState(VK_MENU) >= 0;
}

// The procedure the list had before it took the row commands, the same for every list.
WNDPROC ListProcedureBeforeRowCommands;

LRESULT CALLBACK TakeRowCommands(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
        if (IsControlShortcut(wParam, 'A')) {
            SelectAllRows(list);
            return 0;
        }
        if (IsControlShortcut(wParam, 'C')) {
            CopySelectedRows(list);
            return 0;
        }
        break;
    case WM_CONTEXTMENU:
        ShowRowMenu(list, lParam);
        return 0;
    }
    return CallWindowProcA(ListProcedureBeforeRowCommands, list, message, wParam, lParam);
}
} // namespace

void AddRowCommands(HWND list) {
    ListProcedureBeforeRowCommands = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TakeRowCommands)));
}
