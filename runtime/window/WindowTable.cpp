// The window table: numbered windows with one class each, their accelerators, closing.
#include "runtime/core/Core.h"
#include "runtime/window/WindowState.h"

#include <stdint.h>

namespace {
constexpr int32_t GROWTH_BEYOND_NUMBER = 10;

// The largest number whose table can be sized: capacity number + 10 and number + 12
// records must be representable, the records block's bytes too. Larger and negative
// numbers are refused.
constexpr int64_t RecordsLimit = static_cast<int64_t>(SIZE_MAX / sizeof(WindowRecord)) < INT32_MAX
                                     ? static_cast<int64_t>(SIZE_MAX / sizeof(WindowRecord))
                                     : INT32_MAX;
constexpr int32_t LARGEST_WINDOW_NUMBER =
    static_cast<int32_t>(RecordsLimit - GROWTH_BEYOND_NUMBER - SPARE_WINDOW_RECORDS);

bool IsWindowNumber(int32_t number) {
    return number >= 0 && number <= LARGEST_WINDOW_NUMBER;
}

// Makes `number` one of the numbers in use. A failed reallocation leaves the old block
// and capacity as they were and yields false.
bool GrowWindowTable(int32_t number) {
    if (number < WindowTable.capacity) {
        return true;
    }
    int32_t capacity = number + GROWTH_BEYOND_NUMBER;
    SIZE_T bytes = static_cast<SIZE_T>(capacity + SPARE_WINDOW_RECORDS) * sizeof(WindowRecord);
    void* records = HeapReAlloc(AppHeap, HEAP_ZERO_MEMORY, WindowTable.records, bytes);
    if (records == nullptr) {
        return false;
    }
    WindowTable.records = static_cast<WindowRecord*>(records);
    WindowTable.capacity = capacity;
    return true;
}

// Outer position of a window of outer size outerWidth x outerHeight.
POINT WindowPosition(CentringMode mode, int32_t x, int32_t y, int32_t outerWidth,
                     int32_t outerHeight) {
    if (mode == CentringMode::ActiveWindow) {
        HWND active = GetActiveWindow();
        if (active != nullptr) {
            RECT area = {};
            GetWindowRect(active, &area);
            return CentreOverWindow(area, outerWidth, outerHeight);
        }
        mode = CentringMode::Screen;
    }
    if (mode == CentringMode::Screen) {
        return CentreOnScreen(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                              outerWidth, outerHeight);
    }
    return {x, y};
}
} // namespace

void InitWindowRuntime() {
    // Another initialisation (the tests make one per case) replaces the filter of the last.
    if (PostedNotificationFilter != nullptr) {
        UnhookWindowsHookEx(PostedNotificationFilter);
    }
    ClearWindowState();
    PostedNotificationFilter =
        SetWindowsHookExA(WH_GETMESSAGE, DropPostedNotification, nullptr, GetCurrentThreadId());
    WindowTable.capacity = INITIAL_WINDOW_CAPACITY;
    WindowTable.records = static_cast<WindowRecord*>(
        HeapAlloc(AppHeap, HEAP_ZERO_MEMORY,
                  (INITIAL_WINDOW_CAPACITY + SPARE_WINDOW_RECORDS) * sizeof(WindowRecord)));

    LOGBRUSH buttonFace = {BS_SOLID, GetSysColor(COLOR_BTNFACE), 0};
    BackgroundBrush = CreateBrushIndirect(&buttonFace);

    WindowClassTemplate.style = 0;
    WindowClassTemplate.lpfnWndProc = WindowProcedure;
    WindowClassTemplate.cbClsExtra = 0;
    WindowClassTemplate.cbWndExtra = 0;
    WindowClassTemplate.hInstance = ModuleInstance;
    // The program carries no icon resource, so this is null.
    WindowClassTemplate.hIcon = LoadIconA(ModuleInstance, MAKEINTRESOURCEA(1));
    WindowClassTemplate.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    WindowClassTemplate.hbrBackground = BackgroundBrush;
    WindowClassTemplate.lpszMenuName = nullptr;
    WindowClassTemplate.lpszClassName = "TemplateClass";
    RegisterClassA(&WindowClassTemplate);
    // From now on every registration registers the class whose name the buffer holds.
    WindowClassTemplate.lpszClassName = ClassNameBuffer;
}

