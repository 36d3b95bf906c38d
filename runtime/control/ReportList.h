// The report list's room: the rows the runtime keeps for each list, the one state record of
// a list, and the operations the list's files share. Internal to the control runtime; tests
// include it to look at a list's rows.
#pragma once

#include "runtime/control/ControlState.h"
#include "runtime/window/Window.h"

// A report list's rows, kept by the runtime: the list view is a virtual list that asks for
// the texts of the rows it draws. Texts are appended to blocks of TEXT_BLOCK_SIZE bytes; a
// text too long for one gets a block of its own. A text replaced stays in its block until
// the rows are cleared.
struct TextBlock {
    TextBlock* previous;
    SIZE_T used; // bytes of the block in use, this header included
    SIZE_T size;
};

struct ReportRow {
    char* text; // the row's text as it came: a line feed between the cells, then a zero
    // ROW_SELECTED, ROW_CHECKED, and the image index + 1 from ROW_IMAGE_SHIFT up.
    uint32_t state;
};

struct ReportRows {
    ReportRow* rows;
    int32_t count;
    int32_t capacity;
    TextBlock* lastBlock;
};

// Everything a report list keeps beside what the list view keeps (the columns and the
// focus). Hangs on the list's GWLP_USERDATA from its creation to its
// WM_NCDESTROY; the list's procedure fetches it once per message and hands it on.
struct ReportListState {
    HWND list;
    ReportRows rows;
    // The row count the list view was last told. While rows arrive it is told at the ticks
    // of the list's timer, and before it answers any list message.
    int32_t rowsTold;
    // The row count at the last tick: a tick that finds no new row ends the burst.
    int32_t rowsAtLastTick;
    bool ticking;
    // While the list view is told of rows with its drawing held back.
    bool tellingQuietly;
    // The scroll box moved while the list view was told quietly, and is not drawn there yet.
    bool scrollBarBehind;
    DWORD scrollBarDrawnAt;          // GetTickCount of the last redraw of the scroll bar
    const ReportCommandTexts* texts; // null: no menu, and a failed copy is not told
    // The selection, kept in the rows' ROW_SELECTED bits: the list view would change it row
    // by row. selectedRows counts the rows with the bit; anchorRow is where Shift extends
    // the selection from, -1 for none.
    int32_t selectedRows;
    int32_t anchorRow;
    // WM_LBUTTONDOWN or WM_RBUTTONDOWN while that button, pressed on the list, is held; else 0.
    UINT pressedButton;
    // While the list view searches the rows for the keys typed.
    bool typingAhead;
};

constexpr SIZE_T TEXT_BLOCK_SIZE = 65536;
constexpr uint32_t ROW_IMAGE_SHIFT = 8;
// The timer that tells the list view of new rows. Wine's list view numbers its own timers
// by the addresses of its data, which are never this small odd number.
constexpr UINT_PTR SHOW_TIMER = 0x2519;

// The rows as the runtime keeps them (ReportRows.cpp).
//
// Inserts a row at `position` (-1, or any position past the last row: after the last row);
// false, with the rows as they were, when AppHeap cannot hold it. Returns the row's index
// through `index`.
bool InsertStoredRow(ReportRows* rows, int32_t position, const char* text, uint32_t state,
                     int32_t* index);
void RemoveStoredRow(ReportRows* rows, int32_t row);
// Gives every block and the row array back to AppHeap.
void ClearStoredRows(ReportRows* rows);
// Replaces the text of `column` in `row` (a null text counts as ""); false, with the row
// as it was, when AppHeap cannot hold the new text.
bool ReplaceStoredCell(ReportRows* rows, int32_t row, int32_t column, const char* text);
// Where a cell's text starts, and its length through `length`; "" for a column the row
// has no piece for, null for a row that does not exist.
const char* StoredCell(const ReportRows* rows, int32_t row, int32_t column, SIZE_T* length);
// Copies at most capacity - 1 bytes of a cell and a zero to `destination`; returns the
// bytes copied before the zero. A capacity of 0 writes nothing.
SIZE_T CopyStoredCell(const ReportRows* rows, int32_t row, int32_t column, char* destination,
                      SIZE_T capacity);
bool IsStoredRow(const ReportRows* rows, int32_t row);

