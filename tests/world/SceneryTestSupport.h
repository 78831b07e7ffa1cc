// The scenery tests' stage: an engine on the null device with a camera, a
// map texture list, an ODE world with a quad-tree space for the static geoms,
// and the scenery files written to a scratch folder.
#pragma once

#include "WorldTestSupport.h"
#include "platform/io/BinaryWriter.h"
#include "tools/writers/SceneryFileWriters.h"
#include "world/SceneryShapes.h"

#include <ode/ode.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace scenerytest
{
class SceneryFixture : public enginetest::EngineFixture
{
  protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        windows->m_Settings.Debug = 1; // the log lines
        Start();
        dInitODE2(0);
        world = dWorldCreate();
        dVector3 c = {0, 0, 0, 0}, e = {1000, 1000, 1000, 0};
        space = dQuadTreeSpaceCreate(nullptr, c, e, 6);
        sink.space = space;
        sink.geoms = &geoms;
        path = "/tmp/qv7_scenery_test_" + std::to_string(getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        gfx::null::ClearCalls();
    }
    void TearDown() override
    {
        std::remove(path.c_str());
        textures.FreeAll();
        dSpaceDestroy(space);
        dWorldDestroy(world);
        dCloseODE();
        EngineFixture::TearDown();
    }
    TextureRecord* AddTexture(uint32_t compileId, D3DCOLOR colour = 0xFF808080)
    {
        TextureRecord* record = textures.Append();
        record->m_CompileId = compileId;
        std::unique_ptr<TextureRecord> made = worldtest::SolidTexture(colour);
        record->m_Texture = made->m_Texture;
        made->m_Texture = nullptr;
        return record;
    }
    void Save(const BinaryWriter& file) { ASSERT_TRUE(file.SaveToFile(path)); }
    bool Logged(const std::string& line) const
    {
        for (const std::string& l : enginetest::Log())
            if (l.find(line) != std::string::npos)
                return true;
        return false;
    }

    dWorldID world = nullptr;
    dSpaceID space = nullptr;
    std::vector<dGeomID> geoms;
    StaticGeomSink sink;
    QV7_TextureList textures;
    std::string path;
};
} // namespace scenerytest
