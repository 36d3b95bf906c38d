// The report list: its window, columns, rows split at line feeds, its operations by
// number, the shared image lists, and the commands a user gives its rows.
#include "ControlTestSupport.h"
#include "tests/Clipboard.h"
#include "tests/core/AppHeapFailures.h"
#include "tests/window/MessageBoxReader.h"

#include <string.h>

namespace {

class ReportList : public ControlRuntimeTest {
  protected:
    // The application's list 0 with its three columns.
    HWND OpenApplicationList(uint32_t flags = 0, bool visible = false) {
        OpenParent(visible);
        HWND list = CreateReportListWithFlags(0, 5, 25, 590, 470, "Zahl", 50, flags);
        AddReportColumn(0, 1, "Primfaktoren", 200);
        AddReportColumn(0, 2, "Teiler", 336);
        SetReportCommandTexts(0, &COMMAND_TEXTS);
        return list;
    }
    static constexpr ReportCommandTexts COMMAND_TEXTS = {
        L"&Kopieren", L"&Alles ausw\u00e4hlen",
        "Der Speicher reicht nicht aus, um die markierten Zeilen zu kopieren. Die Zwischenablage "
        "bleibt, wie sie war.",
        "Die Zwischenablage hat die markierten Zeilen nicht angenommen."};

    static std::string Cell(HWND list, int row, int column) {
        char text[12000] = {};
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        return text;
    }

    static std::vector<std::string> Row(HWND list, int row) {
        return {Cell(list, row, 0), Cell(list, row, 1), Cell(list, row, 2)};
    }

    static std::string ReadCell(int32_t number, int32_t row, int32_t column) {
        char* start = MarkScratch();
        ReadControlCell(number, row, column);
        std::string text = start;
        EXPECT_EQ(ScratchCursor, start + text.size()) << "the cursor rests on the cell's zero";
        ReleaseScratch(start);
        return text;
    }

    static UINT ItemState(HWND list, int row, UINT mask) {
        return static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, row, mask));
    }

    static int ItemImage(HWND list, int row) {
        LVITEMA item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        return item.iImage;
    }
};

struct ListLook {
    uint32_t flags;
    LONG_PTR style;
    DWORD listStyle;
};

TEST_F(ReportList, FlagWordsGiveTheirStylesAndListStyles) {
    const ListLook looks[] = {
        {0, 0x50011045, 0},
        {REPORT_MULTI_SELECT, 0x50011041, 0},
        {REPORT_GRIDLINES, 0x50011045, LVS_EX_GRIDLINES},
        {REPORT_CHECKBOXES, 0x50011045, LVS_EX_CHECKBOXES},
        {REPORT_FULL_ROW, 0x50011045, LVS_EX_FULLROWSELECT},
        {REPORT_HEADER_DRAG, 0x50011045, LVS_EX_HEADERDRAGDROP},
        {LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER, 0x5001504D, 0},
    };
    OpenParent();
    int32_t number = 10;
    for (const ListLook& look : looks) {
        HWND list = CreateReportListWithFlags(number, 5, 25, 590, 200, "Zahl", 50, look.flags);
        ASSERT_NE(list, nullptr) << std::hex << look.flags;
        EXPECT_STRCASEEQ(ClassOf(list).c_str(), "SysListView32");
        EXPECT_EQ(GetWindowLongPtrA(list, GWL_STYLE), look.style) << std::hex << look.flags;
        EXPECT_EQ(GetWindowLongPtrA(list, GWL_EXSTYLE), WS_EX_CLIENTEDGE) << std::hex << look.flags;
        EXPECT_EQ(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0),
                  static_cast<LRESULT>(look.listStyle))
            << std::hex << look.flags;
        EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0)),
                  GetStockObject(ANSI_VAR_FONT));
        EXPECT_EQ(GetDlgCtrlID(list), number);
        EXPECT_EQ(LookupControlRecord(number)->handle, list);
        EXPECT_EQ(LookupControlRecord(number)->ops, &ReportListOps);
        number++;
    }
}

