// An engine on the null (or, in *_gl_test files, the gl) device with its
// landscape, a scratch data folder, and a map written there by our writer and
// loaded as the race loader loads it.
#pragma once

#include "engine/QV7_Camera.h"
#include "engine/QV7_TextureList.h"
#include "tests/engine/EngineTestSupport.h"
#include "tools/writers/ImageWriters.h"
#include "tools/writers/LandscapeMapWriter.h"
#include "world/LandscapeMapFile.h"
#include "world/QV7_Landscape.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace landscapetest
{
class LandscapeFixture : public enginetest::EngineFixture
{
  protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        windows->m_Settings.Debug = 1; // log lines are written in debug mode only
        char pattern[] = "/tmp/qv7-landscape-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = std::string(pattern) + "/";
        Start();
        ASSERT_NE(g_landscape, nullptr);
    }
    void TearDown() override
    {
        EngineFixture::TearDown();
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    std::string MapPath(int number = 1) const { return dir + "Map" + std::to_string(number) + ".map"; }
    // The map and, unless told not to, a small grey shading picture beside it.
    void Write(const LandscapeMapDescription& map, int number = 1, bool shading = true)
    {
        ASSERT_TRUE(WriteLandscapeMap(MapPath(number), map));
        if (shading)
        {
            ASSERT_TRUE(SaveFile(dir + "MapSHD" + std::to_string(number) + ".map", ShadingPicture()));
        }
    }
    static std::vector<uint8_t> ShadingPicture()
    {
        ImagePixels grey;
        grey.width = grey.height = 4;
        grey.argb.assign(16, 0xFF808080u);
        return WritePng(grey);
    }
    static bool SaveFile(const std::string& path, const std::vector<uint8_t>& bytes)
    {
        FILE* file = std::fopen(path.c_str(), "wb");
        if (!file)
            return false;
        const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        return std::fclose(file) == 0 && ok;
    }
    bool SaveBytes(const std::vector<uint8_t>& bytes) { return SaveFile(MapPath(), bytes); }
    // Loads map 1; false when the loader refused it.
    bool Load(const QV7_TextureList* textures = nullptr)
    {
        try
        {
            LoadLandscapeMap(*g_landscape, dir, 1, textures);
            return true;
        }
        catch (const CDException&)
        {
            return false;
        }
    }
    void WriteAndLoad(const LandscapeMapDescription& map, const QV7_TextureList* textures = nullptr)
    {
        Write(map);
        ASSERT_TRUE(Load(textures));
    }
    std::string dir;
};
} // namespace landscapetest
