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
    // A kind whose failed creation leaves the number's record as it was, rather than
    // holding the kind's operations on a null handle.
    bool keepsRecordOnFailure;
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
// PendingControl.ops and sends it ControlFont: the one creation path of every kind. Null
// when the window could not be created; a number the table cannot hold keeps no window.
HWND CreateControlWindow(int32_t number, uint32_t style, uint32_t extendedStyle);

// How many list procedures run on this thread at the moment: a notification from a list
// is read only while its own procedure runs, the only time the list sends one.
extern int32_t ListProcedureDepth;
// The list view's own window procedure, the same for every list; the report lists'
// procedure passes their messages on to it.
extern WNDPROC ListViewProcedure;

// The image lists' index of a bitmap or icon, adding it on first sight; -1 when none.
int32_t ImageIndexFor(HANDLE image);

// Style arithmetic, apart from the platform.
uint32_t EditFieldExtendedStyle(uint32_t flags);
uint32_t ReportListStyle(uint32_t flags);
uint32_t ReportListExtendedListStyle(uint32_t flags);
