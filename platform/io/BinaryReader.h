// The one bounds-checked reader every data-file loader goes through.
// It holds the whole file in memory; every read is checked against the bytes
// left, and once a read fails the reader stays failed, so a loader can read a
// whole record and check Failed() once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class BinaryReader
{
  public:
    BinaryReader() = default;
    explicit BinaryReader(std::vector<uint8_t> bytes) : m_Bytes(std::move(bytes)) {}
    BinaryReader(const void* data, size_t size);

    // Reads the whole file; false (and a failed, empty reader) when it cannot be opened.
    bool OpenFile(const std::string& path);

    bool ReadBytes(void* out, size_t count);
    bool Skip(size_t count);
    int32_t ReadInt32();
    // The next int32 without moving on; 0 when fewer than 4 bytes are left.
    int32_t PeekInt32() const;
    uint32_t ReadUInt32();
    uint16_t ReadUInt16();
    uint8_t ReadUInt8();
    float ReadFloat();

    // A count read from the file, refused (reader failed, 0 returned) when it is
    // negative or when count * minRecordSize exceeds the bytes left.
    int32_t ReadCount(size_t minRecordSize);

    bool Failed() const { return m_Failed; }
    void Fail() { m_Failed = true; }
    size_t Position() const { return m_Pos; }
    size_t Size() const { return m_Bytes.size(); }
    size_t Remaining() const { return m_Failed ? 0 : m_Bytes.size() - m_Pos; }
    bool AtEnd() const { return m_Pos >= m_Bytes.size(); }
    const uint8_t* Data() const { return m_Bytes.data(); }

  private:
    std::vector<uint8_t> m_Bytes;
    size_t m_Pos = 0;
    bool m_Failed = false;
};
