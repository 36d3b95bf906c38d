// Numbered windows: creation with the flag word, sizing and centring, growth of the
// table, re-creation, closing, refused numbers and the accelerator lookup.
#include "WindowTestSupport.h"

#include <string>
#include <utility>

namespace {
const char Title[] = "Primfaktoren und Teiler";
constexpr uint32_t HIDDEN = WINDOW_HIDDEN;

// The style as the runtime gave it; the system adds WS_CLIPSIBLINGS to top-level windows.
uint32_t StyleOf(HWND window) {
    return static_cast<uint32_t>(GetWindowLongA(window, GWL_STYLE)) & ~WS_CLIPSIBLINGS;
}

std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool ClassRegistered(const char* name) {
    WNDCLASSA wc;
    return GetClassInfoA(ModuleInstance, name, &wc) != 0;
}

SIZE ClientSize(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    return {client.right, client.bottom};
}

RECT OuterRect(HWND window) {
    RECT outer;
    GetWindowRect(window, &outer);
    return outer;
}

// Where a window of this outer size stands when centred on the screen, whatever its size.
POINT ScreenCentredCorner(const RECT& outer) {
    return {GetSystemMetrics(SM_CXSCREEN) / 2 - (outer.right - outer.left) / 2,
            GetSystemMetrics(SM_CYSCREEN) / 2 - (outer.bottom - outer.top) / 2};
}

bool IsRuntimeClass(const char* name) {
    return !IS_INTRESOURCE(name) && strncmp(name, "WindowClass_", 12) == 0;
}

// Records, in order, the creation and destruction of the runtime's windows on this thread
// (the system's own IME windows come and go with them and are left out), with the style
// each creation gave to the system; can also make the system refuse every creation.
class WindowLifeRecorder {
  public:
    enum Kind { Created, Destroyed };
    WindowLifeRecorder() {
        current = this;
        hook = SetWindowsHookExA(WH_CBT, Record, nullptr, GetCurrentThreadId());
    }
    ~WindowLifeRecorder() {
        UnhookWindowsHookEx(hook);
        current = nullptr;
    }
    std::vector<std::pair<Kind, HWND>> events;
    std::vector<uint32_t> stylesGiven;
    bool refuseCreation = false;

