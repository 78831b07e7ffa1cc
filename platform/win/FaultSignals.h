// Hardware faults for the crash guard. On Windows the game resumes after a
// structured exception; on Linux carrying on after SIGSEGV, SIGBUS, SIGFPE or
// SIGILL is undefined, so here a fault is named with its Windows exception
// code, handed to the game's reporter (which writes its log lines) and the
// process ends with exit code 3.
//
// The reporter runs inside a signal handler: it may only make
// async-signal-safe calls (no malloc, no stdio, no locks). The helpers below
// let it format numbers and append lines to a file within that rule.
#pragma once

#include <cstddef>
#include <cstdint>

namespace win
{
// Exception codes, Windows values.
enum : uint32_t
{
    EXCEPTION_ACCESS_VIOLATION = 0xC0000005,
    EXCEPTION_BREAKPOINT = 0x80000003,
    EXCEPTION_DATATYPE_MISALIGNMENT = 0x80000002,
    EXCEPTION_SINGLE_STEP = 0x80000004,
    EXCEPTION_ARRAY_BOUNDS_EXCEEDED = 0xC000008C,
    EXCEPTION_FLT_DENORMAL_OPERAND = 0xC000008D,
    EXCEPTION_FLT_DIVIDE_BY_ZERO = 0xC000008E,
    EXCEPTION_FLT_INEXACT_RESULT = 0xC000008F,
    EXCEPTION_FLT_INVALID_OPERATION = 0xC0000090,
    EXCEPTION_FLT_OVERFLOW = 0xC0000091,
    EXCEPTION_FLT_STACK_CHECK = 0xC0000092,
    EXCEPTION_FLT_UNDERFLOW = 0xC0000093,
    EXCEPTION_INT_DIVIDE_BY_ZERO = 0xC0000094,
    EXCEPTION_INT_OVERFLOW = 0xC0000095,
    EXCEPTION_PRIV_INSTRUCTION = 0xC0000096,
    EXCEPTION_NONCONTINUABLE_EXCEPTION = 0xC0000025,
    EXCEPTION_ILLEGAL_INSTRUCTION = 0xC000001D,
};

// windowsCode is the exception code; faultAddress the faulting instruction
// where the machine tells it (x86-64, AArch64), else the signal's address.
using FaultReporter = void (*)(uint32_t windowsCode, const void* faultAddress);

// Installs the handlers for SIGSEGV, SIGBUS, SIGFPE and SIGILL. They run on
// an alternate stack of the calling thread, so a stack overflow in that
// thread (the main thread, when called at start-up) is reported too; faults
// in other threads are reported on their own stacks. A fault inside the
// reporter ends the process with exit code 3 at once. reporter may be null.
void InstallFaultHandlers(FaultReporter reporter);

// The exception code Windows raises for what this signal and si_code mean. A
// signal sent by kill or raise carries no detail: SIGSEGV and SIGBUS then give
// EXCEPTION_ACCESS_VIOLATION, SIGFPE EXCEPTION_FLT_INVALID_OPERATION (Windows'
// name for any other floating-point fault), SIGILL
// EXCEPTION_ILLEGAL_INSTRUCTION.
uint32_t ExceptionCodeForSignal(int signal, int siCode);

// Signed decimal of value into out (zero-terminated, cut to fit); returns
// the length written.
size_t SignalSafeFormatInt(int64_t value, char* out, size_t outSize);
// Lower-case hexadecimal without prefix, at least minDigits digits.
size_t SignalSafeFormatHex(uint64_t value, unsigned minDigits, char* out, size_t outSize);
// Appends text to the zero-terminated string in out (cut to fit); returns
// the new length.
size_t SignalSafeAppend(char* out, size_t outSize, const char* text);
// Appends text and a line end to the file at path, creating it if needed.
void SignalSafeAppendLine(const char* path, const char* text);
// Appends exactly length bytes to the file at path, creating it if needed.
void SignalSafeAppendBytes(const char* path, const char* bytes, size_t length);
} // namespace win
