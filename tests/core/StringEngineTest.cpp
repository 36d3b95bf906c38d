// The string engine: building, sealing and releasing texts at the scratch cursor, the
// StringSlot operations, and number <-> text conversion.
#include "runtime/core/Core.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <random>
#include <string>

namespace {

// Each test starts on a clean cursor and leaves it where it found it.
class StringEngine : public testing::Test {
  protected:
    void SetUp() override {
        start = MarkScratch();
    }
    void TearDown() override {
        ReleaseScratch(start);
    }
    char* start = nullptr;
};

TEST_F(StringEngine, AppendingBuildsOneTextAndLeavesTheCursorOnItsZero) {
    AppendText("Von ");
    AppendNumber(1);
    AppendText(nullptr);
    AppendText("");
    AppendText(" bis ");
    AppendNumber(-100);
    EXPECT_STREQ(start, "Von 1 bis -100");
    EXPECT_EQ(ScratchCursor, start + strlen("Von 1 bis -100"));
    EXPECT_EQ(*ScratchCursor, 0);
}

TEST_F(StringEngine, AppendingNullOrEmptyTextWritesOnlyTheTerminator) {
    *start = 'x';
    AppendText(nullptr);
    EXPECT_EQ(ScratchCursor, start);
    EXPECT_EQ(*start, 0);
    *start = 'x';
    AppendText("");
    EXPECT_EQ(ScratchCursor, start);
    EXPECT_EQ(*start, 0);
}

TEST_F(StringEngine, NumbersAreFormattedAsPlainSignedDecimals) {
    struct Case {
        int32_t value;
        const char* text;
    };
    const Case cases[] = {{0, "0"},
                          {-1, "-1"},
                          {7, "7"},
                          {2147483647, "2147483647"},
                          {-2147483647 - 1, "-2147483648"}};
    for (const Case& c : cases) {
        char* position = AppendNumber(c.value);
        EXPECT_EQ(position, start);
        EXPECT_STREQ(position, c.text) << "value " << c.value;
        EXPECT_EQ(ScratchCursor, start + strlen(c.text));
        ReleaseScratch(start);
    }
}

TEST_F(StringEngine, TextToNumberFollowsTheWrappingDigitRule) {
    struct Case {
        const char* text;
        int32_t value;
    };
    const Case cases[] = {
        {"123", 123},
        {"-45", -45},
        {"007", 7},
        {"", 0},
        {"-", 0},
        {"-0", 0},
        {nullptr, 0},
        {"2147483647", 2147483647},
        {"2147483648", -2147483647 - 1},
        {"4294967295", -1},
        {"4294967296", 0},
        {"-2147483649", 2147483647},
        {"99999999999", 1215752191},
        {" 7", 2407},
        {"5 ", 290},
        {"+5", 2515},
        {"12a", 169},
        {"1.5", 2645},
        {"--5", -2535},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextToNumber(c.text), c.value)
            << "text \"" << (c.text ? c.text : "(null)") << "\"";
    }
    EXPECT_EQ(ScratchCursor, start) << "conversion must not touch the cursor";
}

// 4294967338 is 42 modulo 2^32; 21474836470 leaves the range in its last digit only.
TEST_F(StringEngine, TextIsNumberTakesOnlyWhatAPersonReadsAsTheSameNumber) {
    const std::string zeros = std::string(6000, '0') + "42";
    const char* const numbers[] = {"123", "007",       "-0",         "-45",         " 42",
                                   "42 ", "\t -17 \t", "2147483647", "-2147483648", zeros.c_str()};
    const int32_t values[] = {123, 7, 0, -45, 42, 42, -17, INT32_MAX, INT32_MIN, 42};
    const char* const noNumbers[] = {nullptr,       "",           " \t ",        "-",
                                     "--5",         "- 5",        "+5",          "1 000",
                                     "1.000",       "12a",        "42\n",        "2147483648",
                                     "-2147483649", "4294967338", "21474836470", "99999999999"};
    for (size_t i = 0; i < std::size(numbers); i++) {
        int32_t value = 0;
        EXPECT_TRUE(TextIsNumber(numbers[i], &value)) << testing::PrintToString(numbers[i]);
        EXPECT_EQ(value, values[i]) << testing::PrintToString(numbers[i]);
    }
    for (const char* text : noNumbers) {
        int32_t value = 0;
        EXPECT_FALSE(TextIsNumber(text, &value)) << testing::PrintToString(text);
    }
    EXPECT_EQ(ScratchCursor, start) << "reading a number must not touch the cursor";
}

