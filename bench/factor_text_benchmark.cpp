// Time per number of the factor and divisor texts, each built at the cursor and assigned to
// a slot as for one row of the list: the first call of the process (which fills the prime
// table), 20,000 random numbers in [2^30, 2^31) from a printed seed, every number of
// 1..100,000, and the numbers that cost the most. The plain trial-division reference is
// timed only over 1..10,000: near 2^31 it takes seconds per number.
#include "app/App.h"
#include "runtime/core/Core.h"
#include "tests/app/PlainTrialDivision.h"

#include <stdint.h>
#include <stdio.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

typedef char* (*TextProcedure)(int32_t n, const char* separator);

struct Algorithm {
    const char* name;
    TextProcedure factors;
    TextProcedure divisors;
};

const Algorithm FAST = {"table", PrimeFactorText, DivisorText};
const Algorithm PLAIN = {"plain reference", plain_trial_division::PrimeFactorText,
                         plain_trial_division::DivisorText};

double secondsPerTick;

int64_t Now() {
    LARGE_INTEGER ticks;
    QueryPerformanceCounter(&ticks);
    return ticks.QuadPart;
}

double Microseconds(int64_t ticks) {
    return static_cast<double>(ticks) * secondsPerTick * 1e6;
}

// The time of one row's two texts, in ticks.
struct RowTime {
    int64_t factors;
    int64_t divisors;
};

RowTime TimeRow(const Algorithm& algorithm, int32_t n) {
    StringSlot factorText = nullptr;
    StringSlot divisorText = nullptr;
    int64_t start = Now();
    AssignFromScratch(&factorText, algorithm.factors(n, ", "));
    int64_t factorsDone = Now();
    AssignFromScratch(&divisorText, algorithm.divisors(n, ", "));
    int64_t divisorsDone = Now();
    FreeText(factorText);
    FreeText(divisorText);
    return {factorsDone - start, divisorsDone - factorsDone};
}

// Mean and worst of one measured quantity over a set of numbers.
struct Figures {
    int64_t totalTicks = 0;
    int64_t worstTicks = -1;
    int32_t worstNumber = 0;

    void Add(int64_t ticks, int32_t n) {
        totalTicks += ticks;
        if (ticks > worstTicks) {
            worstTicks = ticks;
            worstNumber = n;
        }
    }
};

struct RowFigures {
    Figures both;
    Figures factors;
    Figures divisors;

    void Add(const RowTime& time, int32_t n) {
        both.Add(time.factors + time.divisors, n);
        factors.Add(time.factors, n);
        divisors.Add(time.divisors, n);
    }
};

// The median of repeated rows of one number tells its cost apart from a preempted run.
double MedianRowMicroseconds(const Algorithm& algorithm, int32_t n, int32_t repeats) {
    std::vector<int64_t> times;
    for (int32_t i = 0; i < repeats; i++) {
        RowTime time = TimeRow(algorithm, n);
        times.push_back(time.factors + time.divisors);
    }
    std::sort(times.begin(), times.end());
    return Microseconds(times[times.size() / 2]);
}

void PrintFigures(const char* what, const Figures& figures, int32_t count) {
    printf("  %-9s mean %9.3f us   worst %9.3f us at %ld\n", what,
           Microseconds(figures.totalTicks) / count, Microseconds(figures.worstTicks),
           static_cast<long>(figures.worstNumber));
}

void PrintRowFigures(const Algorithm& algorithm, const RowFigures& figures, int32_t count) {
    PrintFigures("both", figures.both, count);
    PrintFigures("factors", figures.factors, count);
    PrintFigures("divisors", figures.divisors, count);
    printf("  the worst number again, median of 101 rows: %.3f us\n",
           MedianRowMicroseconds(algorithm, figures.both.worstNumber, 101));
    fflush(stdout);
}

void MeasureRange(const Algorithm& algorithm, int32_t first, int32_t last) {
    RowFigures figures;
    for (int32_t n = first; n <= last; n++) {
        figures.Add(TimeRow(algorithm, n), n);
    }
    int32_t count = last - first + 1;
    printf("%s, every number of %ld..%ld, total %.3f s\n", algorithm.name, static_cast<long>(first),
           static_cast<long>(last), Microseconds(figures.both.totalTicks) / 1e6);
    PrintRowFigures(algorithm, figures, count);
}

constexpr int32_t RANDOM_COUNT = 20000;
constexpr uint32_t RANDOM_SEED = 20240611;
constexpr int32_t TWO_TO_30 = INT32_C(1) << 30;
// A row that took long may only have been preempted: the slowest are timed again.
constexpr int32_t SLOWEST_RETIMED = 20;
constexpr int32_t RETIME_REPEATS = 31;

