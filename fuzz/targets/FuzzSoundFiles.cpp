// Fuzz targets of the sound files: the music table read when the sound system
// starts (then the front end's and the first island's music loaded by it),
// the effect table with every named sound loaded, and one Ogg Vorbis sound
// decoded into a buffer and played.
#include "fuzz/targets/FuzzTargets.h"
#include "fuzz/targets/FuzzWorld.h"
#include "engine/QV7_FrameManager.h"
#include "media/QV7_SoundSystem.h"
#include "shell/QV7_Globals.h"

using fuzzworld::ScratchFile;

int FuzzMusicTable(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    ScratchFile table(fuzzworld::DataDir() + "GraphicsSfx.dat", data, size);
    QV7_SoundSystem sounds;
    sounds.InitDevice(nullptr);
    sounds.LoadMenuSounds();
    if (sounds.m_MusicTable.Count() > 0)
        sounds.LoadMapSounds(sounds.m_MusicTable[0]->key);
    return 0;
}

int FuzzSoundTable(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    ScratchFile table(fuzzworld::DataDir() + "SndSfx.dat", data, size);
    QV7_SoundSystem sounds;
    sounds.InitDevice(nullptr);
    try
    {
        sounds.LoadEffectTable(true);
        sounds.LoadEffectTable(false);
    }
    catch (const CDException&)
    {
        // A broken name stops the game with its details: the file's own failure.
    }
    return 0;
}

int FuzzOggVorbis(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    ScratchFile sound(fuzzworld::DataDir() + "Sfx7.dat", data, size);
    QV7_SoundSystem sounds;
    sounds.InitDevice(nullptr);
    // The sound update reads the frame time; a frame manager made here would
    // unpublish the run's own when it goes, so the targets after this one in
    // the same process would find none.
    QV7_FrameManager* const runFrames = g_frameManager;
    {
        QV7_FrameManager frames;
        frames.m_LastFrameMs = 10.0f;
        if (SoundEntry* entry = sounds.LoadSfx(sound.Path(), true))
        {
            sounds.PlaySound(entry, false);
            sounds.PlaySoundAt(entry, 1.0f, 2.0f, 3.0f);
            sounds.Update();
        }
    }
    g_frameManager = runFrames;
    return 0;
}
