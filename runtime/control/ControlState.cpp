// All global state of the control runtime, in one place.
#include "runtime/control/ReportList.h"

#include "runtime/core/Core.h"

ControlTableState ControlTable;
const ControlRecord NullControlRecord = {};
HWND ControlParent;
HFONT ControlFont;
PendingControlParameters PendingControl;

HIMAGELIST NormalImageList;
HIMAGELIST SmallImageList;
ImageCacheEntry* ImageCache;
int32_t ImageCacheCount;
int32_t ImageCacheCapacity;
int32_t ListProcedureDepth;
WNDPROC ListViewProcedure;

void InitControlRuntime() {
    ControlTable = ControlTableState{};
    ControlParent = nullptr;
    ControlFont = nullptr;
    PendingControl = PendingControlParameters{};
    NormalImageList = nullptr;
    SmallImageList = nullptr;
    ImageCache = nullptr;
    ImageCacheCount = 0;
    ImageCacheCapacity = 0;
    ListProcedureDepth = 0;
    ListViewProcedure = nullptr;

    ControlTable.records = static_cast<ControlRecord*>(HeapAlloc(
        AppHeap, HEAP_ZERO_MEMORY,
        sizeof(ControlRecord) * (CONTROL_TABLE_INITIAL_CAPACITY + CONTROL_TABLE_SPARE_RECORDS)));
    if (ControlTable.records != nullptr) {
        ControlTable.capacity = CONTROL_TABLE_INITIAL_CAPACITY;
    }
    ControlFont = static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
    // Registers the list-view class of the report list.
    InitCommonControls();
    SetNotificationHandler(AnswerListNotification);
}
