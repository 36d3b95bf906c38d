// The poll and the window procedure, seen as the application sees them: the code each
// poll returns and the control number, driven by real messages and real input.
#include "WindowTestSupport.h"

#include <commctrl.h>

#include <algorithm>

namespace {
constexpr UINT SOME_MESSAGE = WM_USER + 7;

class EventPolling : public WindowRuntimeTest {
  protected:
    void SetUp() override {
        WindowRuntimeTest::SetUp();
        window = CreateApplicationWindow();
        ASSERT_NE(window, nullptr);
        DrainQueue();
    }
    // A poll that takes a message, for a test that needs one to be taken.
    int32_t PollOneMessage() {
        PostMessageA(window, SOME_MESSAGE, 0, 0);
        return PollEvent();
    }
    void SendCommand(int32_t controlNumber, WORD notification, HWND control) {
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(controlNumber), notification),
                     reinterpret_cast<LPARAM>(control));
    }
    LRESULT SendNotification(HWND sender, UINT_PTR identifier, UINT code) {
        NMHDR header = {sender, identifier, code};
        return SendMessageA(window, WM_NOTIFY, identifier, reinterpret_cast<LPARAM>(&header));
    }
    static int Count(const std::vector<int32_t>& codes, int32_t code) {
        return static_cast<int>(std::count(codes.begin(), codes.end(), code));
    }
    HWND window = nullptr;
};

TEST_F(EventPolling, AnEmptyQueueGivesZeroAndKeepsThePendingEventButNotACloseRequest) {
    HWND button = CreateChild(window, "BUTTON", WS_VISIBLE, 7, 10, 10, 60, 20, "B");
    DrainQueue();
    SendCommand(7, BN_CLICKED, button);
    EXPECT_EQ(PollEvent(), 0) << "nothing was waiting";
    EXPECT_EQ(PollEvent(), 0);
    EXPECT_EQ(PollOneMessage(), EVENT_CONTROL) << "the click was lost by empty polls";
    EXPECT_EQ(PollOneMessage(), static_cast<int32_t>(SOME_MESSAGE)) << "returned only once";

    // The application waits for input after a poll that gives 0.
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(PollEvent(), EVENT_CLOSE) << "the close request waits for unrelated input";
    EXPECT_EQ(PollEvent(), 0) << "returned only once";
    EXPECT_TRUE(IsWindow(window)) << "a close request must not destroy the window";
}

TEST_F(EventPolling, AMessageNoWindowRecordsGivesItsOwnNumber) {
    PostMessageA(window, WM_NULL, 0, 0);
    PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    PostThreadMessageA(GetCurrentThreadId(), SOME_MESSAGE, 0, 0);
    EXPECT_EQ(PollEvent(), 0) << "WM_NULL looks like an empty queue";
    EXPECT_EQ(PollEvent(), 512) << "WM_MOUSEMOVE";
    EXPECT_EQ(PollEvent(), static_cast<int32_t>(SOME_MESSAGE)) << "a thread message";
}

