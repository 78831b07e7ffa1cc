// Little-endian writer used by our data-file writers (tools/ and test fixtures).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class BinaryWriter
{
  public:
    void WriteBytes(const void* data, size_t count);
    void WriteInt32(int32_t v);
    void WriteUInt32(uint32_t v);
    void WriteUInt16(uint16_t v);
    void WriteUInt8(uint8_t v);
    void WriteFloat(float v);

    const std::vector<uint8_t>& Bytes() const { return m_Bytes; }
    // Writes the bytes to a file; false when it cannot be written.
    bool SaveToFile(const std::string& path) const;

  private:
    std::vector<uint8_t> m_Bytes;
};