// A field's text as it shows, in code page 1252 (the tests' prefix): what the page lacks is
// marked, never replaced by a look-alike that would read as a number.
TEST_F(StringEngine, AWideTextIsAppendedAsItShowsAndOnlyASCIIDigitsMakeANumber) {
    ASSERT_EQ(GetACP(), 1252u) << "the expected bytes are those of code page 1252";
    const struct {
        const wchar_t* text;
        const char* shown;
        bool number; // 42
    } cases[] = {
        {L"42", "42", true},
        {L"\u00a042\u00a0", " 42 ", true},
        {L"\t\u00a0 42", "\t  42", true},
        {L"\uff14\uff12", "\x95\x95", false},
        {L"\u0664\u0662", "\x95\x95", false},
        {L"4\u00b2", "4\xb2", false},
        {L"\u00e4 \u20ac", "\xe4 \x80", false},
        {L"\U0001f600", "\x95", false},
        {L"42\xd800", "42\x95", false},
        {nullptr, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.shown));
        AppendWideText(c.text);
        EXPECT_EQ(std::string(start), c.shown);
        EXPECT_EQ(ScratchCursor, start + strlen(c.shown)) << "the cursor is not on the zero";
        SealScratch();
        int32_t value = 0;
        EXPECT_EQ(TextIsNumber(start, &value), c.number);
        EXPECT_EQ(value, c.number ? 42 : 0);
        ReleaseScratch(start);
    }
}

// The conversion as its rule is written: each byte weighted by the power of ten of its place,
// summed modulo 2^32; not the left-to-right accumulation the engine uses.
int32_t ReferenceTextToNumber(const std::string& text) {
    bool negative = !text.empty() && text[0] == '-';
    std::string digits = negative ? text.substr(1) : text;
    uint64_t value = 0;
    for (size_t i = 0; i < digits.size(); i++) {
        uint64_t weight = 1;
        for (size_t k = i + 1; k < digits.size(); k++) {
            weight = weight * 10 % 0x100000000;
        }
        uint64_t digit = (static_cast<uint8_t>(digits[i]) + 256 - 48) % 256;
        value = (value + digit * weight) % 0x100000000;
    }
    if (negative) {
        value = (0x100000000 - value) % 0x100000000;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}

TEST_F(StringEngine, TextToNumberAgreesWithItsRuleOnRandomBytes) {
    constexpr uint32_t SEED = 20240508;
    printf("TextToNumber against its rule: seed %u\n", SEED);
    std::mt19937 random(SEED);
    for (int i = 0; i < 200000; i++) {
        std::string text(random() % 24, '0');
        for (char& c : text) {
            // Mostly digits, so that long texts reach the wrap-around; any byte but zero.
            c = random() % 2 ? static_cast<char>('0' + random() % 10)
                             : static_cast<char>(1 + random() % 255);
        }
        if (random() % 4 == 0) {
            text.insert(0, random() % 8 == 0 ? "--" : "-");
        }
        ASSERT_EQ(TextToNumber(text.c_str()), ReferenceTextToNumber(text))
            << "text " << testing::PrintToString(text) << ", case " << i;
    }
    EXPECT_EQ(ScratchCursor, start);
}

TEST_F(StringEngine, SealedTextSurvivesWhatTheReceiverWritesAtTheCursor) {
    AppendNumber(42);
    AppendText("\n");
    AppendText("2, 3, 7");
    SealScratch();
    char* sealedEnd = ScratchCursor;
    EXPECT_EQ(sealedEnd, start + strlen("42\n2, 3, 7") + 1);
    // What an operation receiving the text would do: build its own text behind it.
    char* inner = MarkScratch();
    AppendText("inner text");
    EXPECT_STREQ(start, "42\n2, 3, 7");
    ReleaseScratch(inner);
    ReleaseScratch(start);
    EXPECT_EQ(ScratchCursor, start);
}

TEST_F(StringEngine, SlotsHoldPrivateCopiesAndTellNullFromEmpty) {
    StringSlot slot = nullptr;
    AssignText(&slot, nullptr);
    EXPECT_EQ(slot, nullptr) << "a null text leaves the slot null";
    AssignText(&slot, "");
    ASSERT_NE(slot, nullptr) << "the empty text is a text";
    EXPECT_STREQ(slot, "");

    char* mark = MarkScratch();
    AssignFromScratch(&slot, mark);
    ASSERT_NE(slot, nullptr) << "an empty expression assigns the empty text";
    EXPECT_STREQ(slot, "");

    char constant[] = "Teiler";
    AssignText(&slot, constant);
    constant[0] = 'X';
    EXPECT_STREQ(slot, "Teiler") << "assignment copies";

    StringSlot copy = nullptr;
    CopyText(&copy, slot);
    EXPECT_NE(copy, slot);
    EXPECT_STREQ(copy, "Teiler");
    CopyText(&copy, nullptr);
    EXPECT_STREQ(copy, "Teiler") << "copying null leaves the slot unchanged";
    FreeText(copy);
    FreeText(slot);
    FreeText(nullptr);
}

TEST_F(StringEngine, AnExpressionMayReadTheSlotItAssigns) {
    StringSlot text = nullptr;
    AssignText(&text, "2");
    for (int i = 0; i < 3; i++) {
        char* mark = MarkScratch();
        AppendText(text);
        AppendText(", ");
        AppendNumber(3 + i);
        AssignFromScratch(&text, mark);
        EXPECT_EQ(ScratchCursor, start) << "assignment sets the cursor back";
    }
    EXPECT_STREQ(text, "2, 3, 4, 5");
    FreeText(text);
}

int32_t CountHeapBlocksInUse() {
    int32_t count = 0;
    PROCESS_HEAP_ENTRY entry = {};
    while (HeapWalk(AppHeap, &entry)) {
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
            count++;
        }
    }
    return count;
}

