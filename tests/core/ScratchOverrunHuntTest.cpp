// A randomized hunt for reads and writes past the end of ScratchBuffer. For the hunt the
// buffer is moved in front of a page the process may not touch, so that any access past its
// last byte faults at once. Random sequences of the engine's operations, the two text
// procedures and control reads then run over it, starting near the end more often than not.
#include "app/App.h"
#include "runtime/control/Control.h"
#include "runtime/core/Core.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {
constexpr uint32_t SEED = 8061977;
// 9 s on a quiet machine here, up to 25 s beside other work; the test prints what it ran
// and how long it took.
constexpr int SEQUENCES = 1000000;
constexpr int LONGEST_SEQUENCE = 8;
constexpr int LONGEST_TEXT = 70000;
constexpr int SLOT_COUNT = 4;
constexpr size_t DEEPEST_MARKS = 16;
constexpr int32_t FIELD = 1;
constexpr int32_t LIST = 2;
// Longer than each reader's limit: 4,999 for the field, 59,999 for the list's focused row,
// 9,999 for a cell.
constexpr size_t FIELD_TEXT_LENGTH = 6000;
constexpr size_t ROW_TEXT_LENGTH = 65000;
constexpr size_t CELL_TEXT_LENGTH = 12000;

enum Step {
    MARK,
    APPEND_TEXT,
    APPEND_SCRATCH_TEXT,
    APPEND_NUMBER,
    SEAL,
    RELEASE,
    ASSIGN_FROM_SCRATCH,
    ASSIGN_TEXT,
    PRIME_FACTOR_TEXT,
    DIVISOR_TEXT,
    READ_FIELD,
    READ_LIST_ROW,
    READ_LIST_CELL,
    TEXT_TO_NUMBER,
    STEP_KINDS
};

const char* const StepNames[STEP_KINDS] = {
    "MarkScratch",
    "AppendText",
    "AppendText of a scratch text",
    "AppendNumber",
    "SealScratch",
    "ReleaseScratch",
    "AssignFromScratch",
    "AssignText",
    "PrimeFactorText",
    "DivisorText",
    "ReadControlText of the field",
    "ReadControlText of the list",
    "ReadControlCell",
    "TextToNumber",
};

// Out of 100; cheap steps often, the text procedures and the long reads rarely.
const int StepWeights[STEP_KINDS] = {14, 16, 4, 12, 12, 12, 8, 4, 3, 3, 4, 1, 2, 5};

// Where the hunt stands, for the report of an access to the guard page.
struct HuntPosition {
    const char* step;
    int index;
    int sequence;
};
HuntPosition position;
const char* guardPage;
size_t guardPageSize;

// An access past the buffer faults on the guard page; the process would end without a word,
// so this says where the hunt stood and ends it.
LONG CALLBACK ReportGuardPageAccess(EXCEPTION_POINTERS* exception) {
    const EXCEPTION_RECORD* record = exception->ExceptionRecord;
    if (record->ExceptionCode != EXCEPTION_ACCESS_VIOLATION || record->NumberParameters < 2) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    const char* address = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
    if (address < guardPage || address >= guardPage + guardPageSize) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    printf("%s, step %d of sequence %d (seed %u): %s byte %d past the end of ScratchBuffer\n",
           position.step, position.index, position.sequence, SEED,
           record->ExceptionInformation[0] != 0 ? "wrote" : "read",
           static_cast<int>(address - guardPage) + 1);
    fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 1);
    return EXCEPTION_CONTINUE_SEARCH;
}

using HeapBlocks = std::vector<std::pair<const void*, SIZE_T>>;

HeapBlocks BlocksInUse(HANDLE heap) {
    HeapBlocks blocks;
    HeapLock(heap);
    PROCESS_HEAP_ENTRY entry = {};
    while (HeapWalk(heap, &entry)) {
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
            blocks.push_back({entry.lpData, entry.cbData});
        }
    }
    HeapUnlock(heap);
    std::sort(blocks.begin(), blocks.end());
    return blocks;
}

std::string Letters(size_t length, char first) {
    std::string text(length, ' ');
    for (size_t i = 0; i < length; i++) {
        text[i] = static_cast<char>(first + i % 26);
    }
    return text;
}

