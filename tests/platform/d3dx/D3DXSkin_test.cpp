// Skinned meshes on the null device: loading a written figure through an
// allocator (frames, containers, bones, the controller and its outputs), the
// bind pose returning every blended vertex to its mesh-space place, the
// rotation-key convention, the bone-combination split, track blending, and
// the period with its wrap.
#include "platform/d3dx/D3DXAnimation.h"
#include "platform/d3dx/KeyframedAnimationSet.h"
#include "platform/gfx/null/NullGfx.h"
#include "platform/win/Backend.h"
#include "tests/platform/d3dx/SkinTestSupport.h"
#include "tests/platform/gfx/NullDeviceTestSupport.h"
#include "tools/writers/XFileWriter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

namespace
{
using skintest::TestAllocator;
using ::testing::HasSubstr;

std::vector<std::string> g_messages;

void MatrixNear(const D3DXMATRIX& a, const D3DXMATRIX& b, float tolerance = 1e-4f)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR((&a._11)[i], (&b._11)[i], tolerance) << "element " << i;
}

class D3DXSkinTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        win::SetBackend(win::Backend::Null);
        gfx::null::ResetSettings();
        D3DPRESENT_PARAMETERS pp{};
        ASSERT_NO_FATAL_FAILURE(nulltest::CreateSmallDevice(d3d, device, pp));
        g_messages.clear();
        D3DXSetMessageSink([](const char* text) { g_messages.push_back(text); });
    }
    void TearDown() override
    {
        Unload();
        D3DXSetMessageSink(nullptr);
        EXPECT_EQ(allocator.frames, 0);
        EXPECT_EQ(allocator.containers, 0);
        EXPECT_EQ(device->Release(), 0u) << "a mesh still holds the device";
        d3d->Release();
    }
    HRESULT Load(const std::string& text)
    {
        Unload();
        return D3DXLoadMeshHierarchyFromXInMemory(text.data(), DWORD(text.size()), D3DXMESH_MANAGED, device,
                                                  &allocator, nullptr, &root, &controller);
    }
    void Unload()
    {
        if (blended)
            blended->Release();
        if (combinations)
            combinations->Release();
        if (controller)
            controller->Release();
        D3DXFrameDestroy(root, &allocator);
        blended = nullptr;
        combinations = nullptr;
        controller = nullptr;
        root = nullptr;
    }
    void Convert(DWORD palette)
    {
        D3DXMESHCONTAINER* skinned = skintest::FindSkinnedTree(root);
        ASSERT_NE(skinned, nullptr);
        ASSERT_EQ(skinned->pSkinInfo->ConvertToIndexedBlendedMesh(
                      skinned->MeshData.pMesh, DWORD(D3DXMESH_MANAGED) | D3DXMESHOPT_VERTEXCACHE, palette,
                      skinned->pAdjacency, nullptr, nullptr, nullptr, &influences, &combinationCount,
                      &combinations, &blended),
                  D3D_OK);
    }
    // Every blended vertex under the palette of the frames as they stand.
    std::vector<D3DXVECTOR3> Skinned()
    {
        ID3DXSkinInfo* skin = skintest::FindSkinnedTree(root)->pSkinInfo;
        const std::vector<D3DXMATRIX> palette = skintest::BonePalette(root, skin);
        const auto* table = static_cast<const D3DXBONECOMBINATION*>(combinations->GetBufferPointer());
        const std::vector<skintest::BlendedVertex> vertices = skintest::ReadBlended(blended, influences);
        std::vector<D3DXVECTOR3> out(vertices.size(), D3DXVECTOR3(0, 0, 0));
        for (DWORD c = 0; c < combinationCount; ++c)
            for (DWORD v = table[c].VertexStart; v < table[c].VertexStart + table[c].VertexCount; ++v)
                for (int i = 0; i < 4; ++i)
                {
                    if (vertices[v].weights[i] == 0.0f)
                        continue;
                    D3DXVECTOR3 moved;
                    D3DXVec3TransformCoord(&moved, &vertices[v].position,
                                           &palette[table[c].BoneId[vertices[v].slots[i]]]);
                    out[v] += moved * vertices[v].weights[i];
                }
        return out;
    }

    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    TestAllocator allocator;
    D3DXFRAME* root = nullptr;
    ID3DXAnimationController* controller = nullptr;
    ID3DXMesh* blended = nullptr;
    ID3DXBuffer* combinations = nullptr;
    DWORD influences = 0, combinationCount = 0;
};