TEST_F(EventPolling, APendingEventHidesTheNumberOfTheMessageTaken) {
    SendMessageA(window, WM_CLOSE, 0, 0);
    PostMessageA(window, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(PollEvent(), EVENT_CLOSE);
}

TEST_F(EventPolling, ACloseRequestOutlastsEveryOtherEventAndTheControlNumberIsTheNewest) {
    HWND button = CreateChild(window, "BUTTON", WS_VISIBLE, 7, 10, 10, 60, 20, "B");
    HWND other = CreateChild(window, "BUTTON", WS_VISIBLE, 8, 80, 10, 60, 20, "C");
    EXPECT_EQ(EventControlNumber(), 0) << "before the first control event";

    SendCommand(7, BN_CLICKED, button);
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(PollOneMessage(), EVENT_CLOSE);
    EXPECT_EQ(EventControlNumber(), 7) << "the number stays recorded";

    // As when a field takes the focus back from a message box during which the window
    // was asked to close.
    SendMessageA(window, WM_CLOSE, 0, 0);
    SendCommand(8, BN_CLICKED, other);
    EXPECT_EQ(PollOneMessage(), EVENT_CLOSE) << "the click after the close request replaced it";
    EXPECT_EQ(PollOneMessage(), EVENT_CONTROL) << "the click was lost behind the close request";
    EXPECT_EQ(EventControlNumber(), 8);
}

TEST_F(EventPolling, CloseAndSizeEventsLeaveTheControlNumberAlone) {
    HWND edit = CreateChild(window, "EDIT", WS_VISIBLE, 3, 10, 10, 60, 20);
    SendCommand(3, EN_CHANGE, edit);
    EXPECT_EQ(PollOneMessage(), EVENT_CONTROL);
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(PollOneMessage(), EVENT_CLOSE);
    EXPECT_EQ(EventControlNumber(), 3);
    SetWindowPos(window, nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(PollUntil(EVENT_SIZE));
    EXPECT_EQ(EventControlNumber(), 3);
}

TEST_F(EventPolling, EveryCommandOfAControlIsAnEventNamedByItsIdentifier) {
    HWND edit = CreateChild(window, "EDIT", WS_VISIBLE, 3, 10, 10, 60, 20);
    for (WORD notification : {EN_SETFOCUS, EN_KILLFOCUS, EN_CHANGE, EN_UPDATE, EN_MAXTEXT}) {
        SendCommand(3, notification, edit);
        EXPECT_EQ(PollOneMessage(), EVENT_CONTROL) << "notification " << notification;
        EXPECT_EQ(EventControlNumber(), 3);
    }
    HWND last = CreateChild(window, "EDIT", WS_VISIBLE, 65535, 80, 10, 60, 20);
    SendCommand(65535, BN_CLICKED, last);
    EXPECT_EQ(PollOneMessage(), EVENT_CONTROL);
    EXPECT_EQ(EventControlNumber(), 65535) << "the identifier is taken without sign";
}

TEST_F(EventPolling, ACommandWithoutControlThatIsNoShortcutRecordsNothing) {
    HWND button = CreateChild(window, "BUTTON", WS_VISIBLE | WS_TABSTOP, 5, 10, 10, 60, 20, "B");
    BringToFront(window);
    SetFocus(window);
    // A menu command (high word 0) that carries a shortcut's number is no shortcut.
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(5, 0), 0);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(CMD_FOCUS_NEXT, 0), 0);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(CMD_FOCUS_PREVIOUS, 0), 0);
    EXPECT_EQ(GetFocus(), window) << "a menu command moved the focus as Tab would";
    EXPECT_EQ(PollOneMessage(), static_cast<int32_t>(SOME_MESSAGE));
    EXPECT_EQ(EventControlNumber(), 0);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(CMD_FOCUS_NEXT, 1), 0);
    EXPECT_EQ(GetFocus(), button) << "the same number from an accelerator is Tab";
}

