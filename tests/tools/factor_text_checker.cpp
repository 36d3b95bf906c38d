// Checks the tool's own factor and divisor texts for every number of the given ranges and
// proves each row right by means of its own (tests/app/FactorTextProof.h). The text
// procedures share one scratch buffer per process, so the work goes to one process of this
// program per processor, each taking every W-th block of rows; they count in shared memory,
// which this process reads for a progress line every 5 seconds. Exit code 0 when every row
// was checked and none was wrong; the wrong rows found first are named.
//   factor_text_checker.exe RANGE...      RANGE: FIRST..LAST (inclusive), or "hard": a
//                                         window of 1,000 numbers on each side of every
//                                         hard place
// Its last line: "checked N rows, FIRST..LAST: W wrong".
#include "app/App.h"
#include "runtime/core/Core.h"
#include "tests/EndOnUnhandledException.h"
#include "tests/app/FactorTextProof.h"

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

namespace {
constexpr int64_t BLOCK_ROWS = 1 << 16;
constexpr int64_t HARD_PLACE_WINDOW = 1000;
constexpr int32_t REPORTED_WRONG_ROWS = 10;
constexpr DWORD PROGRESS_MILLISECONDS = 5000;
constexpr char SEPARATOR[] = ", ";

struct Range {
    int64_t first;
    int64_t last;
};

// What one worker process reports, in memory shared with the coordinator.
struct WorkerReport {
    std::atomic<int64_t> rowsChecked;
    // The number being checked: where a worker that ends by a fault stopped.
    std::atomic<int64_t> currentNumber;
    std::atomic<int64_t> wrongRows;
    // The first wrong numbers the worker found; it takes its blocks in ascending order.
    std::atomic<int64_t> reportedWrong[REPORTED_WRONG_ROWS];
};
static_assert(std::atomic<int64_t>::is_always_lock_free, "shared between processes");

int argumentCount;
char** arguments;

[[noreturn]] void EndProcess(int32_t code) {
    fflush(stdout);
    fflush(stderr);
    // Nothing is left to clean up; ending at once keeps the platform's DLL detach away.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(code));
    ExitProcess(static_cast<UINT>(code));
}

[[noreturn]] void Usage(const char* problem) {
    fprintf(stderr,
            "factor_text_checker: %s\nusage: factor_text_checker.exe RANGE...\n"
            "  RANGE: FIRST..LAST, or hard (1,000 numbers each side of the hard places)\n",
            problem);
    EndProcess(2);
}

bool ReadSignedNumber(const std::string& text, int64_t* value) {
    char* end = nullptr;
    *value = strtoll(text.c_str(), &end, 10);
    return !text.empty() && *end == 0 && *value >= INT32_MIN && *value <= INT32_MAX;
}

void AddRange(std::vector<Range>* ranges, int64_t first, int64_t last) {
    ranges->push_back({std::max<int64_t>(first, INT32_MIN), std::min<int64_t>(last, INT32_MAX)});
}

// The ranges of the arguments from `firstArgument` on, ascending and without overlaps.
std::vector<Range> ReadRanges(int32_t firstArgument) {
    std::vector<Range> ranges;
    for (int32_t i = firstArgument; i < argumentCount; i++) {
        std::string argument = arguments[i];
        if (argument == "hard") {
            for (int32_t place : factor_text_proof::HardPlaces()) {
                AddRange(&ranges, place - HARD_PLACE_WINDOW, place + HARD_PLACE_WINDOW);
            }
            continue;
        }
        size_t dots = argument.find("..");
        int64_t first = 0;
        int64_t last = 0;
        if (dots == std::string::npos || !ReadSignedNumber(argument.substr(0, dots), &first) ||
            !ReadSignedNumber(argument.substr(dots + 2), &last) || first > last) {
            Usage(("not a range of signed 32-bit numbers: " + argument).c_str());
        }
        AddRange(&ranges, first, last);
    }
    if (ranges.empty()) {
        Usage("no range given");
    }
    std::sort(ranges.begin(), ranges.end(),
              [](const Range& a, const Range& b) { return a.first < b.first; });
    std::vector<Range> merged = {ranges[0]};
    for (const Range& range : ranges) {
        if (range.first <= merged.back().last + 1) {
            merged.back().last = std::max(merged.back().last, range.last);
        } else {
            merged.push_back(range);
        }
    }
    return merged;
}

int64_t CountRows(const std::vector<Range>& ranges) {
    int64_t rows = 0;
    for (const Range& range : ranges) {
        rows += range.last - range.first + 1;
    }
    return rows;
}

// The ranges cut into blocks of BLOCK_ROWS rows (a range's last block may be shorter).
std::vector<Range> CutIntoBlocks(const std::vector<Range>& ranges) {
    std::vector<Range> blocks;
    for (const Range& range : ranges) {
        for (int64_t first = range.first; first <= range.last; first += BLOCK_ROWS) {
            blocks.push_back({first, std::min(first + BLOCK_ROWS - 1, range.last)});
        }
    }
    return blocks;
}

// The two texts of n as the tool builds them, one after the other in ScratchBuffer; the
// caller releases the cursor to `mark` after use. A text is null when it could not be built.
void BuildTexts(int32_t n, char* mark, const char** factors, const char** divisors) {
    ReleaseScratch(mark);
    *factors = PrimeFactorText(n, SEPARATOR);
    SealScratch();
    *divisors = DivisorText(n, SEPARATOR);
}

// ---- A worker: checks blocks worker, worker + workers, ... and reports as it goes.
[[noreturn]] void RunWorker(int32_t worker, int32_t workers, const char* mappingName,
                            const std::vector<Range>& blocks) {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, mappingName);
    auto* reports =
        mapping != nullptr
            ? static_cast<WorkerReport*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0))
            : nullptr;
    if (reports == nullptr) {
        fprintf(stderr, "worker %d: no shared memory \"%s\"\n", worker, mappingName);
        EndProcess(2);
    }
    WorkerReport& report = reports[worker];
    char* mark = MarkScratch();
    int64_t wrong = 0;
    for (size_t b = static_cast<size_t>(worker); b < blocks.size(); b += workers) {
        for (int64_t number = blocks[b].first; number <= blocks[b].last; number++) {
            int32_t n = static_cast<int32_t>(number);
            report.currentNumber.store(n, std::memory_order_relaxed);
            const char* factors = nullptr;
            const char* divisors = nullptr;
            BuildTexts(n, mark, &factors, &divisors);
            if (factor_text_proof::FindRowFault(n, factors, divisors) != nullptr) {
                if (wrong < REPORTED_WRONG_ROWS) {
                    report.reportedWrong[wrong].store(n);
                }
                report.wrongRows.store(++wrong);
            }
        }
        report.rowsChecked.fetch_add(blocks[b].last - blocks[b].first + 1);
    }
    ReleaseScratch(mark);
    EndProcess(0);
}