// The list's procedure and its access to the list view (ReportListProcedure.cpp).
//
// The state of a report list of this runtime, else null.
ReportListState* ReportListStateOf(HWND list);
// The list's one procedure, put in front of the list view at the list's creation.
LRESULT CALLBACK ReportListProcedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
// A message straight to the list view, past the list's procedure: it tells the list view
// no rows first.
LRESULT SendToListView(const ReportListState* state, UINT message, WPARAM wParam, LPARAM lParam);
// The first row in view and how many whole rows the list shows from there.
struct RowsInView {
    int32_t top;
    int32_t page;
};
RowsInView RowsInViewOf(const ReportListState* state);
// Sends a notification to the list's parent from the list, as the list view sends its own;
// fills the header and returns the parent's answer.
LRESULT NotifyListParent(const ReportListState* state, NMHDR* header, UINT code);

// The rows and the count the list view was told (ReportListRowsShown.cpp).
//
// Inserts a row at `position` (-1: after the last); line feeds in text separate the
// columns, and a null text counts as "". True when the row was kept; false, with nothing
// of it kept, when AppHeap cannot hold it.
bool InsertReportRow(HWND list, int32_t position, const char* text, HANDLE image);
// Tells the list view every row kept that it does not know of yet.
void TellRowCount(ReportListState* state);
// A tick of SHOW_TIMER while rows arrive.
void OnShowTick(ReportListState* state);

// What the list view asks the owner (ReportListQuestions.cpp): the handler of every list's
// notifications, which the window runtime asks.
NotificationAnswer AnswerListNotification(const NMHDR* header);

// Cells cut to draw (ReportListCellCut.cpp): a cell longer than the room the list view
// gives it ends after its last whole number, then a mark.
void CopyCellToDraw(const ReportRows* rows, int32_t row, int32_t column, char* destination,
                    SIZE_T capacity);

// Creation and columns (ReportListCreation.cpp).
int32_t ColumnCount(HWND list);

// The selection the list keeps (ReportListSelection.cpp). Each change notifies the window
// once and redraws the rows in view that changed.
//
// The focused row, which the list view keeps; -1 when none.
int32_t FocusedListRow(const ReportListState* state);
// Gives the list view's focus to `row` (-1: to no row) and brings it into view.
void FocusListRow(ReportListState* state, int32_t row);
bool IsRowSelected(const ReportListState* state, int32_t row);
// Makes rows first..last the selection, or adds them to it; first > last selects none.
void SelectOnlyRows(ReportListState* state, int32_t first, int32_t last);
void AddSelectedRows(ReportListState* state, int32_t first, int32_t last);
void ToggleRowSelection(ReportListState* state, int32_t row);
void ToggleRowCheck(ReportListState* state, int32_t row);
bool IsSingleSelection(const ReportListState* state);
// The list view's messages about the selection, answered from the rows; false for the
// messages the list view answers.
bool AnswerSelectionMessage(ReportListState* state, UINT message, WPARAM wParam, LPARAM lParam,
                            LRESULT* result);
// The stored rows moved: `row` was inserted, or is about to be removed.
void NoteRowInserted(ReportListState* state, int32_t row);
void NoteRowRemoved(ReportListState* state, int32_t row);
void ForgetSelection(ReportListState* state);

// What a person does to the selection (ReportListGestures.cpp): the clicks, the keys that
// move the focus, and type-ahead, each changing the rows kept at once. Each is true when it
// took the message.
bool TakeButtonDown(ReportListState* state, UINT message, WPARAM wParam, LPARAM lParam);
bool TakeButtonUp(ReportListState* state, UINT message, LPARAM lParam);
bool TakeSelectionKey(ReportListState* state, WPARAM key);
void TypeAhead(ReportListState* state, WPARAM character, LPARAM keyData);
// The row the list view found for the keys typed: the selection moves there as the keys
// say. Returns what the list view is told it found: none, so that it leaves the selection.
LRESULT TakeRowFoundByTyping(ReportListState* state, LRESULT row);

// The row commands (ReportListRowCommands.cpp): Ctrl+A selects every row, Ctrl+C puts the
// selected rows on the clipboard, and a right click (or the menu key) opens a menu with
// both. The shortcut is true when it took the key.
bool TakeRowShortcut(ReportListState* state, WPARAM key);
void ShowRowMenu(ReportListState* state, LPARAM where);