void MeasureRandom(const Algorithm& algorithm) {
    RowFigures figures;
    std::vector<std::pair<int64_t, int32_t>> rows;
    // xorshift32: the same numbers in every run with the same seed.
    uint32_t state = RANDOM_SEED;
    for (int32_t i = 0; i < RANDOM_COUNT; i++) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        int32_t n = TWO_TO_30 + static_cast<int32_t>(state & (TWO_TO_30 - 1));
        RowTime time = TimeRow(algorithm, n);
        figures.Add(time, n);
        rows.push_back({time.factors + time.divisors, n});
    }
    printf("%s, %ld random numbers in [2^30, 2^31), xorshift32 seed %lu\n", algorithm.name,
           static_cast<long>(RANDOM_COUNT), static_cast<unsigned long>(RANDOM_SEED));
    PrintFigures("both", figures.both, RANDOM_COUNT);
    PrintFigures("factors", figures.factors, RANDOM_COUNT);
    PrintFigures("divisors", figures.divisors, RANDOM_COUNT);

    std::sort(rows.begin(), rows.end());
    double worstMedian = 0;
    int32_t worstNumber = 0;
    for (int32_t i = 0; i < SLOWEST_RETIMED; i++) {
        int32_t n = rows[rows.size() - 1 - i].second;
        double median = MedianRowMicroseconds(algorithm, n, RETIME_REPEATS);
        if (median > worstMedian) {
            worstMedian = median;
            worstNumber = n;
        }
    }
    printf("  the %ld slowest rows timed again, median of %ld each: worst %.3f us at %ld\n",
           static_cast<long>(SLOWEST_RETIMED), static_cast<long>(RETIME_REPEATS), worstMedian,
           static_cast<long>(worstNumber));
    fflush(stdout);
}

struct NamedNumber {
    int32_t n;
    const char* what;
};

const NamedNumber HARD_NUMBERS[] = {
    {2095133040, "1,600 divisors"},
    {1102701600, "1,440 divisors"},
    {2147483647, "2^31 - 1, prime"},
    {2147483629, "prime"},
    {2147483587, "prime"},
    {2147117569, "46337^2"},
    {TWO_TO_30, "2^30"},
};

constexpr int32_t HARD_REPEATS = 201;

void MeasureHardNumbers(const Algorithm& algorithm) {
    printf("%s, the costly numbers, %ld rows each: median (mean, slowest) in us\n", algorithm.name,
           static_cast<long>(HARD_REPEATS));
    for (const NamedNumber& number : HARD_NUMBERS) {
        RowFigures figures;
        std::vector<int64_t> both;
        std::vector<int64_t> factors;
        std::vector<int64_t> divisors;
        for (int32_t i = 0; i < HARD_REPEATS; i++) {
            RowTime time = TimeRow(algorithm, number.n);
            figures.Add(time, number.n);
            both.push_back(time.factors + time.divisors);
            factors.push_back(time.factors);
            divisors.push_back(time.divisors);
        }
        for (std::vector<int64_t>* times : {&both, &factors, &divisors}) {
            std::sort(times->begin(), times->end());
        }
        printf("  %10ld %-15s both %7.3f (%7.3f, %8.3f)   factors %7.3f   divisors %7.3f\n",
               static_cast<long>(number.n), number.what, Microseconds(both[HARD_REPEATS / 2]),
               Microseconds(figures.both.totalTicks) / HARD_REPEATS,
               Microseconds(figures.both.worstTicks), Microseconds(factors[HARD_REPEATS / 2]),
               Microseconds(divisors[HARD_REPEATS / 2]));
    }
    fflush(stdout);
}

// The first call of the process fills the prime table; the first rows after it show what
// else a cold start costs.
void MeasureFirstCall() {
    int64_t start = Now();
    int32_t count = 0;
    TrialDivisionPrimes(&count);
    int64_t filled = Now();
    RowTime first = TimeRow(FAST, 2147483647);
    RowTime second = TimeRow(FAST, 2147483647);
    printf("prime table filled at first use: %.3f us (%ld primes); then the row of 2147483647: "
           "%.3f us, and again: %.3f us\n",
           Microseconds(filled - start), static_cast<long>(count),
           Microseconds(first.factors + first.divisors),
           Microseconds(second.factors + second.divisors));
    fflush(stdout);
}

void MeasureTimer() {
    constexpr int32_t READS = 100000;
    int64_t start = Now();
    for (int32_t i = 0; i < READS; i++) {
        Now();
    }
    printf("QueryPerformanceCounter at %.0f Hz, %.3f us a read\n", 1.0 / secondsPerTick,
           Microseconds(Now() - start) / READS);
    fflush(stdout);
}

} // namespace

void MainProgram() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    secondsPerTick = 1.0 / static_cast<double>(frequency.QuadPart);
    MeasureFirstCall();
    MeasureTimer();

    MeasureRandom(FAST);
    MeasureHardNumbers(FAST);
    MeasureRange(FAST, 1, 100000);

    MeasureRange(FAST, 1, 10000);
    MeasureRange(PLAIN, 1, 10000);
    ExitProcess(0);
}

int main() {
    StartUp();
}
