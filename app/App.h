// The application: the main program with its processing loop, and the text procedures
// that produce the factor and divisor columns.
#pragma once

#include <stdint.h>

// a - (a / b) * b with truncating division: the remainder with the sign of a. Yields a
// for b = 0 and 0 for b = -1 instead of faulting.
int32_t Remainder(int32_t a, int32_t b);

// Text procedures: each writes its text at the scratch cursor and returns where it starts
// (a scratch text); the caller assigns it at once.
//
// The prime factors of n in non-decreasing order, joined by separator; the empty text for
// n <= 1.
char* PrimeFactorText(int32_t n, const char* separator);
// 1, every divisor of n from 2 to half of n in increasing order, then n itself.
char* DivisorText(int32_t n, const char* separator);
