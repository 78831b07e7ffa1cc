// The sound system: loading the sound packs, playing whole sounds and
// positional duplicates, pause and the per-frame clean-up.
#include "media/QV7_SoundSystem.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_FrameManager.h"
#include "media/DirectSoundErrorText.h"
#include "platform/win/Window.h"
#include "platform/io/BinaryReader.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_Windows.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace snd;

QV7_SoundSystem* g_soundSystem = nullptr;

const char* const kSoundSlotNames[SOUND_SLOT_COUNT] = {
    "SOUND_CANNON",    "SOUND_CHAINGUN",     "SOUND_CRASH",       "SOUND_ENGINE",      "SOUND_EXPLOSION",
    "SOUND_FLAMEFIRE", "SOUND_FLAMEHIT",     "SOUND_ICEFIRE",     "SOUND_ICEHIT",      "SOUND_JAMMER",
    "SOUND_SHIELDCLOSE", "SOUND_SHIELDOPEN", "SOUND_SHIELDHIT",   "SOUND_STARTHORN",   "SOUND_STARTHORNLONG",
    "SOUND_TESLAFIRE", "SOUND_TESLAHIT",     "SOUND_WATERDRIVE",  "SOUND_WATERSPLASH", "SOUND_CANNONHIT",
    "SOUND_CHAINHIT",  "SOUND_HORN",         "SOUND_CHAINHITB",   "SOUND_CRASHB",      "SOUND_TURBO",
};

namespace
{
// The settings of the running game; the defaults before they exist.
const GameSettings& Settings()
{
    static const GameSettings defaults;
    return g_windowsData ? g_windowsData->m_Settings : defaults;
}

// Farthest distance the level formula looks at, in render units.
constexpr float kMaxHearingDistance = 10000.0f;

void LogPlayFailure(const char* firstLine, HRESULT hr)
{
    QV7_Logger::Log(g_logger, "%s", firstLine);
    QV7_Logger::Log(g_logger, "ERROR: Play Sound: %s",
                    DirectSoundReason(hr, {DSERR_INVALIDPARAM, DSERR_INVALIDCALL, DSERR_PRIOLEVELNEEDED, DSERR_BUFFERLOST},
                                      "Unknown Error"));
}

void LogCreateFailure(HRESULT hr)
{
    QV7_Logger::Log(g_logger, "ERROR: DirectSound, CreateSoundBuffer: %s",
                    DirectSoundReason(hr,
                                      {DSERR_ALLOCATED, DSERR_BADFORMAT, DSERR_BUFFERTOOSMALL, DSERR_CONTROLUNAVAIL,
                                       DSERR_DS8_REQUIRED, DSERR_INVALIDCALL, DSERR_INVALIDPARAM, DSERR_NOAGGREGATION,
                                       DSERR_OUTOFMEMORY, DSERR_UNINITIALIZED, DSERR_UNSUPPORTED},
                                      "Unknown Error"));
}

void LogLockFailure(HRESULT hr)
{
    QV7_Logger::Log(g_logger, "ERROR: DirectSound, Buffer->Lock: %s",
                    DirectSoundReason(hr, {DSERR_BUFFERLOST, DSERR_INVALIDCALL, DSERR_INVALIDPARAM, DSERR_PRIOLEVELNEEDED},
                                      "Unknown Error"));
}

// A duplicate of the entry's buffer for a new instance; logged on failure.
bool Duplicate(SoundDevice& device, SoundEntry& entry, SoundInstance& instance)
{
    const HRESULT hr = device.DuplicateSoundBuffer(*entry.m_Buffer, instance.m_Buffer);
    if (Succeeded(hr) && instance.m_Buffer)
        return true;
    QV7_Logger::Log(g_logger, "ERROR: DuplicateSoundBuffer: %s",
                    DirectSoundReason(hr,
                                      {DSERR_ALLOCATED, DSERR_INVALIDCALL, DSERR_INVALIDPARAM, DSERR_OUTOFMEMORY,
                                       DSERR_UNINITIALIZED},
                                      "Uknown Error"));
    return false;
}

bool IsPlaying(SoundBuffer& buffer)
{
    uint32_t status = 0;
    return Succeeded(buffer.GetStatus(status)) && (status & DSBSTATUS_PLAYING);
}

int ClampVolume(int volume) { return std::clamp(volume, int(DSBVOLUME_MIN), int(DSBVOLUME_MAX)); }

template <typename F> void ForEachInstance(QV7_Collection<SoundEntry>& entries, F f)
{
    for (SoundEntry* entry : entries)
    {
        for (SoundInstance* instance : entry->m_OneShots)
            f(*instance, true);
        for (SoundInstance* instance : entry->m_Persistent)
            f(*instance, false);
    }
}
} // namespace

