// One process-wide copy of each record behind a mutex; the defaults are those
// of a fresh Windows install: every feature available but off, its shortcut
// active and confirmed.
#include "platform/win/Accessibility.h"

#include <cstring>
#include <mutex>

namespace win
{
namespace
{
struct SystemState
{
    STICKYKEYS sticky{sizeof(STICKYKEYS), SKF_AVAILABLE | SKF_HOTKEYACTIVE | SKF_CONFIRMHOTKEY |
                                              SKF_HOTKEYSOUND | SKF_INDICATOR | SKF_AUDIBLEFEEDBACK |
                                              SKF_TRISTATE | SKF_TWOKEYSOFF};
    TOGGLEKEYS toggle{sizeof(TOGGLEKEYS),
                      TKF_AVAILABLE | TKF_HOTKEYACTIVE | TKF_CONFIRMHOTKEY | TKF_HOTKEYSOUND | TKF_INDICATOR};
    FILTERKEYS filter{sizeof(FILTERKEYS),
                      FKF_AVAILABLE | FKF_HOTKEYACTIVE | FKF_CONFIRMHOTKEY | FKF_HOTKEYSOUND | FKF_INDICATOR |
                          FKF_CLICKON,
                      1000,
                      1000,
                      500,
                      0};
    bool screenSaverRunning = false;
};

std::mutex s_mutex;
SystemState s_state;

// Copies between the caller's record and ours after checking that the caller
// really handed us a record of that type.
template <typename Record> bool Transfer(void* data, Record& system, bool toCaller)
{
    if (!data)
        return false;
    uint32_t size;
    std::memcpy(&size, data, sizeof size);
    if (size != sizeof(Record))
        return false;
    if (toCaller)
        std::memcpy(data, &system, sizeof(Record));
    else
        std::memcpy(&system, data, sizeof(Record));
    return true;
}
} // namespace

bool SystemParametersInfoA(unsigned action, unsigned param, void* data, unsigned /*winIni*/)
{
    std::lock_guard lock(s_mutex);
    switch (action)
    {
    case SPI_GETSTICKYKEYS:
    case SPI_SETSTICKYKEYS:
        return Transfer(data, s_state.sticky, action == SPI_GETSTICKYKEYS);
    case SPI_GETTOGGLEKEYS:
    case SPI_SETTOGGLEKEYS:
        return Transfer(data, s_state.toggle, action == SPI_GETTOGGLEKEYS);
    case SPI_GETFILTERKEYS:
    case SPI_SETFILTERKEYS:
        return Transfer(data, s_state.filter, action == SPI_GETFILTERKEYS);
    case SPI_SETSCREENSAVERRUNNING:
        if (data)
        {
            int previous = s_state.screenSaverRunning ? 1 : 0;
            std::memcpy(data, &previous, sizeof previous);
        }
        s_state.screenSaverRunning = param != 0;
        return true;
    default:
        return false;
    }
}

bool ScreenSaverRunningFlag()
{
    std::lock_guard lock(s_mutex);
    return s_state.screenSaverRunning;
}

void ResetSystemParameters()
{
    std::lock_guard lock(s_mutex);
    s_state = SystemState{};
}
} // namespace win
