// Buttons, edit fields and labels as the platform sees them, and reading their texts.
#include "ControlTestSupport.h"

#include <string.h>

namespace {

using SimpleControls = ControlRuntimeTest;

struct WindowLook {
    const char* kind;
    HWND handle;
    const char* className;
    LONG_PTR style;
    LONG_PTR extendedStyle;
};

TEST_F(SimpleControls, EachKindHasItsClassStyleExtendedStyleAndTheControlFont) {
    OpenParent();
    const WindowLook looks[] = {
        {"button", CreateButton(5, 190, 1, 40, 20, "Start"), "Button", 0x50030000, 0},
        {"label", CreateLabel(1, 0, 4, 20, 16, "Von"), "Static", 0x50020000, 0},
        {"edit 0", CreateEditField(2, 22, 1, 70, 20, "1", 0), "Edit", 0x50030080, 0x200},
        {"edit ES_NUMBER", CreateEditField(4, 112, 1, 70, 20, "100", 0x2000), "Edit", 0x50032080,
         0x200},
        {"edit EDIT_NO_EDGE", CreateEditField(8, 22, 30, 70, 20, "", EDIT_NO_EDGE), "Edit",
         0x50030080, 0},
    };
    for (const WindowLook& look : looks) {
        ASSERT_NE(look.handle, nullptr) << look.kind;
        EXPECT_STRCASEEQ(ClassOf(look.handle).c_str(), look.className) << look.kind;
        EXPECT_EQ(GetWindowLongPtrA(look.handle, GWL_STYLE), look.style) << look.kind;
        EXPECT_EQ(GetWindowLongPtrA(look.handle, GWL_EXSTYLE), look.extendedStyle) << look.kind;
        EXPECT_EQ(GetParent(look.handle), parent) << look.kind;
        EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageA(look.handle, WM_GETFONT, 0, 0)),
                  GetStockObject(ANSI_VAR_FONT))
            << look.kind << " is drawn in the wrong font";
    }
    EXPECT_EQ(GetDlgCtrlID(looks[0].handle), 5) << "the number is the child identifier";
    EXPECT_EQ(LookupControlRecord(5)->ops, &ButtonOps);
    EXPECT_EQ(LookupControlRecord(1)->ops, &LabelOps);
    EXPECT_EQ(LookupControlRecord(2)->ops, &EditOps);
    RECT area;
    GetWindowRect(looks[1].handle, &area);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
    EXPECT_EQ(area.left, 0);
    EXPECT_EQ(area.top, 4);
    EXPECT_EQ(area.right - area.left, 20);
    EXPECT_EQ(area.bottom - area.top, 16);
}

TEST_F(SimpleControls, ReadingGivesTheCaptionTheLabelAndTheFieldUnconverted) {
    OpenParent();
    CreateButton(5, 190, 1, 40, 20, "Start");
    CreateLabel(3, 95, 4, 15, 16, "bis");
    CreateEditField(2, 22, 1, 70, 20, "007", ES_NUMBER);
    EXPECT_EQ(ReadText(5), "Start");
    EXPECT_EQ(ReadText(3), "bis");
    EXPECT_EQ(ReadText(2), "007");

    char* start = MarkScratch();
    ReadControlText(5);
    EXPECT_EQ(ScratchCursor, start + 5) << "the cursor rests on the text's zero";
    EXPECT_EQ(*ScratchCursor, 0);
    ReleaseScratch(start);
}

TEST_F(SimpleControls, ButtonStateIsItsCheckState) {
    OpenParent();
    HWND button = CreateButton(5, 190, 1, 40, 20, "Start");
    EXPECT_EQ(GetControlState(5), 0) << "a push button is never checked";
    // A check box reached through the button operations.
    SendMessageA(button, BM_SETSTYLE, BS_AUTOCHECKBOX, FALSE);
    SetControlState(5, BST_CHECKED);
    EXPECT_EQ(SendMessageA(button, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(GetControlState(5), 1);
    SetControlState(5, BST_UNCHECKED);
    EXPECT_EQ(GetControlState(5), 0);
}

TEST_F(SimpleControls, ALongTextIsCutToItsFirst4999Characters) {
    OpenParent();
    std::string text(6000, 'a');
    for (size_t i = 0; i < text.size(); i++) {
        text[i] = static_cast<char>('a' + i % 26);
    }
    HWND field = CreateEditField(2, 22, 1, 70, 20, text.c_str(), 0);
    ASSERT_EQ(WindowText(field), text);
    EXPECT_EQ(ReadText(2), text.substr(0, 4999));
}

TEST_F(SimpleControls, AReadNearTheEndOfTheScratchBufferStopsAtTheEnd) {
    OpenParent();
    CreateEditField(2, 22, 1, 70, 20, "abcdefghijklmnopqrstuvwxyz", 0);
    char* last = ScratchBuffer + SCRATCH_BUFFER_SIZE - 1;

    ReleaseScratch(last - 9);
    ReadControlText(2);
    EXPECT_STREQ(last - 9, "abcdefghi");
    EXPECT_EQ(ScratchCursor, last);

    ReleaseScratch(last);
    ReadControlText(2);
    EXPECT_EQ(ScratchCursor, last) << "no room left: nothing is read";
    EXPECT_EQ(*last, 0);
    EXPECT_TRUE(HeapValidate(AppHeap, 0, nullptr)) << "a read ran past ScratchBuffer";
}

TEST_F(SimpleControls, ADigitsOnlyFieldRefusesOtherKeysTypedByAPerson) {
    OpenParent(true);
    HWND field = CreateEditField(2, 22, 1, 70, 20, "", ES_NUMBER);
    SetForegroundWindow(parent);
    SetFocus(field);
    Pump(100);
    ASSERT_EQ(GetFocus(), field);
    for (WORD key : {WORD('1'), WORD('A'), WORD('2'), WORD(VK_OEM_MINUS), WORD(VK_SPACE), WORD('3'),
                     WORD(VK_OEM_PERIOD)}) {
        INPUT strokes[2] = {};
        strokes[0].type = strokes[1].type = INPUT_KEYBOARD;
        strokes[0].ki.wVk = strokes[1].ki.wVk = key;
        strokes[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, strokes, sizeof(INPUT));
    }
    DWORD start = GetTickCount();
    while (WindowText(field).size() < 3 && GetTickCount() - start < 3000) {
        Pump(10);
    }
    Pump(100);
    EXPECT_EQ(WindowText(field), "123") << "letters, signs and spaces must not get in";
    EXPECT_EQ(ReadText(2), WindowText(field));
}

} // namespace