TEST_F(ReportList, OnlyAMultiSelectListKeepsSeveralRowsSelected) {
    OpenParent();
    for (uint32_t flags : {0u, REPORT_MULTI_SELECT}) {
        int32_t number = flags == 0 ? 1 : 2;
        HWND list = CreateReportListWithFlags(number, 5, 25, 590, 200, "Zahl", 50, flags);
        for (const char* text : {"1", "2", "3"}) {
            AddControlRow(number, -1, text);
        }
        SetControlRowState(number, 0, ROW_SELECTED);
        SetControlRowState(number, 2, ROW_SELECTED);
        EXPECT_EQ(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0), flags == 0 ? 1 : 2)
            << "flags " << flags;
    }
}

TEST_F(ReportList, TheApplicationsColumnsHaveTheirTitlesWidthsAndLeftAlignment) {
    HWND list = OpenApplicationList();
    const struct {
        const char* title;
        int width;
    } columns[] = {{"Zahl", 50}, {"Primfaktoren", 200}, {"Teiler", 336}};
    for (int index = 0; index < 3; index++) {
        char title[64] = {};
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.pszText = title;
        column.cchTextMax = sizeof title;
        ASSERT_TRUE(SendMessageA(list, LVM_GETCOLUMNA, index, reinterpret_cast<LPARAM>(&column)));
        EXPECT_STREQ(title, columns[index].title);
        EXPECT_EQ(column.cx, columns[index].width) << title;
        EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT) << title;
        EXPECT_EQ(column.iSubItem, index) << title;
    }
    AddReportColumn(7, 1, "Teiler", 336); // no list under 7
}

TEST_F(ReportList, LineFeedsSplitARowTextIntoItsColumns) {
    HWND list = OpenApplicationList();
    using Cells = std::vector<std::string>;
    const struct {
        const char* text;
        Cells cells;
    } rows[] = {
        {"12\n2, 2, 3\n1, 2, 3, 4, 6, 12", {"12", "2, 2, 3", "1, 2, 3, 4, 6, 12"}},
        {"7", {"7", "", ""}},
        {"4\n2, 2\n", {"4", "2, 2", ""}},
        {"9\n\n1, 3, 9", {"9", "", "1, 3, 9"}},
        {"", {"", "", ""}},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; i++) {
        char text[64];
        strcpy(text, rows[i].text);
        AddControlRow(0, -1, text);
        EXPECT_STREQ(text, rows[i].text) << "the caller's text was changed";
        EXPECT_EQ(Row(list, static_cast<int>(i)), rows[i].cells)
            << "row " << i << " appended below the others";
    }
    AddControlRow(0, 0, "1\n\n1");
    EXPECT_EQ(Row(list, 0), (Cells{"1", "", "1"})) << "position 0 inserts at the top";
    EXPECT_EQ(Cell(list, 1, 0), "12");
    AddControlRow(0, -1, nullptr);
    EXPECT_EQ(CountControlRows(0), 7) << "a null text still adds a row";
    EXPECT_EQ(Row(list, 6), (Cells{"", "", ""}));
    // The list puts a row asked for beyond the last one after it; its cells follow it there.
    AddControlRow(0, 1000, "8\n2, 2, 2\n1, 2, 4, 8");
    EXPECT_EQ(Row(list, 7), (Cells{"8", "2, 2, 2", "1, 2, 4, 8"}))
        << "the cells went to the position asked for, not to the row the list made";
}

TEST_F(ReportList, RowsCountClearAndStartAgainAtRowZero) {
    HWND list = OpenApplicationList();
    EXPECT_EQ(CountControlRows(0), 0);
    for (int32_t n = 1; n <= 10; n++) {
        AddControlRow(0, -1, AppendNumber(n));
        ReleaseScratch(scratchMark);
    }
    EXPECT_EQ(CountControlRows(0), 10);
    EXPECT_EQ(Cell(list, 9, 0), "10");
    RemoveControlRow(0, 0);
    EXPECT_EQ(CountControlRows(0), 9);
    EXPECT_EQ(Cell(list, 0, 0), "2");
    ClearControlRows(0);
    EXPECT_EQ(CountControlRows(0), 0);
    AddControlRow(0, -1, "1\n\n1");
    EXPECT_EQ(CountControlRows(0), 1);
    EXPECT_EQ(Cell(list, 0, 0), "1") << "the first row after a clear is row 0";
}

