// Private-profile files: read the whole (small) file on every call, find the
// line in question, and for a write replace the file as a whole. Settings.ini
// is read a few dozen times at start-up and written when an options page
// closes, so no cache is kept: every call sees what is on disk.
#include "platform/win/Ini.h"

#include "platform/io/SafeFileSave.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

namespace win
{
namespace
{
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

struct IniText
{
    std::vector<std::string> lines;
    bool crlf = false;
    bool bom = false;
};

// Lines [first, end) of one section; first is the line after its header.
struct SectionRange
{
    size_t header;
    size_t first;
    size_t end;
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

// A header is '[' name ']' with blanks allowed around the name; a header whose
// ']' is missing still opens a section named by the rest of the line.
std::optional<std::string_view> SectionName(std::string_view line)
{
    line = Trim(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    line.remove_prefix(1);
    return Trim(line.substr(0, line.find(']')));
}

struct Entry
{
    std::string_view key;
    std::string_view value;
};

// Every line inside a section that is neither blank, a comment nor a header
// is an entry; a line without '=' is a key with an empty value.
std::optional<Entry> ParseEntry(std::string_view line)
{
    line = Trim(line);
    if (line.empty() || line.front() == ';' || line.front() == '[')
        return std::nullopt;
    size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return Entry{line, {}};
    return Entry{Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))};
}

// Returns false when the file exists but cannot be read; a missing file
// reads as empty.
bool ReadIni(const std::string& path, IniText& text, bool& exists)
{
    exists = false;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return errno == ENOENT;
    exists = true;
    std::string content;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        content.append(buffer, got);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        return false;

    if (content.starts_with(kUtf8Bom))
    {
        text.bom = true;
        content.erase(0, kUtf8Bom.size());
    }
    size_t start = 0;
    while (start < content.size())
    {
        size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
        {
            line.pop_back();
            if (text.lines.empty())
                text.crlf = true;
        }
        text.lines.push_back(std::move(line));
        start = end + 1;
    }
    return true;
}

std::optional<SectionRange> FindSection(const IniText& text, std::string_view name)
{
    for (size_t i = 0; i < text.lines.size(); ++i)
    {
        auto header = SectionName(text.lines[i]);
        if (!header || !EqualNoCase(*header, name))
            continue;
        size_t end = i + 1;
        while (end < text.lines.size() && !SectionName(text.lines[end]))
            ++end;
        return SectionRange{i, i + 1, end};
    }
    return std::nullopt;
}

std::optional<size_t> FindKey(const IniText& text, const SectionRange& section, std::string_view key)
{
    for (size_t i = section.first; i < section.end; ++i)
    {
        auto entry = ParseEntry(text.lines[i]);
        if (entry && EqualNoCase(entry->key, key))
            return i;
    }
    return std::nullopt;
}

std::optional<std::string> Lookup(const char* section, const char* key, const std::string& path)
{
    if (!section || !key)
        return std::nullopt;
    IniText text;
    bool exists;
    if (!ReadIni(path, text, exists) || !exists)
        return std::nullopt;
    auto range = FindSection(text, section);
    if (!range)
        return std::nullopt;
    auto line = FindKey(text, *range, key);
    if (!line)
        return std::nullopt;
    std::string_view value = ParseEntry(text.lines[*line])->value;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

std::string Serialise(const IniText& text)
{
    const char* eol = text.crlf ? "\r\n" : "\n";
    std::string out = text.bom ? std::string(kUtf8Bom) : std::string();
    for (const std::string& line : text.lines)
        out.append(line).append(eol);
    return out;
}

bool HasLineBreak(const char* s)
{
    return s && std::strpbrk(s, "\r\n") != nullptr;
}

// Names and values that would not read back as written are refused rather
// than written into a file they would break.
bool Writable(const char* section, const char* key, const char* value)
{
    if (!section || HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value))
        return false;
    if (std::strchr(section, ']'))
        return false;
    if (key)
    {
        std::string_view k = Trim(key);
        if (k.empty() || k.find('=') != std::string_view::npos || k.front() == ';' || k.front() == '[')
            return false;
    }
    return true;
}

// Applies the change to the lines; returns false when there is nothing to do.
bool Apply(IniText& text, const char* section, const char* key, const char* value)
{
    auto range = FindSection(text, section);
    if (!key)
    {
        if (!range)
            return false;
        text.lines.erase(text.lines.begin() + range->header, text.lines.begin() + range->end);
        return true;
    }
    std::optional<size_t> line = range ? FindKey(text, *range, key) : std::nullopt;
    if (!value)
    {
        if (!line)
            return false;
        text.lines.erase(text.lines.begin() + *line);
        return true;
    }
    if (line)
    {
        // The file's own spelling of the key is kept.
        text.lines[*line] = std::string(ParseEntry(text.lines[*line])->key) + "=" + value;
        return true;
    }
    std::string entry = std::string(Trim(key)) + "=" + value;
    if (range)
    {
        size_t after = range->header;
        for (size_t i = range->first; i < range->end; ++i)
            if (!Trim(text.lines[i]).empty())
                after = i;
        text.lines.insert(text.lines.begin() + after + 1, entry);
        return true;
    }
    if (!text.lines.empty() && !Trim(text.lines.back()).empty())
        text.lines.emplace_back();
    text.lines.push_back("[" + std::string(Trim(section)) + "]");
    text.lines.push_back(entry);
    return true;
}

// Windows' reading of a number: sign, then digits, wrapping like a 32-bit
// register rather than overflowing.
int ParseProfileInt(std::string_view s)
{
    s = Trim(s);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+'))
    {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    uint32_t value = 0;
    for (char c : s)
    {
        if (c < '0' || c > '9')
            break;
        value = value * 10u + static_cast<uint32_t>(c - '0');
    }
    if (negative)
        value = 0u - value;
    return static_cast<int>(value);
}
} // namespace

int GetPrivateProfileIntA(const char* section, const char* key, int defaultValue, const std::string& path)
{
    std::optional<std::string> value = Lookup(section, key, path);
    if (!value || value->empty())
        return defaultValue;
    return ParseProfileInt(*value);
}

size_t GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue, char* out,
                                size_t outSize, const std::string& path)
{
    if (!out || outSize == 0)
        return 0;
    std::optional<std::string> value = Lookup(section, key, path);
    std::string_view source =
        value ? std::string_view(*value) : std::string_view(defaultValue ? defaultValue : "");
    size_t count = std::min(source.size(), outSize - 1);
    std::memcpy(out, source.data(), count);
    out[count] = '\0';
    return count;
}

bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const std::string& path)
{
    return WritePrivateProfileStringA(section, key, value, path, FileSystemCalls::System());
}

bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const std::string& path, FileSystemCalls& calls)
{
    if (!Writable(section, key, value))
        return false;
    IniText text;
    bool exists;
    if (!ReadIni(path, text, exists))
        return false;
    if (!Apply(text, section, key, value))
        return true;
    const std::string content = Serialise(text);
    return SaveFileSafely(path, std::vector<uint8_t>(content.begin(), content.end()), calls);
}
} // namespace win
