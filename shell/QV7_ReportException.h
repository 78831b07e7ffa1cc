// The shared crash reporter: names a fault with the game's exception table,
// counts it, and says whether the guarded code may carry on.
#pragma once

#include <cstdint>

// Filter verdicts, as the guards read them.
enum ExceptionVerdict
{
    EXCEPTION_CONTINUE_EXECUTION_VERDICT = -1,
    EXCEPTION_CONTINUE_SEARCH_VERDICT = 0,
    EXCEPTION_EXECUTE_HANDLER_VERDICT = 1,
};

// The code a C++ exception carries when it reaches a crash guard.
constexpr uint32_t CPP_EXCEPTION_CODE = 0xE06D7363;

// Faults seen in the whole run; never reset.
extern int g_exceptionRetries;
// A marker the physics step sets to say where it is.
extern int g_crashLocator;

int ReportException(uint32_t code, const void* faultAddress);

// The exception table's two lines for code (the name line may be null); false
// for a code the table does not list. The physics step's reporter shares it.
bool FindExceptionLines(uint32_t code, const char** nameLine, const char** descriptionLine);

// Runs body under the crash guard. A C++ exception other than CDException (which
// belongs to the game's own error path and passes through) is reported; the
// guarded call is then abandoned, since a throw cannot be resumed. Returns false
// when the call was abandoned.
template <typename Body> bool RunGuarded(Body&& body);

// Hardware faults (SIGSEGV, SIGBUS, SIGFPE, SIGILL) are logged with the same
// table and end the process: resuming after one is undefined on Linux.
void InstallHardwareFaultReporter();

#include "shell/QV7_Globals.h"

#include <exception>

template <typename Body> bool RunGuarded(Body&& body)
{
    try
    {
        body();
        return true;
    }
    catch (const CDException&)
    {
        throw;
    }
    catch (...)
    {
        ReportException(CPP_EXCEPTION_CODE, nullptr);
        return false;
    }
}
