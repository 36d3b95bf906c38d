// Test programs start through the real start-up: StartUp initialises the runtime and then
// runs this MainProgram, which runs the tests and ends the process with their result.
#include "runtime/core/Core.h"
#include "runtime/window/Window.h"
#include "tests/EndOnUnhandledException.h"

#include <gtest/gtest.h>

#include <stdio.h>

namespace {
int argumentCount;
char** arguments;
} // namespace

// GoogleTest hands every failure to OutputDebugStringA as well. The 32-bit Wine under qemu
// crashes when it returns from that call's exception, so the first failed assertion would
// end the program and hide every later result. Nothing here reads debug output: this
// program's import of the call is bound to a procedure that drops the text.
static void WINAPI DropDebugOutput(LPCSTR) {}
#if defined(__i386__)
extern "C" void(WINAPI* const ImportedOutputDebugString)(LPCSTR) __asm__(
    "__imp__OutputDebugStringA@4");
#else
extern "C" void(WINAPI* const ImportedOutputDebugString)(LPCSTR) __asm__(
    "__imp_OutputDebugStringA");
#endif
extern "C" void(WINAPI* const ImportedOutputDebugString)(LPCSTR) = DropDebugOutput;

void MainProgram() {
    EndProcessOnFault();
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
