// What the list shows while rows arrive faster than it is painted, and once they stop.
#include "tests/end_to_end/ToolFixture.h"

#include <commctrl.h>

#include <vector>

using namespace automation;

namespace {
// The list as the screen shows it once its painting has settled: two pictures 60 ms
// apart that agree, after the list has stopped holding its painting back.
std::vector<uint32_t> SettledListPicture(const ToolProcess& tool) {
    // A loaded machine may delay the tick that shows the last rows past both pictures, so
    // the list's row count is awaited first: it stays put once the last rows are shown.
    HWND list = tool.Control(RESULT_LIST);
    auto rowsShown = [&] {
        DWORD_PTR rows = 0;
        SendMessageTimeoutA(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, READ_TIMEOUT_MS, &rows);
        return rows;
    };
    auto countStaysPut = [&] {
        DWORD_PTR before = rowsShown();
        Sleep(150);
        return rowsShown() == before;
    };
    if (!WaitUntil(countStaysPut, 3000)) {
        ADD_FAILURE() << "the list is still told of new rows 3 s after the rows stopped";
    }
    std::vector<uint32_t> before = tool.ControlPixels(RESULT_LIST);
    for (int attempt = 0; attempt < 50; attempt++) {
        Sleep(60);
        std::vector<uint32_t> after = tool.ControlPixels(RESULT_LIST);
        if (DifferingPixels(before, after) == 0) {
            return after;
        }
        before = after;
    }
    ADD_FAILURE() << "the list's picture never settles while the tool is idle";
    return before;
}

// What the screen shows of the list's rows: its client area below the header, without the
// frame and the scroll bars.
std::vector<uint32_t> ListRowsPixels(const ToolProcess& tool) {
    HWND list = tool.Control(RESULT_LIST);
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    RECT rows = {};
    RECT headerRect = {};
    if (!GetClientRect(list, &rows) || !GetWindowRect(header, &headerRect)) {
        return {};
    }
    MapWindowPoints(list, HWND_DESKTOP, reinterpret_cast<POINT*>(&rows), 2);
    rows.top = headerRect.bottom;
    return ScreenPixels(rows);
}

std::vector<uint32_t> LowerHalf(const std::vector<uint32_t>& picture) {
    return std::vector<uint32_t>(picture.begin() + picture.size() / 2, picture.end());
}

// Pixels in something else than the list's background colour: the ink of its rows.
int InkedPixels(const std::vector<uint32_t>& picture) {
    COLORREF window = GetSysColor(COLOR_WINDOW);
    uint32_t background = GetRValue(window) << 16 | GetGValue(window) << 8 | GetBValue(window);
    int inked = 0;
    for (uint32_t pixel : picture) {
        inked += pixel != background ? 1 : 0;
    }
    return inked;
}

// Once idle, the screen must show exactly what a full repaint of the list draws.
void ExpectRestingListAsAFullRepaintDrawsIt(const ToolProcess& tool, const char* after) {
    std::vector<uint32_t> resting = SettledListPicture(tool);
    ASSERT_FALSE(resting.empty()) << "the screen cannot be read";
    tool.RepaintWhole(RESULT_LIST);
    std::vector<uint32_t> repainted = SettledListPicture(tool);
    EXPECT_EQ(DifferingPixels(resting, repainted), 0)
        << "after " << after << " the list shows something else than a full repaint draws";
}
} // namespace

TEST_F(ToolTest, AtRestTheListShowsWhatAFullRepaintDraws) {
    std::vector<uint32_t> empty = SettledListPicture(tool);
    // More rows than the list shows at once, so the scroll bar comes into play.
    ASSERT_NO_FATAL_FAILURE(StartRange("1", "40"));
    ASSERT_TRUE(WaitForRunEnd(40, 10000)) << "the range 1 to 40 did not end with 40 rows";
    ASSERT_NE(DifferingPixels(SettledListPicture(tool), empty), 0)
        << "the rows of a finished run are not on the screen";
    ExpectRestingListAsAFullRepaintDrawsIt(tool, "a run of 40 rows");
}

TEST_F(ToolTest, ALongRunKeepsShowingProgressAndRestsAsAFullRepaint) {
    ASSERT_NO_FATAL_FAILURE(StartLongRun());
    // The list is painted ten times a second while rows arrive; a loaded machine may take
    // longer, so each picture is awaited.
    EXPECT_TRUE(WaitUntil([&] { return InkedPixels(ListRowsPixels(tool)) != 0; }, 2000))
        << "the first rows of a run are not on the screen while it goes on";
    // Rows that come below the visible ones leave them as they are, once drawn whole.
    Sleep(200);
    std::vector<uint32_t> firstRows = ListRowsPixels(tool);
    // At the end of the list the scroll box moves as rows come in below.
    ASSERT_TRUE(tool.Click(RESULT_LIST));
    ASSERT_TRUE(tool.PressKeys("End"));
    EXPECT_TRUE(WaitUntil(
        [&] {
            std::vector<uint32_t> lastRows = ListRowsPixels(tool);
            return InkedPixels(lastRows) != 0 && DifferingPixels(firstRows, lastRows) != 0;
        },
        2000))
        << "after End during a run the list shows no rows, or still its first ones";
    std::vector<uint32_t> first = tool.ControlPixels(RESULT_LIST);
    Sleep(500);
    std::vector<uint32_t> second = tool.ControlPixels(RESULT_LIST);
    ASSERT_FALSE(first.empty()) << "the screen cannot be read";
    EXPECT_NE(DifferingPixels(first, second), 0)
        << "the list shows no progress for half a second while rows keep coming";
    EXPECT_TRUE(tool.IsEnabled(STOP_BUTTON)) << "the run ended before the second picture";

    // Back at the top the first rows show again; Home selects the first of them, so the
    // lower half of the rows looks as before the click.
    ASSERT_TRUE(tool.PressKeys("Home"));
    EXPECT_TRUE(WaitUntil(
        [&] { return DifferingPixels(LowerHalf(firstRows), LowerHalf(ListRowsPixels(tool))) == 0; },
        2000))
        << "after Home during a run the list does not show its first rows again";

    ASSERT_NO_FATAL_FAILURE(StopRun());
    ExpectRestingListAsAFullRepaintDrawsIt(tool, "a long run stopped at the top of the list");
}
