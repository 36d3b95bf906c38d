// What AddControlRow answers: a whole row added, or nothing of it kept when AppHeap cannot
// hold it.
#include "ControlTestSupport.h"
#include "tests/core/AppHeapFailures.h"

#include <climits>
#include <string>

namespace {

class RowResult : public ControlRuntimeTest {};

TEST_F(RowResult, ARowIsAddedWholeOrNotAtAll) {
    AppHeapFailures heap;
    ASSERT_TRUE(heap.Install()) << "AppHeap's allocations cannot be refused in this program";
    // Longer than a block of texts holds, so that it needs an allocation of its own.
    std::string longRow = "10\n2, 5\n" + std::string(70000, '1');
    const struct {
        std::string text;
        bool refused;
        bool added;
        const char* what;
    } rows[] = {
        {"6\n2, 3\n1, 2, 3, 6", false, true, "a row of three cells"},
        {"7", false, true, "a row of one cell"},
        {"8\n2, 2, 2\n1, 2, 4, 8\nmehr", false, true, "a piece beyond the last column"},
        {longRow, true, false, "a row whose text AppHeap refuses"},
        {"9\n3, 3\n1, 3, 9", true, true, "a row that fits in the texts' block"},
        {longRow, false, true, "the long row once AppHeap gives"},
    };
    OpenParent();
    HWND list = CreateReportList(0, 5, 25, 590, 470, "Zahl", 50);
    AddReportColumn(0, 1, "Primfaktoren", 200);
    AddReportColumn(0, 2, "Teiler", 336);
    int count = 0;
    for (const auto& row : rows) {
        heap.Refuse(row.refused ? 1 : 0, row.refused ? INT_MAX : 0);
        EXPECT_EQ(AddControlRow(0, -1, row.text.c_str()), row.added) << row.what;
        heap.RefuseNone();
        count += row.added ? 1 : 0;
        EXPECT_EQ(CountControlRows(0), count)
            << row.what << ": a refused row left a part of it in the list";
        EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), count) << row.what;
        if (row.added) {
            char* start = MarkScratch();
            ReadControlCell(0, count - 1, 0);
            EXPECT_EQ(std::string(start), row.text.substr(0, row.text.find('\n'))) << row.what;
            ReleaseScratch(start);
        }
    }
    EXPECT_FALSE(AddControlRow(7, -1, "1")) << "a number without a control adds no row";
    CreateButton(5, 190, 1, 40, 20, "Start");
    EXPECT_FALSE(AddControlRow(5, -1, "1")) << "a button has no rows";
}
} // namespace
