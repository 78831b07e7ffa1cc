// Shared set-up of the sound tests: a temporary data folder, the settings
// singleton, the null sound back-end, captured log lines, and small Ogg
// Vorbis fixtures made by our own encoder.
#pragma once

#include "platform/sound/null/NullSound.h"
#include "platform/win/Backend.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_Windows.h"
#include "tools/writers/SoundPackWriter.h"
#include "tools/writers/VorbisEncoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

inline std::vector<std::string>& CapturedLog()
{
    static std::vector<std::string> lines;
    return lines;
}

inline std::vector<int16_t> SineTone(double seconds, int channels, int rate, double hz = 440.0)
{
    const size_t frames = size_t(seconds * rate);
    std::vector<int16_t> pcm(frames * size_t(channels));
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            pcm[i * size_t(channels) + size_t(c)] = int16_t(12000 * std::sin(2 * 3.14159265 * hz * double(i) / rate));
    return pcm;
}

class SoundTestBase : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/qv7-sound-XXXXXX";
        m_Dir = std::string(mkdtemp(pattern)) + "/";
        m_SavedDataDir = g_dataDir;
        g_dataDir = m_Dir;
        m_Windows = std::make_unique<QV7_Windows>();
        m_Windows->m_Settings.Debug = 1; // log lines are written
        CapturedLog().clear();
        QV7_Logger::SetConsoleEcho([](const char* text) { CapturedLog().push_back(text); });
        win::SetBackend(win::Backend::Null);
        snd::null::ClearFailures();
    }
    void TearDown() override
    {
        snd::null::ClearFailures();
        QV7_Logger::SetConsoleEcho(nullptr);
        m_Windows.reset();
        g_dataDir = m_SavedDataDir;
        std::filesystem::remove_all(m_Dir);
    }

    GameSettings& Settings() { return m_Windows->m_Settings; }

    void WriteSfx(int number, double seconds, int channels = 1, int rate = 8000)
    {
        ASSERT_TRUE(SaveSfxFile(m_Dir, number, SineTone(seconds, channels, rate), channels, rate));
    }
    void WriteRawFile(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        FILE* f = std::fopen((m_Dir + name).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }

    static bool Logged(const std::string& line)
    {
        const auto& log = CapturedLog();
        return std::find(log.begin(), log.end(), line) != log.end();
    }
    // Position of line in the log, or -1.
    static int LogIndex(const std::string& line)
    {
        const auto& log = CapturedLog();
        const auto it = std::find(log.begin(), log.end(), line);
        return it == log.end() ? -1 : int(it - log.begin());
    }

    std::string m_Dir;
    std::string m_SavedDataDir;
    std::unique_ptr<QV7_Windows> m_Windows;
};
