// ReportException and the exception table.
#include "shell/QV7_ReportException.h"

#include "platform/win/FaultSignals.h"
#include "shell/QV7_Logger.h"

#include <cstdio>
#include <ctime>
#include <unistd.h>

int g_exceptionRetries = 0;
int g_crashLocator = 0;

namespace
{
struct ExceptionEntry
{
    uint32_t code;
    const char* nameLine; // null: the entry has none
    const char* descriptionLine;
};

const ExceptionEntry kExceptionTable[] = {
    {win::EXCEPTION_ACCESS_VIOLATION, "OUTPUT: [EXCEPTION_ACCESS_VIOLATION]",
     "OUTPUT: The thread attempted to read from or write to a virtual address for which it does not have the "
     "appropriate access."},
    {win::EXCEPTION_BREAKPOINT, nullptr, "OUTPUT: A breakpoint was encountered."},
    {win::EXCEPTION_DATATYPE_MISALIGNMENT, "OUTPUT: [EXCEPTION_DATATYPE_MISALIGNMENT]",
     "OUTPUT: The thread attempted to read or write data that is misaligned on hardware that does not provide "
     "alignment. For example, 16-bit values must be aligned on 2-byte boundaries, 32-bit values on 4-byte "
     "boundaries, and so on."},
    {win::EXCEPTION_SINGLE_STEP, "OUTPUT: [EXCEPTION_SINGLE_STEP]",
     "OUTPUT: A trace trap or other single-instruction mechanism signaled that one instruction has been executed."},
    {win::EXCEPTION_ARRAY_BOUNDS_EXCEEDED, "OUTPUT: [EXCEPTION_ARRAY_BOUNDS_EXCEEDED]",
     "OUTPUT: The thread attempted to access an array element that is out of bounds, and the underlying hardware "
     "supports bounds checking."},
    {win::EXCEPTION_FLT_DENORMAL_OPERAND, "OUTPUT: [EXCEPTION_FLT_DENORMAL_OPERAND]",
     "OUTPUT: One of the operands in a floating-point operation is denormal. A denormal value is one that is too "
     "small to represent as a standard floating-point value."},
    {win::EXCEPTION_FLT_DIVIDE_BY_ZERO, "OUTPUT: [EXCEPTION_FLT_DIVIDE_BY_ZERO]",
     "OUTPUT: The thread attempted to divide a floating-point value by a floating-point divisor of zero."},
    {win::EXCEPTION_FLT_INEXACT_RESULT, "OUTPUT: [EXCEPTION_FLT_INEXACT_RESULT]",
     "OUTPUT: The result of a floating-point operation cannot be represented exactly as a decimal fraction."},
    {win::EXCEPTION_FLT_INVALID_OPERATION, "OUTPUT: [EXCEPTION_FLT_INVALID_OPERATION]",
     "OUTPUT: This exception represents any floating-point exception not included in this list."},
    {win::EXCEPTION_FLT_OVERFLOW, "OUTPUT: [EXCEPTION_FLT_OVERFLOW]",
     "OUTPUT: The exponent of a floating-point operation is greater than the magnitude allowed by the "
     "corresponding type."},
    {win::EXCEPTION_FLT_STACK_CHECK, "OUTPUT: [EXCEPTION_FLT_STACK_CHECK]",
     "OUTPUT: The stack overflowed or underflowed as the result of a floating-point operation."},
    {win::EXCEPTION_FLT_UNDERFLOW, "OUTPUT: [EXCEPTION_FLT_UNDERFLOW]",
     "OUTPUT: The exponent of a floating-point operation is less than the magnitude allowed by the corresponding "
     "type."},
    {win::EXCEPTION_INT_DIVIDE_BY_ZERO, "OUTPUT: [EXCEPTION_INT_DIVIDE_BY_ZERO]",
     "OUTPUT: The thread attempted to divide an integer value by an integer divisor of zero."},
    {win::EXCEPTION_INT_OVERFLOW, "OUTPUT: [EXCEPTION_INT_OVERFLOW]",
     "OUTPUT: The result of an integer operation caused a carry out of the most significant bit of the result."},
    {win::EXCEPTION_PRIV_INSTRUCTION, "OUTPUT: [EXCEPTION_PRIV_INSTRUCTION]",
     "OUTPUT: The thread attempted to execute an instruction whose operation is not allowed in the current "
     "machine mode."},
    {win::EXCEPTION_NONCONTINUABLE_EXCEPTION, "OUTPUT: [EXCEPTION_NONCONTINUABLE_EXCEPTION]",
     "OUTPUT: The thread attempted to continue execution after a noncontinuable exception occurred."},
};

const ExceptionEntry* FindEntry(uint32_t code)
{
    for (const ExceptionEntry& entry : kExceptionTable)
        if (entry.code == code)
            return &entry;
    return nullptr;
}

// Inside a signal handler: the log path is copied beforehand, and lines go
// through the logger's async-signal-safe writer, which keeps its line format
// and its Debug gate. Without a log they go to stderr.
char s_faultLogPath[512];

void AppendFaultLine(const char* text)
{
    if (s_faultLogPath[0])
    {
        QV7_Logger::WriteLineFromSignal(s_faultLogPath, text);
        return;
    }
    (void)!write(STDERR_FILENO, text, __builtin_strlen(text));
    (void)!write(STDERR_FILENO, "\n", 1);
}

void AppendFaultNumberLine(const char* prefix, long long value, bool hex = false)
{
    char line[128];
    size_t length = 0;
    for (const char* p = prefix; *p && length < sizeof(line) - 32; ++p)
        line[length++] = *p;
    if (hex)
        length += win::SignalSafeFormatHex(uint64_t(value), 8, line + length, sizeof(line) - length - 1);
    else
        length += win::SignalSafeFormatInt(value, line + length, sizeof(line) - length - 1);
    line[length] = '\0';
    AppendFaultLine(line);
}

// The lines ReportException and the entry's handler write, except the retry:
// resuming after a hardware fault is undefined here, so the process ends.
void ReportHardwareFault(uint32_t code, const void* faultAddress)
{
    AppendFaultLine("ERROR: Game Exception, Error Code E1.A");
    AppendFaultNumberLine("OUTPUT: Exception Code ", int32_t(code));
    AppendFaultNumberLine("OUTPUT: Crash Locator ", g_crashLocator);
    AppendFaultNumberLine("OUTPUT: Exception Code ", int32_t(code));
    if (const ExceptionEntry* entry = FindEntry(code))
    {
        if (entry->nameLine)
            AppendFaultLine(entry->nameLine);
        AppendFaultLine(entry->descriptionLine);
    }
    AppendFaultNumberLine("OUTPUT: Exception Pointer 0x", (long long)uint32_t(uintptr_t(faultAddress)), true);
    AppendFaultLine("ERROR: Game Exception, Error Code E1");
    AppendFaultNumberLine("OUTPUT: Exception Code ", int32_t(code));
}
} // namespace

