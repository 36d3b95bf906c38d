// Runtime core: process start-up and shutdown on the private heap AppHeap, and the
// string engine that builds every text in the one shared ScratchBuffer.
#pragma once

#include <windows.h>

#include <stdint.h>

// The private heap of the process; every runtime allocation comes from it.
extern HANDLE AppHeap;
// A block of `bytes` on AppHeap: `block` grown (or shrunk) in place or moved, or a new one
// when `block` is null. Null on failure, and `block` then stays valid as it was.
void* GrowHeapBlock(void* block, SIZE_T bytes, DWORD flags);
// The program's own module, taken once at start-up.
extern HINSTANCE ModuleInstance;

// Zeroes all state, creates AppHeap, initialises the control runtime, the window runtime
// and the string engine in this order, then runs MainProgram. Never returns.
[[noreturn]] void StartUp();
// Closes every window, destroys AppHeap and ends the process with exit code 0.
[[noreturn]] void Shutdown();

// Provided by the application: its main program, which ends in Shutdown, and the reset of
// its global state, which StartUp calls before anything else.
void MainProgram();
void ClearApplicationState();

// The string engine.
//
// A StringSlot owns a private copy of its text on AppHeap, or is null (no text; reads as
// the empty text). Texts built at the scratch cursor live only until the cursor passes
// back over them.
typedef char* StringSlot;

constexpr int32_t SCRATCH_BUFFER_SIZE = 64000;

extern char* ScratchBuffer;
extern char* ScratchCursor;

// Allocates ScratchBuffer (zero-filled) and sets the cursor to its first byte.
void InitStringEngine();

// Bytes from the cursor to the end of ScratchBuffer, the cursor's own byte included: a
// writer may put at most ScratchRoom() - 1 characters there and a terminating zero. Every
// writer keeps to it, so a text that would not fit is cut and the buffer always ends in
// a zero.
int32_t ScratchRoom();

// The expression convention: mark, append pieces, then assign or seal, hand on, release.
char* MarkScratch();
// Steps past the terminating zero of the text just built, so that what an operation
// writes at the cursor lands behind it. With the buffer full the cursor stays on the
// last byte, which only ever holds a zero.
void SealScratch();
void ReleaseScratch(char* position);

// Appends a text (null counts as empty) at the cursor; the cursor ends on the zero.
void AppendText(const char* text);
// Appends a wide text (null counts as empty) at the cursor in the ANSI code page, as it
// shows: a non-breaking space as a space, and each character the code page lacks, with no
// look-alike put in its place (a full-width "１" must not read as "1"), as the mark "•"
// (U+2022), else "□" (U+25A1) where the code page lacks that, else "*". Cut to the room left
// after its last whole character; the cursor ends on the zero.
void AppendWideText(const wchar_t* text);
// Appends the decimal text of value ("%ld"); returns the result position, a scratch text.
char* AppendNumber(int32_t value);
// Formats one signed number with a wvsprintfA format into buffer, which must hold the
// whole result; returns the number of characters written.
int32_t FormatNumberText(char* buffer, const char* format, int32_t value);
// Every byte after an optional leading "-" counts as a digit, ((c - 48) mod 256), with
// unsigned 32-bit wrap-around; null yields 0. Never fails, touches no scratch.
int32_t TextToNumber(const char* text);
// True when the text is a number as a person writes one: blanks (spaces and tabs) at either
// end aside, an optional "-" and decimal digits whose value lies in the signed 32-bit
// range, leading zeros allowed; value then holds it. False for anything else (null, "",
// "-", "1 000", "+5", "2147483648"). Touches no scratch.
bool TextIsNumber(const char* text, int32_t* value);

// The slot receives a copy of the text built from start to the cursor; the cursor goes
// back to start. The slot is null afterwards when the copy could not be made, and for a
// null start (a text procedure's failure), which leaves the cursor alone.
void AssignFromScratch(StringSlot* slot, char* start);
// Frees the slot's text, then copies text into it (a null text leaves the slot null).
void AssignText(StringSlot* slot, const char* text);
// Copies text into a slot that holds nothing yet; a null text leaves the slot unchanged.
void CopyText(StringSlot* slot, const char* text);
// Returns a slot's block to AppHeap; for slots that cease to exist.
void FreeText(StringSlot text);
