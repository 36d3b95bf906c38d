// The fixture of the end-to-end cases: a freshly started tool, idle after its first turn,
// and the expectations that come from the application's own text procedures.
#pragma once

#include "tests/end_to_end/Automation.h"
#include "tests/window/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <stdint.h>
#include <string>

// The texts the list must show for a number, as the application's text procedures build
// them in this process.
std::string ExpectedFactorText(int32_t number);
std::string ExpectedDivisorText(int32_t number);

class ToolTest : public testing::Test {
  protected:
    // Takes the display from other test processes, then starts the tool.
    void SetUp() override;
    void TearDown() override;
    // The tool's command-line arguments.
    virtual const char* Arguments() const {
        return "";
    }

    // Types both ends of the range into their fields and clicks Start.
    void StartRange(const char* first, const char* last);
    // Starts a range far too long to finish and waits until the run is under way.
    void StartLongRun();
    // Clicks Stop and waits until the tool is idle again.
    void StopRun();
    // Waits until the list holds `rows` rows and the tool is idle, then checks that no row
    // follows.
    bool WaitForRunEnd(int rows, DWORD timeoutMs);
    // Every cell of `count` rows from `firstRow` on against the numbers from `firstNumber`.
    void ExpectRowsShowNumbers(int firstRow, int32_t firstNumber, int count);

    automation::ToolProcess tool;
    DisplayTurn displayTurn;
};