  private:
    static LRESULT CALLBACK Record(int code, WPARAM wParam, LPARAM lParam) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_CREATEWND) {
            const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
            if (IsRuntimeClass(create->lpszClass)) {
                current->events.push_back({Created, window});
                current->stylesGiven.push_back(static_cast<uint32_t>(create->style));
                if (current->refuseCreation) {
                    return 1;
                }
            }
        } else if (code == HCBT_DESTROYWND && IsRuntimeClass(ClassOf(window).c_str())) {
            current->events.push_back({Destroyed, window});
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static WindowLifeRecorder* current;
    HHOOK hook;
};
WindowLifeRecorder* WindowLifeRecorder::current;

using Initialisation = WindowRuntimeTest;

TEST_F(Initialisation, RegistersTheTemplateClassAndPreparesTenNumbers) {
    FillFreeHeapWithJunk();
    InitWindowRuntime();
    EXPECT_EQ(WindowTable.capacity, 10);
    ASSERT_NE(WindowTable.records, nullptr);
    EXPECT_GE(HeapSize(AppHeap, 0, WindowTable.records), 12 * sizeof(WindowRecord))
        << "the block holds the two spare records beyond the capacity";
    const WindowRecord zero = {};
    for (int32_t number = 0; number < 12; number++) {
        EXPECT_EQ(memcmp(&WindowTable.records[number], &zero, sizeof zero), 0)
            << "record " << number << " is not zero-filled";
    }
    EXPECT_EQ(GetCurrentWindow(), nullptr);
    EXPECT_EQ(EventControlNumber(), 0) << "no control event before the first one";

    WNDCLASSA templateClass;
    ASSERT_TRUE(GetClassInfoA(ModuleInstance, "TemplateClass", &templateClass));
    EXPECT_EQ(templateClass.lpfnWndProc, WindowProcedure);
    EXPECT_EQ(templateClass.hIcon, nullptr) << "the program carries no icon";
    EXPECT_EQ(templateClass.hCursor, LoadCursorA(nullptr, IDC_ARROW)) << "not the arrow pointer";
    EXPECT_EQ(WindowClassTemplate.lpszClassName, ClassNameBuffer);
    // TemplateClass keeps the brush of start-up's initialisation; every later class the
    // brush of the initialisation that this test ran.
    for (HBRUSH background : {templateClass.hbrBackground, BackgroundBrush}) {
        LOGBRUSH brush = {};
        ASSERT_EQ(GetObjectA(background, sizeof brush, &brush), sizeof brush);
        EXPECT_EQ(brush.lbStyle, static_cast<UINT>(BS_SOLID));
        EXPECT_EQ(brush.lbColor, GetSysColor(COLOR_BTNFACE))
            << "windows would not be painted in the button-face colour";
    }
}

using Creation = WindowRuntimeTest;

TEST_F(Creation, TheApplicationsWindowIsCentredOnTheScreenWithItsOwnClass) {
    HWND window = CreateApplicationWindow();
    ASSERT_NE(window, nullptr);

    EXPECT_EQ(ClassOf(window), "WindowClass_0");
    EXPECT_EQ(StyleOf(window), 0x10C80000u) << "caption, system menu, visible";
    EXPECT_TRUE(IsWindowVisible(window));
    char caption[64] = "";
    GetWindowTextA(window, caption, sizeof caption);
    EXPECT_STREQ(caption, Title);

    SIZE client = ClientSize(window);
    EXPECT_EQ(client.cx, 600) << "the client area is not the size asked for";
    EXPECT_EQ(client.cy, 500);

    RECT outer = OuterRect(window);
    int32_t outerWidth = outer.right - outer.left;
    int32_t outerHeight = outer.bottom - outer.top;
    EXPECT_GT(outerWidth, 600) << "the border is outside the client area";
    EXPECT_GT(outerHeight, 500) << "the caption is outside the client area";
    EXPECT_EQ(outer.left, ScreenCentredCorner(outer).x) << "not centred on the screen's width";
    EXPECT_EQ(outer.top, ScreenCentredCorner(outer).y) << "not centred on the screen's height";

    EXPECT_EQ(reinterpret_cast<HBRUSH>(GetClassLongPtrA(window, GCLP_HBRBACKGROUND)),
              BackgroundBrush)
        << "the window is not painted with the button-face brush";
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrA(window, GCLP_HCURSOR)),
              LoadCursorA(nullptr, IDC_ARROW))
        << "the pointer over the window is not the arrow";
    EXPECT_EQ(GetCurrentWindow(), window);
    EXPECT_EQ(WindowTable.records[0].handle, window);
    EXPECT_EQ(WindowTable.records[0].acceleratorCount, 2);
}

TEST_F(Creation, EveryWindowGetsTabAndShiftTabAsItsShortcuts) {
    HWND window = CreateApplicationWindow(HIDDEN);
    ASSERT_NE(window, nullptr);
    HACCEL table = LookupWindowAccelerators(window);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table, WindowTable.records[0].acceleratorTable);

    ACCEL entries[4] = {};
    ASSERT_EQ(CopyAcceleratorTableA(table, entries, 4), 2);
    EXPECT_EQ(entries[0].fVirt, FVIRTKEY | FNOINVERT);
    EXPECT_EQ(entries[0].key, VK_TAB);
    EXPECT_EQ(entries[0].cmd, CMD_FOCUS_NEXT);
    EXPECT_EQ(entries[1].fVirt, FVIRTKEY | FNOINVERT | FSHIFT);
    EXPECT_EQ(entries[1].key, VK_TAB);
    EXPECT_EQ(entries[1].cmd, CMD_FOCUS_PREVIOUS);
}

