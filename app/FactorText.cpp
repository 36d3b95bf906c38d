// The factor and divisor texts of the result list. Both are text procedures: they copy the
// separator, build their text as one expression into a local slot and hand it back at the
// result position. Both factorise the magnitude of n by trial division with the primes up
// to 46,337, so a prime near 2^31 costs 4,792 divisibility tests; the divisor text of the
// number whose factor text came just before takes its factors, and the divisors are formed
// from them, not found by a second trial pass. The magnitude is unsigned: that of
// -2,147,483,648 is 2^31, which no signed 32-bit value holds.
#include "app/App.h"
#include "runtime/core/Core.h"

namespace {
// Every composite magnitude up to 2^31 has a prime factor of at most its square root,
// 46,340.
constexpr int32_t TRIAL_DIVISION_LIMIT = 46340;
// The primes up to TRIAL_DIVISION_LIMIT; 46,337 is the last.
constexpr int32_t TRIAL_PRIME_COUNT = 4792;
// 2^31, the magnitude of -2,147,483,648, has the most prime factors.
constexpr int32_t MAX_PRIME_FACTORS = 31;
// No magnitude up to 2^31 has more than 1,600 divisors (2,095,133,040 has that many).
constexpr int32_t MAX_DIVISORS = 1600;

// Filled by the first call that needs it and never changed after; zero until then. Left in
// zero-initialised storage, it costs the exe no bytes, where a table built by the compiler
// would add 9.6 KB of initialised data.
uint16_t TrialPrimes[TRIAL_PRIME_COUNT];
int32_t TrialPrimeCount;
// For each odd prime p of the table, its inverse modulo 2^32 and 0xFFFFFFFF / p: m times
// the inverse is m / p when p divides m, and above that limit when it does not, so a
// divisibility test costs a multiplication instead of a division. Entry 0, for 2, is unused.
uint32_t TrialInverses[TRIAL_PRIME_COUNT];
uint32_t TrialQuotientLimits[TRIAL_PRIME_COUNT];

// A sieve of Eratosthenes over the odd numbers up to TRIAL_DIVISION_LIMIT, once per
// process: 50 to 100 us under Wine here, about as much as the costliest row.
void FillTrialPrimes() {
    // composite[i] stands for the odd number 2 * i + 1.
    constexpr int32_t ODD_COUNT = TRIAL_DIVISION_LIMIT / 2;
    bool composite[ODD_COUNT] = {};
    for (int32_t p = 3; p * p <= TRIAL_DIVISION_LIMIT; p += 2) {
        if (!composite[p / 2]) {
            // Odd multiples from p * p on, which stands at index p * p / 2.
            for (int32_t i = p * p / 2; i < ODD_COUNT; i += p) {
                composite[i] = true;
            }
        }
    }
    // Every odd number is written at the end of the table, which moves on past primes
    // only: no branch that the processor would mispredict at every prime.
    int32_t count = 1;
    TrialPrimes[0] = 2;
    for (int32_t i = 1; i < ODD_COUNT && count < TRIAL_PRIME_COUNT; i++) {
        TrialPrimes[count] = static_cast<uint16_t>(2 * i + 1);
        count += composite[i] ? 0 : 1;
    }
    for (int32_t i = 1; i < count; i++) {
        uint32_t p = TrialPrimes[i];
        // Each step doubles the correct low bits; p * p = 1 modulo 8 gives the first three.
        uint32_t inverse = p;
        for (int32_t step = 0; step < 4; step++) {
            inverse *= 2 - p * inverse;
        }
        TrialInverses[i] = inverse;
        TrialQuotientLimits[i] = 0xFFFFFFFFu / p;
    }
    TrialPrimeCount = count;
}

// The magnitude of n: what its factors multiply to and what its divisors divide.
uint32_t Magnitude(int32_t n) {
    return n < 0 ? 0u - static_cast<uint32_t>(n) : static_cast<uint32_t>(n);
}

// The last magnitude factorised and its prime factors: a row asks for the factor text and
// then for the divisor text of the same number, and trial division is most of what either
// costs. Zero until the first factorisation; a factorisation kept is right for good.
uint32_t LastFactorised;
uint32_t LastFactors[MAX_PRIME_FACTORS];
int32_t LastFactorCount;

// Writes the prime factors of m >= 2 (at most 2^31) in non-decreasing order, each as often
// as it divides m, into factors and returns how many there are.
int32_t FactoriseByTrialDivision(uint32_t m, uint32_t* factors) {
    int32_t primeCount;
    const uint16_t* primes = TrialDivisionPrimes(&primeCount);
    int32_t count = 0;
    while (m % 2 == 0) {
        factors[count++] = 2;
        m /= 2;
    }
    for (int32_t i = 1; i < primeCount; i++) {
        uint32_t p = primes[i];
        // p <= 46,337, so p * p stays below 2^31.
        if (p * p > m) {
            break;
        }
        for (uint32_t quotient = m * TrialInverses[i]; quotient <= TrialQuotientLimits[i];
             quotient = m * TrialInverses[i]) {
            factors[count++] = p;
            m = quotient;
        }
    }
    // What is left has no prime factor up to the square root of itself, or none up to
    // 46,337 while lying below 46,349^2 (the next prime's square): it is 1 or a prime.
    if (m > 1) {
        factors[count++] = m;
    }
    return count;
}

int32_t ListPrimeFactors(uint32_t m, uint32_t* factors) {
    if (m != LastFactorised) {
        LastFactorCount = FactoriseByTrialDivision(m, LastFactors);
        LastFactorised = m;
    }
    for (int32_t i = 0; i < LastFactorCount; i++) {
        factors[i] = LastFactors[i];
    }
    return LastFactorCount;
}

// Writes every divisor of m >= 2 (at most 2^31) ascending into divisors and returns how
// many there are. Each prime factor p brings p times the divisors that the previous factor
// brought, when that was p too, and p times all divisors so far otherwise; those are merged
// in from the back.
int32_t ListDivisors(uint32_t m, uint32_t* divisors) {
    uint32_t factors[MAX_PRIME_FACTORS];
    int32_t factorCount = ListPrimeFactors(m, factors);
    // At most half the divisors are new at a step, since their number at least doubles.
    uint32_t added[MAX_DIVISORS / 2];
    int32_t addedCount = 0;
    int32_t count = 1;
    divisors[0] = 1;
    for (int32_t f = 0; f < factorCount; f++) {
        uint32_t p = factors[f];
        if (f == 0 || p != factors[f - 1]) {
            for (addedCount = 0; addedCount < count; addedCount++) {
                added[addedCount] = divisors[addedCount];
            }
        }
        // Divisors of m, so no product overflows.
        for (int32_t i = 0; i < addedCount; i++) {
            added[i] *= p;
        }
        int32_t old = count - 1;
        int32_t next = addedCount - 1;
        count += addedCount;
        for (int32_t place = count - 1; next >= 0; place--) {
            if (old >= 0 && divisors[old] > added[next]) {
                divisors[place] = divisors[old--];
            } else {
                divisors[place] = added[next--];
            }
        }
    }
    return count;
}

// Appends join, then value in decimal; 2^31 too, which the signed format cannot take.
void AppendJoined(const char* join, uint32_t value) {
    AppendText(join);
    char digits[12];
    FormatNumberText(digits, "%lu", static_cast<int32_t>(value));
    AppendText(digits);
}

// Appends -1 for a negative n, then the prime factors of its magnitude in non-decreasing
// order: nothing for 0 and 1, which have no prime factors, and "-1" alone for -1.
void AppendPrimeFactors(int32_t n, const char* separator) {
    const char* join = "";
    if (n < 0) {
        AppendText("-1");
        join = separator;
    }
    uint32_t m = Magnitude(n);
    if (m < 2) {
        return;
    }
    uint32_t factors[MAX_PRIME_FACTORS];
    int32_t count = ListPrimeFactors(m, factors);
    for (int32_t i = 0; i < count; i++) {
        AppendJoined(join, factors[i]);
        join = separator;
    }
}

// Appends the positive divisors of the magnitude of n ascending: "1" for 1 and -1, and
// nothing for 0, which every number divides.
void AppendDivisors(int32_t n, const char* separator) {
    uint32_t m = Magnitude(n);
    if (m == 0) {
        return;
    }
    AppendText("1");
    if (m < 2) {
        return;
    }
    uint32_t divisors[MAX_DIVISORS];
    int32_t count = ListDivisors(m, divisors);
    for (int32_t i = 1; i < count; i++) {
        AppendJoined(separator, divisors[i]);
    }
}

// A text procedure: copies the separator, builds the text of n as one expression into a
// local slot and hands it back at the result position, freeing the local slots after.
// Null when either copy could not be made: a text joined without its separator, or an
// empty one in place of the text, would read as a wrong result.
char* BuildText(int32_t n, const char* separator,
                void (*appendText)(int32_t n, const char* separator)) {
    char* resultPosition = MarkScratch();
    // The separator may lie in ScratchBuffer at the cursor, where the result goes.
    StringSlot separatorCopy = nullptr;
    CopyText(&separatorCopy, separator);
    StringSlot result = nullptr;
    if (separatorCopy != nullptr || separator == nullptr) {
        appendText(n, separatorCopy);
        AssignFromScratch(&result, resultPosition);
    }
    AppendText(result);
    FreeText(separatorCopy);
    // An empty text still has its one-byte block, so a null result is a failed copy.
    if (result == nullptr) {
        return nullptr;
    }
    FreeText(result);
    return resultPosition;
}
} // namespace

int32_t Remainder(int32_t a, int32_t b) {
    if (b == 0) {
        return a;
    }
    // INT32_MIN / -1 overflows and faults; every number is a multiple of -1.
    if (b == -1) {
        return 0;
    }
    return a - (a / b) * b;
}

const uint16_t* TrialDivisionPrimes(int32_t* count) {
    if (TrialPrimeCount == 0) {
        FillTrialPrimes();
    }
    *count = TrialPrimeCount;
    return TrialPrimes;
}

char* PrimeFactorText(int32_t n, const char* separator) {
    return BuildText(n, separator, AppendPrimeFactors);
}

char* DivisorText(int32_t n, const char* separator) {
    return BuildText(n, separator, AppendDivisors);
}
