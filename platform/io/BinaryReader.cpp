// Bounds-checked little-endian reads over an in-memory file.
#include "platform/io/BinaryReader.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

BinaryReader::BinaryReader(const void* data, size_t size)
    : m_Bytes(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size)
{
}

bool BinaryReader::OpenFile(const std::string& path)
{
    m_Bytes.clear();
    m_Pos = 0;
    m_Failed = false;
    // Only a plain file: a folder opens as a stream, but claims any size and throws on reading.
    std::error_code error;
    std::ifstream in;
    if (std::filesystem::is_regular_file(path, error))
        in.open(path, std::ios::binary);
    if (!in.is_open() || !in)
    {
        m_Failed = true;
        return false;
    }
    // One read of the whole file where its size is known (an island's map is
    // 12 MB); byte by byte otherwise.
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size >= 0 && in)
    {
        m_Bytes.resize(size_t(size));
        in.read(reinterpret_cast<char*>(m_Bytes.data()), size);
        m_Bytes.resize(size_t(in.gcount()));
        return true;
    }
    in.clear();
    in.seekg(0, std::ios::beg);
    try
    {
        m_Bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    catch (const std::ios_base::failure&)
    {
        m_Bytes.clear();
        m_Failed = true;
        return false;
    }
    return true;
}

bool BinaryReader::ReadBytes(void* out, size_t count)
{
    if (m_Failed || count > m_Bytes.size() - m_Pos)
    {
        m_Failed = true;
        if (count)
            std::memset(out, 0, count);
        return false;
    }
    if (count)
        std::memcpy(out, m_Bytes.data() + m_Pos, count);
    m_Pos += count;
    return true;
}

bool BinaryReader::Skip(size_t count)
{
    if (m_Failed || count > m_Bytes.size() - m_Pos)
    {
        m_Failed = true;
        return false;
    }
    m_Pos += count;
    return true;
}

uint32_t BinaryReader::ReadUInt32()
{
    uint8_t b[4];
    ReadBytes(b, 4);
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

int32_t BinaryReader::ReadInt32()
{
    return static_cast<int32_t>(ReadUInt32());
}

int32_t BinaryReader::PeekInt32() const
{
    if (Remaining() < 4)
        return 0;
    const uint8_t* b = m_Bytes.data() + m_Pos;
    return static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                                uint32_t(b[3]) << 24);
}

uint16_t BinaryReader::ReadUInt16()
{
    uint8_t b[2];
    ReadBytes(b, 2);
    return static_cast<uint16_t>(b[0] | b[1] << 8);
}

uint8_t BinaryReader::ReadUInt8()
{
    uint8_t b = 0;
    ReadBytes(&b, 1);
    return b;
}

float BinaryReader::ReadFloat()
{
    uint32_t bits = ReadUInt32();
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

int32_t BinaryReader::ReadCount(size_t minRecordSize)
{
    int32_t count = ReadInt32();
    if (m_Failed || count < 0 || (minRecordSize && size_t(count) > Remaining() / minRecordSize))
    {
        m_Failed = true;
        return 0;
    }
    return count;
}