int MusicVolumeToMillibels(int musicVolume) { return musicVolume == 0 ? DSBVOLUME_MIN : (musicVolume - 100) * 50; }

QV7_SoundSystem::QV7_SoundSystem()
{
    g_soundSystem = this;
    const std::string path = g_dataDir + "GraphicsSfx.dat";
    std::vector<MusicTableRow> rows;
    if (!ReadMusicTable(path, rows))
    {
        QV7_Logger::Log(g_logger, "ERROR: Sounds: Failed to open: %s", path.c_str());
        return;
    }
    bool haveFrontEnd = false;
    for (const MusicTableRow& row : rows)
    {
        if (row.key != kFrontEndMusicKey)
            *m_MusicTable.Add() = row;
        else if (!haveFrontEnd)
        {
            haveFrontEnd = true;
            m_FrontEndMusicA = row.sfxA;
            m_FrontEndMusicB = row.sfxB;
        }
    }
}

QV7_SoundSystem::~QV7_SoundSystem()
{
    FreeAllSounds();
    m_Device.reset();
    if (g_soundSystem == this)
        g_soundSystem = nullptr;
}

bool QV7_SoundSystem::InitDevice(win::Window* window)
{
    if (Settings().INIT_SoundEnabled == 0)
    {
        QV7_Logger::Log(g_logger, "INFO: Sound & Music disabled in Game Settings");
        m_Disabled = 1;
        return true;
    }
    QV7_Logger::Log(g_logger, "INFO: Loading Direct Sound Device");
    HRESULT hr = DirectSoundCreate8(m_Device);
    if (!Succeeded(hr) || !m_Device)
    {
        QV7_Logger::Log(g_logger, "WARNING: Direct Sound Device Failed, Music & Sound will be disabled");
        if (hr == DSERR_NODRIVER)
            QV7_Logger::Log(g_logger, "WARNING: DirectSoundCreate8: No sound driver is available for use, or the "
                                      "given GUID is not a valid DirectSound device ID.");
        else
            QV7_Logger::Log(g_logger, "ERROR: DirectSoundCreate8: %s",
                            DirectSoundReason(hr,
                                              {DSERR_ALLOCATED, DSERR_INVALIDPARAM, DSERR_NOAGGREGATION,
                                               DSERR_OUTOFMEMORY},
                                              "Unknown Error "));
        m_Device.reset();
        m_Disabled = 1;
        return false;
    }
    hr = m_Device->SetCooperativeLevel(window ? window->NativeHandle() : nullptr, DSSCL_PRIORITY);
    if (!Succeeded(hr))
    {
        QV7_Logger::Log(g_logger,
                        "WARNING: Direct Sound SetCooperativeLevel Failed, Music & Sound will be disabled");
        QV7_Logger::Log(g_logger, "ERROR: DirectSound->SetCooperativeLevel: %s",
                        DirectSoundReason(hr,
                                          {DSERR_ALLOCATED, DSERR_INVALIDPARAM, DSERR_UNINITIALIZED,
                                           DSERR_UNSUPPORTED},
                                          "Unknown Error "));
        m_Device.reset();
        m_Disabled = 1;
        return false;
    }
    m_Caps = Caps();
    LogCaps(m_Device->GetCaps(m_Caps));
    return true;
}

