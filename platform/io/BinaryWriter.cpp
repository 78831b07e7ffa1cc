// Little-endian serialisation into a growing byte buffer.
#include "platform/io/BinaryWriter.h"

#include <cstring>
#include <fstream>

void BinaryWriter::WriteBytes(const void* data, size_t count)
{
    const uint8_t* p = static_cast<const uint8_t*>(data);
    m_Bytes.insert(m_Bytes.end(), p, p + count);
}

void BinaryWriter::WriteUInt32(uint32_t v)
{
    uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    WriteBytes(b, 4);
}

void BinaryWriter::WriteInt32(int32_t v) { WriteUInt32(static_cast<uint32_t>(v)); }

void BinaryWriter::WriteUInt16(uint16_t v)
{
    uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)};
    WriteBytes(b, 2);
}

void BinaryWriter::WriteUInt8(uint8_t v) { m_Bytes.push_back(v); }

void BinaryWriter::WriteFloat(float v)
{
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    WriteUInt32(bits);
}

bool BinaryWriter::SaveToFile(const std::string& path) const
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    out.write(reinterpret_cast<const char*>(m_Bytes.data()), static_cast<std::streamsize>(m_Bytes.size()));
    return static_cast<bool>(out);
}
