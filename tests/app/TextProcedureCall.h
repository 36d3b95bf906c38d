// Calling a text procedure from a test: at a fresh mark, taking a copy of the result and
// releasing the cursor again.
#pragma once

#include "runtime/core/Core.h"

#include <stdint.h>

#include <string>

typedef char* (*TextProcedure)(int32_t n, const char* separator);

inline std::string CallTextProcedure(TextProcedure procedure, int32_t n,
                                     const char* separator = ", ") {
    char* resultPosition = MarkScratch();
    std::string text = procedure(n, separator);
    ReleaseScratch(resultPosition);
    return text;
}
