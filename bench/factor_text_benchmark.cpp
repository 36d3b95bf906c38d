// Time per number of the factor and divisor texts, built and assigned as the processing
// loop does for a row, for the fast texts and for the plain trial-division reference:
// over 1..100,000 and over the 100 numbers 2,147,483,548..2,147,483,647 (the top of the
// range, 2^31 - 1 included).
#include "app/App.h"
#include "runtime/core/Core.h"
#include "tests/app/PlainTrialDivision.h"

#include <stdint.h>
#include <stdio.h>

namespace {

typedef char* (*TextProcedure)(int32_t n, const char* separator);

struct Algorithm {
    const char* name;
    TextProcedure factors;
    TextProcedure divisors;
};

const Algorithm FAST = {"fast", PrimeFactorText, DivisorText};
const Algorithm PLAIN = {"plain reference", plain_trial_division::PrimeFactorText,
                         plain_trial_division::DivisorText};

// Mean and worst of one measured quantity over a set of numbers.
struct Figures {
    double totalSeconds = 0;
    double worstSeconds = 0;
    int32_t worstNumber = 0;

    void Add(double seconds, int32_t n) {
        totalSeconds += seconds;
        if (seconds > worstSeconds) {
            worstSeconds = seconds;
            worstNumber = n;
        }
    }
};

double secondsPerTick;

int64_t Now() {
    LARGE_INTEGER ticks;
    QueryPerformanceCounter(&ticks);
    return ticks.QuadPart;
}

void PrintFigures(const char* what, const Figures& figures, int32_t count) {
    printf("  %-9s mean %12.3f us   worst %12.3f us at %ld\n", what,
           figures.totalSeconds / count * 1e6, figures.worstSeconds * 1e6,
           static_cast<long>(figures.worstNumber));
}

// Each text is made at the cursor and assigned to a slot, as for one row of the list.
void Measure(const Algorithm& algorithm, const char* range, int32_t first, int32_t count) {
    Figures factorFigures;
    Figures divisorFigures;
    Figures rowFigures;
    StringSlot factorText = nullptr;
    StringSlot divisorText = nullptr;
    for (int32_t i = 0; i < count; i++) {
        int32_t n = first + i;
        int64_t start = Now();
        AssignFromScratch(&factorText, algorithm.factors(n, ", "));
        int64_t factorsDone = Now();
        AssignFromScratch(&divisorText, algorithm.divisors(n, ", "));
        int64_t divisorsDone = Now();
        factorFigures.Add((factorsDone - start) * secondsPerTick, n);
        divisorFigures.Add((divisorsDone - factorsDone) * secondsPerTick, n);
        rowFigures.Add((divisorsDone - start) * secondsPerTick, n);
    }
    FreeText(factorText);
    FreeText(divisorText);
    printf("%s, %s (%ld numbers), total %.3f s\n", algorithm.name, range, static_cast<long>(count),
           rowFigures.totalSeconds);
    PrintFigures("both", rowFigures, count);
    PrintFigures("factors", factorFigures, count);
    PrintFigures("divisors", divisorFigures, count);
    fflush(stdout);
}

constexpr int32_t SMALL_FIRST = 1;
constexpr int32_t SMALL_COUNT = 100000;
constexpr int32_t LARGE_COUNT = 100;
constexpr int32_t LARGE_FIRST = INT32_MAX - LARGE_COUNT + 1;

} // namespace

void MainProgram() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    secondsPerTick = 1.0 / static_cast<double>(frequency.QuadPart);
    printf("QueryPerformanceCounter at %lld Hz\n", static_cast<long long>(frequency.QuadPart));
    fflush(stdout);

    Measure(FAST, "1..100000", SMALL_FIRST, SMALL_COUNT);
    Measure(FAST, "2147483548..2147483647", LARGE_FIRST, LARGE_COUNT);
    Measure(PLAIN, "1..100000", SMALL_FIRST, SMALL_COUNT);
    Measure(PLAIN, "2147483548..2147483647", LARGE_FIRST, LARGE_COUNT);
    ExitProcess(0);
}

int main() {
    StartUp();
}
