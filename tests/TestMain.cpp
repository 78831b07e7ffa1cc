// The main of every test executable: the test environment is set here rather
// than by CTest, so a test binary run by hand behaves as it does under ctest.
// Unit tests use the null back-ends; a test folder may ask for other values
// (QV7_TEST_ENV, "NAME=value,...") or for no leak checking (GL tests: Mesa and
// SDL leak at exit in ways suppressions cannot match).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

#ifdef QV7_TEST_NO_LEAK_CHECK
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }
#endif

int main(int argc, char** argv)
{
    setenv("QV7_BACKEND", "null", 0);
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("ALSOFT_DRIVERS", "null", 0);
    setenv("QV7_NO_BROWSER", "1", 0);
#ifdef QV7_TEST_ENV
    std::stringstream pairs(QV7_TEST_ENV);
    std::string pair;
    while (std::getline(pairs, pair, ','))
    {
        const size_t equals = pair.find('=');
        if (equals != std::string::npos)
            setenv(pair.substr(0, equals).c_str(), pair.substr(equals + 1).c_str(), 1);
    }
#endif
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