// Another program's questions: the row count, then the text of row 99.
struct RowQuestion {
    HWND list;
    LRESULT count;
    char text[8];
};

DWORD WINAPI AskCountAndLastRow(void* parameter) {
    auto* asked = static_cast<RowQuestion*>(parameter);
    asked->count = SendMessageA(asked->list, LVM_GETITEMCOUNT, 0, 0);
    LVITEMA item = {};
    item.pszText = asked->text;
    item.cchTextMax = sizeof asked->text;
    SendMessageA(asked->list, LVM_GETITEMTEXTA, 99, reinterpret_cast<LPARAM>(&item));
    return 0;
}

TEST_F(ReportList, AVisibleListShowsTheRowsThatArrivedAtItsNextTick) {
    // The list view's scroll range, which it sets when it is told of rows.
    auto scrollRange = [](HWND list) {
        SCROLLINFO bar = {};
        bar.cbSize = sizeof bar;
        bar.fMask = SIF_RANGE;
        GetScrollInfo(list, SB_VERT, &bar);
        return bar.nMax;
    };
    OpenParent(true);
    HWND closed = CreateReportList(0, 5, 25, 590, 470, "Zahl", 50);
    for (int row = 0; row < 100; row++) {
        AddControlRow(0, -1, "1");
    }
    ASSERT_EQ(scrollRange(closed), 0) << "the list is told of each row at once: nothing is tested";
    DestroyWindow(closed);
    HWND list = CreateReportList(0, 5, 25, 590, 470, "Zahl", 50);
    for (int row = 0; row < 100; row++) {
        AddControlRow(0, -1, row == 99 ? "100" : "1");
    }
    // Another program, before the next tick, learns of every row kept and reads the last.
    RowQuestion question = {list, 0, ""};
    HANDLE asker = CreateThread(nullptr, 0, AskCountAndLastRow, &question, 0, nullptr);
    ASSERT_NE(asker, nullptr);
    MSG message;
    while (MsgWaitForMultipleObjects(1, &asker, FALSE, 5000, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(asker);
    EXPECT_EQ(question.count, 100) << "another program is told fewer rows than the list keeps";
    EXPECT_STREQ(question.text, "100") << "another program cannot read the last row kept";
    Pump(200);
    EXPECT_EQ(scrollRange(list), 99)
        << "the list under the number of one closed while rows arrived never shows its rows";
}

TEST_F(ReportList, TheFocusedRowIsItsStateAndItsText) {
    HWND list = OpenApplicationList();
    for (const char* text : {"1\n\n1", "2\n2\n1, 2", "3\n3\n1, 3"}) {
        AddControlRow(0, -1, text);
    }
    EXPECT_EQ(GetControlState(0), -1) << "no row has the focus yet";
    EXPECT_EQ(ReadText(0), "") << "with no focused row the list reads as the empty text";

    // Selection and focus apart, as a person's Ctrl+arrow keys leave them.
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED;
    state.state = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&state));
    state.stateMask = LVIS_FOCUSED;
    state.state = LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    EXPECT_EQ(GetControlState(0), 0) << "the state is the focused row, not the selected one";
    EXPECT_EQ(ReadText(0), "1") << "the text is the focused row's, not the selected one's";
    EXPECT_EQ(GetControlRowState(0, 2), ROW_SELECTED);
    EXPECT_EQ(GetControlRowState(0, 0), 0) << "a focused row that is not selected";

    SetControlState(0, 1);
    EXPECT_EQ(GetControlState(0), 1);
    EXPECT_EQ(ItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED), UINT(LVIS_SELECTED | LVIS_FOCUSED));
    EXPECT_EQ(GetFocus(), list);
    EXPECT_EQ(ReadText(0), "2") << "the text is column 0 of the focused row";

    char replacement[] = "20\n2, 2, 5\n1, 2, 4, 5, 10, 20";
    SetControlText(0, replacement);
    EXPECT_EQ(Row(list, 1), (std::vector<std::string>{"20", "2, 2, 5", "1, 2, 4, 5, 10, 20"}));
    EXPECT_STREQ(replacement, "20") << "the text is cut in place";

    SetControlState(0, -1);
    EXPECT_EQ(GetControlState(0), -1);
    EXPECT_EQ(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0), 0);
    char ignored[] = "x\ny";
    SetControlText(0, ignored);
    EXPECT_EQ(Cell(list, 0, 0), "1") << "with no focused row nothing is replaced";
    EXPECT_EQ(Cell(list, 2, 0), "3");
}

