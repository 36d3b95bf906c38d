// The string engine: ScratchBuffer and its cursor, number and text conversion, and the
// StringSlot operations.
#include "runtime/core/Core.h"

#include <stdarg.h>
#include <string.h>

namespace {
// "-2147483648" and its terminating zero.
constexpr int32_t LONGEST_NUMBER_TEXT = 12;

// Copies up to count bytes to the cursor, cut to the room left, and terminates there.
void AppendBytes(const char* bytes, size_t count) {
    size_t room = static_cast<size_t>(ScratchRoom());
    if (room == 0) {
        return;
    }
    if (count > room - 1) {
        count = room - 1;
    }
    memcpy(ScratchCursor, bytes, count);
    ScratchCursor += count;
    *ScratchCursor = 0;
}

int32_t FormatArguments(char* buffer, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    int32_t written = wvsprintfA(buffer, format, arguments);
    va_end(arguments);
    return written;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Past the spaces and tabs that a pasted number may bring along.
const char* SkipBlanks(const char* text) {
    while (*text == ' ' || *text == '\t') {
        text++;
    }
    return text;
}

char* CopyToHeap(const char* text, size_t length) {
    char* block = static_cast<char*>(HeapAlloc(AppHeap, 0, length + 1));
    if (block != nullptr) {
        memcpy(block, text, length);
        block[length] = 0;
    }
    return block;
}
} // namespace

void InitStringEngine() {
    ScratchBuffer = static_cast<char*>(HeapAlloc(AppHeap, HEAP_ZERO_MEMORY, SCRATCH_BUFFER_SIZE));
    ScratchCursor = ScratchBuffer;
}

int32_t ScratchRoom() {
    if (ScratchCursor == nullptr) {
        return 0;
    }
    return static_cast<int32_t>(ScratchBuffer + SCRATCH_BUFFER_SIZE - ScratchCursor);
}

char* MarkScratch() {
    return ScratchCursor;
}

void SealScratch() {
    if (ScratchRoom() > 1) {
        ScratchCursor++;
    }
}

void ReleaseScratch(char* position) {
    ScratchCursor = position;
}

void AppendText(const char* text) {
    if (text == nullptr) {
        text = "";
    }
    AppendBytes(text, strlen(text));
}

int32_t FormatNumberText(char* buffer, const char* format, int32_t value) {
    return FormatArguments(buffer, format, static_cast<LONG>(value));
}

char* AppendNumber(int32_t value) {
    char* position = ScratchCursor;
    if (ScratchRoom() >= LONGEST_NUMBER_TEXT) {
        ScratchCursor += FormatNumberText(ScratchCursor, "%ld", value);
    } else {
        char digits[LONGEST_NUMBER_TEXT];
        AppendBytes(digits, FormatNumberText(digits, "%ld", value));
    }
    return position;
}

int32_t TextToNumber(const char* text) {
    if (text == nullptr) {
        return 0;
    }
    bool negative = false;
    if (*text == '-') {
        negative = true;
        text++;
    }
    uint32_t value = 0;
    for (; *text != 0; text++) {
        value = value * 10u + static_cast<uint8_t>(static_cast<uint8_t>(*text) - 48u);
    }
    if (negative) {
        value = 0u - value;
    }
    return static_cast<int32_t>(value);
}

bool TextIsNumber(const char* text, int32_t* value) {
    if (text == nullptr) {
        return false;
    }
    text = SkipBlanks(text);
    bool negative = *text == '-';
    if (negative) {
        text++;
    }
    if (!IsDigit(*text)) {
        return false;
    }
    // The magnitude of -2147483648 is one more than the largest number's.
    uint32_t largest = negative ? 2147483648u : 2147483647u;
    uint32_t magnitude = 0;
    for (; IsDigit(*text); text++) {
        uint32_t digit = static_cast<uint32_t>(*text - '0');
        if (magnitude > (largest - digit) / 10u) {
            return false;
        }
        magnitude = magnitude * 10u + digit;
    }
    if (*SkipBlanks(text) != 0) {
        return false;
    }
    *value = static_cast<int32_t>(negative ? 0u - magnitude : magnitude);
    return true;
}

void AssignFromScratch(StringSlot* slot, char* start) {
    if (*slot != nullptr) {
        HeapFree(AppHeap, 0, *slot);
    }
    // A text procedure that could not build its text hands back no start.
    if (start == nullptr) {
        *slot = nullptr;
        return;
    }
    size_t length = static_cast<size_t>(ScratchCursor - start);
    ScratchCursor = start;
    // The length comes from the cursor; a zero inside the text ends it early.
    *slot = CopyToHeap(start, strnlen(start, length));
}

void AssignText(StringSlot* slot, const char* text) {
    if (*slot != nullptr) {
        HeapFree(AppHeap, 0, *slot);
        *slot = nullptr;
    }
    CopyText(slot, text);
}

void CopyText(StringSlot* slot, const char* text) {
    if (text == nullptr) {
        return;
    }
    *slot = CopyToHeap(text, strlen(text));
}

void FreeText(StringSlot text) {
    if (text != nullptr) {
        HeapFree(AppHeap, 0, text);
    }
}
