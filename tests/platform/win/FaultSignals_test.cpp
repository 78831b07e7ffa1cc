// Hardware faults in a forked child: the reporter must receive the Windows
// exception code and the child must end with exit code 3. The faults are
// real ones (bad write, divide, trap instruction, stack overflow) where the
// machine can make them, plus signals sent by raise().
#include "platform/win/FaultSignals.h"

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace
{
char g_reportPath[256];

void WriteCodeReporter(uint32_t code, const void* address)
{
    char line[64] = "";
    char number[24];
    win::SignalSafeFormatHex(code, 8, number, sizeof number);
    win::SignalSafeAppend(line, sizeof line, number);
    win::SignalSafeAppend(line, sizeof line, address ? " address" : " null");
    win::SignalSafeAppendLine(g_reportPath, line);
}

// The sanitizers would stop these writes before they reach the hardware.
#define QV7_UNCHECKED __attribute__((no_sanitize("address"), no_sanitize("undefined")))

QV7_UNCHECKED void FaultingReporter(uint32_t code, const void* address)
{
    WriteCodeReporter(code, address);
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
    win::SignalSafeAppendLine(g_reportPath, "not reached");
}

QV7_UNCHECKED void NullWrite()
{
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
}

// Both operands are read at run time so the compiler cannot fold the division.
volatile int g_one = 1;
volatile int g_zero = 0;
volatile int g_sink = 0;
QV7_UNCHECKED void DivideByZero()
{
    g_sink = g_one / g_zero;
}

volatile int g_depth = INT_MAX;
__attribute__((noinline)) int Recurse(int depth)
{
    volatile char frame[512];
    frame[0] = static_cast<char>(depth);
    if (depth == 0)
        return 0;
    return Recurse(depth - 1) + frame[0];
}
void OverflowStack()
{
    g_sink = Recurse(g_depth);
}

void TrapInstruction()
{
    __builtin_trap();
}
void RaiseSegv()
{
    std::raise(SIGSEGV);
}
void RaiseBus()
{
    std::raise(SIGBUS);
}
void RaiseFpe()
{
    std::raise(SIGFPE);
}
void RaiseIll()
{
    std::raise(SIGILL);
}

std::string ReadReport()
{
    std::ifstream in(g_reportPath);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class FaultSignalsTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        std::snprintf(g_reportPath, sizeof g_reportPath, "/tmp/qv7-fault-%d.txt",
                      static_cast<int>(::getpid()));
        ::unlink(g_reportPath);
    }
    void TearDown() override { ::unlink(g_reportPath); }
};

[[noreturn]] void RunInChild(win::FaultReporter reporter, void (*fault)())
{
    win::InstallFaultHandlers(reporter);
    fault();
    ::_exit(0);
}

