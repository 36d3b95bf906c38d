// Cells cut to draw: the list view draws what fits in the buffer it asks a cell's text
// with, and a number cut short there would read as another number.
#include "runtime/control/ReportList.h"

#include <string.h>

namespace {
bool IsNumberPart(char c) {
    return (c >= '0' && c <= '9') || c == '-';
}

// The mark of a cut cell: the ellipsis where the code page has it, else three dots.
SIZE_T CutMark(char mark[4]) {
    BOOL defaulted = FALSE;
    int length = WideCharToMultiByte(CP_ACP, 0, L"\u2026", 1, mark, 3, nullptr, &defaulted);
    if (length < 1 || defaulted) {
        memcpy(mark, "...", 4);
        return 3;
    }
    mark[length] = 0;
    return static_cast<SIZE_T>(length);
}
} // namespace

// A cell longer than the room ends after its last whole number and the separator after it,
// then the mark.
void CopyCellToDraw(const ReportRows* rows, int32_t row, int32_t column, char* destination,
                    SIZE_T capacity) {
    SIZE_T length;
    const char* cell = StoredCell(rows, row, column, &length);
    char mark[4];
    SIZE_T markLength = CutMark(mark);
    if (cell == nullptr || length < capacity || capacity <= markLength) {
        CopyStoredCell(rows, row, column, destination, capacity);
        return;
    }
    // Where the last number that starts within the room starts, after its separator.
    SIZE_T end = capacity - 1 - markLength;
    while (end > 0 && !(IsNumberPart(cell[end]) && !IsNumberPart(cell[end - 1]))) {
        end--;
    }
    memcpy(destination, cell, end);
    memcpy(destination + end, mark, markLength + 1);
}