class ScratchOverrunHunt : public testing::Test {
  protected:
    void SetUp() override {
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        size_t page = system.dwPageSize;
        size_t usable = (SCRATCH_BUFFER_SIZE + page - 1) / page * page;
        region = static_cast<char*>(
            VirtualAlloc(nullptr, usable + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        ASSERT_NE(region, nullptr);
        DWORD previous;
        ASSERT_TRUE(VirtualProtect(region + usable, page, PAGE_NOACCESS, &previous));
        savedBuffer = ScratchBuffer;
        savedCursor = ScratchCursor;
        guardPage = region + usable;
        guardPageSize = page;
        faultReporter = AddVectoredExceptionHandler(1, ReportGuardPageAccess);
        ASSERT_NE(faultReporter, nullptr);
        ScratchBuffer = region + usable - SCRATCH_BUFFER_SIZE;
        ScratchCursor = ScratchBuffer;
        last = ScratchBuffer + SCRATCH_BUFFER_SIZE - 1;

        parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                                 ModuleInstance, nullptr);
        ASSERT_NE(parent, nullptr);
        SetControlParent(parent);
        fieldText = Letters(FIELD_TEXT_LENGTH, 'a');
        ASSERT_NE(CreateEditField(FIELD, 0, 0, 100, 20, fieldText.c_str(), 0), nullptr);
        ASSERT_EQ(GetWindowTextLengthA(GetDlgItem(parent, FIELD)),
                  static_cast<int>(fieldText.size()));
        rowText = Letters(ROW_TEXT_LENGTH, 'A');
        cellText = Letters(CELL_TEXT_LENGTH, 'a');
        ASSERT_NE(CreateReportList(LIST, 0, 30, 300, 100, "Zahl", 50), nullptr);
        AddReportColumn(LIST, 1, "Teiler", 100);
        AddControlRow(LIST, -1, (rowText + "\n" + cellText).c_str());
        SetControlState(LIST, 0);
        ASSERT_EQ(GetControlState(LIST), 0);

        std::mt19937 random(SEED ^ 0x5A5A5A5A);
        pool.resize(1000 + LONGEST_TEXT + 1);
        for (char& c : pool) {
            c = static_cast<char>(1 + random() % 255);
        }
    }
    void TearDown() override {
        for (StringSlot& slot : slots) {
            AssignText(&slot, nullptr);
        }
        ScratchBuffer = savedBuffer;
        ScratchCursor = savedCursor;
        if (parent != nullptr) {
            DestroyWindow(parent);
        }
        SetControlParent(nullptr);
        if (faultReporter != nullptr) {
            RemoveVectoredExceptionHandler(faultReporter);
        }
        if (region != nullptr) {
            VirtualFree(region, 0, MEM_RELEASE);
        }
    }

    size_t Room() const {
        return static_cast<size_t>(last - ScratchCursor) + 1;
    }

    // One step; returns where the cursor must stand after it, or null when the step has no
    // exact expectation. Sets `wrong` when the step wrote something else than it should.
    const char* RunStep(Step step, std::mt19937& random, const char** wrong);

    std::string PoolText(std::mt19937& random, size_t length);

    char* region = nullptr;
    void* faultReporter = nullptr;
    char* savedBuffer = nullptr;
    char* savedCursor = nullptr;
    char* last = nullptr;
    char* sequenceStart = nullptr;
    HWND parent = nullptr;
    std::string fieldText, rowText, cellText;
    std::string pool;
    std::vector<char*> marks;
    StringSlot slots[SLOT_COUNT] = {};
};

int32_t InterestingNumber(std::mt19937& random) {
    static const int32_t extremes[] = {INT32_MIN,  INT32_MIN + 1, -6,       -1, 0, 1, 2, 12, 720720,
                                       2095133040, INT32_MAX - 1, INT32_MAX};
    switch (random() % 4) {
    case 0:
        return extremes[random() % (sizeof extremes / sizeof extremes[0])];
    case 1:
        return static_cast<int32_t>(random());
    default:
        return static_cast<int32_t>(random() % 100000);
    }
}

// A number for the text procedures: their cost grows with the square root of the number, so
// the large ones come rarely.
int32_t NumberToFactor(std::mt19937& random) {
    if (random() % 16 == 0) {
        return InterestingNumber(random);
    }
    static const int32_t manyDivisors[] = {720720, 55440, 5040, 360360};
    return random() % 2 ? manyDivisors[random() % 4] : static_cast<int32_t>(random() % 5000) - 100;
}

std::string ScratchOverrunHunt::PoolText(std::mt19937& random, size_t length) {
    size_t offset = random() % 1000;
    return pool.substr(offset, length);
}

const char* ScratchOverrunHunt::RunStep(Step step, std::mt19937& random, const char** wrong) {
    char* before = ScratchCursor;
    size_t room = Room();
    // What a writer may put at the cursor of a text of `length` bytes.
    auto Kept = [room](size_t length) { return std::min(length, room - 1); };
    switch (step) {
    case MARK:
        if (marks.size() < DEEPEST_MARKS) {
            marks.push_back(MarkScratch());
        }
        return before;
    case APPEND_TEXT: {
        size_t length;
        switch (random() % 3) {
        case 0:
            length = random() % (LONGEST_TEXT + 1);
            break;
        case 1: // around the room that is left
            length = room + 1 - std::min<size_t>(room + 1, random() % 5);
            break;
        default:
            length = random() % 21;
            break;
        }
        char* text = &pool[random() % 1000];
        char savedEnd = text[length];
        text[length] = 0;
        size_t inner = length;
        char savedInner = 0;
        // Some texts have a zero inside: only what comes before it counts.
        if (length > 0 && random() % 8 == 0) {
            inner = random() % length;
            savedInner = text[inner];
            text[inner] = 0;
        }
        AppendText(text);
        size_t kept = Kept(inner);
        if (memcmp(before, text, kept) != 0 || *ScratchCursor != 0) {
            *wrong = "the text at the cursor is not the appended one";
        }
        if (inner != length) {
            text[inner] = savedInner;
        }
        text[length] = savedEnd;
        return before + kept;
    }
    case APPEND_SCRATCH_TEXT: {
        // A text built earlier in the buffer, ending before the cursor.
        if (marks.empty() || marks.back() >= before ||
            memchr(marks.back(), 0, static_cast<size_t>(before - marks.back())) == nullptr) {
            return before;
        }
        const char* text = marks.back();
        size_t kept = Kept(strlen(text));
        std::string copy(text, kept);
        AppendText(text);
        if (memcmp(before, copy.data(), kept) != 0) {
            *wrong = "a scratch text appended to itself came out changed";
        }
        return before + kept;
    }
    case APPEND_NUMBER: {
        int32_t value = InterestingNumber(random);
        std::string digits = std::to_string(value);
        size_t kept = Kept(digits.size());
        if (AppendNumber(value) != before || memcmp(before, digits.data(), kept) != 0 ||
            *ScratchCursor != 0) {
            *wrong = "AppendNumber wrote another text or returned another position";
        }
        return before + kept;
    }
    case SEAL: {
        SealScratch();
        return room > 1 ? before + 1 : before;
    }
    case RELEASE: {
        char* target = sequenceStart;
        if (!marks.empty()) {
            target = marks.back();
            marks.pop_back();
        }
        ReleaseScratch(target);
        return target;
    }
    case ASSIGN_FROM_SCRATCH: {
        char* start = sequenceStart;
        if (!marks.empty()) {
            start = marks.back();
            marks.pop_back();
        }
        std::string built(start, strnlen(start, static_cast<size_t>(before - start)));
        StringSlot& slot = slots[random() % SLOT_COUNT];
        AssignFromScratch(&slot, start);
        if (slot == nullptr || built != slot) {
            *wrong = "the slot does not hold the text built since the mark";
        }
        return start;
    }
    case ASSIGN_TEXT: {
        StringSlot& slot = slots[random() % SLOT_COUNT];
        if (random() % 4 == 0) {
            AssignText(&slot, nullptr);
            if (slot != nullptr) {
                *wrong = "assigning null left a text in the slot";
            }
        } else {
            std::string text = PoolText(random, random() % 200);
            AssignText(&slot, text.c_str());
            if (slot == nullptr || text != slot) {
                *wrong = "the slot does not hold the assigned text";
            }
        }
        return before;
    }
    case PRIME_FACTOR_TEXT:
    case DIVISOR_TEXT: {
        int32_t n = NumberToFactor(random);
        std::string separator;
        const char* join = nullptr;
        switch (random() % 6) {
        case 0:
            join = ", ";
            break;
        case 1:
            join = "";
            break;
        case 2:
            break;
        case 3:
            separator = PoolText(random, random() % 100);
            join = separator.c_str();
            break;
        case 4:
            separator = PoolText(random, random() % (random() % 8 == 0 ? 5000 : 500));
            join = separator.c_str();
            break;
        default: {
            // The separator lies at the cursor, where the result goes.
            char* at = MarkScratch();
            AppendText(", ");
            ReleaseScratch(at);
            join = at;
            break;
        }
        }
        char* result = step == PRIME_FACTOR_TEXT ? PrimeFactorText(n, join) : DivisorText(n, join);
        if (result != before || *ScratchCursor != 0 ||
            strlen(result) != static_cast<size_t>(ScratchCursor - result)) {
            *wrong = "the text procedure's result is not a text ending at the cursor";
        }
        if (random() % 2) {
            // As the application does: assigned at once.
            AssignFromScratch(&slots[random() % SLOT_COUNT], result);
            return before;
        }
        return nullptr;
    }
    case READ_FIELD:
    case READ_LIST_ROW:
    case READ_LIST_CELL: {
        const std::string& text = step == READ_FIELD      ? fieldText
                                  : step == READ_LIST_ROW ? rowText
                                                          : cellText;
        size_t limit = step == READ_FIELD ? 4999 : step == READ_LIST_ROW ? 59999 : 9999;
        if (step == READ_LIST_CELL) {
            ReadControlCell(LIST, 0, 1);
        } else {
            ReadControlText(step == READ_FIELD ? FIELD : LIST);
        }
        size_t kept = Kept(std::min(limit, text.size()));
        if (memcmp(before, text.data(), kept) != 0 || *ScratchCursor != 0) {
            *wrong = "the text read is not the control's";
        }
        return before + kept;
    }
    case TEXT_TO_NUMBER: {
        volatile int32_t number = TextToNumber(marks.empty() ? before : marks.back());
        (void)number;
        return before;
    }
    default:
        return nullptr;
    }
}

TEST_F(ScratchOverrunHunt, NoOperationReachesPastTheLastByteOrLeavesABlockBehind) {
    printf("scratch overrun hunt: seed %u, %d sequences\n", SEED, SEQUENCES);
    Step table[100];
    int filled = 0;
    for (int kind = 0; kind < STEP_KINDS; kind++) {
        for (int i = 0; i < StepWeights[kind]; i++) {
            table[filled++] = static_cast<Step>(kind);
        }
    }
    ASSERT_EQ(filled, 100);

    std::mt19937 random(SEED);
    HeapBlocks before = BlocksInUse(AppHeap);
    LARGE_INTEGER frequency, started, ended;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&started);
    long long operations = 0;
    for (int sequence = 0; sequence < SEQUENCES; sequence++) {
        // Half of the sequences start within the last 128 bytes.
        size_t fromEnd;
        switch (random() % 4) {
        case 0:
        case 1:
            fromEnd = random() % 128;
            break;
        case 2:
            fromEnd = random() % 12000;
            break;
        default:
            fromEnd = random() % SCRATCH_BUFFER_SIZE;
            break;
        }
        sequenceStart = last - fromEnd;
        ReleaseScratch(sequenceStart);
        marks.clear();
        int steps = 1 + static_cast<int>(random() % LONGEST_SEQUENCE);
        for (int i = 0; i <= steps; i++) {
            // The last step of every sequence releases the cursor to where it began.
            Step step = i == steps ? RELEASE : table[random() % 100];
            if (i == steps) {
                marks.clear();
            }
            position = {StepNames[step], i, sequence};
            const char* wrong = nullptr;
            const char* expected = RunStep(step, random, &wrong);
            operations++;
            bool inside = ScratchCursor >= ScratchBuffer && ScratchCursor <= last;
            if (!inside || *last != 0 || (expected != nullptr && ScratchCursor != expected) ||
                wrong != nullptr) {
                FAIL() << StepNames[step] << ", step " << i << " of sequence " << sequence
                       << " (seed " << SEED << "): cursor at " << (ScratchCursor - ScratchBuffer)
                       << (inside ? "" : " outside the buffer") << ", expected at "
                       << (expected != nullptr ? expected - ScratchBuffer : -1) << ", last byte "
                       << static_cast<int>(*last)
                       << (wrong != nullptr ? std::string(": ") + wrong : std::string());
            }
        }
    }
    QueryPerformanceCounter(&ended);
    double seconds = static_cast<double>(ended.QuadPart - started.QuadPart) /
                     static_cast<double>(frequency.QuadPart);
    printf("scratch overrun hunt: %d sequences, %lld operations in %.1f s (%.0f operations/s)\n",
           SEQUENCES, operations, seconds, static_cast<double>(operations) / seconds);

    for (StringSlot& slot : slots) {
        AssignText(&slot, nullptr);
    }
    EXPECT_EQ(BlocksInUse(AppHeap), before) << "AppHeap holds other blocks after the hunt";
}
} // namespace