ArticulatedFigureDescription Figure()
{
    ArticulatedFigureDescription figure;
    figure.sets = {{"STUUR_LINKS", FigureMotion::SteerLeft, 0.5f, false},
                   {"ACHTERUIT", FigureMotion::Reverse, 1.0f, false}};
    return figure;
}

TEST_F(D3DXSkinTest, LoadedFigureHasItsFramesBonesAndController)
{
    ASSERT_EQ(Load(WriteXFile(MakeArticulatedFigure(Figure()))), D3D_OK);
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->Name, "Figure");
    EXPECT_EQ(allocator.frames, 6);
    EXPECT_EQ(allocator.containers, 1);
    D3DXMESHCONTAINER* body = root->pMeshContainer;
    ASSERT_NE(body, nullptr);
    EXPECT_STREQ(body->Name, "Body");
    EXPECT_EQ(body->MeshData.Type, D3DXMESHTYPE_MESH);
    EXPECT_EQ(body->MeshData.pMesh->GetFVF(), DWORD(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1));
    EXPECT_EQ(body->MeshData.pMesh->GetNumVertices(), 5u * 24u);
    EXPECT_EQ(body->NumMaterials, 1u);
    ID3DXSkinInfo* skin = body->pSkinInfo;
    ASSERT_NE(skin, nullptr);
    ASSERT_EQ(skin->GetNumBones(), 5u);
    DWORD most = 0;
    skin->GetMaxVertexInfluences(&most);
    EXPECT_EQ(most, 2u);
    for (DWORD b = 0; b < 5; ++b)
        EXPECT_NE(D3DXFrameFind(root, skin->GetBoneName(b)), nullptr) << skin->GetBoneName(b);
    EXPECT_EQ(D3DXFrameFind(root, "Nobody"), nullptr);

    ASSERT_NE(controller, nullptr);
    EXPECT_GE(controller->GetMaxNumTracks(), 4u);
    EXPECT_EQ(controller->GetNumAnimationSets(), 2u);
    ID3DXAnimationSet* set = nullptr;
    ASSERT_EQ(controller->GetAnimationSetByName("ACHTERUIT", &set), D3D_OK);
    EXPECT_DOUBLE_EQ(set->GetPeriod(), 1.0);
    set->Release();
    EXPECT_EQ(controller->GetAnimationSetByName("IDLE", &set), D3DERR_NOTFOUND);
    D3DXTRACK_DESC track{};
    controller->GetTrackDesc(0, &track);
    EXPECT_TRUE(track.Enable);
    EXPECT_EQ(track.Weight, 1.0f);
    controller->GetTrackAnimationSet(0, &set);
    EXPECT_STREQ(set->GetName(), "STUUR_LINKS");
    set->Release();
}

TEST_F(D3DXSkinTest, BindPosePutsEverySkinnedVertexBackInPlace)
{
    ASSERT_EQ(Load(WriteXFile(MakeArticulatedFigure(Figure()))), D3D_OK);
    // Scrub to 0 on track 0: the set starts at the bind pose.
    controller->AdvanceTime(0.0, nullptr);
    Convert(26);
    EXPECT_EQ(influences, 2u);
    const std::vector<skintest::BlendedVertex> vertices = skintest::ReadBlended(blended, influences);
    const std::vector<D3DXVECTOR3> skinned = Skinned();
    for (size_t v = 0; v < vertices.size(); ++v)
    {
        EXPECT_NEAR(skinned[v].x, vertices[v].position.x, 1e-3f) << v;
        EXPECT_NEAR(skinned[v].y, vertices[v].position.y, 1e-3f) << v;
        EXPECT_NEAR(skinned[v].z, vertices[v].position.z, 1e-3f) << v;
    }
    // Halfway through the lean the torso's vertices have moved.
    controller->AdvanceTime(0.25, nullptr);
    const std::vector<D3DXVECTOR3> leaning = Skinned();
    int moved = 0;
    for (size_t v = 0; v < vertices.size(); ++v)
        moved += std::fabs(leaning[v].x - vertices[v].position.x) > 1.0f;
    EXPECT_GT(moved, 24);
}

