// The control table and the generic operations by number.
#include "ControlTestSupport.h"

namespace {

using ControlNumbers = ControlRuntimeTest;

TEST_F(ControlNumbers, StartsWithThirtyEmptyRecordsTheStockFontAndNoParent) {
    FillFreeHeapWithJunk();
    InitControlRuntime();
    EXPECT_EQ(ControlTable.capacity, 30);
    ASSERT_NE(ControlTable.records, nullptr);
    EXPECT_EQ(HeapSize(AppHeap, 0, ControlTable.records), 32 * sizeof(ControlRecord))
        << "two spare records beyond the capacity";
    for (int32_t i = 0; i < 32; i++) {
        EXPECT_EQ(ControlTable.records[i].handle, nullptr) << "record " << i;
        EXPECT_EQ(ControlTable.records[i].ops, nullptr) << "record " << i;
    }
    EXPECT_EQ(ControlFont, GetStockObject(ANSI_VAR_FONT));
    EXPECT_EQ(ControlParent, nullptr);

    HWND window = OpenParent();
    SetControlParent(nullptr);
    EXPECT_EQ(SetControlParent(window), window)
        << "the application takes a null result for a parent that cannot be set";
    EXPECT_EQ(ControlParent, window);
    EXPECT_EQ(SetControlParent(nullptr), nullptr);
}

TEST_F(ControlNumbers, GrowthLeavesRoomForThirtyMoreAndKeepsEveryRecord) {
    OpenParent();
    HWND handles[30];
    for (int32_t number = 0; number < 30; number++) {
        handles[number] = CreateLabel(number, 0, number * 10, 50, 10, "x");
        ASSERT_NE(handles[number], nullptr);
    }
    EXPECT_EQ(ControlTable.capacity, 30) << "number 29 fits the fresh table";

    FillFreeHeapWithJunk();
    ASSERT_NE(CreateButton(30, 100, 0, 50, 20, "Start"), nullptr);
    EXPECT_EQ(ControlTable.capacity, 60);
    EXPECT_EQ(HeapSize(AppHeap, 0, ControlTable.records), 62 * sizeof(ControlRecord));
    for (int32_t number = 0; number < 30; number++) {
        EXPECT_EQ(LookupControlRecord(number)->handle, handles[number]) << number;
        EXPECT_EQ(LookupControlRecord(number)->ops, &LabelOps) << number;
    }
    EXPECT_EQ(LookupControlRecord(30)->ops, &ButtonOps);
    for (int32_t i = 31; i < 62; i++) {
        EXPECT_EQ(ControlTable.records[i].handle, nullptr) << "new record " << i;
        EXPECT_EQ(ControlTable.records[i].ops, nullptr) << "new record " << i;
    }

    ASSERT_NE(CreateButton(100, 100, 30, 50, 20, "Stop"), nullptr);
    EXPECT_EQ(ControlTable.capacity, 130);
    EXPECT_EQ(ReadText(30), "Start");
    EXPECT_EQ(ReadText(100), "Stop");

    ASSERT_NE(CreateButton(65535, 100, 60, 50, 20, "Clear"), nullptr)
        << "the largest number a command can carry";
    EXPECT_EQ(ControlTable.capacity, 65565);
    EXPECT_EQ(ReadText(65535), "Clear");
}

TEST_F(ControlNumbers, NumbersOutsideTheTableReachTheEmptyRecordAndGetNoWindow) {
    EXPECT_EQ(LookupControlRecord(29), &ControlTable.records[29]);
    for (int32_t number : {30, 1000, -1, INT32_MIN}) {
        EXPECT_EQ(LookupControlRecord(number), &NullControlRecord) << number;
    }
    OpenParent();
    // Above 65535 a command would name the control by another number's low word.
    for (int32_t number : {-1, INT32_MIN, INT32_MAX, INT32_MAX - 29, 65536, 65541}) {
        EXPECT_EQ(CreateButton(number, 0, 0, 50, 20, "Start"), nullptr) << number;
        EXPECT_EQ(CreateReportList(number, 0, 0, 50, 20, "Zahl", 50), nullptr) << number;
        EXPECT_TRUE(ChildrenNumbered(number).empty()) << number;
    }
    EXPECT_EQ(ControlTable.capacity, 30);
    EXPECT_EQ(NullControlRecord.handle, nullptr);
    EXPECT_EQ(NullControlRecord.ops, nullptr);
}

// A heap too small for the grown table, in place of AppHeap for one test.
class FailedControlTableGrowth : public ControlRuntimeTest {
  protected:
    void SetUp() override {
        ControlRuntimeTest::SetUp();
        savedHeap = AppHeap;
        smallHeap = HeapCreate(0, 0x1000, 0x10000);
        ASSERT_NE(smallHeap, nullptr);
        AppHeap = smallHeap;
        InitControlRuntime();
    }
    void TearDown() override {
        AppHeap = savedHeap;
        InitControlRuntime();
        ControlRuntimeTest::TearDown();
        HeapDestroy(smallHeap);
    }
    HANDLE savedHeap = nullptr;
    HANDLE smallHeap = nullptr;
};

TEST_F(FailedControlTableGrowth, KeepsTheOldTableAndCreatesNoWindow) {
    OpenParent();
    HWND kept = CreateButton(3, 0, 0, 50, 20, "Start");
    ASSERT_NE(kept, nullptr);
    ControlRecord* records = ControlTable.records;

    // Records for this many numbers alone fill the heap of 64 KB, whatever a record's size
    // in the build (8 bytes in the 32-bit program, 16 in the 64-bit twin).
    constexpr int32_t tooMany = 0x10000 / sizeof(ControlRecord);
    EXPECT_EQ(CreateButton(tooMany, 0, 30, 50, 20, "Stop"), nullptr);
    EXPECT_EQ(CreateReportList(tooMany + 1, 0, 60, 200, 100, "Zahl", 50), nullptr);
    EXPECT_EQ(ControlTable.capacity, 30);
    EXPECT_EQ(ControlTable.records, records);
    EXPECT_EQ(LookupControlRecord(3)->handle, kept);
    EXPECT_EQ(ReadText(3), "Start");
    EXPECT_TRUE(ChildrenNumbered(tooMany).empty());
    EXPECT_TRUE(ChildrenNumbered(tooMany + 1).empty()) << "the list made before the growth is gone";
}

TEST_F(ControlNumbers, ASecondControlUnderANumberInUseHidesTheFirst) {
    OpenParent();
    HWND first = CreateButton(5, 190, 1, 40, 20, "First");
    HWND second = CreateButton(5, 240, 1, 40, 20, "Second");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(ChildrenNumbered(5).size(), 2u) << "both windows stay on the parent";
    EXPECT_EQ(LookupControlRecord(5)->handle, second);
    EXPECT_EQ(ReadText(5), "Second");
    DisableControl(5, 1);
    EXPECT_FALSE(IsWindowEnabled(second));
    EXPECT_TRUE(IsWindowEnabled(first)) << "the first control can no longer be reached";
}

TEST_F(ControlNumbers, AnyNonzeroArgumentDisablesAndZeroEnables) {
    OpenParent();
    HWND field = CreateEditField(2, 22, 1, 70, 20, "1", ES_NUMBER);
    for (int32_t disabled : {2, 0, 1, -1, 0}) {
        DisableControl(2, disabled);
        EXPECT_EQ(IsWindowEnabled(field) != 0, disabled == 0)
            << "DisableControl(2, " << disabled << ")";
    }
    DisableControl(17, 1); // never used: reaches no window
    DisableControl(-4, 1);
}

TEST_F(ControlNumbers, KindsWithoutRowsAndUnusedNumbersIgnoreRowOperations) {
    OpenParent();
    HWND button = CreateButton(5, 190, 1, 40, 20, "Start");
    HWND label = CreateLabel(1, 0, 4, 20, 16, "Von");
    HWND field = CreateEditField(2, 22, 1, 70, 20, "1", ES_NUMBER);
    for (int32_t number : {5, 1, 2, 9, 30, -1}) {
        AddControlRow(number, -1, "7\n7\n1, 7");
        AddControlRow(number, -1, nullptr);
        ClearControlRows(number);
        EXPECT_EQ(CountControlRows(number), 0) << number;
        EXPECT_EQ(GetControlRowState(number, 0), 0) << number;
    }
    EXPECT_EQ(WindowText(button), "Start") << "rows must not change a button's caption";
    EXPECT_EQ(WindowText(label), "Von");
    EXPECT_EQ(WindowText(field), "1");
    EXPECT_EQ(ControlTable.capacity, 30) << "operations by number never grow the table";
}

TEST_F(ControlNumbers, ReadingAnUnusedNumberGivesTheEmptyTextAndLeavesTheCursor) {
    OpenParent();
    for (int32_t number : {9, 29, 30, 5000, -1}) {
        char* start = MarkScratch();
        start[0] = 'x';
        ReadControlText(number);
        EXPECT_EQ(ScratchCursor, start) << number;
        EXPECT_EQ(start[0], 0) << "number " << number << " must read as the empty text";
        ReadControlCell(number, 0, 0);
        EXPECT_EQ(ScratchCursor, start) << number;
        EXPECT_EQ(start[0], 0) << number;
    }
}

TEST_F(ControlNumbers, AFailedCreationKeepsTheKindOnlyForTheSimpleKinds) {
    OpenParent();
    HWND button = CreateButton(5, 190, 1, 40, 20, "Start");
    // Without a parent no child window can be created.
    SetControlParent(nullptr);
    EXPECT_EQ(CreateReportList(5, 5, 25, 590, 470, "Zahl", 50), nullptr);
    EXPECT_EQ(CreateReportList(40, 5, 25, 590, 470, "Zahl", 50), nullptr);
    EXPECT_EQ(LookupControlRecord(5)->handle, button) << "a failed list leaves the record";
    EXPECT_EQ(ControlTable.capacity, 30) << "a failed list creation grows nothing";

    EXPECT_EQ(CreateButton(5, 190, 1, 40, 20, "Start"), nullptr);
    EXPECT_EQ(LookupControlRecord(5)->handle, nullptr);
    EXPECT_EQ(LookupControlRecord(5)->ops, &ButtonOps);
    EXPECT_EQ(ReadText(5), "");
    EXPECT_EQ(GetControlState(5), 0);
}

} // namespace
