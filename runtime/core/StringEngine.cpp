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

// Shows as a space, and read as one it is a blank to TextIsNumber in every code page.
constexpr wchar_t NO_BREAK_SPACE = 0x00A0;
// A bullet, as a password field hides a character, else a white square, as a character
// without a glyph shows; never "?", which reads as a typed question mark.
constexpr wchar_t UNSHOWN_CHARACTER_MARKS[] = {0x2022, 0x25A1};
constexpr char LAST_RESORT_MARK = '*';
// The most bytes one character takes in any ANSI code page (UTF-8 included).
constexpr int LONGEST_CHARACTER = 4;

// The bytes of `count` UTF-16 units in the ANSI code page, into `room` bytes; 0 when the
// code page lacks one of them or they do not fit. UTF-8 takes no such flag and has every
// character.
int ConvertWithoutBestFit(const wchar_t* units, int count, char* bytes, int room) {
    bool utf8 = GetACP() == CP_UTF8;
    BOOL defaulted = FALSE;
    int written = WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, units, count, bytes,
                                      room, nullptr, utf8 ? nullptr : &defaulted);
    return defaulted ? 0 : written;
}

// One character as AppendWideText shows it, into `bytes`; returns its length.
int ShownCharacter(const wchar_t* units, int count, char bytes[LONGEST_CHARACTER]) {
    if (count == 1 && units[0] == NO_BREAK_SPACE) {
        bytes[0] = ' ';
        return 1;
    }
    int written = ConvertWithoutBestFit(units, count, bytes, LONGEST_CHARACTER);
    if (written > 0) {
        return written;
    }
    // The first mark the code page has.
    for (wchar_t mark : UNSHOWN_CHARACTER_MARKS) {
        written = ConvertWithoutBestFit(&mark, 1, bytes, LONGEST_CHARACTER);
        if (written > 0) {
            return written;
        }
    }
    bytes[0] = LAST_RESORT_MARK;
    return 1;
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

void AppendWideText(const wchar_t* text) {
    if (ScratchRoom() == 0) {
        return;
    }
    *ScratchCursor = 0;
    if (text == nullptr) {
        return;
    }
    for (const wchar_t* character = text; *character != 0;) {
        // A character beyond the first plane comes as two units.
        int count = IS_HIGH_SURROGATE(character[0]) && IS_LOW_SURROGATE(character[1]) ? 2 : 1;
        char bytes[LONGEST_CHARACTER];
        int length = ShownCharacter(character, count, bytes);
        if (length > ScratchRoom() - 1) {
            return;
        }
        memcpy(ScratchCursor, bytes, static_cast<size_t>(length));
        ScratchCursor += length;
        *ScratchCursor = 0;
        character += count;
    }
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
