// Decoding a whole Ogg Vorbis stream held in memory to 16-bit PCM with
// libvorbisfile, as the sound system does for every Sfx%d.dat at load time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A copy of the stream's vorbis_info fields.
struct VorbisInfoCopy
{
    int version = 0;
    int channels = 0;
    long rate = 0;
    long bitrateUpper = 0;
    long bitrateNominal = 0;
    long bitrateLower = 0;
    long bitrateWindow = 0;
};

// The decode limit of one sound: 60 MiB of PCM (about 356.7 seconds of
// 44.1 kHz stereo); a longer stream is cut there.
constexpr size_t kMaxDecodedSoundBytes = 62914560;

// Decodes file (fileSize bytes, a whole Ogg Vorbis stream) to signed 16-bit little-endian
// interleaved PCM, at most maxBytes. Logs and returns false when the stream
// does not open ("ERROR: Vorbis ov_open: ..."), or opens but yields no sound.
// A decoding error in mid-stream is logged and ends the sound there.
bool DecodeOggVorbis(const uint8_t* file, size_t fileSize, size_t maxBytes, VorbisInfoCopy& info,
                     std::vector<uint8_t>& pcm);