TEST_F(ReportList, CellsAreReadAndSetOneByOne) {
    HWND list = OpenApplicationList();
    AddControlRow(0, -1, "6\n2, 3\n1, 2, 3, 6");
    EXPECT_EQ(ReadCell(0, 0, 0), "6");
    EXPECT_EQ(ReadCell(0, 0, 2), "1, 2, 3, 6");
    EXPECT_EQ(ReadCell(0, 5, 0), "") << "a row that does not exist";
    SetControlCell(0, 0, "sechs", 1);
    EXPECT_EQ(Cell(list, 0, 1), "sechs");
    SetControlCell(0, 0, nullptr, 2);
    EXPECT_EQ(Cell(list, 0, 2), "");
    EXPECT_EQ(Cell(list, 0, 0), "6");
}

TEST_F(ReportList, LongTextsAreCutToTheReadLimits) {
    OpenApplicationList();
    std::string text(65000, 'a');
    for (size_t i = 0; i < text.size(); i++) {
        text[i] = static_cast<char>('a' + i % 26);
    }
    std::string row = text + "\n" + text.substr(0, 12000);
    AddControlRow(0, -1, row.c_str());
    SetControlState(0, 0);
    ASSERT_GT(ScratchRoom(), 60000);
    EXPECT_EQ(ReadText(0), text.substr(0, 59999)) << "the focused row reads up to 59,999";
    EXPECT_EQ(ReadCell(0, 0, 1), text.substr(0, 9999)) << "a cell reads up to 9,999";
    EXPECT_EQ(ReadCell(0, 0, 0), text.substr(0, 9999)) << "column 0 as a cell, too";
}

TEST_F(ReportList, ACellTooLongToDrawEndsAfterItsLastWholeNumberWithAMark) {
    HWND list = OpenApplicationList();
    std::string divisors = "1";
    for (int d = 2; d <= 720720; d++) {
        divisors += 720720 % d == 0 ? ", " + std::to_string(d) : "";
    }
    AddControlRow(0, -1, ("720720\n2, 2, 2, 2, 3, 3, 5, 7, 11, 13\n" + divisors).c_str());
    // The room Wine's list view gives a cell it draws.
    char drawn[1024] = {};
    LVITEMA item = {};
    item.iSubItem = 2;
    item.pszText = drawn;
    item.cchTextMax = sizeof drawn;
    SendMessageA(list, LVM_GETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&item));
    std::string text = drawn;
    size_t separator = text.rfind(", ");
    ASSERT_NE(separator, std::string::npos) << text;
    EXPECT_EQ(text.substr(0, separator + 2), divisors.substr(0, separator + 2))
        << "the cell drawn does not end with a whole divisor";
    EXPECT_TRUE(text.substr(separator + 2) == "\x85" || text.substr(separator + 2) == "...")
        << "the cut is not marked: " << text.substr(separator);
    EXPECT_EQ(ReadCell(0, 0, 2), divisors) << "the cell read for a copy is not whole";
}