TEST_F(EventPolling, AnotherProgramsMessageIsAnEventOnlyWhereAPersonCouldHaveCausedIt) {
    HWND stop = CreateChild(window, "BUTTON", WS_VISIBLE, 6, 10, 10, 60, 20, "Stop");
    HWND start =
        CreateChild(window, "BUTTON", WS_VISIBLE | WS_DISABLED, 5, 80, 10, 60, 20, "Start");
    SetControlParent(window);
    HWND list = CreateReportList(0, 5, 40, 300, 200, "Zahl", 50);
    // A window on the parent that holds no control number, though it carries one.
    HWND stray = CreateWindowExA(0, "BUTTON", "Stop", WS_CHILD, 150, 10, 60, 20, window,
                                 reinterpret_cast<HMENU>(6), ModuleInstance, nullptr);
    // Where another program's notification points: memory that faults when it is read and
    // then shows that it was, also when the platform swallows the fault.
    void* faulting = VirtualAlloc(nullptr, 4096, MEM_COMMIT, PAGE_READWRITE | PAGE_GUARD);
    ASSERT_TRUE(stop != nullptr && start != nullptr && list != nullptr && stray != nullptr &&
                faulting != nullptr);
    NMHDR clickNamingStop = {list, 6, static_cast<UINT>(NM_CLICK)};
    NMHDR clickOnList = {list, 0, static_cast<UINT>(NM_CLICK)};
    auto notification = [](HWND to, const void* header, bool posted) {
        return ForeignMessage{to, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(header), posted, 0};
    };
    auto command = [this](WORD number, HWND from) {
        LPARAM sender = reinterpret_cast<LPARAM>(from);
        return ForeignMessage{window, WM_COMMAND, MAKEWPARAM(number, BN_CLICKED), sender, true, 0};
    };
    const struct {
        ForeignMessage message;
        int32_t code;
        int count;
        const char* what;
    } cases[] = {
        {{window, WM_CLOSE, 0, 0, false, 0}, EVENT_CLOSE, 1, "a close request sent"},
        {command(6, stop), EVENT_CONTROL, 1, "a click on Stop posted"},
        {{window, WM_COMMAND, MAKEWPARAM(6, BN_CLICKED), reinterpret_cast<LPARAM>(stop), false, 0},
         EVENT_CONTROL,
         1,
         "a click on Stop sent"},
        {command(5, start), EVENT_CONTROL, 0, "a click on the disabled Start"},
        {command(5, stop), EVENT_CONTROL, 0, "Start's number from Stop's window"},
        {command(6, stray), EVENT_CONTROL, 0, "Stop's number from a window not Stop"},
        {command(6, reinterpret_cast<HWND>(1)), EVENT_CONTROL, 0, "Stop's number from no window"},
        {{window, WM_NOTIFY, 6, reinterpret_cast<LPARAM>(&clickNamingStop), false, 0},
         EVENT_CONTROL,
         0,
         "a click on the list that names Stop"},
        {notification(window, &clickOnList, true), EVENT_CONTROL, 0, "a click on the list posted"},
        {notification(window, &clickOnList, false), EVENT_CONTROL, 0, "a click on the list sent"},
        {notification(window, faulting, true), EVENT_CONTROL, 0, "a notification posted"},
        {notification(window, faulting, false), EVENT_CONTROL, 0, "a notification sent"},
        {notification(list, faulting, true), EVENT_CONTROL, 0, "a notification posted to the list"},
        {notification(list, faulting, false), EVENT_CONTROL, 0, "a notification sent to the list"},
        {{window, EVENT_CONTROL, 0, 0, true, 0}, EVENT_CONTROL, 0, "a message numbered 13100"},
        {{nullptr, WM_CLOSE, 0, 0, true, 0}, EVENT_CLOSE, 0, "a close request to no window"},
        {{window, WM_SIZE, 0, MAKELPARAM(600, 500), true, 0}, EVENT_SIZE, 1, "WM_SIZE posted"},
    };
    for (const auto& c : cases) {
        DWORD protection = 0;
        VirtualProtect(faulting, 4096, PAGE_READWRITE | PAGE_GUARD, &protection);
        int32_t controlBefore = EventControlNumber();
        ForeignMessage message = c.message;
        HANDLE sender = StartForeignMessage(&message);
        ASSERT_NE(sender, nullptr);
        // The poll that handles a sent message finds the queue empty; the program would
        // then wait for input.
        std::vector<int32_t> codes;
        DWORD began = GetTickCount();
        while (WaitForSingleObject(sender, 0) == WAIT_TIMEOUT && GetTickCount() - began < 5000) {
            codes.push_back(PollEvent());
            Sleep(1);
        }
        CloseHandle(sender);
        for (int32_t code : DrainQueue()) {
            codes.push_back(code);
        }
        EXPECT_EQ(Count(codes, c.code), c.count)
            << c.what
            << (c.count == 0 ? " from another program acts as if a person did it"
                             : " from another program is lost or doubled");
        if (c.count == 0 && c.code == EVENT_CONTROL) {
            EXPECT_EQ(EventControlNumber(), controlBefore) << c.what;
        }
        EXPECT_EQ(PollEvent(), 0) << c.what;
        MEMORY_BASIC_INFORMATION page = {};
        VirtualQuery(faulting, &page, sizeof page);
        EXPECT_NE(page.Protect & PAGE_GUARD, 0u) << c.what << " was read through its pointer";
    }
    EXPECT_EQ(EventControlNumber(), 6);
    EXPECT_TRUE(IsWindow(window));
    VirtualFree(faulting, 0, MEM_RELEASE);
}

TEST_F(EventPolling, ClosingAWindowPostsNoQuitMessage) {
    CloseAllWindows();
    MSG quit;
    EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE))
        << "a destroyed window must not end the message loop";
}

TEST_F(EventPolling, AClickOnAButtonIsAControlEventOfTheReleasePoll) {
    HWND button =
        CreateChild(window, "BUTTON", WS_VISIBLE | WS_TABSTOP, 5, 190, 1, 40, 20, "Start");
    BringToFront(window);
    ClickCentreOf(button);
    ASSERT_TRUE(PollUntil(EVENT_CONTROL)) << "a click on the button reached no poll";
    EXPECT_EQ(PollMessage.message, static_cast<UINT>(WM_LBUTTONUP));
    EXPECT_EQ(EventControlNumber(), 5) << "the application would not know Start was clicked";
}