TEST_F(D3DXSkinTest, StoredRotationKeyIsTheConjugateOfTheFrameTurn)
{
    d3dx::XAnimationSet source;
    source.name = "Turn";
    source.animations.push_back(
        {"Bone", {{0, D3DXQUATERNION(0.0f, 0.707107f, 0.0f, 0.707107f)}}, {}, {}, {}});
    ID3DXAnimationSet* set = new d3dx::KeyframedAnimationSet(source, 0);
    ID3DXAnimationController* c = nullptr;
    ASSERT_EQ(D3DXCreateAnimationController(1, 1, 4, 0, &c), D3D_OK);
    D3DXMATRIX output;
    D3DXMatrixIdentity(&output);
    c->RegisterAnimationOutput("Bone", &output, nullptr, nullptr, nullptr);
    c->RegisterAnimationSet(set);
    c->SetTrackAnimationSet(0, set);
    c->SetTrackEnable(0, TRUE);
    c->AdvanceTime(0.0, nullptr);
    D3DXMATRIX expected;
    D3DXMatrixRotationY(&expected, D3DXToRadian(-90.0f));
    MatrixNear(output, expected);
    set->Release();
    c->Release();
}

// A strip of quads along x; bone k moves the vertices of column k (and
// shares the column between it and k + 1 half and half).
struct Strip
{
    ID3DXMesh* mesh = nullptr;
    ID3DXSkinInfo* skin = nullptr;
    std::vector<DWORD> boneOf; // the strongest bone of each vertex
};

Strip MakeStrip(IDirect3DDevice9* device, DWORD bones)
{
    Strip strip;
    const DWORD columns = bones + 1, vertices = columns * 2, faces = bones * 2;
    EXPECT_EQ(
        D3DXCreateMeshFVF(faces, vertices, D3DXMESH_MANAGED, D3DFVF_XYZ | D3DFVF_NORMAL, device, &strip.mesh),
        D3D_OK);
    d3dx::MeshArrays arrays;
    d3dx::ReadMeshArrays(strip.mesh, arrays);
    for (DWORD v = 0; v < vertices; ++v)
    {
        const float p[6] = {float(v / 2), float(v % 2), 0.0f, 0.0f, 0.0f, -1.0f};
        std::memcpy(arrays.vertices.data() + v * arrays.stride, p, sizeof p);
    }
    for (DWORD q = 0; q < bones; ++q)
    {
        const uint32_t a = q * 2, b = q * 2 + 1, c = q * 2 + 2, d = q * 2 + 3;
        const uint32_t corners[6] = {a, b, c, c, b, d};
        std::copy(corners, corners + 6, arrays.indices.begin() + q * 6);
    }
    d3dx::WriteMeshArrays(strip.mesh, arrays);
    D3DXCreateSkinInfoFVF(vertices, D3DFVF_XYZ | D3DFVF_NORMAL, bones, &strip.skin);
    for (DWORD b = 0; b < bones; ++b)
    {
        // Column b fully and the first vertex of column b + 1 at 0.4; the
        // last bone takes the last column too.
        const bool last = b + 1 == bones;
        const DWORD v[4] = {b * 2, b * 2 + 1, b * 2 + 2, b * 2 + 3};
        const float w[4] = {1.0f, 1.0f, last ? 1.0f : 0.4f, 1.0f};
        strip.skin->SetBoneName(b, ("Bone" + std::to_string(b)).c_str());
        strip.skin->SetBoneInfluence(b, last ? 4 : 3, v, w);
    }
    return strip;
}