struct CreationCase {
    uint32_t flags;
    uint32_t styleGiven;
    uint32_t styleReadBack;
    bool visible;
    bool centredOnScreen; // otherwise the outer corner is at (30, 40)
};

TEST_F(Creation, TheFlagWordDecidesStyleVisibilityAndPlacement) {
    // The system gives every overlapped window a caption of its own accord, so the
    // sizing of 0x00080000, done without one, leaves a client area short by the caption.
    const CreationCase cases[] = {
        {0x00000000, 0x10C00000, 0x10C00000, true, false},
        {0x10000000, 0x00C00000, 0x00C00000, false, false},
        {0x10C80000, 0x00C80000, 0x00C80000, false, false},
        {0x00080000, 0x10080000, 0x10C80000, true, false},
        {0x80080000, 0x90080000, 0x90080000, true, false},
        {0x00C80001, 0x10C80000, 0x10C80000, true, true},
        {0x10000001, 0x00C00000, 0x00C00000, false, true},
    };
    for (const CreationCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "flags 0x" << std::hex << c.flags);
        HWND window;
        std::vector<uint32_t> stylesGiven;
        {
            WindowLifeRecorder recorder;
            window = CreateNumberedWindow(1, 30, 40, 200, 100, c.flags, "case");
            stylesGiven = recorder.stylesGiven;
        }
        ASSERT_NE(window, nullptr);
        ASSERT_EQ(stylesGiven.size(), 1u);
        EXPECT_EQ(stylesGiven[0], c.styleGiven);
        EXPECT_EQ(StyleOf(window), c.styleReadBack);
        EXPECT_EQ(IsWindowVisible(window) != 0, c.visible);
        if (c.styleGiven == c.styleReadBack) {
            SIZE client = ClientSize(window);
            EXPECT_EQ(client.cx, 200);
            EXPECT_EQ(client.cy, 100);
        }
        RECT outer = OuterRect(window);
        if (c.centredOnScreen) {
            EXPECT_EQ(outer.left, ScreenCentredCorner(outer).x);
            EXPECT_EQ(outer.top, ScreenCentredCorner(outer).y);
        } else {
            EXPECT_EQ(outer.left, 30) << "(x, y) is the outer corner";
            EXPECT_EQ(outer.top, 40);
        }
        CloseNumberedWindow(1);
    }
}

TEST_F(Creation, CentringOverTheActiveWindowFallsBackToTheScreen) {
    ASSERT_EQ(GetActiveWindow(), nullptr) << "the test needs a thread without active window";
    HWND window = CreateNumberedWindow(2, 30, 40, 200, 100, WINDOW_CENTRE_ACTIVE, "alone");
    ASSERT_NE(window, nullptr);
    RECT outer = OuterRect(window);
    EXPECT_EQ(outer.left, ScreenCentredCorner(outer).x)
        << "with no active window 0x2 centres on the screen";
    EXPECT_EQ(outer.top, ScreenCentredCorner(outer).y);
}

TEST_F(Creation, CentringOverTheActiveWindowUsesItsOuterRectangle) {
    HWND active = CreateNumberedWindow(1, 100, 50, 400, 300, 0, "active");
    ASSERT_NE(active, nullptr);
    ASSERT_EQ(GetActiveWindow(), active);
    RECT area = OuterRect(active);

    HWND window = CreateNumberedWindow(2, 30, 40, 200, 100, 0x3, "over it");
    ASSERT_NE(window, nullptr);
    RECT outer = OuterRect(window);
    EXPECT_EQ(outer.left, area.left + (area.right - area.left) / 2 - (outer.right - outer.left) / 2)
        << "0x3 centres over the active window, not on the screen";
    EXPECT_EQ(outer.top, area.top + (area.bottom - area.top) / 2 - (outer.bottom - outer.top) / 2);
}

