// Writes JSON text; non-finite numbers become null, since JSON has no NaN.
#include "tools/dump/JsonWriter.h"

#include <cmath>
#include <cstdio>

void JsonWriter::BeforeValue()
{
    if (m_AfterKey)
    {
        m_AfterKey = false;
        return;
    }
    if (!m_HasValue.empty())
    {
        if (m_HasValue.back())
            m_Out << ',';
        m_HasValue.back() = true;
    }
}

void JsonWriter::BeginObject()
{
    BeforeValue();
    m_Out << '{';
    m_HasValue.push_back(false);
}

void JsonWriter::EndObject()
{
    m_Out << '}';
    m_HasValue.pop_back();
}

void JsonWriter::BeginArray()
{
    BeforeValue();
    m_Out << '[';
    m_HasValue.push_back(false);
}

void JsonWriter::EndArray()
{
    m_Out << ']';
    m_HasValue.pop_back();
}

void JsonWriter::Key(const std::string& key)
{
    BeforeValue();
    WriteQuoted(key);
    m_Out << ':';
    m_AfterKey = true;
}

void JsonWriter::String(const std::string& text)
{
    BeforeValue();
    WriteQuoted(text);
}

void JsonWriter::WriteQuoted(const std::string& text)
{
    m_Out << '"';
    for (unsigned char c : text)
    {
        if (c == '"' || c == '\\')
            m_Out << '\\' << c;
        else if (c < 0x20)
        {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            m_Out << escaped;
        }
        else
            m_Out << c;
    }
    m_Out << '"';
}

void JsonWriter::Number(double value)
{
    BeforeValue();
    if (!std::isfinite(value))
    {
        m_Out << "null";
        return;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    m_Out << text;
}

void JsonWriter::Integer(int64_t value)
{
    BeforeValue();
    m_Out << value;
}

void JsonWriter::Bool(bool value)
{
    BeforeValue();
    m_Out << (value ? "true" : "false");
}

void JsonWriter::Null()
{
    BeforeValue();
    m_Out << "null";
}

void JsonWriter::NumberArray(const std::string& key, const std::vector<double>& values)
{
    Key(key);
    BeginArray();
    for (double value : values)
        Number(value);
    EndArray();
}
