// The factor and divisor texts: the worked examples, the primes they trial-divide by, the
// result convention they hand their text back by, their separator copy and the room left in
// ScratchBuffer.
#include "app/App.h"
#include "runtime/core/Core.h"
#include "tests/app/TextProcedureCall.h"

#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <string>

namespace {

struct RemainderCase {
    int32_t a;
    int32_t b;
    int32_t remainder;
};

TEST(Remainder, KeepsTheSignOfTheDividendAndNeverFaults) {
    const RemainderCase cases[] = {
        {7, 3, 1},
        {-7, 3, -1},
        {7, -3, 1},
        {-7, -3, -1},
        {0, 5, 0},
        {12, 4, 0},
        {5, 0, 5},                 // no division by zero: the dividend itself
        {INT32_MIN, 0, INT32_MIN}, //
        {INT32_MIN, -1, 0},        // the one quotient that overflows
        {7, -1, 0},                //
        {INT32_MIN, 2, 0},         //
        {INT32_MIN, 3, -2},        //
        {INT32_MAX, INT32_MIN, INT32_MAX},
        {INT32_MIN, INT32_MIN, 0},
        {INT32_MAX, 46337, 41719},
    };
    for (const RemainderCase& c : cases) {
        EXPECT_EQ(Remainder(c.a, c.b), c.remainder) << "Remainder(" << c.a << ", " << c.b << ")";
    }
}

struct TextCase {
    int32_t n;
    const char* factors;
    const char* divisors;
};

TEST(FactorAndDivisorTexts, MatchTheWorkedExamples) {
    const TextCase cases[] = {
        {1, "", "1"},
        {2, "2", "1, 2"},
        {3, "3", "1, 3"},
        {4, "2, 2", "1, 2, 4"},
        {6, "2, 3", "1, 2, 3, 6"},
        {7, "7", "1, 7"},
        {9, "3, 3", "1, 3, 9"},
        {12, "2, 2, 3", "1, 2, 3, 4, 6, 12"},
        {13, "13", "1, 13"},
        {100, "2, 2, 5, 5", "1, 2, 4, 5, 10, 20, 25, 50, 100"},
        {1024, "2, 2, 2, 2, 2, 2, 2, 2, 2, 2", "1, 2, 4, 8, 16, 32, 64, 128, 256, 512, 1024"},
        {2147483647, "2147483647", "1, 2147483647"},
        {2146654199, "46327, 46337", "1, 46327, 46337, 2146654199"},
        {2147117569, "46337, 46337", "1, 46337, 2147117569"},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(CallTextProcedure(PrimeFactorText, c.n), c.factors) << "factors of " << c.n;
        EXPECT_EQ(CallTextProcedure(DivisorText, c.n), c.divisors) << "divisors of " << c.n;
    }
}

// Trial division ends at the table's last prime, 46,337; a factor above it is what is left
// of n. 46337^2 is the one number below 2^31 that needs that last prime.
TEST(FactorAndDivisorTexts, FactorsAboveTheLastTrialPrimeAreFound) {
    const TextCase cases[] = {
        {46337, "46337", "1, 46337"},
        {46349, "46349", "1, 46349"}, // the first prime after the table
        {92698, "2, 46349", "1, 2, 46349, 92698"},
        {2147117569, "46337, 46337", "1, 46337, 2147117569"},
        {2147210123, "46327, 46349", "1, 46327, 46349, 2147210123"},
        {2147483578, "2, 1073741789", "1, 2, 1073741789, 2147483578"},
        {2147483645, "5, 19, 22605091", "1, 5, 19, 95, 22605091, 113025455, 429496729, 2147483645"},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(CallTextProcedure(PrimeFactorText, c.n), c.factors) << "factors of " << c.n;
        EXPECT_EQ(CallTextProcedure(DivisorText, c.n), c.divisors) << "divisors of " << c.n;
    }
}

bool IsPrimeByTrialDivision(int32_t n) {
    for (int32_t d = 2; d * d <= n; d++) {
        if (n % d == 0) {
            return false;
        }
    }
    return n >= 2;
}

TEST(TrialDivisionPrimes, AreEveryPrimeUpTo46337Ascending) {
    int32_t count = 0;
    const uint16_t* primes = TrialDivisionPrimes(&count);
    ASSERT_EQ(count, 4792) << "primes up to 46,340 missing or extra";
    EXPECT_EQ(primes[count - 1], 46337);
    int32_t next = 0;
    for (int32_t n = 2; n <= 46340 && next < count; n++) {
        if (IsPrimeByTrialDivision(n)) {
            ASSERT_EQ(primes[next], n) << "entry " << next << " of the prime table";
            next++;
        }
    }
    EXPECT_EQ(next, count);
}

// -1 leads the factors of a negative number; the divisors are those of its magnitude. 0
// has no factorisation, and every number divides it: both its texts are empty.
TEST(FactorAndDivisorTexts, NegativeNumbersAndZeroAreFactorisedAsAlgebraSystemsDo) {
    std::string twos = "-1";
    std::string powersOfTwo = "1";
    for (int32_t power = 1; power <= 31; power++) {
        twos += ", 2";
        powersOfTwo += ", " + std::to_string(INT64_C(1) << power);
    }
    const std::string cases[][3] = {
        {"0", "", ""},
        {"-1", "-1", "1"},
        {"-2", "-1, 2", "1, 2"},
        {"-6", "-1, 2, 3", "1, 2, 3, 6"},
        {"-12", "-1, 2, 2, 3", "1, 2, 3, 4, 6, 12"},
        {"-2147483647", "-1, 2147483647", "1, 2147483647"},
        {"-2147483648", twos, powersOfTwo}, // a magnitude of 2^31
    };
    for (const auto& c : cases) {
        int32_t n = static_cast<int32_t>(std::stoll(c[0]));
        EXPECT_EQ(CallTextProcedure(PrimeFactorText, n), c[1]) << "factors of " << n;
        EXPECT_EQ(CallTextProcedure(DivisorText, n), c[2]) << "divisors of " << n;
    }
}

TEST(FactorAndDivisorTexts, JoinWithTheGivenSeparator) {
    EXPECT_EQ(CallTextProcedure(PrimeFactorText, 12, " * "), "2 * 2 * 3");
    EXPECT_EQ(CallTextProcedure(DivisorText, 12, ";"), "1;2;3;4;6;12");
    EXPECT_EQ(CallTextProcedure(PrimeFactorText, 12, ""), "223");
    EXPECT_EQ(CallTextProcedure(DivisorText, 6, nullptr), "1236") << "null joins with nothing";
    EXPECT_EQ(CallTextProcedure(PrimeFactorText, 12, nullptr), "223");
    EXPECT_EQ(CallTextProcedure(PrimeFactorText, -12, " * "), "-1 * 2 * 2 * 3");
}

struct NamedProcedure {
    const char* name;
    TextProcedure call;
};

const NamedProcedure TEXT_PROCEDURES[] = {
    {"PrimeFactorText", PrimeFactorText},
    {"DivisorText", DivisorText},
};

// The caller keeps a sealed text before the call; the result lands behind it.
class FactorTextResultConvention : public testing::Test {
  protected:
    void SetUp() override {
        start = MarkScratch();
        AppendText("kept");
        SealScratch();
    }
    void TearDown() override {
        ReleaseScratch(start);
    }
    char* start = nullptr;
};

TEST_F(FactorTextResultConvention, ResultStartsAtTheCursorWhichEndsOnItsZero) {
    for (const NamedProcedure& procedure : TEXT_PROCEDURES) {
        SCOPED_TRACE(procedure.name);
        for (int32_t n : {-6, 0, 1, 12, 1024, 2095133040}) {
            char* resultPosition = ScratchCursor;
            char* result = procedure.call(n, ", ");
            EXPECT_EQ(result, resultPosition) << "result of " << n << " not at the caller's cursor";
            EXPECT_EQ(ScratchCursor, result + strlen(result))
                << "cursor not on the terminating zero of the result of " << n;
            EXPECT_STREQ(start, "kept") << "the caller's sealed text was overwritten";
            ReleaseScratch(resultPosition);
        }
    }
}

TEST_F(FactorTextResultConvention, SeparatorLyingAtTheCursorIsCopiedBeforeTheResultCoversIt) {
    const char* expected[] = {
        "2 and also 2 and also 3",
        "1 and also 2 and also 3 and also 4 and also 6 and also 12",
    };
    for (int32_t i = 0; i < 2; i++) {
        SCOPED_TRACE(TEXT_PROCEDURES[i].name);
        // A text built and released at the cursor: the result is written over it.
        char* separator = MarkScratch();
        AppendText(" and also ");
        ReleaseScratch(separator);
        EXPECT_STREQ(TEXT_PROCEDURES[i].call(12, separator), expected[i]);
        ReleaseScratch(separator);
    }
}

TEST_F(FactorTextResultConvention, TextIsCutAtTheEndOfTheScratchBuffer) {
    const char* expected[] = {"2, 2, 2", "1, 2, 3"};
    char* end = ScratchBuffer + SCRATCH_BUFFER_SIZE;
    char* nearEnd = end - 8;
    for (int32_t i = 0; i < 2; i++) {
        SCOPED_TRACE(TEXT_PROCEDURES[i].name);
        memset(nearEnd - 4, 'x', 4);
        ReleaseScratch(nearEnd);
        char* result = TEXT_PROCEDURES[i].call(2095133040, ", ");
        EXPECT_EQ(result, nearEnd);
        EXPECT_STREQ(result, expected[i])
            << "the text fills the room left, 7 characters and a zero";
        EXPECT_EQ(ScratchCursor, end - 1);
        EXPECT_EQ(end[-1], 0);
        EXPECT_EQ(std::string(nearEnd - 4, 4), "xxxx")
            << "bytes before the result position changed";

        // With the cursor on the last byte only the empty text fits.
        ReleaseScratch(end - 1);
        result = TEXT_PROCEDURES[i].call(12, ", ");
        EXPECT_EQ(result, end - 1);
        EXPECT_STREQ(result, "");
        EXPECT_EQ(ScratchCursor, end - 1);
        memset(nearEnd - 4, 0, 12);
    }
}

int32_t CountBusyHeapBlocks() {
    PROCESS_HEAP_ENTRY entry{};
    int32_t count = 0;
    while (HeapWalk(AppHeap, &entry)) {
        if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0) {
            count++;
        }
    }
    return count;
}

TEST_F(FactorTextResultConvention, LocalTextsAreFreedOnEveryPath) {
    char* end = ScratchBuffer + SCRATCH_BUFFER_SIZE;
    for (const NamedProcedure& procedure : TEXT_PROCEDURES) {
        SCOPED_TRACE(procedure.name);
        for (int32_t n : {INT32_MIN, -6, 0, 1, 2, 12, 2147483647, 2095133040}) {
            int32_t before = CountBusyHeapBlocks();
            char* resultPosition = ScratchCursor;
            procedure.call(n, ", ");
            ReleaseScratch(resultPosition);
            procedure.call(n, nullptr);
            ReleaseScratch(resultPosition);
            EXPECT_EQ(CountBusyHeapBlocks(), before)
                << "AppHeap grows with every row for n = " << n;
        }
        // The cut path too.
        char* resultPosition = ScratchCursor;
        int32_t before = CountBusyHeapBlocks();
        ReleaseScratch(end - 3);
        procedure.call(2095133040, ", ");
        EXPECT_EQ(CountBusyHeapBlocks(), before) << "AppHeap grows when a text is cut";
        memset(end - 3, 0, 3);
        ReleaseScratch(resultPosition);
    }
}

} // namespace