void QV7_SoundSystem::LogCaps(HRESULT capsResult) const
{
    if (!Succeeded(capsResult))
        QV7_Logger::Log(g_logger, "ERROR: DirectSound->GetCaps: %s",
                        DirectSoundReason(capsResult, {DSERR_GENERIC, DSERR_INVALIDPARAM, DSERR_UNINITIALIZED},
                                          "Unknown Error "));
    if (m_Caps.flags & DSCAPS_CERTIFIED)
        QV7_Logger::Log(g_logger, "INFO: DirectSound Caps: Driver IS certified for DirectSound.");
    else
        QV7_Logger::Log(g_logger, "WARNING: DirectSound Caps: Driver is NOT certified for DirectSound.");
    if (m_Caps.flags & DSCAPS_EMULDRIVER)
        QV7_Logger::Log(g_logger, "WARNING: DirectSound Caps: The device does not have a DirectSound driver "
                                  "installed, so it is being emulated through the waveform-audio functions. "
                                  "Performance degradation should be expected. ");
    else
        QV7_Logger::Log(g_logger, "INFO: DirectSound Caps: DirectSound driver installed.");
    if (m_Caps.flags & DSCAPS_CONTINUOUSRATE)
    {
        QV7_Logger::Log(g_logger, "INFO: DirectSound Caps: The device supports all sample rates.");
        QV7_Logger::Log(g_logger, "INFO: DirectSound Caps: Sample Rate Min: %d Max: %d",
                        int(m_Caps.minSecondarySampleRate), int(m_Caps.maxSecondarySampleRate));
    }
    else
        QV7_Logger::Log(g_logger, "INFO: DirectSound Caps: The device does NOT support all sample rates.");
    QV7_Logger::Log(g_logger,
                    "INFO: DirectSound Caps: %d bytes free memory on the hardware sound card. (can be shared with "
                    "CPU memory)",
                    int(m_Caps.freeHwMemBytes));
}

void QV7_SoundSystem::FreeAllSounds()
{
    std::fill(std::begin(m_Slots), std::end(m_Slots), nullptr);
    m_MusicA = nullptr;
    m_MusicB = nullptr;
    m_LoadedSounds.Clear();
}

void QV7_SoundSystem::LoadMenuSounds()
{
    FreeAllSounds();
    if (m_Disabled)
        return;
    LoadMusicPair(m_FrontEndMusicA, m_FrontEndMusicB);
    LoadEffectTable(true);
}

void QV7_SoundSystem::LoadMapSounds(int mapNumber)
{
    FreeAllSounds();
    if (m_Disabled)
        return;
    for (const MusicTableRow* row : m_MusicTable)
    {
        if (row->key != mapNumber)
            continue;
        LoadMusicPair(row->sfxA, row->sfxB);
        LoadEffectTable(false);
        return;
    }
    QV7_Logger::Log(g_logger,
                    "***WARNING*** Sound System MapNumber %d requested, no object in sound database with number found.",
                    mapNumber);
}

void QV7_SoundSystem::LoadMusicPair(int32_t sfxA, int32_t sfxB)
{
    if (sfxA != -1)
        m_MusicA = LoadNumberedSfx(sfxA, false);
    if (sfxB != -1)
        m_MusicB = LoadNumberedSfx(sfxB, false);
}

SoundEntry* QV7_SoundSystem::LoadNumberedSfx(int32_t number, bool frequencyControl)
{
    return LoadSfx(g_dataDir + "Sfx" + std::to_string(number) + ".dat", frequencyControl);
}

void QV7_SoundSystem::LoadEffectTable(bool frontEndMode)
{
    std::fill(std::begin(m_Slots), std::end(m_Slots), nullptr);
    std::vector<SoundEffectRecord> records;
    if (!ReadSoundEffectTable(g_dataDir + "SndSfx.dat", records))
        return;
    for (const SoundEffectRecord& record : records)
    {
        if (record.fileNumber == -1)
            continue;
        if (frontEndMode && record.name != kSoundSlotNames[SOUND_STARTHORN])
            continue;
        const bool frequencyControl = !frontEndMode && record.name == kSoundSlotNames[SOUND_ENGINE];
        SoundEntry* entry = LoadNumberedSfx(record.fileNumber, frequencyControl);
        if (!entry)
            continue;
        for (int slot = 0; slot < SOUND_SLOT_COUNT; ++slot)
            if (record.name == kSoundSlotNames[slot])
                m_Slots[slot] = entry;
    }
}

