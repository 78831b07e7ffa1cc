// Test helpers: a logger writing into a temporary folder, and its lines.
#pragma once

#include "shell/QV7_Logger.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

// A fresh temporary folder, removed with the object.
class TempDir
{
  public:
    TempDir()
    {
        char pattern[] = "/tmp/qv7-test-XXXXXX";
        m_Path = mkdtemp(pattern);
        m_Path += '/';
    }
    ~TempDir() { std::filesystem::remove_all(m_Path); }
    const std::string& Path() const { return m_Path; }

  private:
    std::string m_Path;
};

// The text of every log line (after the "] : " prefix) of a log file.
inline std::vector<std::string> LogTexts(const std::string& path)
{
    std::vector<std::string> texts;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const size_t at = line.find("] : ");
        if (!line.empty() && line[0] == '[' && at != std::string::npos)
            texts.push_back(line.substr(at + 4));
    }
    return texts;
}

// Installs a logger over a temporary file for the life of the object.
class ScopedTestLogger
{
  public:
    ScopedTestLogger() : m_Logger(m_Dir.Path() + "Logger.dat") { g_logger = &m_Logger; }
    ~ScopedTestLogger() { g_logger = nullptr; }
    std::vector<std::string> Lines() const { return LogTexts(m_Logger.Path()); }
    bool Contains(const std::string& text) const
    {
        for (const std::string& line : Lines())
            if (line == text)
                return true;
        return false;
    }

  private:
    TempDir m_Dir;
    QV7_Logger m_Logger;
};
