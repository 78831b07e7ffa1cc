// Writers of the sound-pack tables GraphicsSfx.dat and SndSfx.dat (their
// layout is described with the readers in media/SoundPackFiles.h) and of the
// Sfx%d.dat sound files.
#pragma once

#include "media/SoundPackFiles.h"

#include <cstdint>
#include <string>
#include <vector>

class BinaryWriter;

// The rows, then the lone terminator key.
void WriteMusicTable(const std::vector<MusicTableRow>& rows, BinaryWriter& file);
bool SaveMusicTable(const std::string& path, const std::vector<MusicTableRow>& rows);

void WriteSoundEffectTable(const std::vector<SoundEffectRecord>& records, BinaryWriter& file);
bool SaveSoundEffectTable(const std::string& path, const std::vector<SoundEffectRecord>& records);

// "<dataDir>Sfx<number>.dat" holding the PCM encoded as Ogg Vorbis.
bool SaveSfxFile(const std::string& dataDir, int number, const std::vector<int16_t>& interleaved, int channels,
                 int sampleRate);
