// The physics fault reporter.
#include "race/PhysicsExceptionReport.h"

#include "platform/win/FaultSignals.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_ReportException.h"

int g_physicsExceptionRetries = 0;

int PhysicsExceptionReport(uint32_t code, const void* faultAddress)
{
    if (++g_physicsExceptionRetries > 2)
    {
        QV7_Logger::Log(g_logger, "ERROR: Retry and Continue FAILED");
        return EXCEPTION_EXECUTE_HANDLER_VERDICT;
    }
    QV7_Logger::Log(g_logger, "ERROR: Game PHYSICS Exception, Error Code E1.A");
    QV7_Logger::Log(g_logger, "OUTPUT: Exception Code %d", int32_t(code));
    const char* nameLine = nullptr;
    const char* descriptionLine = nullptr;
    if (FindExceptionLines(code, &nameLine, &descriptionLine))
    {
        if (nameLine)
            QV7_Logger::Log(g_logger, "%s", nameLine);
        QV7_Logger::Log(g_logger, "%s", descriptionLine);
        if (code == win::EXCEPTION_NONCONTINUABLE_EXCEPTION)
            return EXCEPTION_CONTINUE_SEARCH_VERDICT;
    }
    QV7_Logger::Log(g_logger, "OUTPUT: Exception Pointer 0x%08x", unsigned(uintptr_t(faultAddress)));
    QV7_Logger::Log(g_logger, "OUTPUT: Attempt %d, Return and Retry to exception Stack position!",
                    g_physicsExceptionRetries);
    return EXCEPTION_CONTINUE_EXECUTION_VERDICT;
}