TEST_F(Creation, CentringOverAWindowNearTheCornerStopsAtZero) {
    HWND active = CreateNumberedWindow(1, -300, -200, 300, 200, 0, "off the corner");
    ASSERT_NE(active, nullptr);
    ASSERT_EQ(GetActiveWindow(), active);
    ASSERT_LT(OuterRect(active).left, 0);

    HWND window = CreateNumberedWindow(2, 30, 40, 400, 300, WINDOW_CENTRE_ACTIVE, "clamped");
    ASSERT_NE(window, nullptr);
    RECT outer = OuterRect(window);
    EXPECT_EQ(outer.left, 0);
    EXPECT_EQ(outer.top, 0);
}

TEST_F(Creation, ARefusedCreationLeavesTheNumberFreeAndTheCurrentWindowAsItWas) {
    HWND first = CreateNumberedWindow(1, 0, 0, 100, 100, HIDDEN, "first");
    ASSERT_NE(first, nullptr);
    HWND made;
    {
        WindowLifeRecorder recorder;
        recorder.refuseCreation = true;
        made = CreateNumberedWindow(2, 0, 0, 100, 100, HIDDEN, "refused");
    }
    EXPECT_EQ(made, nullptr);
    EXPECT_EQ(WindowTable.records[2].handle, nullptr);
    EXPECT_EQ(WindowTable.records[2].acceleratorCount, 0) << "no accelerators for a failure";
    EXPECT_EQ(GetCurrentWindow(), first);
    EXPECT_TRUE(ClassRegistered("WindowClass_2")) << "the class registered first stays";
}

using Growth = WindowRuntimeTest;

TEST_F(Growth, ANumberAtTheCapacityGrowsTheTableAndKeepsEarlierWindows) {
    HWND windows[10] = {};
    for (int32_t number : {0, 3, 9}) {
        windows[number] = CreateNumberedWindow(number, 0, 0, 100, 100, HIDDEN, "kept");
        ASSERT_NE(windows[number], nullptr);
    }
    ASSERT_NE(CreateNumberedWindow(3, 0, 0, 100, 100, HIDDEN, "again"), nullptr);
    windows[3] = WindowTable.records[3].handle;
    EXPECT_EQ(WindowTable.capacity, 10) << "number 3 lies inside the table";

    FillFreeHeapWithJunk();
    HWND tenth = CreateNumberedWindow(10, 0, 0, 100, 100, HIDDEN, "grows");
    ASSERT_NE(tenth, nullptr);
    EXPECT_EQ(WindowTable.capacity, 20);
    EXPECT_GE(HeapSize(AppHeap, 0, WindowTable.records), 22 * sizeof(WindowRecord));
    for (int32_t number : {0, 3, 9}) {
        EXPECT_EQ(WindowTable.records[number].handle, windows[number])
            << "window " << number << " was lost when the table grew";
        EXPECT_TRUE(IsWindow(windows[number]));
        EXPECT_NE(LookupWindowAccelerators(windows[number]), nullptr)
            << "window " << number << " lost its shortcuts when the table grew";
    }
    EXPECT_EQ(WindowTable.records[10].handle, tenth);
    const WindowRecord zero = {};
    for (int32_t number = 11; number < 22; number++) {
        EXPECT_EQ(memcmp(&WindowTable.records[number], &zero, sizeof zero), 0)
            << "new record " << number << " is not zero-filled";
    }

    ASSERT_NE(CreateNumberedWindow(1000, 0, 0, 100, 100, HIDDEN, "far"), nullptr);
    EXPECT_EQ(WindowTable.capacity, 1010);
    EXPECT_EQ(WindowTable.records[10].handle, tenth);
}

