// The fast factor and divisor texts against the plain trial-division reference, and, where
// that reference would take minutes, proven right by the checker's own proof, which is
// itself shown to tell wrong rows.
#include "app/App.h"
#include "runtime/core/Core.h"
#include "tests/app/FactorTextProof.h"
#include "tests/app/PlainTrialDivision.h"
#include "tests/app/TextProcedureCall.h"

#include <gtest/gtest.h>

#include <stdint.h>

#include <algorithm>
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

std::string ProveRow(int32_t n) {
    char* mark = MarkScratch();
    const char* factors = PrimeFactorText(n, ", ");
    SealScratch();
    const char* divisors = DivisorText(n, ", ");
    const char* fault = factor_text_proof::FindRowFault(n, factors, divisors);
    std::string problem = fault == nullptr ? ""
                                           : std::string(fault) + ": factors \"" + factors +
                                                 "\", divisors \"" + divisors + "\"";
    ReleaseScratch(mark);
    return problem;
}

// The checker's slices run the twin; this runs in the shipped build's own tests as well.
TEST(FactorTextProof, HardPlacesAndNumbersAcrossTheRangeAreProvenRight) {
    for (int32_t place : factor_text_proof::HardPlaces()) {
        for (int64_t n = std::max<int64_t>(place - 2, INT32_MIN);
             n <= std::min<int64_t>(place + 2, INT32_MAX); n++) {
            EXPECT_EQ(ProveRow(static_cast<int32_t>(n)), "") << "the row of " << n;
        }
    }
    // A spread over the whole range from a fixed linear congruential sequence.
    uint32_t state = 12345;
    for (int32_t i = 0; i < 3000; i++) {
        state = state * 1664525u + 1013904223u;
        int32_t n = static_cast<int32_t>(state);
        EXPECT_EQ(ProveRow(n), "") << "the row of " << n;
    }
}

// The proof must tell every wrong row, whatever is wrong with it.
TEST(FactorTextProof, NamesWhatIsWrongWithARow) {
    struct WrongRow {
        int32_t n;
        const char* factors;
        const char* divisors;
        const char* fault;
    };
    const WrongRow rows[] = {
        {12, "2, 3", "1, 2, 3, 4, 6, 12", "the factors multiply to less than the number"},
        {12, "2, 2, 3, 2", "1, 2, 3, 4, 6, 12", "the factors are out of order"},
        {12, "2, 2, 3", "1, 2, 3, 4, 12", "divisors are missing"},
        {12, "2, 2, 3", "1, 2, 4, 3, 6, 12", "the divisors do not ascend"},
        {12, "2, 2, 3", "1, 2, 3, 4, 5, 6, 12", "a divisor does not divide the number"},
        {12, "2,2, 3", "1, 2, 3, 4, 6, 12", "the factors are not numbers joined by \", \""},
        {12, "2, 2, 3", "1, 02, 3, 4, 6, 12", "the divisors are not numbers joined by \", \""},
        {9, "9", "1, 3, 9", "a factor is not a prime"},
        {6, "-1, 2, 3", "1, 2, 3, 6", "a factor is not a prime"},
        {-6, "2, 3", "1, 2, 3, 6", "a negative number's factors do not begin with -1"},
        {-6, "-1, 2, 3", "1, 2, 3, -6", "a divisor does not divide the number"},
        {1, "", "1, 1", "the divisors do not ascend"},
        {0, "", "1, 0", "0 has divisors"},
        {74665, "74665", "1, 74665", "a factor is not a prime"},    // passes base 2 alone
        {314821, "314821", "1, 314821", "a factor is not a prime"}, // passes bases 2 and 7
        {2147483647, "2147483647", "1, 2147483647", nullptr},
        {2147117569, "46337, 46337", "1, 46337, 2147117569", nullptr},
    };
    for (const WrongRow& row : rows) {
        const char* fault = factor_text_proof::FindRowFault(row.n, row.factors, row.divisors);
        EXPECT_STREQ(fault, row.fault)
            << "the row " << row.n << " | " << row.factors << " | " << row.divisors;
    }
}

// Miller-Rabin in Montgomery form against a plain sieve, across the sieve's limit.
TEST(FactorTextProof, TellsPrimesAboveTheSieveLimitRight) {
    constexpr uint32_t END = 1u << 20;
    std::vector<bool> composite(END, false);
    for (uint32_t p = 2; p * p < END; p++) {
        for (uint32_t multiple = p * p; !composite[p] && multiple < END; multiple += p) {
            composite[multiple] = true;
        }
    }
    for (uint32_t n = 2; n < END; n++) {
        ASSERT_EQ(factor_text_proof::IsPrime(n), !composite[n]) << n;
    }
}

} // namespace
