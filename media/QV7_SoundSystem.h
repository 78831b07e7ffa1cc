// The game's music and sound effects. Every sound is an Ogg Vorbis file
// Sfx%d.dat decoded whole at load into one static buffer (a SoundEntry).
// Music and front-end sounds play that buffer itself; effects in the world
// play duplicates of it (SoundInstance), one-shots dropped once their time is
// up and persistent ones owned by an object (a buggy's engine, its horn).
// A positional sound is placed only through its volume, which falls linearly
// with the distance from the scene camera's eye (g_camera); there is no panning.
//
// GraphicsSfx.dat picks the music pair of the front end and of each island;
// SndSfx.dat binds sound files to the 25 named slots the race code plays.
// Sound is optional: without a device, or with sound disabled in the
// settings, every call returns at once.
#pragma once

#include "media/OggVorbisDecoder.h"
#include "media/SoundPackFiles.h"
#include "platform/sound/DirectSound.h"
#include "shell/QV7_Collection.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace win
{
class Window;
}

// The named sounds of SndSfx.dat, in slot order.
enum SoundSlot
{
    SOUND_CANNON,
    SOUND_CHAINGUN,
    SOUND_CRASH,
    SOUND_ENGINE,
    SOUND_EXPLOSION,
    SOUND_FLAMEFIRE,
    SOUND_FLAMEHIT,
    SOUND_ICEFIRE,
    SOUND_ICEHIT,
    SOUND_JAMMER,
    SOUND_SHIELDCLOSE,
    SOUND_SHIELDOPEN,
    SOUND_SHIELDHIT,
    SOUND_STARTHORN,
    SOUND_STARTHORNLONG,
    SOUND_TESLAFIRE,
    SOUND_TESLAHIT,
    SOUND_WATERDRIVE,
    SOUND_WATERSPLASH,
    SOUND_CANNONHIT,
    SOUND_CHAINHIT,
    SOUND_HORN,
    SOUND_CHAINHITB,
    SOUND_CRASHB,
    SOUND_TURBO,
    SOUND_SLOT_COUNT
};

// The slot names as SndSfx.dat spells them ("SOUND_CANNON", ...).
extern const char* const kSoundSlotNames[SOUND_SLOT_COUNT];

// One playing duplicate of a loaded sound.
struct SoundInstance
{
    std::unique_ptr<snd::SoundBuffer> m_Buffer;
    float m_X = 0.0f, m_Y = 0.0f, m_Z = 0.0f;
    int m_WasPlaying = 0;     // kept across a pause
    float m_ElapsedMs = 0.0f; // age of a one-shot
};

// One loaded sound.
struct SoundEntry
{
    std::unique_ptr<snd::SoundBuffer> m_Buffer;
    uint8_t m_Loaded = 0;
    uint8_t m_Looping = 0;      // as last passed to PlaySound
    uint32_t m_DecodedSize = 0; // bytes of PCM
    VorbisInfoCopy m_Info;
    int m_Volume = 0; // hundredths of a decibel: 0 full, -10000 silent
    QV7_Collection<SoundInstance> m_OneShots;
    QV7_Collection<SoundInstance> m_Persistent;
    std::vector<uint8_t> m_Pcm;
    float m_DurationMs = 0.0f;
};

class QV7_SoundSystem
{
  public:
    // Publishes g_soundSystem and reads GraphicsSfx.dat.
    QV7_SoundSystem();
    ~QV7_SoundSystem();
    QV7_SoundSystem(const QV7_SoundSystem&) = delete;
    QV7_SoundSystem& operator=(const QV7_SoundSystem&) = delete;

    // Starts the default sound device; false (sound disabled) when it cannot.
    // True with sound disabled when the settings switch sound off.
    bool InitDevice(win::Window* window);

    // Frees every sound, then loads the front-end music pair and the start horn.
    void LoadMenuSounds();
    // Frees every sound, then loads the map's music pair and every effect.
    void LoadMapSounds(int mapNumber);

    // Decodes one Sfx%d.dat into a new entry; null on any failure.
    SoundEntry* LoadSfx(const std::string& path, bool frequencyControl);
    // Fills the 25 slots from SndSfx.dat (front-end mode: the start horn only).
    // A broken name in the table throws CDException.
    void LoadEffectTable(bool frontEndMode);

    // Whole-sound operations; each does nothing for a null or unloaded entry.
    void PlaySound(SoundEntry* entry, bool loop);
    void StopSound(SoundEntry* entry);
    bool KeepPlaying(SoundEntry* entry);
    void SetVolume(SoundEntry* entry, int volume);

    // Positional effects.
    void PlaySoundAt(SoundEntry* entry, float x, float y, float z);
    SoundInstance* CreateInstance(SoundEntry* entry);
    void UpdateInstance(SoundInstance* instance, float x, float y, float z);
    void PlayInstance(SoundInstance* instance);
    void StopInstance(SoundInstance* instance);
    void SetInstanceFrequency(SoundInstance* instance, int hertz);

    // 1 pauses every duplicate, 0 resumes the persistent ones that were playing.
    void Pause(int pause);
    void StopAllWhilePaused();
    // Once per race frame: ages the one-shots by the frame manager's last
    // frame time and drops those whose sound has ended.
    void Update();

    // The music table without the front-end row.
    QV7_Collection<MusicTableRow> m_MusicTable;
    int32_t m_FrontEndMusicA = -1;
    int32_t m_FrontEndMusicB = -1;
    SoundEntry* m_MusicA = nullptr; // played once
    SoundEntry* m_MusicB = nullptr; // played in a loop
    SoundEntry* m_Slots[SOUND_SLOT_COUNT] = {};
    int m_Paused = 0;
    QV7_Collection<SoundEntry> m_LoadedSounds;
    std::unique_ptr<snd::SoundDevice> m_Device;
    snd::Caps m_Caps;
    int m_Disabled = 0;

  private:
    bool Usable() const { return !m_Disabled && m_Device; }
    void FreeAllSounds();
    void LoadMusicPair(int32_t sfxA, int32_t sfxB);
    SoundEntry* LoadNumberedSfx(int32_t number, bool frequencyControl);
    // The volume of a sound at (x, y, z) heard from the camera's eye; false
    // when it is out of hearing. Without a camera there is nowhere to hear
    // from, so the sound counts as at the listener.
    bool PositionalVolume(float x, float y, float z, int& volume) const;
    void LogCaps(snd::HRESULT capsResult) const;
};

extern QV7_SoundSystem* g_soundSystem;

// The stored volume of every loaded sound for a MusicVolume of 0 to 100.
int MusicVolumeToMillibels(int musicVolume);
