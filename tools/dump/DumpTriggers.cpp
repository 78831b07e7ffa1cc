// qv7-dump kind of Triggers.qvx: the rigid substitutes, the figures as the
// game keeps them (bones, bone combinations, animation sets with their
// periods) and the triggers with what each resolved to. Meshes are made on a
// null device; textures are not loaded, so none resolves.
#include "engine/QV7_Engine.h"
#include "figures/QV7_TriggersSystem.h"
#include "platform/io/BinaryReader.h"
#include "tools/dump/DumpKinds.h"
#include "tools/dump/DumpNullDevice.h"
#include "tools/dump/JsonWriter.h"

namespace
{
void DumpRigid(const LodMeshObject& mesh, JsonWriter& out)
{
    out.BeginObject();
    out.Field("id", unsigned(mesh.m_Id));
    out.Field("subsets", unsigned(mesh.m_SubsetCount));
    out.Field("faces", unsigned(mesh.m_FaceCount));
    out.Field("vertices", unsigned(mesh.m_VertexCount));
    out.NumberArray("boxMin", {mesh.m_BoxMin.x, mesh.m_BoxMin.y, mesh.m_BoxMin.z});
    out.NumberArray("boxMax", {mesh.m_BoxMax.x, mesh.m_BoxMax.y, mesh.m_BoxMax.z});
    out.EndObject();
}

void DumpSets(ID3DXAnimationController* controller, JsonWriter& out)
{
    out.Key("sets");
    out.BeginArray();
    for (UINT i = 0; i < controller->GetNumAnimationSets(); ++i)
    {
        ID3DXAnimationSet* set = nullptr;
        if (FAILED(controller->GetAnimationSet(i, &set)) || !set)
            continue;
        out.BeginObject();
        out.Field("name", set->GetName());
        out.Field("period", set->GetPeriod());
        out.EndObject();
        set->Release();
    }
    out.EndArray();
}

void DumpFigure(const AnimatedMesh& figure, JsonWriter& out)
{
    const SkinMeshContainer& skin = *figure.m_Skinned;
    out.BeginObject();
    out.Field("id", figure.m_Id);
    out.Key("bones");
    out.BeginArray();
    for (DWORD b = 0; b < DWORD(figure.m_Bones); ++b)
        out.String(skin.pSkinInfo->GetBoneName(b));
    out.EndArray();
    out.Field("paletteSize", unsigned(skin.NumPaletteEntries));
    out.Field("influences", unsigned(skin.NumInfluences));
    out.Field("boneCombinations", unsigned(skin.NumBoneCombinations));
    out.Field("faces", unsigned(skin.pBlendedMesh->GetNumFaces()));
    out.Field("vertices", unsigned(skin.pBlendedMesh->GetNumVertices()));
    DumpSets(figure.m_Controller, out);
    out.EndObject();
}

bool HasSet(const AnimatedMesh* figure, const char* name)
{
    ID3DXAnimationSet* set = nullptr;
    if (!figure || FAILED(figure->m_Controller->GetAnimationSetByName(name, &set)) || !set)
        return false;
    set->Release();
    return true;
}

void DumpTrigger(const TriggerRecord& trigger, JsonWriter& out)
{
    out.BeginObject();
    out.Field("name", trigger.m_Name);
    out.Field("animatedMeshId", trigger.m_AnimatedMeshId);
    out.Field("animationSet", trigger.m_AnimationSetName);
    out.Field("rigidMeshId", trigger.m_RigidMeshId);
    out.Field("figureFound", trigger.m_AnimatedMesh != nullptr);
    out.Field("setFound", HasSet(trigger.m_AnimatedMesh, trigger.m_AnimationSetName));
    out.Field("rigidFound", trigger.m_RigidMesh != nullptr);
    out.EndObject();
}
} // namespace

bool DumpTriggers(const DumpRequest& request, JsonWriter& out)
{
    DumpNullDevice device;
    if (!device.Device())
        return false;
    BinaryReader file;
    if (!file.OpenFile(request.path))
        return false;
    QV7_TriggersSystem triggers;
    triggers.Read(file);
    out.BeginObject();
    out.Key("rigid");
    out.BeginArray();
    for (const LodMeshObject* mesh : triggers.m_Rigid.m_Objects)
        DumpRigid(*mesh, out);
    out.EndArray();
    out.Key("figures");
    out.BeginArray();
    for (const AnimatedMesh* figure : triggers.m_Animated.m_Figures)
        DumpFigure(*figure, out);
    out.EndArray();
    out.Key("triggers");
    out.BeginArray();
    for (const TriggerRecord* trigger : triggers.m_Triggers)
        DumpTrigger(*trigger, out);
    out.EndArray();
    out.EndObject();
    return true;
}
