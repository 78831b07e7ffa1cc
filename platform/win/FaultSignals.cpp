// The fault handlers. Everything the handler touches is static and set up
// before any fault: the reporter pointer, the alternate stack, the guard that
// tells a fault inside the reporter from a first fault.
#include "platform/win/FaultSignals.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <ucontext.h>
#include <unistd.h>

namespace win
{
namespace
{
constexpr int kExitCode = 3;
constexpr size_t kAltStackSize = 256 * 1024;

alignas(16) char s_altStack[kAltStackSize];
std::atomic<FaultReporter> s_reporter{nullptr};
// The thread that is reporting, 0 while none is.
std::atomic<pid_t> s_reportingThread{0};

const void* FaultAddress(const siginfo_t* info, void* context)
{
#if defined(__x86_64__)
    if (context)
        return reinterpret_cast<const void*>(static_cast<ucontext_t*>(context)->uc_mcontext.gregs[REG_RIP]);
#elif defined(__aarch64__)
    if (context)
        return reinterpret_cast<const void*>(static_cast<ucontext_t*>(context)->uc_mcontext.pc);
#else
    (void)context;
#endif
    return info->si_addr;
}

// A fault in the reporter itself ends the process at once; a second thread
// faulting meanwhile waits for the first report to end the process.
void OnFault(int signal, siginfo_t* info, void* context)
{
    pid_t self = ::gettid();
    pid_t idle = 0;
    if (!s_reportingThread.compare_exchange_strong(idle, self))
    {
        if (idle == self)
            ::_exit(kExitCode);
        for (;;)
            ::pause();
    }
    if (FaultReporter reporter = s_reporter.load())
        reporter(ExceptionCodeForSignal(signal, info->si_code), FaultAddress(info, context));
    ::_exit(kExitCode);
}

uint32_t FloatingPointCode(int siCode)
{
    switch (siCode)
    {
    case FPE_INTDIV:
        return EXCEPTION_INT_DIVIDE_BY_ZERO;
    case FPE_INTOVF:
        return EXCEPTION_INT_OVERFLOW;
    case FPE_FLTDIV:
        return EXCEPTION_FLT_DIVIDE_BY_ZERO;
    case FPE_FLTOVF:
        return EXCEPTION_FLT_OVERFLOW;
    case FPE_FLTUND:
        return EXCEPTION_FLT_UNDERFLOW;
    case FPE_FLTRES:
        return EXCEPTION_FLT_INEXACT_RESULT;
    case FPE_FLTSUB:
        return EXCEPTION_ARRAY_BOUNDS_EXCEEDED;
    default:
        return EXCEPTION_FLT_INVALID_OPERATION;
    }
}

void WriteAll(int fd, const char* text, size_t length)
{
    while (length > 0)
    {
        ssize_t n = ::write(fd, text, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        text += n;
        length -= static_cast<size_t>(n);
    }
}

size_t Length(const char* text)
{
    size_t n = 0;
    while (text[n])
        ++n;
    return n;
}

// Copies the digits held backwards in reversed into out.
size_t EmitReversed(const char* reversed, size_t count, char* out, size_t outSize)
{
    if (!out || outSize == 0)
        return 0;
    size_t written = 0;
    while (count > 0 && written + 1 < outSize)
        out[written++] = reversed[--count];
    out[written] = '\0';
    return written;
}
} // namespace

uint32_t ExceptionCodeForSignal(int signal, int siCode)
{
    switch (signal)
    {
    case SIGBUS:
        return siCode == BUS_ADRALN ? EXCEPTION_DATATYPE_MISALIGNMENT : EXCEPTION_ACCESS_VIOLATION;
    case SIGFPE:
        return FloatingPointCode(siCode);
    case SIGILL:
        return siCode == ILL_PRVOPC ? EXCEPTION_PRIV_INSTRUCTION : EXCEPTION_ILLEGAL_INSTRUCTION;
    case SIGTRAP:
        return siCode == TRAP_TRACE ? EXCEPTION_SINGLE_STEP : EXCEPTION_BREAKPOINT;
    default:
        return EXCEPTION_ACCESS_VIOLATION;
    }
}

void InstallFaultHandlers(FaultReporter reporter)
{
    s_reporter.store(reporter);

    stack_t stack{};
    stack.ss_sp = s_altStack;
    stack.ss_size = kAltStackSize;
    ::sigaltstack(&stack, nullptr);

    struct sigaction action
    {
    };
    action.sa_sigaction = OnFault;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL})
        ::sigaction(signal, &action, nullptr);
}

size_t SignalSafeFormatInt(int64_t value, char* out, size_t outSize)
{
    char reversed[24];
    size_t count = 0;
    // Negating in unsigned arithmetic keeps INT64_MIN correct.
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    do
    {
        reversed[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        reversed[count++] = '-';
    return EmitReversed(reversed, count, out, outSize);
}

size_t SignalSafeFormatHex(uint64_t value, unsigned minDigits, char* out, size_t outSize)
{
    char reversed[16];
    size_t count = 0;
    do
    {
        reversed[count++] = "0123456789abcdef"[value & 0xF];
        value >>= 4;
    } while (value != 0 || (count < minDigits && count < sizeof reversed));
    return EmitReversed(reversed, count, out, outSize);
}

size_t SignalSafeAppend(char* out, size_t outSize, const char* text)
{
    if (!out || outSize == 0)
        return 0;
    size_t length = 0;
    while (length + 1 < outSize && out[length])
        ++length;
    while (text && *text && length + 1 < outSize)
        out[length++] = *text++;
    out[length] = '\0';
    return length;
}

void SignalSafeAppendLine(const char* path, const char* text)
{
    int fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    WriteAll(fd, text, Length(text));
    WriteAll(fd, "\n", 1);
    ::close(fd);
}

void SignalSafeAppendBytes(const char* path, const char* bytes, size_t length)
{
    int fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    WriteAll(fd, bytes, length);
    ::close(fd);
}
} // namespace win