// ---- The coordinator: starts the workers, prints progress, names the first wrong rows.
HANDLE StartWorker(int32_t worker, int32_t workers, const char* mappingName) {
    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, sizeof program);
    std::string commandLine = std::string("\"") + program + "\" --worker " +
                              std::to_string(worker) + " " + std::to_string(workers) + " " +
                              mappingName;
    for (int32_t i = 1; i < argumentCount; i++) {
        commandLine += std::string(" ") + arguments[i];
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

std::string Duration(double seconds) {
    char text[32];
    int64_t whole = static_cast<int64_t>(seconds + 0.5);
    snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(whole / 3600),
             static_cast<long long>(whole / 60 % 60), static_cast<long long>(whole % 60));
    return text;
}

void PrintWrongRow(int32_t n) {
    const char* factors = nullptr;
    const char* divisors = nullptr;
    char* mark = MarkScratch();
    BuildTexts(n, mark, &factors, &divisors);
    const char* fault = factor_text_proof::FindRowFault(n, factors, divisors);
    printf("wrong row %ld: factors \"%s\", divisors \"%s\": %s\n", static_cast<long>(n),
           factors != nullptr ? factors : "(none)", divisors != nullptr ? divisors : "(none)",
           fault != nullptr ? fault : "right when built again");
    ReleaseScratch(mark);
}