TEST_F(EventPolling, TypingIntoAnEditFieldIsOneControlEventOfTheCharacterPoll) {
    HWND edit = CreateChild(window, "EDIT", WS_VISIBLE | WS_BORDER | ES_NUMBER, 2, 22, 1, 70, 20);
    BringToFront(window);
    SetFocus(edit);
    ASSERT_EQ(GetFocus(), edit);
    EXPECT_EQ(PollOneMessage(), EVENT_CONTROL) << "EN_SETFOCUS stays pending until a poll";
    PollFor(100);

    PressKey('7');
    std::vector<int32_t> codes;
    UINT controlEventMessage = 0;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 500) {
        int32_t code = PollEvent();
        if (code == EVENT_CONTROL) {
            controlEventMessage = PollMessage.message;
        }
        if (code != 0) {
            codes.push_back(code);
        }
    }
    char text[16] = "";
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, "7");
    EXPECT_EQ(Count(codes, EVENT_CONTROL), 1) << "EN_UPDATE and EN_CHANGE make one event";
    EXPECT_EQ(controlEventMessage, static_cast<UINT>(WM_CHAR));
    EXPECT_EQ(Count(codes, WM_KEYDOWN), 1);
    EXPECT_EQ(EventControlNumber(), 2);
}

class ListNotifications : public EventPolling {
  protected:
    void SetUp() override {
        EventPolling::SetUp();
        InitCommonControls();
        list = CreateChild(window, "SysListView32", WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL, 9, 5,
                           25, 590, 470);
        ASSERT_NE(list, nullptr);
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 200;
        column.pszText = const_cast<char*>("Zahl");
        SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
        DrainQueue();
    }
    void AddRow(const char* text) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = 1000;
        item.pszText = const_cast<char*>(text);
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    HWND list = nullptr;
};

TEST_F(ListNotifications, SixCodesFromAListAreControlEventsAndNothingElseIs) {
    for (UINT code :
         {NM_CLICK, NM_DBLCLK, NM_RCLICK, NM_RDBLCLK, LVN_ITEMACTIVATE, LVN_ITEMCHANGED}) {
        EXPECT_EQ(SendNotification(list, 9, code), 0);
        EXPECT_EQ(PollOneMessage(), EVENT_CONTROL) << "code " << code;
        EXPECT_EQ(EventControlNumber(), 9);
    }
    HWND button = CreateChild(window, "BUTTON", WS_VISIBLE, 4, 10, 10, 60, 20, "B");
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    ASSERT_NE(header, nullptr);
    const struct {
        HWND sender;
        UINT_PTR identifier;
        UINT code;
        const char* what;
    } ignored[] = {
        {button, 4, NM_CLICK, "a click reported by a button"},
        {header, 4, NM_CLICK, "a click reported by a list's header (SysHeader32)"},
        {list, 9, LVN_INSERTITEM, "a row added"},
        {list, 9, LVN_DELETEALLITEMS, "the list cleared"},
        {nullptr, 9, NM_CLICK, "a sender whose class cannot be read"},
    };
    for (const auto& notification : ignored) {
        EXPECT_EQ(SendNotification(notification.sender, notification.identifier, notification.code),
                  0);
        EXPECT_EQ(PollOneMessage(), static_cast<int32_t>(SOME_MESSAGE)) << notification.what;
        EXPECT_EQ(EventControlNumber(), 9) << notification.what;
    }
    // Another process can send a notification without its header.
    EXPECT_EQ(SendMessageA(window, WM_NOTIFY, 9, 0), 0);
    EXPECT_EQ(PollOneMessage(), static_cast<int32_t>(SOME_MESSAGE))
        << "a notification without header";
}

TEST_F(ListNotifications, AddingARowRecordsNothingButSelectingOneDoes) {
    AddRow("1");
    EXPECT_EQ(PollOneMessage(), static_cast<int32_t>(SOME_MESSAGE)) << "LVN_INSERTITEM";
    EXPECT_EQ(EventControlNumber(), 0);

    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    EXPECT_EQ(PollOneMessage(), EVENT_CONTROL) << "LVN_ITEMCHANGED";
    EXPECT_EQ(EventControlNumber(), 9);
}

