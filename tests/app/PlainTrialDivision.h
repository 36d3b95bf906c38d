// The plain trial-division reference for the factor and divisor texts of n >= 1: trial
// division from 2 upwards that restarts at 2 after every factor, divisors tried up to half
// of n, and a new expression for every join. Slow on purpose (a prime p costs p - 1 Remainder
// calls), it is the oracle of the tests and the baseline of the benchmark. Both follow the same
// result convention as the application's text procedures.
#pragma once

#include "app/App.h"
#include "runtime/core/Core.h"

#include <stdint.h>

namespace plain_trial_division {

inline void AppendToSlot(StringSlot* slot, const char* text) {
    char* start = MarkScratch();
    AppendText(*slot);
    AppendText(text);
    AssignFromScratch(slot, start);
}

inline void AppendNumberToSlot(StringSlot* slot, int32_t value) {
    char* start = MarkScratch();
    AppendText(*slot);
    AppendNumber(value);
    AssignFromScratch(slot, start);
}

inline char* ReturnText(StringSlot result, StringSlot separatorCopy) {
    char* resultPosition = MarkScratch();
    AppendText(result);
    FreeText(result);
    FreeText(separatorCopy);
    return resultPosition;
}

// Defined for n >= 1 only: for 0 and negative n the search does not end in reasonable time.
inline char* PrimeFactorText(int32_t n, const char* separator) {
    StringSlot separatorCopy = nullptr;
    CopyText(&separatorCopy, separator);
    StringSlot result = nullptr;
    if (n != 1) {
        AssignText(&result, "");
        int32_t factorCount = 0;
        while (n != 1) {
            int32_t d = 2;
            bool found = false;
            while (!found) {
                if (Remainder(n, d) == 0) {
                    if (factorCount != 0) {
                        AppendToSlot(&result, separatorCopy);
                    }
                    AppendNumberToSlot(&result, d);
                    n /= d;
                    found = true;
                    factorCount++;
                } else {
                    // d restarts at 2 after a factor; stepping it then would overflow for
                    // the factor 2147483647.
                    d++;
                }
            }
        }
    }
    return ReturnText(result, separatorCopy);
}

inline char* DivisorText(int32_t n, const char* separator) {
    StringSlot separatorCopy = nullptr;
    CopyText(&separatorCopy, separator);
    StringSlot result = nullptr;
    AssignText(&result, "1");
    int32_t half = n >> 1;
    for (int32_t d = 2; d <= half; d++) {
        if (Remainder(n, d) == 0) {
            AppendToSlot(&result, separatorCopy);
            AppendNumberToSlot(&result, d);
        }
    }
    // 1 is its own only divisor.
    if (n != 1) {
        AppendToSlot(&result, separatorCopy);
        AppendNumberToSlot(&result, n);
    }
    return ReturnText(result, separatorCopy);
}

} // namespace plain_trial_division
