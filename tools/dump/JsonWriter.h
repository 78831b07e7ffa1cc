// A small streaming JSON writer for the dump tool: objects, arrays, keys and
// plain values, with the commas placed by the writer so that each dump kind
// only says what it prints.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

class JsonWriter
{
  public:
    explicit JsonWriter(std::ostream& out) : m_Out(out) {}

    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    // The next value (or object, or array) belongs to this key.
    void Key(const std::string& key);

    void String(const std::string& text);
    void Number(double value);
    void Integer(int64_t value);
    void Bool(bool value);
    void Null();

    // Shorthands for a key and its value.
    void Field(const std::string& key, const std::string& text) { Key(key), String(text); }
    void Field(const std::string& key, const char* text) { Key(key), String(text ? text : ""); }
    void Field(const std::string& key, double value) { Key(key), Number(value); }
    void Field(const std::string& key, float value) { Key(key), Number(value); }
    void Field(const std::string& key, int value) { Key(key), Integer(value); }
    void Field(const std::string& key, unsigned value) { Key(key), Integer(value); }
    void Field(const std::string& key, int64_t value) { Key(key), Integer(value); }
    void Field(const std::string& key, bool value) { Key(key), Bool(value); }
    void NumberArray(const std::string& key, const std::vector<double>& values);

  private:
    void BeforeValue();
    void WriteQuoted(const std::string& text);

    std::ostream& m_Out;
    // One entry per open object or array: whether it holds a value yet.
    std::vector<bool> m_HasValue;
    bool m_AfterKey = false;
};
