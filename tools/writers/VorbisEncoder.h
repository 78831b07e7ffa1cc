// Encoding 16-bit PCM to one Ogg Vorbis stream with libvorbisenc, for the
// Sfx%d.dat sound files of the demo data and of test fixtures. The output is
// the same for the same input: the stream serial number is fixed.
#pragma once

#include <cstdint>
#include <vector>

// interleaved: frames x channels signed samples. quality: -0.1 to 1.0 (VBR).
// Empty when the encoder refuses the layout. With no frames the stream holds
// only its headers (it opens, but decodes to nothing).
std::vector<uint8_t> EncodeOggVorbis(const std::vector<int16_t>& interleaved, int channels, int sampleRate,
                                     float quality = 0.4f);
