// What a user sees before touching anything: the window, its eight controls and the list's
// columns.
#include "tests/end_to_end/ToolFixture.h"

#include <string.h>

using namespace automation;

namespace {
struct ExpectedControl {
    int number;
    const char* className;
    RECT rect; // left, top, right, bottom in the window's client area
    const char* text;
    LONG style;
    LONG extendedStyle;
};

// In creation order.
const ExpectedControl CONTROLS[] = {
    {FROM_LABEL, "Static", {0, 4, 20, 20}, "Von", 0x50020000, 0},
    {FIRST_FIELD, "Edit", {22, 1, 92, 21}, "1", 0x50032080, WS_EX_CLIENTEDGE},
    {TO_LABEL, "Static", {95, 4, 110, 20}, "bis", 0x50020000, 0},
    {LAST_FIELD, "Edit", {112, 1, 182, 21}, "100", 0x50032080, WS_EX_CLIENTEDGE},
    {START_BUTTON, "Button", {190, 1, 230, 21}, "Start", 0x50030000, 0},
    {STOP_BUTTON, "Button", {240, 1, 280, 21}, "Stop", 0x50030000, 0},
    {CLEAR_BUTTON, "Button", {290, 1, 330, 21}, "Clear", 0x50030000, 0},
    {RESULT_LIST, "SysListView32", {5, 25, 595, 495}, "", 0x50011041, WS_EX_CLIENTEDGE},
};

std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}
} // namespace

TEST_F(ToolTest, WindowHasItsCaptionClassStyleAndCentredClientArea) {
    HWND window = tool.Window();
    EXPECT_EQ(tool.Text(window), "Primfaktoren und Teiler") << "the caption is wrong";
    EXPECT_EQ(ClassOf(window), "WindowClass_0");
    // The platform adds WS_CLIPSIBLINGS and WS_EX_WINDOWEDGE to every top-level window.
    LONG style = GetWindowLongA(window, GWL_STYLE) & ~WS_CLIPSIBLINGS;
    EXPECT_EQ(style, 0x10C80000)
        << "the window should have a caption, a system menu and a close box, and no sizing "
           "border or minimise and maximise boxes";
    EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, 0);

    RECT client = {};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right - client.left, 600) << "the client area is not 600 pixels wide";
    EXPECT_EQ(client.bottom - client.top, 500) << "the client area is not 500 pixels high";

    RECT outer = {};
    GetWindowRect(window, &outer);
    LONG width = outer.right - outer.left;
    LONG height = outer.bottom - outer.top;
    EXPECT_EQ(outer.left, GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2)
        << "the window is not centred on the screen horizontally";
    EXPECT_EQ(outer.top, GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2)
        << "the window is not centred on the screen vertically";
    EXPECT_TRUE(IsWindowVisible(window));
}

TEST_F(ToolTest, ControlsHaveTheirClassesTextsPositionsAndStyles) {
    for (const ExpectedControl& expected : CONTROLS) {
        SCOPED_TRACE("control " + std::to_string(expected.number) + " \"" + expected.text + "\"");
        HWND control = tool.Control(expected.number);
        EXPECT_EQ(_stricmp(ClassOf(control).c_str(), expected.className), 0)
            << "class " << ClassOf(control);
        EXPECT_EQ(tool.Text(control), expected.text);
        RECT rect = tool.ControlRect(expected.number);
        EXPECT_EQ(rect.left, expected.rect.left);
        EXPECT_EQ(rect.top, expected.rect.top);
        EXPECT_EQ(rect.right, expected.rect.right);
        EXPECT_EQ(rect.bottom, expected.rect.bottom);
        // The enabled state is the loop's business; the rest of the style is fixed.
        EXPECT_EQ(GetWindowLongA(control, GWL_STYLE) & ~WS_DISABLED, expected.style);
        EXPECT_EQ(GetWindowLongA(control, GWL_EXSTYLE), expected.extendedStyle);
        EXPECT_EQ(GetParent(control), tool.Window());
    }
}

TEST_F(ToolTest, ControlsFollowEachOtherInCreationOrder) {
    // The child order is the Tab order; the list comes last although its number is 0.
    std::string order;
    for (HWND child = GetWindow(tool.Window(), GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        order += std::to_string(GetDlgCtrlID(child));
    }
    EXPECT_EQ(order, "12345670");
}

// The list view draws a cell's text after a margin and leaves a padding behind it.
constexpr int LIST_CELL_PADDING = 12;

TEST_F(ToolTest, ListHasThreeColumnsThatShowEveryNumberWholeBesideAFullList) {
    const char* titles[] = {"Zahl", "Primfaktoren", "Teiler"};
    for (int column = 0; column < 3; column++) {
        EXPECT_EQ(tool.ColumnTitle(column), titles[column]) << "column " << column;
    }
    EXPECT_EQ(tool.ColumnTitle(3), "<no column>") << "the list has a fourth column";
    EXPECT_EQ(tool.RowCount(), 0) << "the list is not empty before the first Start";
    EXPECT_GE(tool.ColumnWidth(0), tool.StringWidth("-2147483648") + LIST_CELL_PADDING)
        << "\"Zahl\" cuts the widest number";

    ASSERT_TRUE(tool.PasteIntoField(FIRST_FIELD, "-2147483648"));
    ASSERT_TRUE(tool.PasteIntoField(LAST_FIELD, "-2147483549"));
    ASSERT_TRUE(tool.Click(START_BUTTON));
    ASSERT_TRUE(WaitForRunEnd(100, 20000)) << "the list holds " << tool.RowCount() << " rows";
    LONG_PTR style = GetWindowLongPtrA(tool.Control(RESULT_LIST), GWL_STYLE);
    ASSERT_NE(style & WS_VSCROLL, 0) << "100 rows bring no vertical scroll bar";
    EXPECT_EQ(style & WS_HSCROLL, 0) << "a horizontal scroll bar shows beside the full list";
    RECT client = {};
    GetClientRect(tool.Control(RESULT_LIST), &client);
    EXPECT_LE(tool.ColumnWidth(0) + tool.ColumnWidth(1) + tool.ColumnWidth(2), client.right)
        << "the columns run past the list's inside";
}
