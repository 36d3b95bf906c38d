// The rows of a report list as the runtime keeps them: an array of row records and their
// texts in blocks on AppHeap, so that clearing costs one free per block.
#include "runtime/control/ReportList.h"

#include "runtime/core/Core.h"

#include <string.h>

namespace {
// A text longer than this gets a block of its own, so that a block wastes little.
constexpr SIZE_T OWN_BLOCK_TEXT = TEXT_BLOCK_SIZE / 4;
constexpr int32_t FIRST_ROW_CAPACITY = 64;

// Room for `size` bytes of text; null when AppHeap cannot give it.
char* TextRoom(ReportRows* rows, SIZE_T size) {
    TextBlock* block = rows->lastBlock;
    if (block != nullptr && block->size - block->used >= size) {
        char* place = reinterpret_cast<char*>(block) + block->used;
        block->used += size;
        return place;
    }
    SIZE_T blockSize = size > OWN_BLOCK_TEXT ? sizeof(TextBlock) + size : TEXT_BLOCK_SIZE;
    if (blockSize < size) {
        return nullptr;
    }
    TextBlock* grown = static_cast<TextBlock*>(HeapAlloc(AppHeap, 0, blockSize));
    if (grown == nullptr) {
        return nullptr;
    }
    grown->previous = rows->lastBlock;
    grown->used = sizeof(TextBlock) + size;
    grown->size = blockSize;
    rows->lastBlock = grown;
    return reinterpret_cast<char*>(grown + 1);
}

// Room for one more row record.
bool RowRoom(ReportRows* rows) {
    if (rows->count < rows->capacity) {
        return true;
    }
    if (rows->capacity > INT32_MAX / 3) {
        return false;
    }
    // Half as much again: a 32-bit process must find the new array beside the old one.
    int32_t capacity =
        rows->capacity != 0 ? rows->capacity + rows->capacity / 2 : FIRST_ROW_CAPACITY;
    SIZE_T bytes = static_cast<SIZE_T>(capacity) * sizeof(ReportRow);
    void* grown = GrowHeapBlock(rows->rows, bytes, 0);
    if (grown == nullptr) {
        return false;
    }
    rows->rows = static_cast<ReportRow*>(grown);
    rows->capacity = capacity;
    return true;
}

SIZE_T PieceLength(const char* piece) {
    const char* end = piece;
    while (*end != 0 && *end != '\n') {
        end++;
    }
    return static_cast<SIZE_T>(end - piece);
}
} // namespace

bool InsertStoredRow(ReportRows* rows, int32_t position, const char* text, uint32_t state,
                     int32_t* index) {
    if (text == nullptr) {
        text = "";
    }
    SIZE_T size = strlen(text) + 1;
    if (!RowRoom(rows)) {
        return false;
    }
    char* copy = TextRoom(rows, size);
    if (copy == nullptr) {
        return false;
    }
    memcpy(copy, text, size);
    if (position < 0 || position > rows->count) {
        position = rows->count;
    }
    memmove(&rows->rows[position + 1], &rows->rows[position],
            static_cast<SIZE_T>(rows->count - position) * sizeof(ReportRow));
    rows->rows[position] = {copy, state};
    rows->count++;
    *index = position;
    return true;
}

void RemoveStoredRow(ReportRows* rows, int32_t row) {
    if (row < 0 || row >= rows->count) {
        return;
    }
    rows->count--;
    memmove(&rows->rows[row], &rows->rows[row + 1],
            static_cast<SIZE_T>(rows->count - row) * sizeof(ReportRow));
}

void ClearStoredRows(ReportRows* rows) {
    for (TextBlock* block = rows->lastBlock; block != nullptr;) {
        TextBlock* previous = block->previous;
        HeapFree(AppHeap, 0, block);
        block = previous;
    }
    if (rows->rows != nullptr) {
        HeapFree(AppHeap, 0, rows->rows);
    }
    *rows = {};
}

bool IsStoredRow(const ReportRows* rows, int32_t row) {
    return row >= 0 && row < rows->count;
}

const char* StoredCell(const ReportRows* rows, int32_t row, int32_t column, SIZE_T* length) {
    *length = 0;
    if (row < 0 || row >= rows->count || column < 0) {
        return nullptr;
    }
    const char* piece = rows->rows[row].text;
    for (int32_t skipped = 0; skipped < column; skipped++) {
        piece += PieceLength(piece);
        if (*piece == 0) {
            return piece;
        }
        piece++;
    }
    *length = PieceLength(piece);
    return piece;
}

SIZE_T CopyStoredCell(const ReportRows* rows, int32_t row, int32_t column, char* destination,
                      SIZE_T capacity) {
    if (capacity == 0) {
        return 0;
    }
    SIZE_T length;
    const char* cell = StoredCell(rows, row, column, &length);
    if (cell == nullptr) {
        length = 0;
    }
    if (length > capacity - 1) {
        length = capacity - 1;
    }
    memcpy(destination, cell, length);
    destination[length] = 0;
    return length;
}

bool ReplaceStoredCell(ReportRows* rows, int32_t row, int32_t column, const char* text) {
    SIZE_T oldLength;
    const char* old = StoredCell(rows, row, column, &oldLength);
    if (old == nullptr) {
        return false;
    }
    if (text == nullptr) {
        text = "";
    }
    const char* before = rows->rows[row].text;
    SIZE_T head = static_cast<SIZE_T>(old - before);
    // A row with fewer pieces gets empty ones up to the column.
    SIZE_T pieces = 0;
    for (const char* place = before; *place != 0; place++) {
        pieces += *place == '\n' ? 1 : 0;
    }
    SIZE_T missing = *old == 0 && static_cast<SIZE_T>(column) > pieces
                         ? static_cast<SIZE_T>(column) - pieces
                         : 0;
    const char* tail = old + oldLength;
    SIZE_T textLength = strlen(text);
    SIZE_T tailSize = strlen(tail) + 1;
    char* place = TextRoom(rows, head + missing + textLength + tailSize);
    if (place == nullptr) {
        return false;
    }
    rows->rows[row].text = place;
    memcpy(place, before, head);
    memset(place + head, '\n', missing);
    memcpy(place + head + missing, text, textLength);
    memcpy(place + head + missing + textLength, tail, tailSize);
    return true;
}
