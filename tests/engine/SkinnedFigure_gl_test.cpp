// A skinned figure drawn with the "Skinned" effect on the gl back-end, the
// way the figure renderer draws it (one draw per bone combination with its
// palette): in the bind pose it stands where its mesh is, leaning to the left
// moves its head, the second pass takes its colour and alpha test from the
// stage-1 overlay, and a palette small enough to split the figure
// into several combinations draws the same picture as one combination does.
#include "engine/effects/QV7_SkinnedEffect.h"
#include "platform/d3dx/D3DXAnimation.h"
#include "platform/d3dx/Effect.h"
#include "platform/gfx/D3D9.h"
#include "tests/platform/d3dx/SkinTestSupport.h"
#include "tests/platform/gfx/GlTestSupport.h"
#include "tests/platform/gfx/SavePicture.h"
#include "tools/writers/ImageWriters.h"
#include "tools/writers/XFileWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

namespace
{
constexpr UINT kSize = 96;
constexpr uint32_t kClear = 0xFF203040u;

using gltest::Blue;
using gltest::Red;

class SkinnedFigureGlTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(gltest::CreatePictureDevice(kSize, kSize, d3d, device));
        const std::string& bytes = SkinnedEffectSource();
        std::string errors;
        ASSERT_EQ(D3DXCreateEffect(device, bytes.data(), UINT(bytes.size()), nullptr, nullptr, 0, nullptr,
                                   &effect, &errors),
                  D3D_OK)
            << errors;
        ASSERT_EQ(device->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &white, nullptr),
                  D3D_OK);
        D3DLOCKED_RECT locked{};
        white->LockRect(0, &locked, nullptr, 0);
        *static_cast<uint32_t*>(locked.pBits) = 0xFFFFFFFFu;
        white->UnlockRect(0);

        ArticulatedFigureDescription figure;
        figure.sets = {{"STUUR_LINKS", FigureMotion::SteerLeft, 0.5f, false}};
        const std::string text = WriteXFile(MakeArticulatedFigure(figure));
        ASSERT_EQ(D3DXLoadMeshHierarchyFromXInMemory(text.data(), DWORD(text.size()), D3DXMESH_MANAGED,
                                                     device, &allocator, nullptr, &root, &controller),
                  D3D_OK);
        skin = skintest::FindSkinnedTree(root);
        ASSERT_NE(skin, nullptr);
    }
    void TearDown() override
    {
        Release();
        if (controller)
            controller->Release();
        D3DXFrameDestroy(root, &allocator);
        if (white)
            white->Release();
        if (effect)
            effect->Release();
        gltest::ReleasePictureDevice(d3d, device);
    }
    void Release()
    {
        if (blended)
            blended->Release();
        if (table)
            table->Release();
        blended = nullptr;
        table = nullptr;
    }
    void Convert(DWORD palette)
    {
        Release();
        ASSERT_EQ(skin->pSkinInfo->ConvertToIndexedBlendedMesh(
                      skin->MeshData.pMesh, D3DXMESH_MANAGED, palette, skin->pAdjacency, nullptr, nullptr,
                      nullptr, &influences, &combinations, &table, &blended),
                  D3D_OK);
    }
    // The figure from in front and to its right, lit from the camera's side.
    // pass 1 also modulates by the stage-1 overlay, dropping pixels whose
    // overlay alpha is below alphaRef.
    gfx::PresentedFrame Draw(DWORD palette, UINT pass = 0, float alphaRef = 0.0f)
    {
        Convert(palette);
        D3DXMATRIX world, view, projection;
        D3DXMatrixIdentity(&world);
        const D3DXVECTOR3 eye(60.0f, 70.0f, 220.0f), at(0.0f, 50.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 4, 1.0f, 1.0f, 1000.0f);
        const D3DXMATRIX viewProjection = world * view * projection;
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClear, 1.0f, 0);
        device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        device->BeginScene();
        effect->SetTechnique(effect->GetTechniqueByName("t0"));
        effect->SetMatrix("World", &world);
        effect->SetMatrix("mViewProj", &viewProjection);
        effect->SetMatrix("View", &view);
        effect->SetInt("CurNumBones", int(influences) - 1);
        const D3DXVECTOR4 toLight(0.3f, 0.5f, 1.0f, 0.0f), ambient(0.2f, 0.2f, 0.2f, 0.0f),
            diffuse(0.8f, 0.8f, 0.8f, 0.0f), specular(0.3f, 0.3f, 0.3f, 0.0f), colour(0.9f, 0.6f, 0.3f, 1.0f),
            none(0.0f, 0.0f, 0.0f, 0.0f);
        effect->SetVector("lightDir", &toLight);
        effect->SetVector("I_a", &ambient);
        effect->SetVector("I_d", &diffuse);
        effect->SetVector("I_s", &specular);
        effect->SetVector("k_a", &colour);
        effect->SetVector("k_d", &colour);
        effect->SetVector("k_e", &none);
        effect->SetFloat("n", 8.0f);
        effect->SetFloat("AlphaRef", alphaRef);
        IDirect3DVertexBuffer9* vertices = nullptr;
        IDirect3DIndexBuffer9* indices = nullptr;
        blended->GetVertexBuffer(&vertices);
        blended->GetIndexBuffer(&indices);
        device->SetFVF(blended->GetFVF());
        device->SetStreamSource(0, vertices, 0, blended->GetNumBytesPerVertex());
        device->SetIndices(indices);
        device->SetTexture(0, white);
        const auto* combination = static_cast<const D3DXBONECOMBINATION*>(table->GetBufferPointer());
        std::vector<D3DXMATRIX> all = skintest::BonePalette(root, skin->pSkinInfo);
        for (DWORD c = 0; c < combinations; ++c)
        {
            D3DXMATRIX slots[kSkinnedPaletteSize];
            for (DWORD j = 0; j < kSkinnedPaletteSize; ++j)
                D3DXMatrixIdentity(&slots[j]);
            for (DWORD j = 0; j < palette; ++j)
                if (combination[c].BoneId[j] != UINT32_MAX)
                    slots[j] = all[combination[c].BoneId[j]];
            effect->SetMatrixArray("mWorldMatrixArray", slots, kSkinnedPaletteSize);
            UINT passes = 0;
            effect->Begin(&passes, 0);
            effect->BeginPass(pass);
            device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, combination[c].VertexStart,
                                         combination[c].VertexCount, combination[c].FaceStart * 3,
                                         combination[c].FaceCount);
            effect->EndPass();
            effect->End();
        }
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        vertices->Release();
        indices->Release();
        gfx::PresentedFrame frame;
        EXPECT_TRUE(gfx::ReadPresentedFrame(device, frame));
        gltest::SavePicture(frame, gltest::TestPictureName(++saved));
        return frame;
    }
    // Mean column of the figure's pixels in rows [top, bottom).
    static float FigureColumn(const gfx::PresentedFrame& frame, int top, int bottom)
    {
        double sum = 0.0;
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < frame.width; ++x)
                if (frame.pixels[size_t(y * frame.width + x)] != kClear)
                {
                    sum += x;
                    ++count;
                }
        return count ? float(sum / count) : -1.0f;
    }
    static int FigurePixels(const gfx::PresentedFrame& frame)
    {
        int count = 0;
        for (uint32_t pixel : frame.pixels)
            count += pixel != kClear;
        return count;
    }

    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    ID3DXEffect* effect = nullptr;
    IDirect3DTexture9* white = nullptr;
    skintest::TestAllocator allocator;
    D3DXFRAME* root = nullptr;
    ID3DXAnimationController* controller = nullptr;
    D3DXMESHCONTAINER* skin = nullptr;
    ID3DXMesh* blended = nullptr;
    ID3DXBuffer* table = nullptr;
    DWORD influences = 0, combinations = 0;
    int saved = 0;
};