TEST_F(ReportList, CheckboxesAndSelectionAreTheRowStateBits) {
    OpenParent();
    HWND list = CreateReportListWithFlags(3, 5, 25, 590, 200, "Zahl", 50, REPORT_CHECKBOXES);
    AddControlRow(3, -1, "1");
    AddControlRow(3, -1, "2");
    EXPECT_EQ(GetControlRowState(3, 0), 0) << "a new row is neither selected nor checked";

    const int32_t states[] = {ROW_CHECKED, ROW_SELECTED | ROW_CHECKED, ROW_SELECTED, 0};
    for (int32_t bits : states) {
        SetControlRowState(3, 0, bits);
        EXPECT_EQ(GetControlRowState(3, 0), bits);
        UINT image = (ItemState(list, 0, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) >> 12;
        EXPECT_EQ(image, (bits & ROW_CHECKED) != 0 ? 2u : 1u) << "state image for " << bits;
        EXPECT_EQ(ItemState(list, 0, LVIS_SELECTED) != 0, (bits & ROW_SELECTED) != 0) << bits;
        EXPECT_EQ(ItemState(list, 0, LVIS_FOCUSED) != 0, (bits & ROW_SELECTED) != 0)
            << "selecting a row focuses it, and unselecting takes the focus too: " << bits;
    }
    EXPECT_EQ(GetControlRowState(3, 1), 0) << "the other row is untouched";

    HWND plain = CreateReportList(4, 5, 250, 590, 200, "Zahl", 50);
    AddControlRow(4, -1, "1");
    SetControlRowState(4, 0, ROW_SELECTED | ROW_CHECKED);
    EXPECT_EQ(GetControlRowState(4, 0), ROW_SELECTED) << "without checkboxes no row is checked";
    EXPECT_NE(plain, nullptr);
}

TEST_F(ReportList, ClicksSelectAsTheListsFlagsSayAndACheckBoxClickOnlyChecks) {
    struct Click {
        int row;
        int column; // -1: the row's check box
        WPARAM keys;
    };
    const struct {
        const char* what;
        uint32_t flags;
        std::vector<Click> clicks;
        std::vector<int32_t> states; // of rows 0, 1, 2
    } cases[] = {
        {"a full-row list takes a click on any cell",
         REPORT_FULL_ROW,
         {{1, 2, 0}},
         {0, ROW_SELECTED, 0}},
        {"Shift+click and Ctrl+click select one row where one row is selected",
         0,
         {{0, 0, 0}, {2, 0, MK_SHIFT}, {1, 0, MK_CONTROL}},
         {0, ROW_SELECTED, 0}},
        {"Shift+click, then Ctrl+click takes a row back",
         REPORT_MULTI_SELECT,
         {{0, 0, 0}, {2, 0, MK_SHIFT}, {1, 0, MK_CONTROL}},
         {ROW_SELECTED, 0, ROW_SELECTED}},
        {"a click on a check box checks its row alone",
         REPORT_CHECKBOXES | REPORT_MULTI_SELECT,
         {{0, 0, 0}, {2, -1, 0}},
         {ROW_SELECTED, 0, ROW_CHECKED}},
    };
    OpenParent(true);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        HWND list = CreateReportListWithFlags(1, 5, 25, 590, 200, "Zahl", 50, c.flags);
        AddReportColumn(1, 1, "Primfaktoren", 200);
        AddReportColumn(1, 2, "Teiler", 200);
        for (const char* text : {"1\n\n1", "2\n2\n1, 2", "3\n3\n1, 3"}) {
            AddControlRow(1, -1, text);
        }
        for (const Click& click : c.clicks) {
            RECT cell = {LVIR_LABEL, click.column < 0 ? 0 : click.column, 0, 0};
            SendMessageA(list, LVM_GETSUBITEMRECT, click.row, reinterpret_cast<LPARAM>(&cell));
            LPARAM where = MAKELPARAM(click.column < 0 ? cell.left - 8 : cell.left + 5,
                                      (cell.top + cell.bottom) / 2);
            SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON | click.keys, where);
            SendMessageA(list, WM_LBUTTONUP, click.keys, where);
        }
        for (int32_t row = 0; row < 3; row++) {
            EXPECT_EQ(GetControlRowState(1, row), c.states[row]) << "row " << row;
        }
        DestroyWindow(list);
    }
}

