// Tab and Shift+Tab pressed as real keys move the focus among the enabled, visible
// tab-stop controls of the active window, in creation order, wrapping at the ends.
#include "WindowTestSupport.h"
#include "tests/ImportTable.h"

namespace {
// Identifiers, in creation order: E1 (edit), a disabled button, a label, E2 (button), a
// button without tab stop, a hidden button, E3 (multi-line edit).
// Where the focus can be besides a control: on the window itself, or nowhere.
enum : int32_t {
    NOWHERE = -1,
    WINDOW_ITSELF = 0,
    E1 = 11,
    DISABLED = 12,
    LABEL = 13,
    E2 = 14,
    NO_TAB = 15,
    HIDDEN = 16,
    E3 = 17
};

// Counts what reaches E3 itself, to show that Tab never does.
WNDPROC EditProcedure;
int tabsSeenByE3;
LRESULT CALLBACK CountTabs(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if ((message == WM_KEYDOWN || message == WM_CHAR) && (wParam == VK_TAB || wParam == '\t')) {
        tabsSeenByE3++;
    }
    return CallWindowProcA(EditProcedure, window, message, wParam, lParam);
}

enum class Key { Tab, ShiftTab, Enter };

// What the poll that took the Tab keystroke returned.
struct KeyPoll {
    bool taken = false;
    int32_t code = 0;
    int32_t controlNumber = 0;
};

class TabTraversal : public WindowRuntimeTest {
  protected:
    void SetUp() override {
        WindowRuntimeTest::SetUp();
        window = CreateApplicationWindow();
        ASSERT_NE(window, nullptr);
        tabsSeenByE3 = 0;
        BringToFront(window);
        ASSERT_EQ(GetActiveWindow(), window);
    }

    void CreateTheSevenControls() {
        const DWORD shown = WS_VISIBLE | WS_TABSTOP;
        Child(E1, "EDIT", shown | WS_BORDER, 10);
        Child(DISABLED, "BUTTON", shown | WS_DISABLED, 40);
        Child(LABEL, "STATIC", WS_VISIBLE, 70);
        Child(E2, "BUTTON", shown, 100);
        Child(NO_TAB, "BUTTON", WS_VISIBLE, 130);
        Child(HIDDEN, "BUTTON", WS_TABSTOP, 160);
        HWND e3 = Child(E3, "EDIT", shown | WS_BORDER | ES_MULTILINE | ES_WANTRETURN, 190);
        EditProcedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(e3, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountTabs)));
    }

    HWND Child(int32_t number, const char* className, DWORD style, int y) {
        HWND child = CreateChild(window, className, style, number, 10, y, 100, 24, "x");
        EXPECT_NE(child, nullptr);
        return child;
    }

    HWND Control(int32_t number) {
        return GetDlgItem(window, number);
    }

    // The focus where a case starts; the event that the move itself records is taken.
    void FocusOn(int32_t where) {
        SetFocus(where == NOWHERE ? nullptr : where == WINDOW_ITSELF ? window : Control(where));
        PostMessageA(window, WM_NULL, 0, 0);
        PollFor(50);
    }

    int32_t FocusedNumber() {
        HWND focus = GetFocus();
        if (focus == nullptr) {
            return NOWHERE;
        }
        return focus == window ? WINDOW_ITSELF : GetDlgCtrlID(focus);
    }

    // Presses the key and polls until its last key-up has been taken.
    KeyPoll Press(Key key) {
        WPARAM mainKey = key == Key::Enter ? VK_RETURN : VK_TAB;
        WPARAM lastKey = key == Key::ShiftTab ? VK_SHIFT : mainKey;
        if (key == Key::ShiftTab) {
            PressShiftTab();
        } else {
            PressKey(static_cast<WORD>(mainKey));
        }
        KeyPoll seen;
        DWORD start = GetTickCount();
        while (GetTickCount() - start < 1000) {
            int32_t code = PollEvent();
            if (code == 0) {
                Sleep(1);
                continue;
            }
            const MSG& taken = PollMessage;
            bool keyDown = taken.message == WM_KEYDOWN || taken.message == WM_SYSKEYDOWN;
            if (keyDown && taken.wParam == mainKey && !seen.taken) {
                seen = {true, code, EventControlNumber()};
            }
            bool keyUp = taken.message == WM_KEYUP || taken.message == WM_SYSKEYUP;
            if (keyUp && taken.wParam == lastKey) {
                break;
            }
        }
        DrainQueue();
        return seen;
    }

    HWND window = nullptr;
};

struct MoveCase {
    int32_t from;
    Key key;
    int32_t to;
    int32_t pollCode; // what the poll that took the keystroke returns
    int32_t controlNumber;
    const char* meaning;
};

const char* KeyName(Key key) {
    return key == Key::Tab ? "Tab" : key == Key::ShiftTab ? "Shift+Tab" : "Enter";
}