bool FindExceptionLines(uint32_t code, const char** nameLine, const char** descriptionLine)
{
    const ExceptionEntry* entry = FindEntry(code);
    if (!entry)
        return false;
    *nameLine = entry->nameLine;
    *descriptionLine = entry->descriptionLine;
    return true;
}

int ReportException(uint32_t code, const void* faultAddress)
{
    if (++g_exceptionRetries > 10)
    {
        QV7_Logger::Log(g_logger, "ERROR: Retry and Continue FAILED");
        return EXCEPTION_EXECUTE_HANDLER_VERDICT;
    }
    QV7_Logger::Log(g_logger, "ERROR: Game Exception, Error Code E1.A");
    QV7_Logger::Log(g_logger, "OUTPUT: Exception Code %d", int32_t(code));
    QV7_Logger::Log(g_logger, "OUTPUT: Crash Locator %d", g_crashLocator);
    QV7_Logger::Log(g_logger, "OUTPUT: Exception Code %d", int32_t(code));
    if (const ExceptionEntry* entry = FindEntry(code))
    {
        if (entry->nameLine)
            QV7_Logger::Log(g_logger, "%s", entry->nameLine);
        QV7_Logger::Log(g_logger, "%s", entry->descriptionLine);
        if (code == win::EXCEPTION_NONCONTINUABLE_EXCEPTION)
            return EXCEPTION_CONTINUE_SEARCH_VERDICT;
    }
    QV7_Logger::Log(g_logger, "OUTPUT: Exception Pointer 0x%08x", unsigned(uintptr_t(faultAddress)));
    QV7_Logger::Log(g_logger, "OUTPUT: Attempt %d, Return and Retry to exception Stack position!",
                    g_exceptionRetries);
    return EXCEPTION_CONTINUE_EXECUTION_VERDICT;
}

void InstallHardwareFaultReporter()
{
    s_faultLogPath[0] = '\0';
    if (g_logger)
        std::snprintf(s_faultLogPath, sizeof(s_faultLogPath), "%s", g_logger->Path().c_str());
    win::InstallFaultHandlers(&ReportHardwareFault);
}