TEST_F(ReportList, AReadNearTheEndOfTheScratchBufferStopsAtTheEnd) {
    OpenApplicationList();
    AddControlRow(0, -1, "1234567890123456789012345\nabcdefghijklmnopqrstuvwxyz");
    SetControlState(0, 0);
    char* last = ScratchBuffer + SCRATCH_BUFFER_SIZE - 1;

    ReleaseScratch(last - 9);
    ReadControlCell(0, 0, 1);
    EXPECT_STREQ(last - 9, "abcdefghi");
    EXPECT_EQ(ScratchCursor, last);

    ReleaseScratch(last - 4);
    ReadControlText(0);
    EXPECT_STREQ(last - 4, "1234");
    EXPECT_EQ(ScratchCursor, last);

    ReleaseScratch(last);
    ReadControlText(0);
    ReadControlCell(0, 0, 1);
    EXPECT_EQ(ScratchCursor, last);
    EXPECT_EQ(*last, 0);
    EXPECT_TRUE(HeapValidate(AppHeap, 0, nullptr)) << "a read ran past ScratchBuffer";
}

class ReportListImages : public ReportList {
  protected:
    static HBITMAP Bitmap() {
        return CreateBitmap(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 1, 32,
                            nullptr);
    }
};

TEST_F(ReportListImages, RowsWithABitmapOrAnIconGetTheirImageIndex) {
    HWND list = OpenApplicationList();
    AddControlRow(0, -1, "ohne");
    EXPECT_EQ(NormalImageList, nullptr) << "a row without image creates no image list";
    EXPECT_EQ(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0), 0);

    HBITMAP bitmap = Bitmap();
    HICON icon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    AddControlRowWithImage(0, -1, "Bild\nb", bitmap);
    AddControlRowWithImage(0, -1, "Symbol\ns", icon);
    AddControlRowWithImage(0, -1, "wieder", bitmap);
    ASSERT_NE(NormalImageList, nullptr);
    ASSERT_NE(SmallImageList, nullptr);
    EXPECT_EQ(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_NORMAL, 0),
              reinterpret_cast<LRESULT>(NormalImageList));
    EXPECT_EQ(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0),
              reinterpret_cast<LRESULT>(SmallImageList));

    int32_t bitmapIndex = ImageIndexFor(bitmap);
    int32_t iconIndex = ImageIndexFor(icon);
    EXPECT_GE(bitmapIndex, 0);
    EXPECT_GE(iconIndex, 0);
    EXPECT_NE(bitmapIndex, iconIndex);
    EXPECT_EQ(ImageCacheCount, 2) << "the same handle is placed once";
    EXPECT_EQ(ItemImage(list, 1), bitmapIndex);
    EXPECT_EQ(ItemImage(list, 2), iconIndex);
    EXPECT_EQ(ItemImage(list, 3), bitmapIndex);
    EXPECT_EQ(ImageList_GetImageCount(NormalImageList), 2);
    DeleteObject(bitmap);
}

TEST_F(ReportListImages, TheCacheGrowsByTwentyAndNoHandleYieldsNoIndex) {
    EXPECT_EQ(ImageIndexFor(nullptr), -1);
    EXPECT_EQ(ImageCache, nullptr) << "a null handle prepares nothing";
    std::vector<HBITMAP> bitmaps;
    for (int i = 0; i < 21; i++) {
        bitmaps.push_back(Bitmap());
        EXPECT_GE(ImageIndexFor(bitmaps.back()), 0) << "bitmap " << i;
        EXPECT_EQ(ImageCacheCapacity, i < 20 ? 20 : 40) << "after bitmap " << i;
    }
    EXPECT_EQ(ImageCacheCount, 21);
    EXPECT_EQ(HeapSize(AppHeap, 0, ImageCache), 40 * sizeof(ImageCacheEntry));
    for (int i = 0; i < 21; i++) {
        EXPECT_EQ(ImageIndexFor(bitmaps[i]), ImageCache[i].index) << "bitmap " << i;
    }
    EXPECT_EQ(ImageCacheCount, 21);
    for (HBITMAP bitmap : bitmaps) {
        DeleteObject(bitmap);
    }
}