TEST_F(ListNotifications, AClickOnARowIsAControlEventOfTheList) {
    AddRow("1");
    AddRow("2");
    BringToFront(window);
    RECT row = {};
    row.left = LVIR_BOUNDS;
    SendMessageA(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
    POINT point = {row.left + 20, (row.top + row.bottom) / 2};
    ClientToScreen(list, &point);
    ClickAt(point.x, point.y);
    ASSERT_TRUE(PollUntil(EVENT_CONTROL)) << "a click on a row reached no poll";
    EXPECT_EQ(EventControlNumber(), 9);
    PollFor(100);
    EXPECT_EQ(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 1)
        << "the click did not select the row it hit";
}

// Counts the WM_SIZE messages that reach one window.
class SizeCounter {
  public:
    explicit SizeCounter(HWND target) {
        window = target;
        count = 0;
        hook = SetWindowsHookExA(WH_CALLWNDPROC, Count, nullptr, GetCurrentThreadId());
    }
    ~SizeCounter() {
        UnhookWindowsHookEx(hook);
    }
    static HWND window; // null: every top-level window
    static int count;

  private:
    static LRESULT CALLBACK Count(int code, WPARAM wParam, LPARAM lParam) {
        const CWPSTRUCT* message = reinterpret_cast<CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && message->message == WM_SIZE &&
            (window == nullptr ? GetParent(message->hwnd) == nullptr : message->hwnd == window)) {
            count++;
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    HHOOK hook;
};
HWND SizeCounter::window;
int SizeCounter::count;

// Resizes the window named in wParam when the message reaches it, from inside a poll.
LRESULT CALLBACK ResizeWhenAsked(HWND helper, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == SOME_MESSAGE) {
        SetWindowPos(reinterpret_cast<HWND>(wParam), nullptr, 0, 0, 640, 480,
                     SWP_NOMOVE | SWP_NOZORDER);
        return 0;
    }
    return DefWindowProcA(helper, message, wParam, lParam);
}

TEST_F(EventPolling, ASizeChangeReachesTheApplicationOnePollLater) {
    WNDCLASSA helperClass = {};
    helperClass.lpfnWndProc = ResizeWhenAsked;
    helperClass.hInstance = ModuleInstance;
    helperClass.lpszClassName = "ResizeHelper";
    RegisterClassA(&helperClass);
    HWND helper = CreateWindowExA(0, "ResizeHelper", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  ModuleInstance, nullptr);
    ASSERT_NE(helper, nullptr);

    int sizes;
    std::vector<int32_t> codes;
    {
        SizeCounter counter(window);
        PostMessageA(helper, SOME_MESSAGE, reinterpret_cast<WPARAM>(window), 0);
        EXPECT_EQ(PollEvent(), static_cast<int32_t>(SOME_MESSAGE))
            << "the poll during which the size changed must not return EVENT_SIZE";
        sizes = SizeCounter::count;
        ASSERT_GE(sizes, 1);
        MSG deferred;
        EXPECT_TRUE(PeekMessageA(&deferred, window, DEFERRED_SIZE_MESSAGE, DEFERRED_SIZE_MESSAGE,
                                 PM_NOREMOVE));
        RECT client;
        GetClientRect(window, &client);
        EXPECT_EQ(deferred.wParam, static_cast<WPARAM>(SIZE_RESTORED));
        EXPECT_EQ(deferred.lParam, MAKELPARAM(client.right, client.bottom))
            << "the deferred message carries the WM_SIZE's new client size";
        codes = PollFor(200);
    }
    EXPECT_EQ(Count(codes, EVENT_SIZE), sizes) << "one EVENT_SIZE for every WM_SIZE";
    DestroyWindow(helper);
    UnregisterClassA("ResizeHelper", ModuleInstance);
}

TEST_F(EventPolling, TheSizeMessagesOfCreationAreEventsToo) {
    int sizes;
    std::vector<int32_t> codes;
    {
        SizeCounter counter(nullptr);
        ASSERT_NE(CreateNumberedWindow(1, 20, 20, 300, 200, 0, "shown"), nullptr);
        sizes = SizeCounter::count;
        codes = PollFor(200);
    }
    EXPECT_GE(sizes, 1) << "creation sends WM_SIZE";
    EXPECT_EQ(Count(codes, EVENT_SIZE), sizes);
}

TEST_F(EventPolling, TheCloseBoxRequestsClosingAndTheWindowStays) {
    BringToFront(window);
    RECT outer;
    GetWindowRect(window, &outer);
    // The close box is wherever the frame reports HTCLOSE along the caption row.
    POINT closeBox = {-1, -1};
    for (int y = outer.top + 2; y < outer.top + 40 && closeBox.x < 0; y++) {
        for (int x = outer.right - 2; x > outer.right - 80; x--) {
            if (SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
                closeBox = {x - 4, y + 4};
                break;
            }
        }
    }
    ASSERT_GE(closeBox.x, 0) << "no close box found on the caption";
    ClickAt(closeBox.x, closeBox.y);
    EXPECT_TRUE(PollUntil(EVENT_CLOSE)) << "the close box gave no EVENT_CLOSE";
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(IsWindowVisible(window)) << "the window must stay until the application closes it";
}
} // namespace
