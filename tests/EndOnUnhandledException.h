// For the test and checker programs: a fault ends the process at once with exit code 3,
// after saying what happened, instead of starting Wine's debugger, which would keep the
// process, and whoever waits for it, waiting.
#pragma once

#include <windows.h>

#include <stdio.h>

inline LONG WINAPI EndOnUnhandledException(EXCEPTION_POINTERS* exception) {
    fprintf(stderr, "ended by exception 0x%08lx at %p\n", exception->ExceptionRecord->ExceptionCode,
            exception->ExceptionRecord->ExceptionAddress);
    fflush(stdout);
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

inline void EndProcessOnFault() {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(EndOnUnhandledException);
}