SoundEntry* QV7_SoundSystem::LoadSfx(const std::string& path, bool frequencyControl)
{
    if (!Usable())
        return nullptr;
    QV7_Logger::Log(g_logger, "Info: Loading %s", path.c_str());
    SoundEntry* entry = m_LoadedSounds.Add();
    entry->m_Volume = MusicVolumeToMillibels(Settings().MusicVolume);

    BinaryReader file;
    if (!file.OpenFile(path))
    {
        QV7_Logger::Log(g_logger, "ERROR: FAILED to Load (acces filename) Music or Sound %s", path.c_str());
        return nullptr;
    }
    std::vector<uint8_t> pcm;
    if (!DecodeOggVorbis(file.Data(), file.Size(), kMaxDecodedSoundBytes, entry->m_Info, pcm))
        return nullptr;

    BufferDesc desc;
    desc.flags = DSBCAPS_CTRLVOLUME | (frequencyControl ? DSBCAPS_CTRLFREQUENCY : 0);
    desc.bufferBytes = uint32_t(pcm.size());
    WaveFormat& format = desc.format;
    format.formatTag = WAVE_FORMAT_PCM;
    format.channels = uint16_t(entry->m_Info.channels);
    format.samplesPerSec = uint32_t(entry->m_Info.rate);
    format.bitsPerSample = 16;
    format.blockAlign = uint16_t(format.channels * 2);
    format.avgBytesPerSec = format.samplesPerSec * format.blockAlign;

    HRESULT hr = m_Device->CreateSoundBuffer(desc, entry->m_Buffer);
    if (hr == DS_NO_VIRTUALIZATION)
        QV7_Logger::Log(g_logger, "INFO: Direct Sound, CreateSoundBuffer: a requested 3-D algorithm was not "
                                  "available and stereo panning was substituted. ");
    if (!Succeeded(hr) || !entry->m_Buffer)
    {
        LogCreateFailure(hr);
        entry->m_Buffer.reset();
        return nullptr;
    }
    void* part = nullptr;
    uint32_t partBytes = 0;
    hr = entry->m_Buffer->Lock(0, 0, &part, &partBytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER);
    if (Succeeded(hr))
    {
        std::memcpy(part, pcm.data(), std::min<size_t>(partBytes, pcm.size()));
        hr = entry->m_Buffer->Unlock(part, partBytes, nullptr, 0);
    }
    if (!Succeeded(hr))
    {
        LogLockFailure(hr);
        entry->m_Buffer.reset();
        return nullptr;
    }
    entry->m_DecodedSize = uint32_t(pcm.size());
    entry->m_DurationMs = float(double(pcm.size()) / double(format.avgBytesPerSec) * 1000.0);
    entry->m_Pcm = std::move(pcm);
    entry->m_Loaded = 1;
    QV7_Logger::Log(g_logger, "Info: Loading Done");
    return entry;
}

void QV7_SoundSystem::PlaySound(SoundEntry* entry, bool loop)
{
    if (!entry || !Usable() || !entry->m_Loaded)
        return;
    entry->m_Looping = loop ? 1 : 0;
    entry->m_Buffer->SetVolume(ClampVolume(entry->m_Volume));
    const HRESULT hr = entry->m_Buffer->Play(loop ? DSBPLAY_LOOPING : 0);
    if (!Succeeded(hr))
        LogPlayFailure("ERROR: Play Sound Failed", hr);
}

void QV7_SoundSystem::StopSound(SoundEntry* entry)
{
    if (!entry || !Usable() || !entry->m_Loaded)
        return;
    entry->m_Buffer->Stop();
    entry->m_Looping = 0;
}

bool QV7_SoundSystem::KeepPlaying(SoundEntry* entry)
{
    if (!entry || !Usable() || !entry->m_Loaded)
        return false;
    SoundBuffer& buffer = *entry->m_Buffer;
    if (IsPlaying(buffer))
    {
        uint32_t position = 0;
        buffer.GetCurrentPosition(&position, nullptr);
        if (position < entry->m_DecodedSize)
            return true;
        if (entry->m_Looping)
        {
            buffer.SetCurrentPosition(0);
            return true;
        }
        buffer.Stop();
        return false;
    }
    if (entry->m_Looping)
    {
        PlaySound(entry, true);
        return true;
    }
    return false;
}

void QV7_SoundSystem::SetVolume(SoundEntry* entry, int volume)
{
    if (!entry || !Usable() || !entry->m_Loaded)
        return;
    entry->m_Volume = volume;
    entry->m_Buffer->SetVolume(ClampVolume(volume));
}

bool QV7_SoundSystem::PositionalVolume(float x, float y, float z, int& volume) const
{
    const D3DXVECTOR3 eye = g_camera ? g_camera->m_Eye : D3DXVECTOR3(x, y, z);
    const float dx = x - eye.x, dy = y - eye.y, dz = z - eye.z;
    const float distance = std::clamp(std::sqrt(dx * dx + dy * dy + dz * dz), 0.0f, kMaxHearingDistance);
    const float level = float(Settings().SoundVolume) - 0.01f * distance;
    if (!(level > 0.0f))
        return false;
    volume = ClampVolume(int((level - 100.0f) * 50.0f));
    return true;
}