TEST_F(D3DXSkinTest, TenBonesMakeOneCombinationThirtySeveralWithEveryFacesBonesInside)
{
    for (const DWORD bones : {10u, 30u})
    {
        SCOPED_TRACE(bones);
        Strip strip = MakeStrip(device, bones);
        const DWORD palette = std::min<DWORD>(bones, 26);
        DWORD most = 0, count = 0, faceRemap[60];
        ID3DXBuffer* table = nullptr;
        ID3DXBuffer* vertexRemap = nullptr;
        ID3DXMesh* mesh = nullptr;
        ASSERT_EQ(strip.skin->ConvertToIndexedBlendedMesh(strip.mesh, D3DXMESH_MANAGED, palette, nullptr,
                                                          nullptr, faceRemap, &vertexRemap, &most, &count,
                                                          &table, &mesh),
                  D3D_OK);
        EXPECT_EQ(most, 2u);
        EXPECT_EQ(mesh->GetFVF(), DWORD(D3DFVF_XYZB2 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_NORMAL));
        EXPECT_EQ(mesh->GetNumFaces(), bones * 2);
        if (bones == 10)
            EXPECT_EQ(count, 1u);
        else
            EXPECT_GE(count, 2u);
        DWORD entries = 0;
        mesh->GetAttributeTable(nullptr, &entries);
        EXPECT_EQ(entries, count);

        const auto* combinations = static_cast<const D3DXBONECOMBINATION*>(table->GetBufferPointer());
        const auto* oldVertex = static_cast<const DWORD*>(vertexRemap->GetBufferPointer());
        const std::vector<skintest::BlendedVertex> vertices = skintest::ReadBlended(mesh, most);
        d3dx::MeshArrays arrays;
        d3dx::ReadMeshArrays(mesh, arrays);
        DWORD facesSeen = 0;
        for (DWORD c = 0; c < count; ++c)
        {
            const D3DXBONECOMBINATION& combination = combinations[c];
            EXPECT_EQ(combination.FaceStart, facesSeen);
            facesSeen += combination.FaceCount;
            DWORD used = 0;
            for (DWORD slot = 0; slot < palette; ++slot)
                used += combination.BoneId[slot] != UINT32_MAX;
            EXPECT_LE(used, palette);
            for (DWORD f = combination.FaceStart; f < combination.FaceStart + combination.FaceCount; ++f)
            {
                EXPECT_EQ(arrays.attributes[f], c);
                for (int corner = 0; corner < 3; ++corner)
                {
                    const uint32_t v = arrays.indices[f * 3 + corner];
                    ASSERT_GE(v, combination.VertexStart);
                    ASSERT_LT(v, combination.VertexStart + combination.VertexCount);
                    // Each influence's slot names, in this combination's
                    // palette, the bone that weighs the original vertex.
                    for (DWORD i = 0; i < most; ++i)
                    {
                        if (vertices[v].weights[i] == 0.0f)
                            continue;
                        const DWORD slot = vertices[v].slots[i];
                        ASSERT_LT(slot, used);
                        const DWORD bone = combination.BoneId[slot];
                        const DWORD n = strip.skin->GetNumBoneInfluences(bone);
                        std::vector<DWORD> weighted(n);
                        std::vector<float> weights(n);
                        strip.skin->GetBoneInfluence(bone, weighted.data(), weights.data());
                        EXPECT_NE(std::find(weighted.begin(), weighted.end(), oldVertex[v]), weighted.end());
                    }
                }
            }
        }
        EXPECT_EQ(facesSeen, bones * 2);
        // A palette smaller than one face's bones cannot be split into.
        ID3DXMesh* refused = nullptr;
        EXPECT_EQ(strip.skin->ConvertToIndexedBlendedMesh(strip.mesh, D3DXMESH_MANAGED, 1, nullptr, nullptr,
                                                          nullptr, nullptr, nullptr, nullptr, nullptr,
                                                          &refused),
                  D3DERR_INVALIDCALL);
        EXPECT_EQ(refused, nullptr);
        mesh->Release();
        table->Release();
        vertexRemap->Release();
        strip.skin->Release();
        strip.mesh->Release();
    }
}

