// Tokens of the text .x format.
#include "platform/d3dx/XFileTokenizer.h"

namespace d3dx
{
namespace
{
bool IsNameStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool IsNameChar(char c)
{
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}
bool IsNumberChar(char c)
{
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
}
bool IsNumberStart(char c)
{
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
}
// Names longer than this are no names of ours; cutting the read keeps a
// malicious file from making one huge string.
constexpr size_t kLongestToken = 4096;
} // namespace

void XFileTokenizer::SkipBlanks()
{
    while (m_Position < m_Size)
    {
        const char c = m_Text[m_Position];
        if (c == '\n')
            ++m_Line;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',' || c == ';' || c == '\0')
        {
            ++m_Position;
            continue;
        }
        const bool slashes = c == '/' && m_Position + 1 < m_Size && m_Text[m_Position + 1] == '/';
        if (!slashes && c != '#')
            return;
        while (m_Position < m_Size && m_Text[m_Position] != '\n')
            ++m_Position;
    }
}

XToken XFileTokenizer::ReadDelimited(char close, XToken kind)
{
    ++m_Position; // the opening quote or bracket
    const size_t start = m_Position;
    while (m_Position < m_Size && m_Text[m_Position] != close && m_Text[m_Position] != '\n' &&
           m_Position - start < kLongestToken)
        ++m_Position;
    if (m_Position >= m_Size || m_Text[m_Position] != close)
        return XToken::Error;
    m_Token.assign(m_Text + start, m_Position - start);
    ++m_Position;
    return kind;
}

XToken XFileTokenizer::ReadWhile(bool (*accept)(char), XToken kind)
{
    const size_t start = m_Position;
    while (m_Position < m_Size && accept(m_Text[m_Position]))
        if (++m_Position - start > kLongestToken)
            return XToken::Error;
    m_Token.assign(m_Text + start, m_Position - start);
    return kind;
}

XToken XFileTokenizer::Next()
{
    if (m_Peeked)
    {
        m_Peeked = false;
        m_Token.swap(m_PeekedText);
        m_Line = m_PeekedLine;
        return m_PeekedToken;
    }
    SkipBlanks();
    m_Token.clear();
    if (m_Position >= m_Size)
        return XToken::End;
    const char c = m_Text[m_Position];
    if (c == '{' || c == '}')
    {
        ++m_Position;
        return c == '{' ? XToken::Open : XToken::Close;
    }
    if (c == '"')
        return ReadDelimited('"', XToken::String);
    if (c == '<')
        return ReadDelimited('>', XToken::Guid);
    if (IsNameStart(c))
        return ReadWhile(IsNameChar, XToken::Name);
    if (IsNumberStart(c))
        return ReadWhile(IsNumberChar, XToken::Number);
    return XToken::Error;
}

XToken XFileTokenizer::Peek()
{
    if (!m_Peeked)
    {
        const std::string current = m_Token;
        const int line = m_Line;
        m_PeekedToken = Next();
        m_PeekedText.swap(m_Token);
        m_PeekedLine = m_Line;
        m_Token = current;
        m_Line = line;
        m_Peeked = true;
    }
    return m_PeekedToken;
}
} // namespace d3dx
