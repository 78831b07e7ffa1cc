// qv7-soak [RACES] [SEED] [FRAME_CAP]: races back to back in one process on the null
// back-ends, the resident memory printed every 100 races; exits 1 when a race
// did not load or a later report is more than 5 % above the first.
#include "tools/soak/SoakRaces.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

int main(int argc, char** argv)
{
    SoakOptions options;
    if (argc > 1)
        options.races = std::atoi(argv[1]);
    if (argc > 2)
        options.seed = uint32_t(std::strtoul(argv[2], nullptr, 10));
    if (argc > 3)
        options.frameCap = std::atoi(argv[3]);
    if (options.races <= 0 || options.frameCap <= 0)
    {
        std::fprintf(stderr, "usage: qv7-soak [RACES] [SEED] [FRAME_CAP]\n");
        return 2;
    }
    options.reportEvery = options.races < 100 ? options.races : 100;
    try
    {
        const SoakReport report = RunSoak(options, stdout);
        std::printf("soak: %d races, %d did not load, %d hit the frame cap, %d respawns asked; "
                    "resident memory %ld kB after the first report, %ld kB at the end, at most %+.1f %% above the "
                    "first: %s\n",
                    report.racesRun, report.loadFailures, report.capped, report.respawnsAsked,
                    report.residentKb.empty() ? 0L : report.residentKb.front(),
                    report.residentKb.empty() ? 0L : report.residentKb.back(), (report.growth - 1.0) * 100.0,
                    report.Passed() ? "pass" : "FAIL");
        return report.Passed() ? 0 : 1;
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "soak: %s\n", e.what());
        return 1;
    }
}
