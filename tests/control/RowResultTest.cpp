// What AddControlRow answers: a whole row added, or nothing of it left in the list.
#include "ControlTestSupport.h"

namespace {
WNDPROC listViewProcedure;
// Which message the list refuses, and for which column when it is a cell text.
UINT refusedMessage;
int refusedColumn;

LRESULT CALLBACK RefuseOneMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == refusedMessage && message == LVM_INSERTITEMA) {
        return -1;
    }
    if (message == refusedMessage && message == LVM_SETITEMTEXTA &&
        reinterpret_cast<const LVITEMA*>(lParam)->iSubItem == refusedColumn) {
        return FALSE;
    }
    return CallWindowProcA(listViewProcedure, list, message, wParam, lParam);
}

class RowResult : public ControlRuntimeTest {
  protected:
    HWND OpenListOfThreeColumns() {
        OpenParent();
        HWND list = CreateReportList(0, 5, 25, 590, 470, "Zahl", 50);
        AddReportColumn(0, 1, "Primfaktoren", 200);
        AddReportColumn(0, 2, "Teiler", 336);
        listViewProcedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RefuseOneMessage)));
        return list;
    }
};

TEST_F(RowResult, ARowIsAddedWholeOrNotAtAll) {
    const struct {
        const char* text;
        UINT refused;
        int column;
        bool added;
        const char* what;
    } rows[] = {
        {"6\n2, 3\n1, 2, 3, 6", 0, 0, true, "a row of three cells"},
        {"7", 0, 0, true, "a row of one cell"},
        {"8\n2, 2, 2\n1, 2, 4, 8\nmehr", 0, 0, true, "a piece beyond the last column"},
        {"9\n3, 3\n1, 3, 9", LVM_INSERTITEMA, 0, false, "a list that refuses the row"},
        {"10\n2, 5\n1, 2, 5, 10", LVM_SETITEMTEXTA, 2, false, "a list that refuses a cell"},
        {"11\n11\n1, 11\nmehr", LVM_SETITEMTEXTA, 3, true, "a refused piece beyond the columns"},
    };
    HWND list = OpenListOfThreeColumns();
    int count = 0;
    for (const auto& row : rows) {
        refusedMessage = row.refused;
        refusedColumn = row.column;
        EXPECT_EQ(AddControlRow(0, -1, row.text), row.added) << row.what;
        count += row.added ? 1 : 0;
        EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), count)
            << row.what << ": a refused row left a part of it in the list";
    }
    EXPECT_FALSE(AddControlRow(7, -1, "1")) << "a number without a control adds no row";
    CreateButton(5, 190, 1, 40, 20, "Start");
    EXPECT_FALSE(AddControlRow(5, -1, "1")) << "a button has no rows";
}
} // namespace