TEST_F(StringEngine, AssignmentFreesTheOldBlock) {
    StringSlot text = nullptr;
    AssignText(&text, std::string(1000, 'a').c_str());
    int32_t before = CountHeapBlocksInUse();
    for (int i = 0; i < 100; i++) {
        char* mark = MarkScratch();
        AppendText(text);
        AssignFromScratch(&text, mark);
        AssignText(&text, text == nullptr ? "" : std::string(text).c_str());
    }
    EXPECT_EQ(CountHeapBlocksInUse(), before) << "assignments leak their old texts";
    EXPECT_EQ(strlen(text), 1000u);
    FreeText(text);
    EXPECT_EQ(CountHeapBlocksInUse(), before - 1) << "FreeText returns the block";
}

// Writers near the end of ScratchBuffer cut their text; nothing passes the last byte,
// which always holds a zero.
class ScratchBoundary : public testing::Test {
  protected:
    void SetUp() override {
        saved = MarkScratch();
        end = ScratchBuffer + SCRATCH_BUFFER_SIZE;
        guard = end[-1];
    }
    void TearDown() override {
        ReleaseScratch(saved);
    }
    void PlaceCursor(int32_t bytesLeft) {
        ReleaseScratch(end - bytesLeft);
    }
    char* saved = nullptr;
    char* end = nullptr;
    char guard = 0;
};

TEST_F(ScratchBoundary, RoomCountsTheBytesUpToTheEnd) {
    PlaceCursor(10);
    EXPECT_EQ(ScratchRoom(), 10);
    ReleaseScratch(ScratchBuffer);
    EXPECT_EQ(ScratchRoom(), SCRATCH_BUFFER_SIZE);
}

TEST_F(ScratchBoundary, ATextThatDoesNotFitIsCutAtTheLastByte) {
    PlaceCursor(5);
    char* mark = MarkScratch();
    AppendText("Primfaktoren");
    EXPECT_STREQ(mark, "Prim");
    EXPECT_EQ(ScratchCursor, end - 1);
    EXPECT_EQ(end[-1], 0);
    AppendText("more");
    EXPECT_EQ(ScratchCursor, end - 1) << "a full buffer takes nothing more";
    EXPECT_STREQ(mark, "Prim");
}

TEST_F(ScratchBoundary, NumbersNearTheEndAreCutToo) {
    PlaceCursor(6);
    char* mark = AppendNumber(-2147483647 - 1);
    EXPECT_STREQ(mark, "-2147");
    EXPECT_EQ(ScratchCursor, end - 1);
    PlaceCursor(12);
    mark = AppendNumber(-2147483647 - 1);
    EXPECT_STREQ(mark, "-2147483648") << "exactly enough room";
    EXPECT_EQ(ScratchCursor, end - 1);
}

TEST_F(ScratchBoundary, SealingAFullBufferKeepsTheCursorInside) {
    PlaceCursor(1);
    SealScratch();
    EXPECT_EQ(ScratchCursor, end - 1);
    AppendText("x");
    EXPECT_EQ(end[-1], 0);
    PlaceCursor(2);
    SealScratch();
    EXPECT_EQ(ScratchCursor, end - 1);
}

TEST_F(ScratchBoundary, AssigningACutTextCopiesWhatWasKept) {
    PlaceCursor(4);
    char* mark = MarkScratch();
    AppendText("abcdef");
    StringSlot slot = nullptr;
    AssignFromScratch(&slot, mark);
    EXPECT_STREQ(slot, "abc");
    FreeText(slot);
}

} // namespace