void QV7_SoundSystem::PlaySoundAt(SoundEntry* entry, float x, float y, float z)
{
    if (!entry || !Usable() || !entry->m_Loaded)
        return;
    int volume = 0;
    if (!PositionalVolume(x, y, z, volume))
        return;
    SoundInstance* instance = entry->m_OneShots.Add();
    instance->m_X = x;
    instance->m_Y = y;
    instance->m_Z = z;
    if (!Duplicate(*m_Device, *entry, *instance))
    {
        entry->m_OneShots.Delete(instance);
        return;
    }
    instance->m_Buffer->SetVolume(volume);
    const HRESULT hr = instance->m_Buffer->Play(0);
    if (!Succeeded(hr))
        LogPlayFailure("ERROR: Play Sound Failed", hr);
}

SoundInstance* QV7_SoundSystem::CreateInstance(SoundEntry* entry)
{
    if (!entry || !Usable() || !entry->m_Loaded)
        return nullptr;
    SoundInstance* instance = entry->m_Persistent.Add();
    if (!Duplicate(*m_Device, *entry, *instance))
    {
        entry->m_Persistent.Delete(instance);
        return nullptr;
    }
    instance->m_Buffer->SetVolume(DSBVOLUME_MIN);
    return instance;
}

void QV7_SoundSystem::UpdateInstance(SoundInstance* instance, float x, float y, float z)
{
    if (!instance || !Usable())
        return;
    instance->m_X = x;
    instance->m_Y = y;
    instance->m_Z = z;
    int volume = 0;
    if (PositionalVolume(x, y, z, volume))
    {
        instance->m_Buffer->SetVolume(volume);
        PlayInstance(instance);
    }
    else
    {
        instance->m_Buffer->Stop();
        instance->m_Buffer->SetVolume(DSBVOLUME_MIN);
    }
}

void QV7_SoundSystem::PlayInstance(SoundInstance* instance)
{
    if (!instance || !Usable())
        return;
    const HRESULT hr = instance->m_Buffer->Play(DSBPLAY_LOOPING);
    if (!Succeeded(hr))
        LogPlayFailure("ERROR: Play Sound Failed", hr);
}

void QV7_SoundSystem::StopInstance(SoundInstance* instance)
{
    if (!instance || !Usable())
        return;
    instance->m_Buffer->Stop();
}

void QV7_SoundSystem::SetInstanceFrequency(SoundInstance* instance, int hertz)
{
    if (!instance || !Usable() || hertz < 0)
        return;
    // Refused by every buffer but the engine's, which alone has frequency control.
    instance->m_Buffer->SetFrequency(uint32_t(hertz));
}

void QV7_SoundSystem::Pause(int pause)
{
    m_Paused = pause;
    if (!Usable())
        return;
    if (pause == 1)
    {
        ForEachInstance(m_LoadedSounds, [](SoundInstance& instance, bool) {
            instance.m_WasPlaying = IsPlaying(*instance.m_Buffer) ? 1 : 0;
            instance.m_Buffer->Stop();
        });
        return;
    }
    ForEachInstance(m_LoadedSounds, [](SoundInstance& instance, bool oneShot) {
        const bool resume = !oneShot && instance.m_WasPlaying;
        instance.m_WasPlaying = 0;
        if (!resume)
            return;
        const HRESULT hr = instance.m_Buffer->Play(DSBPLAY_LOOPING);
        if (!Succeeded(hr))
            LogPlayFailure("ERROR: Undo Pause: Play Sound Failed", hr);
    });
}

void QV7_SoundSystem::StopAllWhilePaused()
{
    if (m_Paused != 1 || !Usable())
        return;
    ForEachInstance(m_LoadedSounds, [](SoundInstance& instance, bool) { instance.m_Buffer->Stop(); });
}

void QV7_SoundSystem::Update()
{
    if (!Usable())
        return;
    const float lastFrameMs = g_frameManager ? g_frameManager->m_LastFrameMs : 0.0f;
    for (SoundEntry* entry : m_LoadedSounds)
    {
        QV7_Collection<SoundInstance>& oneShots = entry->m_OneShots;
        for (int i = oneShots.Count() - 1; i >= 0; --i)
        {
            SoundInstance* instance = oneShots[i];
            instance->m_ElapsedMs += lastFrameMs;
            if (instance->m_ElapsedMs > entry->m_DurationMs)
            {
                instance->m_Buffer->Stop();
                oneShots.DeleteAt(i);
            }
        }
    }
}
