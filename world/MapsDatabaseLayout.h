// The layout of the maps database's two files, written once for both
// directions: Maps_srt.qvx (the race maps, then the pointer-mesh flag and the
// optional pointer mesh) and Aip.dat (the computer opponents' pilots).
// MapRecordFields and PilotRecordFields walk a record in file order with an
// "io" object that either reads (MapsDatabaseReadIo, bounds-checked) or writes
// (MapsDatabaseWriteIo); the game's loader and the writer in tools/ share
// them. Header only: tools/ use it without the world library.
//
// Both files are little-endian with no magic. Every text is a length-prefixed
// string; a count is a u32 followed by that many records.
#pragma once

#include "platform/io/BinaryReader.h"
#include "platform/io/BinaryWriter.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "world/MapRecord.h"

#include <cstdint>
#include <string>
#include <vector>

// The pointer-mesh flag after the map records: this value means a mesh
// object block follows; any other ends the file.
constexpr uint32_t kPointerMeshFollows = 1;

// Smallest sizes on disk, for checking a count against the bytes left: a text
// is at least its length and its zero.
constexpr size_t kMinTextBytes = 5;
constexpr size_t kMinMapRecordBytes = kMinTextBytes + 7 * 4 + 4;
constexpr size_t kMinPilotRecordBytes = 4 + kMinTextBytes + 4;

// Reading side: a text goes through the game's string reader, so a broken one
// ends the load the way every data file's strings do (its lines, then
// CDException), and this reader names the file after it. Any other damage (the
// file ends inside a number, a count its bytes can't hold) is as fatal: the
// file is named with what is wrong, then the broken-file lines and CDException.
class MapsDatabaseReadIo
{
  public:
    // kind names the file in the log ("Maps Database", "Pilots").
    MapsDatabaseReadIo(BinaryReader& reader, std::string kind, std::string path)
        : m_Reader(reader), m_Kind(std::move(kind)), m_Path(std::move(path))
    {
    }

    void UInt(uint32_t& v)
    {
        const size_t at = m_Reader.Position();
        v = m_Reader.ReadUInt32();
        CheckNotCut(at, __LINE__);
    }
    // Stored as a u32, used signed.
    void Int(int32_t& v)
    {
        const size_t at = m_Reader.Position();
        v = m_Reader.ReadInt32();
        CheckNotCut(at, __LINE__);
    }
    void Text(std::string& text, size_t maxChars)
    {
        const size_t at = m_Reader.Position();
        std::vector<char> buffer(maxChars + 1);
        try
        {
            ReadString(buffer.data(), buffer.size(), m_Reader);
        }
        catch (const CDException&)
        {
            LogBroken("a text can't be read", at);
            throw;
        }
        text.assign(buffer.data());
    }
    // A count of records of at least minRecordSize bytes each.
    void Count(uint32_t& n, size_t minRecordSize)
    {
        const size_t at = m_Reader.Position();
        n = m_Reader.ReadUInt32();
        CheckNotCut(at, __LINE__);
        if (n > m_Reader.Remaining() / minRecordSize)
            Broken("a count of " + std::to_string(n) + " that its bytes can't hold", at, __LINE__);
    }
    void Lines(std::vector<std::string>& lines, size_t maxChars)
    {
        uint32_t n = 0;
        Count(n, kMinTextBytes);
        lines.assign(n, std::string());
        for (std::string& line : lines)
            Text(line, maxChars);
    }
    // Logs the damage and ends the read with the broken-file lines and CDException.
    [[noreturn]] void Broken(const std::string& what, size_t at, int line)
    {
        LogBroken(what, at);
        ThrowBrokenString(".\\QV7_MapsSort", line);
    }

  private:
    void CheckNotCut(size_t at, int line)
    {
        if (m_Reader.Failed())
            Broken("it ends inside a record", at, line);
    }
    void LogBroken(const std::string& what, size_t at)
    {
        QV7_Logger::Log(g_logger, "ERROR: %s file %s is broken: %s (at byte %zu of %zu).", m_Kind.c_str(),
                        m_Path.c_str(), what.c_str(), at, m_Reader.Size());
    }

    BinaryReader& m_Reader;
    std::string m_Kind;
    std::string m_Path;
};

// Writing side: a text is its int32 length (characters + 1) and the
// characters with their zero, as the game's own string writer makes it.
class MapsDatabaseWriteIo
{
  public:
    explicit MapsDatabaseWriteIo(BinaryWriter& writer) : m_Writer(writer) {}

    void UInt(uint32_t& v) { m_Writer.WriteUInt32(v); }
    void Int(int32_t& v) { m_Writer.WriteInt32(v); }
    void Text(std::string& text, size_t) { WriteString(text.c_str(), m_Writer); }
    void Count(uint32_t& n, size_t) { m_Writer.WriteUInt32(n); }
    void Lines(std::vector<std::string>& lines, size_t maxChars)
    {
        uint32_t n = uint32_t(lines.size());
        Count(n, kMinTextBytes);
        for (std::string& line : lines)
            Text(line, maxChars);
    }

  private:
    BinaryWriter& m_Writer;
};

// One map record of Maps_srt.qvx: the file puts the map number before the
// mode class and the sort number.
template <typename Io> void MapRecordFields(Io& io, MapRecord& map)
{
    io.Text(map.name, kMapNameChars);
    io.UInt(map.mapNumber);
    io.UInt(map.modeClass);
    io.Int(map.sortNumber);
    for (uint32_t& id : map.textureIds)
        io.UInt(id);
    io.Lines(map.lines, kMapLineChars);
}

// One pilot record of Aip.dat.
template <typename Io> void PilotRecordFields(Io& io, PilotRecord& pilot)
{
    io.UInt(pilot.portraitId);
    io.Text(pilot.name, kPilotNameChars);
    io.Lines(pilot.lines, kPilotLineChars);
}