WindowRecord* LookupWindowRecord(int32_t number) {
    if (number < 0 || number > WindowTable.capacity) {
        return &NullWindowRecord;
    }
    return &WindowTable.records[number];
}

void FormatWindowClassName(int32_t number) {
    FormatNumberText(ClassNameBuffer, "WindowClass_%ld", number);
}

HWND CreateNumberedWindow(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                          uint32_t flags, const char* title) {
    if (!IsWindowNumber(number) || !GrowWindowTable(number)) {
        return nullptr;
    }
    CloseNumberedWindow(number);
    FormatWindowClassName(number);
    // A class of that name still registered is used as it is.
    RegisterClassA(&WindowClassTemplate);

    CentringMode mode;
    DWORD style = WindowStyleFromFlags(flags, &mode);
    RECT outer = RequestedRectangle(x, y, width, height);
    AdjustWindowRect(&outer, style, FALSE);
    SIZE outerSize = RectangleSize(outer);
    POINT position = WindowPosition(mode, x, y, outerSize.cx, outerSize.cy);

    HWND handle =
        CreateWindowExA(0, ClassNameBuffer, title, style, position.x, position.y, outerSize.cx,
                        outerSize.cy, nullptr, nullptr, ModuleInstance, nullptr);
    LookupWindowRecord(number)->handle = handle;
    if (handle == nullptr) {
        return nullptr;
    }
    CurrentWindow = handle;
    CreateWindowAccelerators(number);
    return handle;
}

void CreateWindowAccelerators(int32_t number) {
    WindowRecord& record = WindowTable.records[number];
    if (record.handle == nullptr) {
        return;
    }
    ACCEL* entries = static_cast<ACCEL*>(HeapAlloc(AppHeap, 0, 2 * sizeof(ACCEL)));
    if (entries == nullptr) {
        // Without the table the window simply translates no keystroke.
        record.acceleratorCount = 0;
        record.acceleratorTable = nullptr;
        return;
    }
    entries[0] = {FVIRTKEY | FNOINVERT, VK_TAB, CMD_FOCUS_NEXT};
    entries[1] = {FVIRTKEY | FNOINVERT | FSHIFT, VK_TAB, CMD_FOCUS_PREVIOUS};
    record.acceleratorCount = 2;
    record.acceleratorArray = entries;
    record.acceleratorTable = CreateAcceleratorTableA(entries, 2);
}

HWND GetCurrentWindow() {
    return CurrentWindow;
}

void CloseNumberedWindow(int32_t number) {
    WindowRecord* record = LookupWindowRecord(number);
    if (record->handle == nullptr) {
        return;
    }
    HWND handle = record->handle;
    record->handle = nullptr;
    record->focus = nullptr;
    record->defaultButton = nullptr;
    DestroyWindow(handle);
    FormatWindowClassName(number);
    UnregisterClassA(ClassNameBuffer, ModuleInstance);
    if (record->acceleratorCount != 0) {
        HeapFree(AppHeap, 0, record->acceleratorArray);
        DestroyAcceleratorTable(record->acceleratorTable);
    }
}

void CloseAllWindows() {
    for (int32_t number = WindowTable.capacity - 1; number >= 0; number--) {
        CloseNumberedWindow(number);
    }
}

WindowRecord* FindWindowRecord(HWND windowHandle) {
    if (windowHandle == nullptr) {
        return nullptr;
    }
    for (int32_t number = 0; number < WindowTable.capacity; number++) {
        if (WindowTable.records[number].handle == windowHandle) {
            return &WindowTable.records[number];
        }
    }
    return nullptr;
}

HACCEL LookupWindowAccelerators(HWND windowHandle) {
    WindowRecord* record = FindWindowRecord(windowHandle);
    return record != nullptr ? record->acceleratorTable : nullptr;
}