TEST_F(D3DXSkinTest, MissingNormalsAreComputedAfterTheFormatChange)
{
    Strip strip = MakeStrip(device, 3);
    ID3DXMesh* plain = nullptr;
    ASSERT_EQ(strip.mesh->CloneMeshFVF(D3DXMESH_MANAGED, D3DFVF_XYZ, device, &plain), D3D_OK);
    ID3DXMesh* blendedMesh = nullptr;
    ASSERT_EQ(strip.skin->ConvertToIndexedBlendedMesh(plain, D3DXMESH_MANAGED, 3, nullptr, nullptr, nullptr,
                                                      nullptr, nullptr, nullptr, nullptr, &blendedMesh),
              D3D_OK);
    ID3DXMesh* withNormals = nullptr;
    ASSERT_EQ(blendedMesh->CloneMeshFVF(D3DXMESH_MANAGED, blendedMesh->GetFVF() | D3DFVF_NORMAL, device,
                                        &withNormals),
              D3D_OK);
    ASSERT_EQ(D3DXComputeNormals(withNormals, nullptr), D3D_OK);
    d3dx::MeshArrays arrays;
    d3dx::ReadMeshArrays(withNormals, arrays);
    for (DWORD v = 0; v < arrays.VertexCount(); ++v)
    {
        D3DXVECTOR3 normal;
        std::memcpy(&normal, arrays.vertices.data() + v * arrays.stride + 12 + 8,
                    12); // after position and XYZB2
        // The strip winds (a, b, c) with b above a: (b - a) x (c - a) is -z.
        EXPECT_NEAR(normal.z, -1.0f, 1e-5f) << v;
    }
    DWORD entries = 0;
    withNormals->GetAttributeTable(nullptr, &entries);
    EXPECT_EQ(entries, 1u);
    EXPECT_EQ(D3DXComputeNormals(plain, nullptr), D3DERR_INVALIDCALL);
    withNormals->Release();
    blendedMesh->Release();
    plain->Release();
    strip.skin->Release();
    strip.mesh->Release();
}

// ---- controller ----

// One frame "Bone" keyed in translation (and optionally rotation) at ticks.
d3dx::XAnimationSet Keys(const char* name, std::vector<std::pair<DWORD, D3DXVECTOR3>> positions,
                         std::vector<std::pair<DWORD, float>> turnsAboutZ = {})
{
    d3dx::XAnimationSet set;
    set.name = name;
    set.animations.emplace_back();
    set.animations[0].frameName = "Bone";
    for (const auto& [tick, at] : positions)
        set.animations[0].positions.push_back({tick, at});
    for (const auto& [tick, degrees] : turnsAboutZ)
    {
        D3DXQUATERNION q;
        const D3DXVECTOR3 z(0, 0, 1);
        D3DXQuaternionRotationAxis(&q, &z, D3DXToRadian(degrees));
        set.animations[0].rotations.push_back({tick, d3dx::StoredRotationKey(q)});
    }
    return set;
}

class ControllerTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_EQ(D3DXCreateAnimationController(1, 4, 4, 0, &controller), D3D_OK);
        D3DXMatrixIdentity(&output);
        controller->RegisterAnimationOutput("Bone", &output, nullptr, nullptr, &translation);
    }
    void TearDown() override { controller->Release(); }
    ID3DXAnimationSet* Add(const d3dx::XAnimationSet& source, DWORD ticksPerSecond, UINT track)
    {
        ID3DXAnimationSet* set = new d3dx::KeyframedAnimationSet(source, ticksPerSecond);
        controller->RegisterAnimationSet(set);
        controller->SetTrackAnimationSet(track, set);
        controller->SetTrackEnable(track, TRUE);
        set->Release();
        return set;
    }

    ID3DXAnimationController* controller = nullptr;
    D3DXMATRIX output;
    D3DXVECTOR3 translation;
};