[[noreturn]] void Coordinate(const std::vector<Range>& ranges) {
    int64_t totalRows = CountRows(ranges);
    size_t blockCount = CutIntoBlocks(ranges).size();
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    int32_t workers = static_cast<int32_t>(
        std::min<size_t>(std::max<DWORD>(system.dwNumberOfProcessors, 1), blockCount));
    printf("checking %lld rows, %lld..%lld in %zu ranges, with %d processes\n",
           static_cast<long long>(totalRows), static_cast<long long>(ranges.front().first),
           static_cast<long long>(ranges.back().last), ranges.size(), workers);
    fflush(stdout);

    char mappingName[64];
    snprintf(mappingName, sizeof mappingName, "Local\\factor_text_checker_%lu",
             GetCurrentProcessId());
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(WorkerReport) * workers, mappingName);
    auto* reports =
        mapping != nullptr
            ? static_cast<WorkerReport*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0))
            : nullptr;
    if (reports == nullptr) {
        fprintf(stderr, "factor_text_checker: no shared memory\n");
        EndProcess(2);
    }
    std::vector<HANDLE> processes;
    for (int32_t worker = 0; worker < workers; worker++) {
        HANDLE process = StartWorker(worker, workers, mappingName);
        if (process == nullptr) {
            fprintf(stderr, "factor_text_checker: worker %d could not start\n", worker);
            EndProcess(2);
        }
        processes.push_back(process);
    }

    auto rowsChecked = [&] {
        int64_t rows = 0;
        for (int32_t worker = 0; worker < workers; worker++) {
            rows += reports[worker].rowsChecked.load();
        }
        return rows;
    };
    ULONGLONG started = GetTickCount64();
    while (WaitForMultipleObjects(static_cast<DWORD>(workers), processes.data(), TRUE,
                                  PROGRESS_MILLISECONDS) == WAIT_TIMEOUT) {
        double seconds = static_cast<double>(GetTickCount64() - started) / 1000;
        int64_t done = rowsChecked();
        double rate = static_cast<double>(done) / seconds;
        printf("done %lld of %lld rows (%.1f%%), %.0f rows/s, %s elapsed, about %s left\n",
               static_cast<long long>(done), static_cast<long long>(totalRows),
               100.0 * static_cast<double>(done) / static_cast<double>(totalRows), rate,
               Duration(seconds).c_str(),
               rate > 0 ? Duration(static_cast<double>(totalRows - done) / rate).c_str() : "?");
        fflush(stdout);
    }
    double seconds = static_cast<double>(GetTickCount64() - started) / 1000;

    bool whole = true;
    int64_t wrongRows = 0;
    std::vector<int32_t> firstWrong;
    for (int32_t worker = 0; worker < workers; worker++) {
        DWORD status = 0;
        GetExitCodeProcess(processes[worker], &status);
        if (status != 0) {
            printf("worker %d ended with status 0x%lx at row %lld\n", worker, status,
                   static_cast<long long>(reports[worker].currentNumber.load()));
            whole = false;
        }
        int64_t wrong = reports[worker].wrongRows.load();
        wrongRows += wrong;
        for (int64_t i = 0; i < std::min<int64_t>(wrong, REPORTED_WRONG_ROWS); i++) {
            firstWrong.push_back(static_cast<int32_t>(reports[worker].reportedWrong[i].load()));
        }
    }
    std::sort(firstWrong.begin(), firstWrong.end());
    firstWrong.resize(std::min<size_t>(firstWrong.size(), REPORTED_WRONG_ROWS));
    for (int32_t n : firstWrong) {
        PrintWrongRow(n);
    }
    int64_t done = rowsChecked();
    if (done != totalRows) {
        printf("only %lld of %lld rows were checked\n", static_cast<long long>(done),
               static_cast<long long>(totalRows));
        whole = false;
    }
    printf("%.1f s, %.0f rows/s on %d processes\n", seconds, static_cast<double>(done) / seconds,
           workers);
    printf("checked %lld rows, %lld..%lld: %lld wrong\n", static_cast<long long>(done),
           static_cast<long long>(ranges.front().first), static_cast<long long>(ranges.back().last),
           static_cast<long long>(wrongRows));
    EndProcess(whole && wrongRows == 0 ? 0 : 1);
}
} // namespace

void MainProgram() {
    EndProcessOnFault();
    if (argumentCount >= 5 && strcmp(arguments[1], "--worker") == 0) {
        RunWorker(atoi(arguments[2]), atoi(arguments[3]), arguments[4],
                  CutIntoBlocks(ReadRanges(5)));
    }
    Coordinate(ReadRanges(1));
}

int main(int count, char** values) {
    argumentCount = count;
    arguments = values;
    StartUp();
}
