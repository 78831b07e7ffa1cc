// A physics group of demo buggies for the race tests: racers built from the
// demo DatA.dat's racing models, each with a driver, and whole 11 ms steps.
#pragma once

#include "platform/io/BinaryReader.h"
#include "platform/io/BinaryWriter.h"
#include "race/NearCallback.h"
#include "race/QV7_AIController.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_PlayerController.h"
#include "tests/race/PhysicsTestSupport.h"
#include "tools/demo/DemoBuggies.h"

#include <gtest/gtest.h>

#include <memory>

namespace racertest
{
inline std::unique_ptr<BuggyPhysicsDefinition> DemoModel(int m)
{
    BinaryWriter writer;
    WritePhysicsDefinition(writer, MakeDemoBuggyModel(m).physics);
    BinaryReader file(writer.Bytes());
    auto definition = std::make_unique<BuggyPhysicsDefinition>();
    definition->Read(file);
    return definition;
}

inline D3DXVECTOR3 BodyPosition(dBodyID body)
{
    const dReal* p = dBodyGetPosition(body);
    return D3DXVECTOR3(float(p[0]), float(p[1]), float(p[2]));
}

class RacerGroupTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        QV7_PhysicsGroup::s_Hooks = PhysicsGroupHooks{};
        g_contactHooks = ContactHooks{};
        QV7_PhysicsGroup::s_Hooks.buildBuggy = [](QV7_PhysicsGroup&, QV7_Buggy&, int) {};
        group.CreateWorld(0);
        group.frameCounter = 100;
    }
    void TearDown() override { QV7_PhysicsGroup::s_Hooks = PhysicsGroupHooks{}; }

    // A racer of the model with a computer driver (or the player's).
    QV7_Buggy& AddRacer(int model, bool computer = true)
    {
        group.AddBuggy(group.racers.count);
        QV7_Buggy& racer = *group.racers.items[group.racers.count - 1];
        QV7_Buggy::BuildFromDefinition(*DemoModel(model), nullptr, racer);
        racer.serial = group.racers.count;
        if (computer)
            QV7_Buggy::AttachAIController(racer, {});
        else
            QV7_Buggy::AttachPlayerController(racer, {}, false);
        return racer;
    }
    void Run(int steps)
    {
        for (int i = 0; i < steps; ++i)
        {
            group.timeAccumulator = 0;
            group.StepFrame(QV7_PhysicsGroup::kStepMs);
        }
    }
    QV7_PhysicsGroup group;
};
} // namespace racertest