TEST_F(FaultSignalsTest, FaultsAreReportedWithTheirWindowsCodeAndExitThree)
{
    struct Case
    {
        const char* what;
        void (*fault)();
        const char* expected;
    };
    const Case cases[] = {
        {"write through a null pointer", NullWrite, "c0000005 address\n"},
        {"stack overflow", OverflowStack, "c0000005 address\n"},
#if defined(__x86_64__) || defined(__i386__)
        {"integer divide by zero", DivideByZero, "c0000094 address\n"},
        {"trap instruction", TrapInstruction, "c000001d address\n"},
#endif
        {"raise SIGSEGV", RaiseSegv, "c0000005 address\n"},
        {"raise SIGBUS", RaiseBus, "c0000005 address\n"},
        {"raise SIGFPE", RaiseFpe, "c0000090 address\n"},
        {"raise SIGILL", RaiseIll, "c000001d address\n"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        ::unlink(g_reportPath);
        EXPECT_EXIT(RunInChild(WriteCodeReporter, c.fault), ::testing::ExitedWithCode(3), "");
        EXPECT_EQ(ReadReport(), c.expected);
    }
}

TEST_F(FaultSignalsTest, FaultInsideTheReporterStillExitsThree)
{
    EXPECT_EXIT(RunInChild(FaultingReporter, RaiseFpe), ::testing::ExitedWithCode(3), "");
    EXPECT_EQ(ReadReport(), "c0000090 address\n");
    EXPECT_EXIT(RunInChild(nullptr, NullWrite), ::testing::ExitedWithCode(3), "");
}

TEST(FaultSignals, SignalDetailMapsToTheExceptionTable)
{
    struct Case
    {
        int signal;
        int siCode;
        uint32_t expected;
    };
    const Case cases[] = {
        {SIGSEGV, SEGV_MAPERR, win::EXCEPTION_ACCESS_VIOLATION},
        {SIGSEGV, SEGV_ACCERR, win::EXCEPTION_ACCESS_VIOLATION},
        {SIGBUS, BUS_ADRERR, win::EXCEPTION_ACCESS_VIOLATION},
        {SIGBUS, BUS_ADRALN, win::EXCEPTION_DATATYPE_MISALIGNMENT},
        {SIGFPE, FPE_INTDIV, win::EXCEPTION_INT_DIVIDE_BY_ZERO},
        {SIGFPE, FPE_INTOVF, win::EXCEPTION_INT_OVERFLOW},
        {SIGFPE, FPE_FLTDIV, win::EXCEPTION_FLT_DIVIDE_BY_ZERO},
        {SIGFPE, FPE_FLTOVF, win::EXCEPTION_FLT_OVERFLOW},
        {SIGFPE, FPE_FLTUND, win::EXCEPTION_FLT_UNDERFLOW},
        {SIGFPE, FPE_FLTRES, win::EXCEPTION_FLT_INEXACT_RESULT},
        {SIGFPE, FPE_FLTINV, win::EXCEPTION_FLT_INVALID_OPERATION},
        {SIGFPE, FPE_FLTSUB, win::EXCEPTION_ARRAY_BOUNDS_EXCEEDED},
        {SIGILL, ILL_PRVOPC, win::EXCEPTION_PRIV_INSTRUCTION},
        {SIGILL, ILL_ILLOPC, win::EXCEPTION_ILLEGAL_INSTRUCTION},
        {SIGTRAP, TRAP_BRKPT, win::EXCEPTION_BREAKPOINT},
        {SIGTRAP, TRAP_TRACE, win::EXCEPTION_SINGLE_STEP},
    };
    for (const Case& c : cases)
        EXPECT_EQ(win::ExceptionCodeForSignal(c.signal, c.siCode), c.expected)
            << "signal " << c.signal << " code " << c.siCode;
}

TEST(FaultSignals, SignalSafeFormattingCutsAndTerminates)
{
    char out[24];
    EXPECT_EQ(
        win::SignalSafeFormatInt(static_cast<int32_t>(win::EXCEPTION_ACCESS_VIOLATION), out, sizeof out),
        11u);
    EXPECT_STREQ(out, "-1073741819");
    win::SignalSafeFormatInt(INT64_MIN, out, sizeof out);
    EXPECT_STREQ(out, "-9223372036854775808");
    win::SignalSafeFormatInt(0, out, sizeof out);
    EXPECT_STREQ(out, "0");
    EXPECT_EQ(win::SignalSafeFormatInt(123456, out, 4), 3u);
    EXPECT_STREQ(out, "123");
    win::SignalSafeFormatHex(0x4012A0, 8, out, sizeof out);
    EXPECT_STREQ(out, "004012a0");
    win::SignalSafeFormatHex(0xFFFFFFFFFFFFFFFFull, 8, out, sizeof out);
    EXPECT_STREQ(out, "ffffffffffffffff");

    char line[8] = "ab";
    EXPECT_EQ(win::SignalSafeAppend(line, sizeof line, "cdefghij"), 7u);
    EXPECT_STREQ(line, "abcdefg");
}
} // namespace