TEST_F(SkinnedFigureGlTest, LeaningMovesTheHeadAwayFromTheBindPose)
{
    controller->AdvanceTime(0.0, nullptr);
    const gfx::PresentedFrame rest = Draw(26);
    EXPECT_EQ(combinations, 1u);
    EXPECT_EQ(rest.pixels[0], kClear) << "the figure leaves the corners clear";
    EXPECT_GT(FigurePixels(rest), 600);
    // Lit from the camera's side: the body is bright and warm.
    const uint32_t centre = rest.pixels[size_t(50 * kSize + 48)];
    EXPECT_GT(Red(centre), 150) << std::hex << centre;
    EXPECT_GT(Red(centre), Blue(centre));

    controller->SetTrackPosition(0, 0.49);
    controller->AdvanceTime(0.0, nullptr);
    const gfx::PresentedFrame leaning = Draw(26);
    // The head (the top rows) moves by several pixels; the hips stay.
    const float headRest = FigureColumn(rest, 0, 30), headLeaning = FigureColumn(leaning, 0, 30);
    ASSERT_GT(headRest, 0.0f);
    ASSERT_GT(headLeaning, 0.0f);
    EXPECT_GT(std::abs(headLeaning - headRest), 3.0f);
    EXPECT_NEAR(FigureColumn(rest, 70, 80), FigureColumn(leaning, 70, 80), 1.0f);
}

TEST_F(SkinnedFigureGlTest, ManyCombinationsDrawTheSamePictureAsOne)
{
    controller->SetTrackPosition(0, 0.3);
    controller->AdvanceTime(0.0, nullptr);
    const gfx::PresentedFrame one = Draw(26);
    const gfx::PresentedFrame several = Draw(2);
    EXPECT_GT(combinations, 1u);
    int differing = 0;
    for (size_t i = 0; i < one.pixels.size(); ++i)
        differing += one.pixels[i] != several.pixels[i];
    EXPECT_LT(differing, 8);
}
TEST_F(SkinnedFigureGlTest, SecondPassModulatesByTheOverlayAndDropsWhatIsBelowAlphaRef)
{
    controller->AdvanceTime(0.0, nullptr);
    IDirect3DTexture9* overlay = nullptr;
    ASSERT_EQ(device->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &overlay, nullptr), D3D_OK);
    D3DLOCKED_RECT locked{};
    overlay->LockRect(0, &locked, nullptr, 0);
    *static_cast<uint32_t*>(locked.pBits) = 0x8000FF00u; // green, alpha 128
    overlay->UnlockRect(0);
    device->SetTexture(1, overlay);
    const gfx::PresentedFrame kept = Draw(26, 1, 128.0f);
    const uint32_t centre = kept.pixels[size_t(50 * kSize + 48)];
    EXPECT_NE(centre, kClear);
    EXPECT_EQ(Red(centre), 0) << std::hex << centre;
    EXPECT_GT((centre >> 8) & 0xFF, 100u) << std::hex << centre;
    const gfx::PresentedFrame dropped = Draw(26, 1, 129.0f);
    EXPECT_EQ(FigurePixels(dropped), 0);
    device->SetTexture(1, nullptr);
    overlay->Release();
}
} // namespace
