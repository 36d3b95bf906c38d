// The factor and divisor texts of the result list. Both are text procedures: they copy the
// separator, build their text as one expression into a local slot and hand it back at the
// result position. Trial division stops at the square root, so even a prime near 2^31
// costs about 23,000 divisibility tests for its factors and 46,000 for its divisors.
#include "app/App.h"
#include "runtime/core/Core.h"

namespace {
// No n below 2^31 has more than 1,600 divisors (2,095,133,040 has that many), so at most
// 799 of them lie above the square root, apart from n itself.
constexpr int32_t MAX_LARGE_DIVISORS = 800;

void AppendJoined(const char* join, int32_t value) {
    AppendText(join);
    AppendNumber(value);
}

// Appends the prime factors of n >= 2 in non-decreasing order. Once d * d > n, what is
// left of n is 1 or a prime.
void AppendPrimeFactors(int32_t n, const char* separator) {
    const char* join = "";
    while (Remainder(n, 2) == 0) {
        AppendJoined(join, 2);
        join = separator;
        n /= 2;
    }
    // d <= n / d rather than d * d <= n, which would overflow near 2^31.
    for (int32_t d = 3; d <= n / d; d += 2) {
        while (Remainder(n, d) == 0) {
            AppendJoined(join, d);
            join = separator;
            n /= d;
        }
    }
    if (n > 1) {
        AppendJoined(join, n);
    }
}

// Appends 1, every divisor of n from 2 to half of n ascending, then n. For n <= 1 there is
// none between; 0 and negative n give just "1" and n. Each d up to the square root brings
// its partner n / d; the partners come out in reverse order of finding, which is ascending.
void AppendDivisors(int32_t n, const char* separator) {
    AppendText("1");
    int32_t partners[MAX_LARGE_DIVISORS];
    int32_t partnerCount = 0;
    for (int32_t d = 2; d <= n / d; d++) {
        if (Remainder(n, d) == 0) {
            AppendJoined(separator, d);
            int32_t partner = n / d;
            if (partner != d && partnerCount < MAX_LARGE_DIVISORS) {
                partners[partnerCount++] = partner;
            }
        }
    }
    while (partnerCount > 0) {
        AppendJoined(separator, partners[--partnerCount]);
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