TEST_F(ControllerTest, TracksBlendByWeightAndOnlyEnabledHighPriorityOnesCount)
{
    Add(Keys("A", {{0, {10, 0, 0}}}, {{0, 0.0f}}), 0, 0);
    Add(Keys("B", {{0, {0, 20, 0}}}, {{0, 90.0f}}), 0, 1);
    Add(Keys("C", {{0, {0, 0, 1000}}}), 0, 2);
    Add(Keys("D", {{0, {0, 0, -1000}}}), 0, 3);
    controller->SetTrackWeight(0, 0.5f);
    controller->SetTrackWeight(1, 0.5f);
    controller->SetTrackEnable(2, FALSE);
    controller->SetTrackPriority(3, D3DXPRIORITY_LOW);
    controller->AdvanceTime(0.0, nullptr);
    EXPECT_NEAR(translation.x, 5.0f, 1e-5f);
    EXPECT_NEAR(translation.y, 10.0f, 1e-5f);
    EXPECT_NEAR(translation.z, 0.0f, 1e-5f);
    D3DXMATRIX expected, turn, move;
    D3DXMatrixRotationZ(&turn, D3DXToRadian(45.0f));
    D3DXMatrixTranslation(&move, 5.0f, 10.0f, 0.0f);
    expected = turn * move;
    MatrixNear(output, expected);

    controller->SetTrackWeight(0, 0.25f);
    controller->SetTrackWeight(1, 0.75f);
    controller->AdvanceTime(0.0, nullptr);
    EXPECT_NEAR(translation.x, 2.5f, 1e-5f);
    EXPECT_NEAR(translation.y, 15.0f, 1e-5f);
    // The low-priority track comes in with the priority blend.
    controller->SetPriorityBlend(0.5f);
    controller->AdvanceTime(0.0, nullptr);
    EXPECT_NEAR(translation.z, -500.0f, 1e-3f);
}

TEST_F(ControllerTest, OutputsNoEnabledTrackAnimatesKeepTheirValue)
{
    Add(Keys("A", {{0, {10, 0, 0}}}), 0, 0);
    controller->SetTrackEnable(0, FALSE);
    D3DXMatrixTranslation(&output, 1, 2, 3);
    const D3DXMATRIX before = output;
    controller->AdvanceTime(0.5, nullptr);
    EXPECT_EQ(output, before);
}

TEST_F(ControllerTest, SetsAreSampledAtThePositionWrappedIntoTheirPeriod)
{
    // Two keys a second apart at the default 4800 ticks per second.
    ID3DXAnimationSet* set = Add(Keys("A", {{0, {0, 0, 0}}, {4800, {100, 0, 0}}}), 0, 0);
    EXPECT_DOUBLE_EQ(set->GetPeriod(), 1.0);
    const struct
    {
        double position;
        float x;
    } cases[] = {{0.0, 0.0f},   {0.5, 50.0f},   {0.999, 99.9f}, {1.0, 0.0f},
                 {1.25, 25.0f}, {-0.25, 75.0f}, {7.5, 50.0f}};
    for (const auto& c : cases)
    {
        controller->SetTrackPosition(0, c.position);
        controller->AdvanceTime(0.0, nullptr);
        EXPECT_NEAR(translation.x, c.x, 1e-3f) << c.position;
        EXPECT_NEAR(set->GetPeriodicPosition(c.position), c.position - std::floor(c.position), 1e-9);
    }
    // Position moves by time x speed.
    controller->SetTrackPosition(0, 0.0);
    controller->SetTrackSpeed(0, 2.0f);
    controller->AdvanceTime(0.125, nullptr);
    D3DXTRACK_DESC track{};
    controller->GetTrackDesc(0, &track);
    EXPECT_DOUBLE_EQ(track.Position, 0.25);
    EXPECT_DOUBLE_EQ(controller->GetTime(), 0.125);
    EXPECT_NEAR(translation.x, 25.0f, 1e-3f);

    // The file's own ticks per second.
    ID3DXAnimationSet* thirty =
        new d3dx::KeyframedAnimationSet(Keys("B", {{0, {0, 0, 0}}, {45, {1, 0, 0}}}), 30);
    EXPECT_DOUBLE_EQ(thirty->GetPeriod(), 1.5);
    thirty->Release();
}