TEST_F(TabTraversal, TabAndShiftTabVisitTheEligibleControlsInOrderAndWrap) {
    CreateTheSevenControls();
    const MoveCase cases[] = {
        {E2, Key::Tab, E3, EVENT_CONTROL, E3, "E2 to E3; E3 reports gaining the focus"},
        {E2, Key::ShiftTab, E1, EVENT_CONTROL, E1, "E2 back to E1 over the disabled button"},
        {E1, Key::Tab, E2, EVENT_CONTROL, E1, "E1 to E2; E1 reports losing the focus"},
        {E3, Key::ShiftTab, E2, EVENT_CONTROL, E3, "back over the hidden and no-tab buttons"},
        {E3, Key::Tab, E1, EVENT_CONTROL, E1, "wraps from the last to the first"},
        {E1, Key::ShiftTab, E3, EVENT_CONTROL, E3, "wraps from the first to the last"},
        {WINDOW_ITSELF, Key::Tab, E1, EVENT_CONTROL, E1, "no focus inside: the first"},
        {WINDOW_ITSELF, Key::ShiftTab, E3, EVENT_CONTROL, E3, "no focus inside: the last"},
        {NO_TAB, Key::Tab, NO_TAB, WM_KEYDOWN, 0, "a non-eligible start is never matched"},
        {NO_TAB, Key::ShiftTab, E3, EVENT_CONTROL, E3, "Shift+Tab from it goes to the last"},
    };
    for (const MoveCase& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << KeyName(c.key) << " from " << c.from << ": " << c.meaning);
        FocusOn(c.from);
        ASSERT_EQ(FocusedNumber(), c.from);
        CurrentEvent.controlNumber = 0;
        KeyPoll poll = Press(c.key);
        EXPECT_EQ(FocusedNumber(), c.to) << "the focus went to the wrong control";
        ASSERT_TRUE(poll.taken) << "no poll took the keystroke";
        EXPECT_EQ(poll.code, c.pollCode);
        EXPECT_EQ(poll.controlNumber, c.controlNumber);
    }
    EXPECT_EQ(tabsSeenByE3, 0) << "the focused control received the Tab keystroke";
    char text[16] = "";
    GetWindowTextA(Control(E3), text, sizeof text);
    EXPECT_STREQ(text, "x") << "a Tab character was typed into the multi-line field";
}

// Another window of the program takes the activation and gives it back.
TEST_F(TabTraversal, TheFocusComesBackWithTheWindow) {
    CreateTheSevenControls();
    HWND other = CreateNumberedWindow(1, 0, 0, 200, 100, 0, "other");
    FocusOn(E2);
    BringToFront(other);
    ASSERT_EQ(GetActiveWindow(), other);
    EXPECT_EQ(FocusedChild(0), E2) << "the inactive window forgot its focused control";
    BringToFront(window);
    EXPECT_EQ(FocusedNumber(), E2) << "the focus did not come back to the control that had it";

    BringToFront(other);
    EnableWindow(Control(E2), FALSE);
    EXPECT_EQ(FocusedChild(0), -1);
    BringToFront(window);
    EXPECT_EQ(FocusedNumber(), E1) << "a control disabled meanwhile: the first Tab reaches";
    EnableWindow(Control(E2), TRUE);

    BringToFront(other);
    FocusChild(0, E3);
    EXPECT_EQ(GetActiveWindow(), other) << "giving the focus took the activation";
    BringToFront(window);
    EXPECT_EQ(FocusedNumber(), E3) << "the focus given while inactive did not arrive";
}

// Enter presses the focused push button, or from another control the default button while
// it is enabled; a multi-line field keeps Enter for its line breaks.
TEST_F(TabTraversal, EnterPressesTheFocusedOrTheDefaultButton) {
    CreateTheSevenControls();
    const struct {
        int32_t defaultButton;
        int32_t from;
        int32_t pollCode;
        int32_t controlNumber;
        const char* meaning;
    } cases[] = {
        {E2, E1, EVENT_CONTROL, E2, "from a field: the default button"},
        {NO_TAB, E2, EVENT_CONTROL, E2, "on a button: that button"},
        {DISABLED, E1, WM_KEYDOWN, 0, "a disabled default button: nothing, the key taken"},
        {E2, E3, WM_KEYDOWN, 0, "the multi-line field takes the key"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.meaning);
        SetDefaultButton(0, c.defaultButton);
        FocusOn(c.from);
        CurrentEvent.controlNumber = 0;
        KeyPoll poll = Press(Key::Enter);
        ASSERT_TRUE(poll.taken);
        EXPECT_EQ(poll.code, c.pollCode);
        EXPECT_EQ(poll.controlNumber, c.controlNumber);
        EXPECT_EQ(FocusedNumber(), c.from);
    }
}

TEST_F(TabTraversal, WithTheFocusNowhereTabTakesTheFirstAndShiftTabTheLast) {
    CreateTheSevenControls();
    FocusOn(NOWHERE);
    ASSERT_EQ(GetFocus(), nullptr);
    Press(Key::Tab);
    EXPECT_EQ(FocusedNumber(), E1);
    FocusOn(NOWHERE);
    Press(Key::ShiftTab);
    EXPECT_EQ(FocusedNumber(), E3);
}

