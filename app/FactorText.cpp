// The factor and divisor texts of the result list. Both are text procedures: they copy the
// separator, build their text as one expression into a local slot and hand it back at the
// result position. Both factorise n by trial division with the primes up to 46,337, so a
// prime near 2^31 costs 4,792 divisibility tests for each text; the divisors are then
// formed from the prime powers, not found by a second trial pass.
#include "app/App.h"
#include "runtime/core/Core.h"

namespace {
// Every composite n below 2^31 has a prime factor of at most its square root, 46,340.
constexpr int32_t TRIAL_DIVISION_LIMIT = 46340;
// The primes up to TRIAL_DIVISION_LIMIT; 46,337 is the last.
constexpr int32_t TRIAL_PRIME_COUNT = 4792;
// 2 * 3 * 5 * 7 * 11 * 13 * 17 * 19 * 23 * 29 exceeds 2^31.
constexpr int32_t MAX_DISTINCT_PRIMES = 9;
// No n below 2^31 has more than 1,600 divisors (2,095,133,040 has that many).
constexpr int32_t MAX_DIVISORS = 1600;
// 2^30 is the highest prime power below 2^31.
constexpr int32_t MAX_EXPONENT = 30;

// Filled by the first call that needs it and never changed after; zero until then. Left in
// zero-initialised storage, it costs the exe no bytes, where a table built by the compiler
// would add 9.6 KB of initialised data.
uint16_t TrialPrimes[TRIAL_PRIME_COUNT];
int32_t TrialPrimeCount;

// A sieve of Eratosthenes over the odd numbers up to TRIAL_DIVISION_LIMIT, about 50 us
// once per process.
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
    TrialPrimeCount = count;
}

// The prime factorisation of n >= 2: distinct primes ascending, each with its exponent.
struct Factorisation {
    int32_t primes[MAX_DISTINCT_PRIMES];
    int32_t exponents[MAX_DISTINCT_PRIMES];
    int32_t count;
};

void Factorise(int32_t n, Factorisation* factorisation) {
    int32_t count;
    const uint16_t* primes = TrialDivisionPrimes(&count);
    factorisation->count = 0;
    for (int32_t i = 0; i < count; i++) {
        int32_t p = primes[i];
        // p <= 46,337, so p * p stays below 2^31.
        if (p * p > n) {
            break;
        }
        if (Remainder(n, p) == 0) {
            int32_t exponent = 0;
            do {
                n /= p;
                exponent++;
            } while (Remainder(n, p) == 0);
            factorisation->primes[factorisation->count] = p;
            factorisation->exponents[factorisation->count++] = exponent;
        }
    }
    // What is left has no prime factor up to the square root of itself, or none up to
    // 46,337 while lying below 46,349^2 (the next prime's square): it is 1 or a prime.
    if (n > 1) {
        factorisation->primes[factorisation->count] = n;
        factorisation->exponents[factorisation->count++] = 1;
    }
}

// Writes every divisor of the factorised number ascending into divisors and returns how
// many there are. For each prime p with exponent e, the divisors so far times p^0 .. p^e
// are e + 1 ascending runs, merged into one.
int32_t ListDivisors(const Factorisation& factorisation, int32_t* divisors) {
    int32_t merged[MAX_DIVISORS];
    int32_t count = 1;
    divisors[0] = 1;
    for (int32_t f = 0; f < factorisation.count; f++) {
        int32_t runCount = factorisation.exponents[f] + 1;
        int32_t powers[MAX_EXPONENT + 1];
        int32_t heads[MAX_EXPONENT + 1];
        powers[0] = 1;
        heads[0] = 0;
        for (int32_t run = 1; run < runCount; run++) {
            powers[run] = powers[run - 1] * factorisation.primes[f];
            heads[run] = 0;
        }
        int32_t total = count * runCount;
        for (int32_t k = 0; k < total; k++) {
            int32_t smallestRun = -1;
            int32_t smallest = 0;
            for (int32_t run = 0; run < runCount; run++) {
                if (heads[run] == count) {
                    continue;
                }
                // A divisor of n, so the product does not overflow.
                int32_t value = divisors[heads[run]] * powers[run];
                if (smallestRun < 0 || value < smallest) {
                    smallest = value;
                    smallestRun = run;
                }
            }
            merged[k] = smallest;
            heads[smallestRun]++;
        }
        for (int32_t k = 0; k < total; k++) {
            divisors[k] = merged[k];
        }
        count = total;
    }
    return count;
}

void AppendJoined(const char* join, int32_t value) {
    AppendText(join);
    AppendNumber(value);
}

// Appends the prime factors of n >= 2 in non-decreasing order.
void AppendPrimeFactors(int32_t n, const char* separator) {
    Factorisation factorisation;
    Factorise(n, &factorisation);
    const char* join = "";
    for (int32_t f = 0; f < factorisation.count; f++) {
        for (int32_t e = 0; e < factorisation.exponents[f]; e++) {
            AppendJoined(join, factorisation.primes[f]);
            join = separator;
        }
    }
}

// Appends 1, every divisor of n from 2 to half of n ascending, then n. For n <= 1 there is
// none between; 0 and negative n give just "1" and n.
void AppendDivisors(int32_t n, const char* separator) {
    AppendText("1");
    if (n >= 2) {
        Factorisation factorisation;
        Factorise(n, &factorisation);
        int32_t divisors[MAX_DIVISORS];
        int32_t count = ListDivisors(factorisation, divisors);
        // The first is 1 and the last n itself.
        for (int32_t i = 1; i < count - 1; i++) {
            AppendJoined(separator, divisors[i]);
        }
    }
    AppendJoined(separator, n);
}

// The last step of a text procedure: the result goes to the result position, and only
// then are the local slots freed.
char* ReturnText(StringSlot result, StringSlot separatorCopy) {
    char* resultPosition = MarkScratch();
    AppendText(result);
    FreeText(result);
    FreeText(separatorCopy);
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
    // The separator may lie in ScratchBuffer at the cursor, where the result goes.
    StringSlot separatorCopy = nullptr;
    CopyText(&separatorCopy, separator);
    StringSlot result = nullptr;
    char* start = MarkScratch();
    if (n > 1) {
        AppendPrimeFactors(n, separatorCopy);
    }
    AssignFromScratch(&result, start);
    return ReturnText(result, separatorCopy);
}

char* DivisorText(int32_t n, const char* separator) {
    StringSlot separatorCopy = nullptr;
    CopyText(&separatorCopy, separator);
    StringSlot result = nullptr;
    char* start = MarkScratch();
    AppendDivisors(n, separatorCopy);
    AssignFromScratch(&result, start);
    return ReturnText(result, separatorCopy);
}
