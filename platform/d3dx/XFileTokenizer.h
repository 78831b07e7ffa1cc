// The words of a text .x file: names, numbers, strings, braces and GUIDs.
// Commas and semicolons only separate values, and the counts in the data say
// how many values follow, so they are passed over like white space; comments
// run from "//" or "#" to the end of the line. Reading never goes past the
// end of the bytes, and every call moves on or reports End or Error, so a
// reader looping over tokens always ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace d3dx
{
enum class XToken
{
    End,
    Error, // a character no token starts with, or an unterminated string or GUID
    Name,
    Number,
    String,
    Guid,
    Open,
    Close
};

class XFileTokenizer
{
  public:
    XFileTokenizer(const char* text, size_t size) : m_Text(text), m_Size(size) {}

    XToken Next();
    XToken Peek();
    // The text of the last token Next returned (without quotes or brackets).
    const std::string& Text() const { return m_Token; }
    int Line() const { return m_Line; }
    size_t BytesLeft() const { return m_Size - m_Position; }

  private:
    void SkipBlanks();
    XToken ReadDelimited(char close, XToken kind);
    XToken ReadWhile(bool (*accept)(char), XToken kind);

    const char* m_Text;
    size_t m_Size;
    size_t m_Position = 0;
    int m_Line = 1;
    std::string m_Token;
    bool m_Peeked = false;
    XToken m_PeekedToken = XToken::End;
    std::string m_PeekedText;
    int m_PeekedLine = 1;
};
} // namespace d3dx
