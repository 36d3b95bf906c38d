// The application: the main window with its processing loop, and the text procedures that
// produce the factor and divisor columns.
#pragma once

#include <stdint.h>

// The controls of the main window; each number is also the control's child-window
// identifier.
enum ControlNumber : int32_t {
    RESULT_LIST = 0,
    FROM_LABEL = 1,
    FIRST_FIELD = 2,
    TO_LABEL = 3,
    LAST_FIELD = 4,
    START_BUTTON = 5,
    STOP_BUTTON = 6,
    CLEAR_BUTTON = 7,
};

// Creates window 0 with its eight controls and the list's three columns. False when the
// window or the parent for its controls cannot be set up; no control exists then.
bool CreateMainWindow();

enum class TurnOutcome {
    Busy,  // the next turn has work: a row, an enabled state to set, a message to handle
    Idle,  // nothing changes before the next message arrives
    Close, // the window was asked to close: the loop ends
};
// One turn of the processing loop: poll one event without waiting, set the enabled states,
// add at most one row, end the run after the last number, react to Start, Stop or Clear.
TurnOutcome RunTurn();

// a - (a / b) * b with truncating division: the remainder with the sign of a. Yields a
// for b = 0 and 0 for b = -1 instead of faulting.
int32_t Remainder(int32_t a, int32_t b);

// Text procedures: each writes its text at the scratch cursor, leaves the cursor on the
// text's terminating zero and returns where the text starts (a scratch text); the caller
// assigns it at once. The separator is copied first, so it may itself lie in ScratchBuffer
// at the cursor; a null separator joins with nothing. A text that does not fit in the room
// left in ScratchBuffer is cut there. Null when AppHeap could not give a copy that the text
// needs; the cursor then stands on an empty text at the result position.
//
// The prime factors of n in non-decreasing order, each as often as it divides n, joined by
// separator; a negative n first gets -1, then the factors of its magnitude: "-1, 2, 3" for
// -6, "-1" for -1. The empty text for 0 and 1, which have no prime factorisation.
char* PrimeFactorText(int32_t n, const char* separator);
// The positive divisors of the magnitude of n in increasing order, from 1 to the magnitude
// itself: "1" for 1 and -1, "1, 2, 3, 6" for 6 and -6, and up to 2147483648 for
// -2147483648. The empty text for 0, which every number divides.
char* DivisorText(int32_t n, const char* separator);

// The primes both text procedures trial-divide by: every prime up to 46,337, the largest
// prime whose square lies below 2^31, ascending. Filled by the first call of this function
// or of a text procedure, the same for the rest of the process; sets count to its length.
const uint16_t* TrialDivisionPrimes(int32_t* count);
