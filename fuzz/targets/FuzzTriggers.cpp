// Fuzz target of Triggers.qvx: the whole driver-figure database through its
// reader (figure textures from a small item list), then what the game does
// with it: every trigger looked up by name, its set looked up on its figure
// and played, every figure drawn through the preview, every rigid substitute
// drawn.
#include "engine/QV7_Engine.h"
#include "engine/QV7_TextureList.h"
#include "figures/QV7_TriggersSystem.h"
#include "fuzz/targets/FuzzSeeds.h"
#include "fuzz/targets/FuzzTargets.h"
#include "fuzz/targets/FuzzWorld.h"
#include "platform/io/BinaryReader.h"
#include "shell/QV7_Globals.h"
#include "tools/writers/TriggersFileWriter.h"
#include "tools/writers/XFileWriter.h"

namespace
{
constexpr uint32_t kFigureTexture = 6001;

class ScopedFigureTextures
{
  public:
    ScopedFigureTextures()
    {
        m_List.Append()->m_CompileId = kFigureTexture;
        g_itemTextures = &m_List;
    }
    ~ScopedFigureTextures() { g_itemTextures = nullptr; }
    ScopedFigureTextures(const ScopedFigureTextures&) = delete;
    ScopedFigureTextures& operator=(const ScopedFigureTextures&) = delete;

  private:
    QV7_TextureList m_List;
};

void PlayTrigger(const QV7_TriggersSystem& triggers, const TriggerRecord& trigger)
{
    if (triggers.FindTrigger(trigger.m_Name) == nullptr)
        __builtin_trap(); // every trigger read is found by its own name
    AnimatedMesh* figure = trigger.m_AnimatedMesh;
    if (!figure)
        return;
    ID3DXAnimationSet* set = nullptr;
    if (SUCCEEDED(figure->m_Controller->GetAnimationSetByName(trigger.m_AnimationSetName, &set)) && set)
    {
        figure->m_Controller->SetTrackAnimationSet(0, set);
        figure->m_Controller->SetTrackPosition(0, set->GetPeriod() * 0.5);
        set->Release();
    }
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    g_device->BeginScene();
    QV7_TriggersSystem::DrawTrigger(&trigger, identity, identity);
    if (trigger.m_RigidMesh)
        QV7_LodObjects::Render(*trigger.m_RigidMesh);
    g_device->EndScene();
}
} // namespace

int FuzzTriggers(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    ScopedFigureTextures textures;
    BinaryReader file(data, size);
    QV7_TriggersSystem triggers;
    try
    {
        triggers.Read(file);
    }
    catch (const CDException&)
    {
        return 0; // the file's own refusal
    }
    for (const TriggerRecord* trigger : triggers.m_Triggers)
        PlayTrigger(triggers, *trigger);
    g_device->SetStreamSource(0, nullptr, 0, 0);
    g_device->SetIndices(nullptr);
    return 0;
}

std::vector<FuzzSeed> TriggersSeeds()
{
    ArticulatedFigureDescription figure;
    figure.height = 40.0f;
    figure.sets = {{"IDLE", FigureMotion::Breathe, 1.0f, false},
                   {"BUMP_BOTS", FigureMotion::Bump, 0.4f, false}};
    TriggersFileDescription file;
    file.rigid.push_back({3, MakeBoxMesh({4.0f, 8.0f, 4.0f}, kFigureTexture, 3)});
    file.animated.push_back({5, WriteXFile(MakeArticulatedFigure(figure)),
                             FigureMaterial(D3DXCOLOR(1, 1, 1, 1)), kFigureTexture});
    file.triggers = {{"TRIG_GRONK_IDLE", 5, "IDLE", 3},
                     {"TRIG_GRONK_BUMP/BOTS", 5, "BUMP_BOTS", 3},
                     {"TRIG_GRONK_MISSING", 9, "NONE", 4}};
    return {{"one_figure.qvx", WriteTriggersFile(file)}, {"empty.qvx", WriteTriggersFile({})}};
}
