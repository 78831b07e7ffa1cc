// The demo sound packs load completely through the sound system, and the
// generator writes the same bytes every time.
#include "media/QV7_SoundSystem.h"
#include "tools/demo/DemoSounds.h"
#include "SoundTestSupport.h"

#include <fstream>
#include <iterator>

namespace
{
class DemoSoundsTest : public SoundTestBase
{
  protected:
    std::vector<char> Bytes(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

TEST_F(DemoSoundsTest, MenusAndRacesFindEverySound)
{
    WriteDemoSounds(m_Dir);
    QV7_SoundSystem sound;
    ASSERT_TRUE(sound.InitDevice(nullptr));
    sound.LoadMenuSounds();
    ASSERT_NE(sound.m_MusicA, nullptr);
    ASSERT_NE(sound.m_MusicB, nullptr);
    EXPECT_GT(sound.m_MusicA->m_DurationMs, 3000.0f);
    EXPECT_LT(sound.m_MusicA->m_DurationMs, 15000.0f);
    EXPECT_NE(sound.m_Slots[SOUND_STARTHORN], nullptr);

    for (int map : {0, 1, 5})
    {
        sound.LoadMapSounds(map);
        ASSERT_NE(sound.m_MusicA, nullptr) << map;
        ASSERT_NE(sound.m_MusicB, nullptr) << map;
        for (int slot = 0; slot < SOUND_SLOT_COUNT; ++slot)
        {
            ASSERT_NE(sound.m_Slots[slot], nullptr) << kSoundSlotNames[slot];
            EXPECT_GT(sound.m_Slots[slot]->m_DurationMs, 30.0f) << kSoundSlotNames[slot];
            EXPECT_LT(sound.m_Slots[slot]->m_DurationMs, 2000.0f) << kSoundSlotNames[slot];
        }
        EXPECT_TRUE(sound.m_Slots[SOUND_ENGINE]->m_Buffer->Flags() & snd::DSBCAPS_CTRLFREQUENCY);
    }
}

TEST_F(DemoSoundsTest, OutputIsDeterministic)
{
    const std::string second = m_Dir + "again/";
    std::filesystem::create_directories(second);
    WriteDemoSounds(m_Dir);
    WriteDemoSounds(second);
    for (const char* name : {"GraphicsSfx.dat", "SndSfx.dat", "Sfx0.dat", "Sfx3.dat", "Sfx10.dat", "Sfx34.dat"})
    {
        const auto a = Bytes(m_Dir + name);
        EXPECT_FALSE(a.empty()) << name;
        EXPECT_EQ(a, Bytes(second + name)) << name;
    }
}
} // namespace
