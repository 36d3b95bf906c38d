// All global state of the control runtime, and the operations its files share. Internal
// to the control runtime; tests include it to look at the table and the image lists.
#pragma once

#include "runtime/control/Control.h"

#include <commctrl.h>

// Maps a control number to its record: numbers 0 to capacity - 1 have one. The records
// array holds two spare records beyond the capacity.
struct ControlTableState {
    int32_t capacity;
    ControlRecord* records;
};

// The parameters of the control being created, filled by a kind's creation operation and
// read only by CreateControlWindow.
struct PendingControlParameters {
    const char* className;
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
    const char* text;
    uint32_t flags;
    const ControlOps* ops;
};

// Which bitmap or icon already sits in the image lists, and at which index.
struct ImageCacheEntry {
    HANDLE image;
    int32_t index;
};

extern ControlTableState ControlTable;
// Handed out for every number the table does not hold; never written.
extern const ControlRecord NullControlRecord;
extern HWND ControlParent;
extern HFONT ControlFont;
extern PendingControlParameters PendingControl;

// Shared by all report lists, created on the first row with an image, never freed.
extern HIMAGELIST NormalImageList;
extern HIMAGELIST SmallImageList;
extern ImageCacheEntry* ImageCache;
extern int32_t ImageCacheCount;
extern int32_t ImageCacheCapacity;

constexpr int32_t CONTROL_TABLE_INITIAL_CAPACITY = 30;
// Room a growth leaves beyond the number that caused it.
constexpr int32_t CONTROL_TABLE_GROWTH = 30;
constexpr int32_t CONTROL_TABLE_SPARE_RECORDS = 2;
constexpr int32_t IMAGE_CACHE_GROWTH = 20;

// The kinds' operation tables.
extern const ControlOps ButtonOps;
extern const ControlOps EditOps;
extern const ControlOps LabelOps;
extern const ControlOps ReportListOps;

// The number's record, or NullControlRecord for a number the table does not hold
// (negative, or at or above the capacity). Only valid until the next growth.
const ControlRecord* LookupControlRecord(int32_t number);
// Makes the table hold `number`, with room for 30 more. Returns false, keeping the old
// table, when the number is negative or above MAX_CONTROL_NUMBER, or the records cannot
// be reallocated.
bool GrowControlTable(int32_t number);
// The writable record of a number the table holds, else null.
ControlRecord* WritableControlRecord(int32_t number);
// Creates the child window described by PendingControl under the number, stores it with
// PendingControl.ops and sends it ControlFont. Null when the window could not be created;
// a number the table cannot hold gets no window at all.
HWND CreateControlWindow(int32_t number, uint32_t style, uint32_t extendedStyle);

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
    char* text;     // the row's text as it came: a line feed between the cells, then a zero
    uint32_t state; // ROW_CHECKED, and the image index + 1 from ROW_IMAGE_SHIFT up
};

struct ReportRows {
    ReportRow* rows;
    int32_t count;
    int32_t capacity;
    TextBlock* lastBlock;
};

// Everything a report list keeps beside what the list view keeps (the columns, the focus
// and the selection). Hangs on the list's GWLP_USERDATA from its creation to its
// WM_NCDESTROY.
struct ReportListState {
    ReportRows rows;
    // The row count the list view was last told. While rows arrive at a visible list it is
    // told at the ticks of its timer only: each telling redraws the new rows in view and the
    // scroll bar.
    int32_t rowsShown;
    bool ticking;
    const ReportCommandTexts* texts; // null: no menu, and a failed copy is not told
};

constexpr SIZE_T TEXT_BLOCK_SIZE = 65536;
constexpr uint32_t ROW_IMAGE_SHIFT = 8;

// How many list procedures run on this thread at the moment: a notification from a list
// is read only while its own procedure runs, the only time the list sends one.
extern int32_t ListProcedureDepth;

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

// Inserts a row at `position` (-1: after the last); line feeds in text separate the
// columns, and a null text counts as "". True when the row was kept; false, with nothing
// of it kept, when AppHeap cannot hold it.
bool InsertReportRow(HWND list, int32_t position, const char* text, HANDLE image);
// The state of a report list of this runtime, else null.
ReportListState* ReportListStateOf(HWND list);
int32_t ColumnCount(HWND list);
// Tells the list view the rows it does not know of yet.
void ShowStoredRows(HWND list, ReportListState* state);
// WM_SETREDRAW that leaves WS_VISIBLE as it was.
void SetListRedraw(HWND list, BOOL redraw);
// The row commands: Ctrl+A selects every row, Ctrl+C puts the selected rows on the
// clipboard, and a right click (or the menu key) opens a menu with both. True when the
// message was one of them and has been answered.
bool TakeRowCommand(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
// The image lists' index of a bitmap or icon, adding it on first sight; -1 when none.
int32_t ImageIndexFor(HANDLE image);

// Style arithmetic, apart from the platform.
uint32_t EditFieldExtendedStyle(uint32_t flags);
uint32_t ReportListStyle(uint32_t flags);
uint32_t ReportListExtendedListStyle(uint32_t flags);