class ReportListRowCommands : public ReportList {
  protected:
    // The application's list in front with the focus and three rows, one with a cell longer
    // than the copy's first block.
    HWND OpenFilledList() {
        HWND list = OpenApplicationList(REPORT_MULTI_SELECT, true);
        for (std::string row : {std::string("12\n2, 2, 3\n1, 2, 3, 4, 6, 12"),
                                std::string("9\n\n1, 3, 9"), "7\n" + std::string(70000, 'x')}) {
            AddControlRow(0, -1, row.c_str());
        }
        SetForegroundWindow(parent);
        SetFocus(list);
        Pump(100);
        return list;
    }
    // Real keys, Ctrl with the letter; returns once the letter's press has been translated
    // and dispatched, and with it the command and any message box (which takes the releases).
    static void PressControlWith(char letter) {
        INPUT keys[4] = {};
        for (int i = 0; i < 4; i++) {
            keys[i].type = INPUT_KEYBOARD;
            keys[i].ki.wVk = i == 0 || i == 3 ? VK_CONTROL : letter;
            keys[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
        }
        SendInput(4, keys, sizeof(INPUT));
        MSG taken = {};
        for (DWORD start = GetTickCount();
             taken.message != WM_KEYDOWN || taken.wParam != static_cast<WPARAM>(letter);) {
            ASSERT_LT(GetTickCount() - start, 5000u) << "the keys never arrived";
            if (!PeekMessageA(&taken, nullptr, 0, 0, PM_REMOVE)) {
                Sleep(1);
                continue;
            }
            TranslateMessage(&taken);
            DispatchMessageA(&taken);
        }
    }
};

TEST_F(ReportListRowCommands, AShortcutLeavesNoCharacterForTheListViewsSearch) {
    HWND list = OpenFilledList();
    for (char letter : {'A', 'C'}) {
        SCOPED_TRACE(std::string("Ctrl+") + letter);
        PressControlWith(letter);
        MSG left = {};
        EXPECT_FALSE(PeekMessageA(&left, list, WM_CHAR, WM_CHAR, PM_NOREMOVE))
            << "the character " << left.wParam << " waits for the list view";
        Pump(50);
    }
}

TEST_F(ReportListRowCommands, ACopyThatCannotBeHadWholeIsNoneAndTheUserIsTold) {
    AppHeapFailures heap;
    ASSERT_TRUE(heap.Install()) << "AppHeap's allocations cannot be refused in this program";
    HWND list = OpenFilledList();
    LVITEMA all = {};
    all.stateMask = all.state = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&all));
    heap.RefuseNone();
    PressControlWith('C');
    const int allocations = AppHeapFailures::Count();
    std::string rows = "12\t2, 2, 3\t1, 2, 3, 4, 6, 12\r\n9\t\t1, 3, 9\r\n7\t" +
                       std::string(70000, 'x') + "\t\r\n";
    std::string copied = ClipboardText();
    ASSERT_TRUE(copied == rows)
        << "not the rows, each cell whole, in lines of tab-separated cells: "
        << copied.substr(0, 60) << "... of " << copied.size();
    ASSERT_GT(allocations, 1) << "the copy never grew its text: the sweep misses the growth";

    MessageBoxReader reader;
    for (int refused = 1; refused <= allocations; refused++) {
        SCOPED_TRACE("allocation " + std::to_string(refused) + " of " +
                     std::to_string(allocations) + " refused");
        ASSERT_TRUE(PutOnClipboard(parent, "vorher"));
        heap.Refuse(refused, refused);
        PressControlWith('C');
        heap.RefuseNone();
        copied = ClipboardText();
        EXPECT_TRUE(copied == "vorher")
            << "the clipboard lost what it held: " << copied.substr(0, 60);
        ASSERT_EQ(reader.boxes.size(), 1u) << "the user is not told once";
        EXPECT_EQ(reader.boxes[0].text, "Der Speicher reicht nicht aus, um die markierten Zeilen "
                                        "zu kopieren. Die Zwischenablage bleibt, wie sie war.");
        EXPECT_EQ(reader.boxes[0].owner, parent);
        reader.boxes.clear();
    }
}

} // namespace