TEST_F(Growth, AFailedGrowthKeepsTheOldTableAndCreatesNothing) {
    HWND window = CreateNumberedWindow(0, 0, 0, 100, 100, HIDDEN, "kept");
    ASSERT_NE(window, nullptr);
    // A heap that cannot grow beyond 64 KB, holding a copy of the table.
    HANDLE smallHeap = HeapCreate(0, 0x10000, 0x10000);
    ASSERT_NE(smallHeap, nullptr);
    auto* records = static_cast<WindowRecord*>(
        HeapAlloc(smallHeap, HEAP_ZERO_MEMORY, 12 * sizeof(WindowRecord)));
    ASSERT_NE(records, nullptr);
    CopyMemory(records, WindowTable.records, 12 * sizeof(WindowRecord));
    WindowRecord* appRecords = WindowTable.records;
    HANDLE appHeap = AppHeap;
    WindowTable.records = records;
    AppHeap = smallHeap;

    HWND made = CreateNumberedWindow(5000, 0, 0, 100, 100, HIDDEN, "too big");
    HWND current = GetCurrentWindow();

    AppHeap = appHeap;
    WindowRecord* afterwards = WindowTable.records;
    WindowTable.records = appRecords;
    EXPECT_EQ(made, nullptr);
    EXPECT_EQ(WindowTable.capacity, 10);
    EXPECT_EQ(afterwards, records) << "the old block must stay the table";
    EXPECT_EQ(afterwards[0].handle, window);
    EXPECT_EQ(current, window);
    EXPECT_FALSE(ClassRegistered("WindowClass_5000")) << "nothing may change";
    HeapDestroy(smallHeap);
}

using RefusedNumbers = WindowRuntimeTest;

TEST_F(RefusedNumbers, NegativeAndOversizedNumbersCreateNothingAndChangeNothing) {
    HWND window = CreateNumberedWindow(0, 0, 0, 100, 100, HIDDEN, "kept");
    ASSERT_NE(window, nullptr);
    WindowRecord* records = WindowTable.records;
    for (int32_t number : {-1, -12, INT32_MIN, INT32_MAX, INT32_MAX - 11}) {
        SCOPED_TRACE(testing::Message() << "number " << number);
        EXPECT_EQ(CreateNumberedWindow(number, 0, 0, 100, 100, HIDDEN, "refused"), nullptr);
        EXPECT_EQ(WindowTable.capacity, 10);
        EXPECT_EQ(WindowTable.records, records);
        EXPECT_EQ(GetCurrentWindow(), window);
        FormatWindowClassName(number);
        EXPECT_FALSE(ClassRegistered(ClassNameBuffer));
    }
    EXPECT_EQ(WindowTable.records[0].handle, window);
}

TEST_F(RefusedNumbers, LookupAndClosingDoNothingOutsideTheTable) {
    HWND window = CreateNumberedWindow(0, 0, 0, 100, 100, HIDDEN, "kept");
    ASSERT_NE(window, nullptr);
    for (int32_t number : {-1, -2, INT32_MIN, 11, INT32_MAX}) {
        EXPECT_EQ(LookupWindowRecord(number), &NullWindowRecord) << "number " << number;
        CloseNumberedWindow(number);
    }
    EXPECT_EQ(LookupWindowRecord(10), &WindowTable.records[10]) << "a spare record";
    EXPECT_EQ(LookupWindowRecord(0), &WindowTable.records[0]);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(WindowTable.records[0].handle, window);
    const WindowRecord zero = {};
    EXPECT_EQ(memcmp(&NullWindowRecord, &zero, sizeof zero), 0) << "NullWindowRecord written";
}

using Recreation = WindowRuntimeTest;

