// The fast factor and divisor texts against the plain trial-division reference, and, where
// that reference would take minutes, against the properties that define the texts.
#include "app/App.h"
#include "runtime/core/Core.h"
#include "tests/app/PlainTrialDivision.h"
#include "tests/app/TextProcedureCall.h"

#include <gtest/gtest.h>

#include <stdint.h>

#include <string>
#include <vector>

namespace {

constexpr int32_t SMALL_RANGE_END = 100000;

TEST(FactorTextOracle, EveryFactorTextUpTo100000MatchesThePlainReference) {
    for (int32_t n = 1; n <= SMALL_RANGE_END; n++) {
        std::string fast = CallTextProcedure(PrimeFactorText, n);
        std::string plain = CallTextProcedure(plain_trial_division::PrimeFactorText, n);
        ASSERT_EQ(fast, plain) << "factors of " << n;
    }
}

TEST(FactorTextOracle, EveryDivisorTextUpTo100000MatchesThePlainReference) {
    for (int32_t n = 1; n <= SMALL_RANGE_END; n++) {
        std::string fast = CallTextProcedure(DivisorText, n);
        std::string plain = CallTextProcedure(plain_trial_division::DivisorText, n);
        ASSERT_EQ(fast, plain) << "divisors of " << n;
    }
}

// Every hard value below is affordable for the reference: a prime near 2^31 costs it about
// 2^31 Remainder calls for its factors and 2^30 for its divisors, some seconds each.
void ExpectSameAsThePlainReference(int32_t n) {
    EXPECT_EQ(CallTextProcedure(PrimeFactorText, n),
              CallTextProcedure(plain_trial_division::PrimeFactorText, n))
        << "factors of " << n;
    EXPECT_EQ(CallTextProcedure(DivisorText, n),
              CallTextProcedure(plain_trial_division::DivisorText, n))
        << "divisors of " << n;
}

TEST(FactorTextOracle, PrimesJustBelow2To31MatchThePlainReference) {
    for (int32_t n : {2147483647, 2147483629, 2147483587}) {
        ExpectSameAsThePlainReference(n);
    }
}

TEST(FactorTextOracle, ManyDivisorsSquaresAndPowersOfTwoMatchThePlainReference) {
    // 1,440 and 1,600 divisors; 46337^2, 46327 * 46337, 46340^2; 2^31 - 2.
    for (int32_t n : {1102701600, 2095133040, 2147117569, 2146654199, 2147395600, 2147483646}) {
        ExpectSameAsThePlainReference(n);
    }
    for (int32_t power = 0; power <= 30; power++) {
        ExpectSameAsThePlainReference(INT32_C(1) << power);
    }
}

// Splits a text joined by ", " into its numbers; the numbers must be written exactly as
// AppendNumber writes them, so the text must read back the same.
std::vector<int64_t> ReadNumbers(const std::string& text) {
    std::vector<int64_t> numbers;
    std::string rebuilt;
    size_t begin = 0;
    while (begin < text.size()) {
        size_t end = text.find(", ", begin);
        if (end == std::string::npos) {
            end = text.size();
        }
        numbers.push_back(std::stoll(text.substr(begin, end - begin)));
        rebuilt += (numbers.size() > 1 ? ", " : "") + std::to_string(numbers.back());
        begin = end + 2;
    }
    EXPECT_EQ(rebuilt, text) << "not decimal numbers joined by \", \"";
    return numbers;
}

bool IsPrime(int64_t p) {
    if (p < 2) {
        return false;
    }
    for (int64_t d = 2; d * d <= p; d++) {
        if (p % d == 0) {
            return false;
        }
    }
    return true;
}

// Checks the factor and divisor texts of n >= 2 by what defines them; returns the number
// of divisors listed.
size_t ExpectDefiningProperties(int32_t n) {
    std::vector<int64_t> factors = ReadNumbers(CallTextProcedure(PrimeFactorText, n));
    int64_t product = 1;
    int64_t divisorCount = 1;
    int64_t runLength = 0;
    for (size_t i = 0; i < factors.size(); i++) {
        EXPECT_TRUE(IsPrime(factors[i])) << factors[i] << " listed as a prime factor of " << n;
        product *= factors[i];
        runLength++;
        if (i + 1 < factors.size() && factors[i + 1] < factors[i]) {
            ADD_FAILURE() << "factors of " << n << " out of order";
        }
        if (i + 1 == factors.size() || factors[i + 1] != factors[i]) {
            divisorCount *= runLength + 1;
            runLength = 0;
        }
        if (product > n) {
            break;
        }
    }
    EXPECT_EQ(product, n) << "the factors do not multiply to " << n;

    std::vector<int64_t> divisors = ReadNumbers(CallTextProcedure(DivisorText, n));
    EXPECT_EQ(static_cast<int64_t>(divisors.size()), divisorCount)
        << "divisors of " << n << " missing or repeated";
    if (divisors.empty()) {
        return 0;
    }
    EXPECT_EQ(divisors.front(), 1);
    EXPECT_EQ(divisors.back(), n);
    for (size_t i = 0; i < divisors.size(); i++) {
        EXPECT_EQ(n % divisors[i], 0) << divisors[i] << " listed as a divisor of " << n;
        if (i > 0) {
            EXPECT_LT(divisors[i - 1], divisors[i]) << "divisors of " << n << " not ascending";
        }
    }
    return divisors.size();
}

TEST(FactorTextProperties, HardValuesBelow2To31HaveTheirDefiningProperties) {
    for (int32_t n : {2147483647, 2147483629, 2147483587, 2147483646, 2147117569, 2146654199,
                      2147395600, 1073741824, 536870912}) {
        ExpectDefiningProperties(n);
    }
    EXPECT_EQ(ExpectDefiningProperties(1102701600), 1440u);
    EXPECT_EQ(ExpectDefiningProperties(2095133040), 1600u);
}

TEST(FactorTextProperties, NumbersAcrossTheWholeRangeHaveTheirDefiningProperties) {
    // The top 1,000 numbers, then a spread over the range from a fixed linear
    // congruential sequence.
    for (int32_t below = 0; below < 1000; below++) {
        ExpectDefiningProperties(INT32_MAX - below);
    }
    uint32_t state = 12345;
    for (int32_t i = 0; i < 3000; i++) {
        state = state * 1664525u + 1013904223u;
        int32_t n = static_cast<int32_t>(state >> 1);
        if (n >= 2) {
            ExpectDefiningProperties(n);
        }
    }
}

} // namespace