TEST_F(TabTraversal, ASingleEligibleControlKeepsTheFocus) {
    Child(NO_TAB, "BUTTON", WS_VISIBLE, 10);
    Child(E2, "BUTTON", WS_VISIBLE | WS_TABSTOP, 40);
    Child(DISABLED, "BUTTON", WS_VISIBLE | WS_TABSTOP | WS_DISABLED, 70);
    FocusOn(E2);
    Press(Key::Tab);
    EXPECT_EQ(FocusedNumber(), E2);
    Press(Key::ShiftTab);
    EXPECT_EQ(FocusedNumber(), E2);
}

TEST_F(TabTraversal, WithoutEligibleControlsNeitherKeyMovesTheFocus) {
    Child(NO_TAB, "BUTTON", WS_VISIBLE, 10);
    Child(HIDDEN, "BUTTON", WS_TABSTOP, 40);
    Child(DISABLED, "BUTTON", WS_VISIBLE | WS_TABSTOP | WS_DISABLED, 70);
    for (int32_t start : {+WINDOW_ITSELF, +NO_TAB}) {
        for (Key key : {Key::Tab, Key::ShiftTab}) {
            FocusOn(start);
            KeyPoll poll = Press(key);
            EXPECT_EQ(FocusedNumber(), start) << KeyName(key) << " from " << start;
            EXPECT_EQ(poll.code, WM_KEYDOWN) << "nothing records an event";
        }
    }
}

TEST_F(TabTraversal, TheStateOfOneMoveDoesNotLeakIntoTheNext) {
    CreateTheSevenControls();
    FocusOn(E3);
    Press(Key::Tab); // wraps with the second pass
    ASSERT_EQ(FocusedNumber(), E1);
    Press(Key::Tab);
    EXPECT_EQ(FocusedNumber(), E2) << "a flag left armed by the wrap moved the focus too far";
    Press(Key::ShiftTab);
    Press(Key::ShiftTab);
    EXPECT_EQ(FocusedNumber(), E3);
}

// Stands in for the platform's EnumChildWindows in this program's import table and records
// the parent of every enumeration before passing it on. A walk that the platform refuses
// (Wine refuses a null parent, which Windows takes for the desktop) is still recorded.
class EnumerationRecorder {
  public:
    EnumerationRecorder() {
        parents.clear();
        slot = ImportSlot("user32.dll", "EnumChildWindows");
        if (slot != nullptr) {
            real = reinterpret_cast<EnumerateChildren>(
                RedirectImport(slot, reinterpret_cast<void*>(&Record)));
        }
    }
    ~EnumerationRecorder() {
        if (slot != nullptr) {
            RedirectImport(slot, reinterpret_cast<void*>(real));
        }
    }
    bool Installed() const {
        return slot != nullptr;
    }
    static std::vector<HWND> parents;

  private:
    typedef BOOL(WINAPI* EnumerateChildren)(HWND, WNDENUMPROC, LPARAM);

    static BOOL WINAPI Record(HWND parent, WNDENUMPROC visit, LPARAM context) {
        parents.push_back(parent);
        return real(parent, visit, context);
    }
    static EnumerateChildren real;
    void** slot = nullptr;
};
std::vector<HWND> EnumerationRecorder::parents;
EnumerationRecorder::EnumerateChildren EnumerationRecorder::real;

using NoActiveWindow = WindowRuntimeTest;

// Another program can send a shortcut's command while none of the program's windows is
// active. Walking the children of no window would visit every top-level window of the
// desktop and could give the focus to any of them.
TEST_F(NoActiveWindow, AShortcutCommandWalksNoWindowAndMovesNoFocus) {
    HWND hidden = CreateApplicationWindow(0xC80001 | WINDOW_HIDDEN);
    ASSERT_NE(hidden, nullptr);
    ASSERT_EQ(GetActiveWindow(), nullptr) << "the test needs a thread without active window";
    EnumerationRecorder recorder;
    ASSERT_TRUE(recorder.Installed()) << "EnumChildWindows not found in the import table";
    for (WORD command : {CMD_FOCUS_NEXT, CMD_FOCUS_PREVIOUS}) {
        SendMessageA(hidden, WM_COMMAND, MAKEWPARAM(command, 1), 0);
        EXPECT_TRUE(EnumerationRecorder::parents.empty())
            << "command " << command << " walked the windows of the desktop";
        EXPECT_EQ(GetFocus(), nullptr) << "command " << command;
        EnumerationRecorder::parents.clear();
    }
    // The recorder sees the walk that an active window does get.
    HWND active = CreateNumberedWindow(1, 0, 0, 200, 100, 0, "active");
    BringToFront(active);
    ASSERT_EQ(GetActiveWindow(), active);
    SendMessageA(active, WM_COMMAND, MAKEWPARAM(CMD_FOCUS_NEXT, 1), 0);
    EXPECT_EQ(EnumerationRecorder::parents, std::vector<HWND>{active});
}
} // namespace
