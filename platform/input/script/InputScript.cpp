// Parsing of input scripts.
#include "platform/input/script/InputScript.h"

#include "platform/input/KeyCodes.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>

namespace input::script
{
namespace
{
constexpr int kMaxFrameCount = 1000000; // a bound on wait and press, about four hours at 16 ms

struct KeyName
{
    const char* name;
    int code;
};

#define QV7_SCRIPT_KEY_NAME(name, code) {#name, code},
const KeyName kKeyNames[] = {QV7_KEY_CODE_LIST(QV7_SCRIPT_KEY_NAME)};
#undef QV7_SCRIPT_KEY_NAME

bool ParseInt(const std::string& word, int low, int high, int& value)
{
    if (word.empty())
        return false;
    char* end = nullptr;
    const long parsed = std::strtol(word.c_str(), &end, 10);
    if (*end != '\0' || parsed < low || parsed > high)
        return false;
    value = int(parsed);
    return true;
}

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return text;
}

// Reads one script line into the frames; an error text when it is not understood.
class LineReader
{
  public:
    explicit LineReader(ParsedScript& script) : m_Script(script) {}

    std::string Read(const std::vector<std::string>& words)
    {
        const std::string& command = words[0];
        if (command == "ms")
            return Number(words, 1, 1000, m_Ms) ? "" : "ms takes a number from 1 to 1000";
        if (command == "wait")
        {
            int count = 0;
            if (!Number(words, 1, kMaxFrameCount, count))
                return "wait takes a frame count";
            Append(count, {});
            return "";
        }
        if (command == "move")
            return Move(words, 1) ? "" : "move takes x (0..799) and y (0..599)";
        if (command == "click")
            return Click(words);
        if (command == "press")
            return Press(words);
        return "unknown command '" + command + "'";
    }

  private:
    bool Number(const std::vector<std::string>& words, int low, int high, int& value) const
    {
        return words.size() == 2 && ParseInt(words[1], low, high, value);
    }

    bool Move(const std::vector<std::string>& words, size_t first)
    {
        int x = 0, y = 0;
        if (words.size() != first + 2 || !ParseInt(words[first], 0, 799, x) || !ParseInt(words[first + 1], 0, 599, y))
            return false;
        m_X = x;
        m_Y = y;
        return true;
    }

    std::string Click(const std::vector<std::string>& words)
    {
        if (words.size() != 1 && !Move(words, 1))
            return "click takes nothing or x (0..799) and y (0..599)";
        Append(1, {}, true);
        Append(1, {});
        return "";
    }

    std::string Press(const std::vector<std::string>& words)
    {
        if (words.size() < 2 || words.size() > 3)
            return "press takes a key and an optional frame count";
        int code = KeyCodeByName(words[1]);
        if (code < 0 && !ParseInt(words[1], 1, 255, code))
            return "unknown key '" + words[1] + "'";
        int count = 1;
        if (words.size() == 3 && !ParseInt(words[2], 1, kMaxFrameCount, count))
            return "press takes a frame count from 1";
        Append(count, {code});
        Append(1, {});
        return "";
    }

    void Append(int count, const std::vector<int>& keys, bool leftButton = false)
    {
        ScriptFrame frame;
        frame.ms = uint32_t(m_Ms);
        frame.cursorX = m_X;
        frame.cursorY = m_Y;
        frame.leftButton = leftButton;
        frame.keys = keys;
        m_Script.steps.push_back({frame, count});
    }

    ParsedScript& m_Script;
    int m_Ms = 16;
    int m_X = 400;
    int m_Y = 300;
};

std::vector<std::string> Words(const std::string& line)
{
    const std::string code = line.substr(0, line.find('#'));
    std::istringstream stream(code);
    std::vector<std::string> words;
    for (std::string word; stream >> word;)
        words.push_back(word);
    return words;
}
} // namespace

int KeyCodeByName(const std::string& name)
{
    const std::string wanted = Upper(name);
    for (const KeyName& key : kKeyNames)
        if (wanted == key.name)
            return key.code;
    return -1;
}

ParsedScript ParseInputScript(const std::string& text)
{
    ParsedScript script;
    LineReader reader(script);
    std::istringstream lines(text);
    int number = 0;
    for (std::string line; std::getline(lines, line);)
    {
        ++number;
        const std::vector<std::string> words = Words(line);
        if (words.empty())
            continue;
        if (words[0] == "close" && words.size() == 1)
            break;
        const std::string error = reader.Read(words);
        if (!error.empty())
        {
            script.steps.clear();
            script.error = "line " + std::to_string(number) + ": " + error;
            break;
        }
    }
    return script;
}
} // namespace input::script