TEST_F(Recreation, AnOpenNumberIsClosedBeforeTheNewWindowExists) {
    HWND old = CreateNumberedWindow(4, 0, 0, 100, 100, HIDDEN, "old");
    ASSERT_NE(old, nullptr);
    HACCEL oldShortcuts = LookupWindowAccelerators(old);
    HWND fresh;
    std::vector<std::pair<WindowLifeRecorder::Kind, HWND>> events;
    {
        WindowLifeRecorder recorder;
        fresh = CreateNumberedWindow(4, 0, 0, 100, 100, HIDDEN, "new");
        events = recorder.events;
    }
    ASSERT_NE(fresh, nullptr);
    EXPECT_FALSE(IsWindow(old)) << "the old window of the number still exists";
    EXPECT_EQ(GetCurrentWindow(), fresh);
    EXPECT_EQ(WindowTable.records[4].handle, fresh);
    EXPECT_EQ(ClassOf(fresh), "WindowClass_4");
    EXPECT_EQ(CopyAcceleratorTableA(oldShortcuts, nullptr, 0), 0) << "old table not released";
    EXPECT_NE(LookupWindowAccelerators(fresh), nullptr);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0], std::make_pair(WindowLifeRecorder::Destroyed, old));
    EXPECT_EQ(events[1].first, WindowLifeRecorder::Created);
}

using Closing = WindowRuntimeTest;

TEST_F(Closing, AllWindowsCloseHighestNumberFirstAndUnregisterTheirClasses) {
    HWND zero = CreateNumberedWindow(0, 0, 0, 100, 100, HIDDEN, "zero");
    HWND five = CreateNumberedWindow(5, 0, 0, 100, 100, HIDDEN, "five");
    ASSERT_NE(zero, nullptr);
    ASSERT_NE(five, nullptr);
    ASSERT_TRUE(ClassRegistered("WindowClass_0"));
    ASSERT_TRUE(ClassRegistered("WindowClass_5"));
    HACCEL shortcuts = LookupWindowAccelerators(zero);
    std::vector<std::pair<WindowLifeRecorder::Kind, HWND>> events;
    {
        WindowLifeRecorder recorder;
        CloseAllWindows();
        events = recorder.events;
    }
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].second, five) << "window 5 must go before window 0";
    EXPECT_EQ(events[1].second, zero);
    EXPECT_FALSE(IsWindow(zero));
    EXPECT_FALSE(IsWindow(five));
    EXPECT_FALSE(ClassRegistered("WindowClass_0"));
    EXPECT_FALSE(ClassRegistered("WindowClass_5"));
    EXPECT_TRUE(ClassRegistered("TemplateClass")) << "the template class lasts";
    EXPECT_EQ(CopyAcceleratorTableA(shortcuts, nullptr, 0), 0) << "table not destroyed";
    EXPECT_EQ(GetCurrentWindow(), five) << "closing does not change the current window";
    // Record 0 keeps the released table; with no active window nothing may find it.
    EXPECT_EQ(LookupWindowAccelerators(nullptr), nullptr);
}

TEST_F(Closing, AFreeOrAlreadyClosedNumberIsLeftAlone) {
    HWND window = CreateNumberedWindow(2, 0, 0, 100, 100, HIDDEN, "two");
    ASSERT_NE(window, nullptr);
    CloseNumberedWindow(3);
    EXPECT_TRUE(IsWindow(window));
    CloseNumberedWindow(2);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(WindowTable.records[2].handle, nullptr);
    CloseNumberedWindow(2);
    EXPECT_EQ(WindowTable.records[2].handle, nullptr);
    EXPECT_EQ(LookupWindowAccelerators(window), nullptr) << "a closed window has no shortcuts";
}

TEST_F(Closing, OnlyOpenRuntimeWindowsHaveShortcuts) {
    HWND foreign = CreateWindowExA(0, "STATIC", "foreign", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   ModuleInstance, nullptr);
    ASSERT_NE(foreign, nullptr);
    EXPECT_EQ(LookupWindowAccelerators(foreign), nullptr);
    EXPECT_EQ(LookupWindowAccelerators(nullptr), nullptr);
    DestroyWindow(foreign);
}
} // namespace
