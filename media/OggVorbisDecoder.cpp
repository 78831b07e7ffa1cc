// Ogg Vorbis decoding over a memory buffer (ov_open_callbacks), so the file is
// read once through the project's file reading and closed by its owner;
// ov_clear then has nothing of ours to close.
#include "media/OggVorbisDecoder.h"

#include "shell/QV7_Logger.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>

namespace
{
struct MemoryStream
{
    const uint8_t* data;
    size_t size;
    size_t position;
};

size_t ReadMemory(void* out, size_t size, size_t count, void* source)
{
    auto* stream = static_cast<MemoryStream*>(source);
    if (size == 0)
        return 0;
    const size_t left = stream->size - stream->position;
    const size_t items = std::min(count, left / size);
    if (items)
        std::memcpy(out, stream->data + stream->position, items * size);
    stream->position += items * size;
    return items;
}

int SeekMemory(void* source, ogg_int64_t offset, int whence)
{
    auto* stream = static_cast<MemoryStream*>(source);
    const auto size = ogg_int64_t(stream->size);
    ogg_int64_t target = offset;
    if (whence == SEEK_CUR)
        target += ogg_int64_t(stream->position);
    else if (whence == SEEK_END)
        target += size;
    else if (whence != SEEK_SET)
        return -1;
    if (target < 0 || target > size)
        return -1;
    stream->position = size_t(target);
    return 0;
}

long TellMemory(void* source) { return long(static_cast<MemoryStream*>(source)->position); }

const char* OpenFailureText(int code)
{
    switch (code)
    {
    case OV_EREAD:
        return "A read from media returned an error. ";
    case OV_ENOTVORBIS:
        return "Bitstream is not Vorbis data. ";
    case OV_EVERSION:
        return "Vorbis version mismatch. ";
    case OV_EBADHEADER:
        return "Invalid Vorbis bitstream header. ";
    case OV_EFAULT:
        return "Internal logic fault; indicates a bug or heap,stack corruption. ";
    default:
        return "Unknown Failure. ";
    }
}
} // namespace

bool DecodeOggVorbis(const uint8_t* file, size_t fileSize, size_t maxBytes, VorbisInfoCopy& info,
                     std::vector<uint8_t>& pcm)
{
    pcm.clear();
    info = VorbisInfoCopy();
    MemoryStream stream{file, file ? fileSize : 0, 0};
    const ov_callbacks callbacks{ReadMemory, SeekMemory, nullptr, TellMemory};
    OggVorbis_File vorbis;
    const int opened = ov_open_callbacks(&stream, &vorbis, nullptr, 0, callbacks);
    if (opened != 0)
    {
        QV7_Logger::Log(g_logger, "ERROR: Vorbis ov_open: %s", OpenFailureText(opened));
        return false;
    }
    if (const vorbis_info* vi = ov_info(&vorbis, -1))
        info = {vi->version,         vi->channels,      vi->rate,          vi->bitrate_upper,
                vi->bitrate_nominal, vi->bitrate_lower, vi->bitrate_window};

    // Decoded in chunks into a growing buffer; never past maxBytes.
    constexpr size_t kChunk = 65536;
    int section = 0;
    while (pcm.size() < maxBytes)
    {
        const size_t room = std::min(kChunk, maxBytes - pcm.size());
        const size_t used = pcm.size();
        pcm.resize(used + room);
        const long got = ov_read(&vorbis, reinterpret_cast<char*>(pcm.data() + used), int(room), 0, 2, 1, &section);
        pcm.resize(used + (got > 0 ? size_t(got) : 0));
        if (got == 0)
            break;
        if (got == OV_HOLE)
            continue; // a gap in the data: decoding goes on after it
        if (got < 0)
        {
            QV7_Logger::Log(g_logger, "ERROR: Vorbis ov_read: stream broken after %zu bytes, sound cut there.", used);
            break;
        }
    }
    if (ov_clear(&vorbis) != 0)
        QV7_Logger::Log(g_logger, "ERROR: Vorbis ov_clear: Failed.");
    if (pcm.empty() || info.channels <= 0)
    {
        QV7_Logger::Log(g_logger, "ERROR: Vorbis: the stream holds no sound.");
        pcm.clear();
        return false;
    }
    // Whole frames only, so the buffer size is a multiple of its block align.
    pcm.resize(pcm.size() - pcm.size() % (size_t(info.channels) * 2));
    pcm.shrink_to_fit();
    return !pcm.empty();
}
