// The accessibility shortcut records and the screen-saver flag the game saves
// at start, switches off while it runs and restores at exit. Linux has no
// such system-wide keys, so the "system" values live in this process: they
// start as on a fresh Windows install, every set is kept, and nothing outside
// the process changes. The game's save, change and restore logic runs as
// written and tests can read back what it left.
#pragma once

#include <cstdint>

namespace win
{
// SystemParametersInfoA actions and flags, Win32 values.
enum : unsigned
{
    SPI_GETFILTERKEYS = 0x0032,
    SPI_SETFILTERKEYS = 0x0033,
    SPI_GETTOGGLEKEYS = 0x0034,
    SPI_SETTOGGLEKEYS = 0x0035,
    SPI_GETSTICKYKEYS = 0x003A,
    SPI_SETSTICKYKEYS = 0x003B,
    SPI_SETSCREENSAVERRUNNING = 0x0061,
};
enum : unsigned
{
    SPIF_UPDATEINIFILE = 0x1,
    SPIF_SENDCHANGE = 0x2,
};

enum : uint32_t
{
    SKF_STICKYKEYSON = 0x001,
    SKF_AVAILABLE = 0x002,
    SKF_HOTKEYACTIVE = 0x004,
    SKF_CONFIRMHOTKEY = 0x008,
    SKF_HOTKEYSOUND = 0x010,
    SKF_INDICATOR = 0x020,
    SKF_AUDIBLEFEEDBACK = 0x040,
    SKF_TRISTATE = 0x080,
    SKF_TWOKEYSOFF = 0x100,

    TKF_TOGGLEKEYSON = 0x01,
    TKF_AVAILABLE = 0x02,
    TKF_HOTKEYACTIVE = 0x04,
    TKF_CONFIRMHOTKEY = 0x08,
    TKF_HOTKEYSOUND = 0x10,
    TKF_INDICATOR = 0x20,

    FKF_FILTERKEYSON = 0x01,
    FKF_AVAILABLE = 0x02,
    FKF_HOTKEYACTIVE = 0x04,
    FKF_CONFIRMHOTKEY = 0x08,
    FKF_HOTKEYSOUND = 0x10,
    FKF_INDICATOR = 0x20,
    FKF_CLICKON = 0x40,
};

// cbSize must be the size of the record, as Win32 demands.
struct STICKYKEYS
{
    uint32_t cbSize = sizeof(STICKYKEYS);
    uint32_t dwFlags = 0;
};

struct TOGGLEKEYS
{
    uint32_t cbSize = sizeof(TOGGLEKEYS);
    uint32_t dwFlags = 0;
};

struct FILTERKEYS
{
    uint32_t cbSize = sizeof(FILTERKEYS);
    uint32_t dwFlags = 0;
    uint32_t iWaitMSec = 0;
    uint32_t iDelayMSec = 0;
    uint32_t iRepeatMSec = 0;
    uint32_t iBounceMSec = 0;
};

// The GET actions copy the current record into data, the SET actions take it
// from data; SPI_SETSCREENSAVERRUNNING takes the flag in param and, when data
// is not null, stores the previous flag there as an int. winIni is accepted
// and ignored: nothing is ever stored beyond the process. Returns false for
// an unknown action, a null record or a record whose cbSize is wrong.
bool SystemParametersInfoA(unsigned action, unsigned param, void* data, unsigned winIni);

// For tests: the screen-saver-running flag last set, and a way back to the
// fresh defaults.
bool ScreenSaverRunningFlag();
void ResetSystemParameters();
} // namespace win
