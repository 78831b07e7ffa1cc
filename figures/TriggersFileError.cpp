// The one way Triggers.qvx is refused.
#include "figures/TriggersFileError.h"

#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"

#include <cstdarg>
#include <cstdio>

void RefuseTriggersFile(const char* format, ...)
{
    char problem[200];
    va_list args;
    va_start(args, format);
    std::vsnprintf(problem, sizeof problem, format, args);
    va_end(args);
    QV7_Logger::Log(g_logger, "ERROR: Triggers System: Triggers.qvx %s", problem);
    ThrowBrokenString("QV7_TriggersSystem", 112);
}