TEST_F(ControllerTest, TrackCallsOutOfRangeAreRefused)
{
    EXPECT_EQ(controller->SetTrackWeight(4, 1.0f), D3DERR_INVALIDCALL);
    EXPECT_EQ(controller->GetTrackDesc(9, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(controller->RegisterAnimationOutput("Second", &output, nullptr, nullptr, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(controller->AdvanceTime(std::nan(""), nullptr), D3DERR_INVALIDCALL);
}

// ---- loading failures ----

TEST_F(D3DXSkinTest, FailedLoadsLeaveNothingAndSayWhy)
{
    ArticulatedFigureDescription figure = Figure();
    const std::string text = WriteXFile(MakeArticulatedFigure(figure));
    const std::string binary = "xof 0303bin 0032" + text.substr(16);
    EXPECT_EQ(Load(binary), E_FAIL);
    EXPECT_EQ(root, nullptr);
    EXPECT_EQ(controller, nullptr);
    ASSERT_EQ(g_messages.size(), 1u);
    EXPECT_THAT(g_messages[0], HasSubstr("binary or compressed .x files are not supported"));

    EXPECT_EQ(Load(text.substr(0, text.size() / 2)), E_FAIL);
    EXPECT_EQ(Load("xof 0303txt 0032\n"), E_FAIL);
    EXPECT_THAT(g_messages.back(), HasSubstr("no frame"));
    // The allocator failing halfway: what was made is given back.
    allocator.failFramesAfter = 3;
    EXPECT_EQ(Load(text), E_OUTOFMEMORY);
    EXPECT_EQ(root, nullptr);
    allocator.failFramesAfter = -1;
    EXPECT_EQ(D3DXLoadMeshHierarchyFromXInMemory(text.data(), DWORD(text.size()), 0, device, nullptr, nullptr,
                                                 &root, &controller),
              D3DERR_INVALIDCALL);

    // Without animation sets there is no controller.
    figure.sets.clear();
    ASSERT_EQ(Load(WriteXFile(MakeArticulatedFigure(figure))), D3D_OK);
    EXPECT_NE(root, nullptr);
    EXPECT_EQ(controller, nullptr);
}

TEST_F(D3DXSkinTest, ContainersFollowTheirFramesAndUnskinnedMeshesHaveNoSkinInfo)
{
    // An unskinned mesh on the root and the skinned one on a child: the
    // search own -> siblings -> children passes the unskinned one over.
    d3dx::XFileDescription file = MakeArticulatedFigure(Figure());
    d3dx::XMesh plain = file.frames[0].meshes[0];
    plain.name = "Plain";
    plain.skin.clear();
    file.frames[0].children[0].meshes.push_back(file.frames[0].meshes[0]);
    file.frames[0].meshes[0] = plain;
    ASSERT_EQ(Load(WriteXFile(file)), D3D_OK);
    EXPECT_EQ(allocator.containers, 2);
    EXPECT_EQ(root->pMeshContainer->pSkinInfo, nullptr);
    D3DXMESHCONTAINER* skinned = skintest::FindSkinnedTree(root);
    ASSERT_NE(skinned, nullptr);
    EXPECT_STREQ(skinned->Name, "Body");
    EXPECT_EQ(skinned, root->pFrameFirstChild->pMeshContainer);
}
} // namespace
