// Test programs start through the real start-up: StartUp initialises the runtime and then
// runs this MainProgram, which runs the tests and ends the process with their result.
#include "runtime/core/Core.h"
#include "runtime/window/Window.h"

#include <gtest/gtest.h>

#include <stdio.h>

namespace {
int argumentCount;
char** arguments;
} // namespace

void MainProgram() {
    testing::InitGoogleTest(&argumentCount, arguments);
    int result = RUN_ALL_TESTS();
    CloseAllWindows();
    fflush(stdout);
    fflush(stderr);
    // Nothing is left to clean up; ending at once keeps a test from waiting on the
    // platform's DLL detach at exit.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
}

int main(int count, char** values) {
    argumentCount = count;
    arguments = values;
    StartUp();
}
