// Copying rows as a user does: rows selected with the mouse and with keys, Ctrl+C or the
// menu, and the clipboard read back as another Windows program and another X program would
// paste it.
#include "tests/Clipboard.h"
#include "tests/end_to_end/ToolFixture.h"

#include <string.h>

#include <algorithm>
#include <vector>

using namespace automation;

namespace {
class CopyRows : public ToolTest {
  protected:
    void SetUp() override {
        ToolTest::SetUp();
        owner = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                nullptr);
    }
    void TearDown() override {
        DestroyWindow(owner);
        ToolTest::TearDown();
    }
    // Another program's copy, which the tool's copy replaces or keeps.
    void PutBefore() {
        ASSERT_TRUE(PutOnClipboard(owner, "vorher"));
        ASSERT_TRUE(WaitUntil([] { return XClipboardText() == "vorher"; }, 5000))
            << "X programs do not see the Windows clipboard";
    }
    // The rows of a range from `first` on, as Windows programs read them (CR LF) and as X
    // programs paste them (LF); "vorher" for no row.
    static void ExpectClipboardHolds(int32_t first, const std::vector<int>& rows) {
        std::string lines[2];
        for (int row : rows) {
            int32_t number = first + row;
            std::string line = std::to_string(number) + "\t" + ExpectedFactorText(number) + "\t" +
                               ExpectedDivisorText(number);
            lines[0] += line + "\r\n";
            lines[1] += line + "\n";
        }
        std::string windows = rows.empty() ? "vorher" : lines[0];
        EXPECT_TRUE(WaitUntil([&] { return ClipboardText() == windows; }, 5000))
            << "the clipboard holds \"" << ClipboardText() << "\", not \"" << windows << "\"";
        EXPECT_EQ(XClipboardText(), rows.empty() ? "vorher" : lines[1]) << "what X programs paste";
    }
    // How the screen shows the first item of the tool's open menu ("Kopieren"): "grey" when
    // its text is in the system's grey, "black" when in the menu's text colour, "" without
    // a menu.
    std::string FirstMenuItemLook() const {
        HWND menu = nullptr;
        EnumThreadWindows(tool.ThreadId(), FindMenu, reinterpret_cast<LPARAM>(&menu));
        RECT item = {};
        if (menu == nullptr || !GetWindowRect(menu, &item)) {
            return "";
        }
        item.bottom = (item.top + item.bottom) / 2;
        std::vector<uint32_t> pixels = ScreenPixels(item);
        auto shown = [&](int colour) {
            COLORREF c = GetSysColor(colour);
            uint32_t rgb = GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
            return std::count(pixels.begin(), pixels.end(), rgb) != 0;
        };
        return shown(COLOR_MENUTEXT) ? "black" : shown(COLOR_GRAYTEXT) ? "grey" : "";
    }
    static BOOL CALLBACK FindMenu(HWND window, LPARAM found) {
        char name[16] = "";
        GetClassNameA(window, name, sizeof name);
        if (IsWindowVisible(window) && strcmp(name, "#32768") == 0) {
            *reinterpret_cast<HWND*>(found) = window;
        }
        return TRUE;
    }
    HWND owner = nullptr;
};
} // namespace

TEST_F(CopyRows, RowsSelectedByMouseAndKeysGoToTheClipboardForWindowsAndX) {
    ASSERT_NO_FATAL_FAILURE(StartRange("2", "6"));
    ASSERT_TRUE(WaitForRunEnd(5, 5000));
    struct Click {
        int row;
        const char* click;
        int column = 0;
    };
    const struct {
        const char* what;
        std::vector<Click> clicks;
        const char* menu; // how the last click's menu shows "Kopieren"; "" without a menu
        const char* keys;
        std::vector<int> copied;
    } cases[] = {
        {"a click on the second row", {{1, "click 1"}}, "", "ctrl+c", {1}},
        {"Shift+click, then Ctrl+click above",
         {{1, "click 1"},
          {3, "keydown shift click 1 keyup shift"},
          {0, "keydown ctrl click 1 keyup ctrl"}},
         "",
         "ctrl+c",
         {0, 1, 2, 3}},
        {"a click on the second row's divisors, Shift+click on the fourth row's factors",
         {{1, "click 1", 2}, {3, "keydown shift click 1 keyup shift", 1}},
         "",
         "ctrl+c",
         {1, 2, 3}},
        {"Shift+End from the fourth row", {{3, "click 1"}}, "", "shift+End ctrl+c", {3, 4}},
        {"Ctrl+A", {{2, "click 1"}}, "", "ctrl+a ctrl+c", {0, 1, 2, 3, 4}},
        {"typing 5 from the first row", {{0, "click 1"}}, "", "5 ctrl+c", {3}},
        {"none: a Ctrl+click takes the one selected row back",
         {{2, "click 1"}, {2, "keydown ctrl click 1 keyup ctrl"}},
         "",
         "ctrl+c",
         {}},
        {"a right click on the third row, Kopieren", {{2, "click 3"}}, "black", "k", {2}},
        {"a right click below the rows: Kopieren is grey", {{9, "click 3"}}, "grey", "k", {}},
        {"a right click, Alles auswaehlen, Ctrl+C",
         {{9, "click 3"}},
         "grey",
         "a ctrl+c",
         {0, 1, 2, 3, 4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NO_FATAL_FAILURE(PutBefore());
        for (const Click& click : c.clicks) {
            ASSERT_TRUE(tool.ClickRow(click.row, click.click, click.column));
        }
        EXPECT_TRUE(WaitUntil([&] { return FirstMenuItemLook() == c.menu; }, 5000))
            << "the menu shows Kopieren \"" << FirstMenuItemLook() << "\", not \"" << c.menu
            << "\"";
        ASSERT_TRUE(tool.PressKeys(c.keys));
        // A click on a field comes after the keys: once the field has the focus, the tool
        // has taken them, also a Ctrl+C that copies nothing.
        ASSERT_TRUE(tool.Click(FIRST_FIELD));
        ASSERT_TRUE(WaitUntil([&] { return tool.FocusedControl() == FIRST_FIELD; }, 5000));
        ExpectClipboardHolds(2, c.copied);
    }
}

TEST_F(CopyRows, ACopyDuringARunTakesTheRowsAndTheRunGoesOn) {
    ASSERT_NO_FATAL_FAILURE(StartLongRun());
    ASSERT_NO_FATAL_FAILURE(PutBefore());
    ASSERT_TRUE(tool.ClickRow(1, "click 1"));
    ASSERT_TRUE(tool.PressKeys("ctrl+c"));
    ExpectClipboardHolds(1, {1});
    int rows = tool.RowCount();
    EXPECT_TRUE(WaitUntil([&] { return tool.RowCount() > rows + 10; }, 5000))
        << "the run stopped with the copy";
    ASSERT_NO_FATAL_FAILURE(StopRun());
}
