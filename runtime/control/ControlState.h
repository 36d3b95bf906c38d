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

// Inserts a row at `position` (-1: after the last); line feeds in text separate the
// columns. The caller's text is left unchanged; a null text counts as "". True when the
// row went in with all its cells; false, with nothing of it left in the list, when the
// list refused it, a cell could not be set or the text could not be copied. A visible
// list holds back its painting while rows arrive and shows them within 40 ms, through a
// timer on the list that the thread's message loop dispatches.
bool InsertReportRow(HWND list, int32_t position, const char* text, HANDLE image);
// Sets columns 1, 2, ... of `row` from the line-feed separated pieces, cutting them in
// place. False when a column of the list did not take its piece; pieces beyond the last
// column are sent all the same and do not count.
bool SetRowCells(HWND list, int32_t row, char* pieces);
// The image lists' index of a bitmap or icon, adding it on first sight; -1 when none.
int32_t ImageIndexFor(HANDLE image);
// Gives a new report list its row commands: Ctrl+A selects every row, Ctrl+C puts the
// selected rows on the clipboard, and a right click opens a menu with both.
void AddRowCommands(HWND list);

// Style arithmetic, apart from the platform.
uint32_t EditFieldExtendedStyle(uint32_t flags);
uint32_t ReportListStyle(uint32_t flags);
uint32_t ReportListExtendedListStyle(uint32_t flags);
