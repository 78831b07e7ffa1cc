// The fixed-function emulation of the gl back-end against pixel values worked
// out by hand from Direct3D's documented formulas: every texture-stage
// operation and argument with 1x1 textures, the stage cascade, alpha testing,
// fog, blending, depth, culling, lighting and the texture formats.
#include "GlTestSupport.h"

#include <epoxy/gl.h>

#include <vector>

namespace
{
using gltest::GlDeviceFixture;

// Texture T: a .5, r .25, g .5, b .75; diffuse D: a .25, r .5, g .5, b 1;
// texture factor F: a .75, r 1, g .25, b 0; specular S: r .125, g .25, b .375.
constexpr D3DCOLOR kTexel = 0x804080C0;
constexpr D3DCOLOR kDiffuse = 0x408080FF;
constexpr D3DCOLOR kFactor = 0xC0FF4000;
constexpr D3DCOLOR kSpecular = 0x00204060;

struct StageSetup
{
    DWORD colourOp, colourArg1, colourArg2, colourArg0;
    DWORD alphaOp = D3DTOP_SELECTARG1, alphaArg1 = D3DTA_TEXTURE, alphaArg2 = D3DTA_DIFFUSE;
    DWORD resultArg = D3DTA_CURRENT;
};

struct StageCase
{
    const char* name;
    std::vector<StageSetup> stages;
    int r, g, b;
};

class FixedFunctionTest : public GlDeviceFixture
{
  protected:
    void SetUp() override
    {
        GlDeviceFixture::SetUp();
        texture = MakeTexture(D3DFMT_A8R8G8B8, &kTexel, 4);
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        device->SetRenderState(D3DRS_TEXTUREFACTOR, kFactor);
    }
    void TearDown() override
    {
        if (texture)
            texture->Release();
        GlDeviceFixture::TearDown();
    }
    void Apply(DWORD stage, const StageSetup& s, bool withTexture = true)
    {
        device->SetTexture(stage, withTexture ? texture : nullptr);
        device->SetTextureStageState(stage, D3DTSS_COLOROP, s.colourOp);
        device->SetTextureStageState(stage, D3DTSS_COLORARG1, s.colourArg1);
        device->SetTextureStageState(stage, D3DTSS_COLORARG2, s.colourArg2);
        device->SetTextureStageState(stage, D3DTSS_COLORARG0, s.colourArg0);
        device->SetTextureStageState(stage, D3DTSS_ALPHAOP, s.alphaOp);
        device->SetTextureStageState(stage, D3DTSS_ALPHAARG1, s.alphaArg1);
        device->SetTextureStageState(stage, D3DTSS_ALPHAARG2, s.alphaArg2);
        device->SetTextureStageState(stage, D3DTSS_RESULTARG, s.resultArg);
        device->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, 0);
    }
    uint32_t DrawCentre(D3DCOLOR diffuse = kDiffuse, D3DCOLOR specular = kSpecular, float z = 0.5f)
    {
        Begin();
        DrawQuad(0, 0, kSize, kSize, diffuse, specular, z);
        return At(Finish(), kSize / 2, kSize / 2);
    }
    IDirect3DTexture9* texture = nullptr;
};

TEST_F(FixedFunctionTest, EveryColourOperationMatchesItsFormula)
{
    const DWORD T = D3DTA_TEXTURE, D = D3DTA_DIFFUSE, F = D3DTA_TFACTOR;
    const StageCase cases[] = {
        {"SELECTARG1", {{D3DTOP_SELECTARG1, T, D, F}}, 64, 128, 192},
        {"SELECTARG2", {{D3DTOP_SELECTARG2, T, D, F}}, 128, 128, 255},
        {"MODULATE", {{D3DTOP_MODULATE, T, D, F}}, 32, 64, 191},
        {"MODULATE2X", {{D3DTOP_MODULATE2X, T, D, F}}, 64, 128, 255},
        {"MODULATE4X", {{D3DTOP_MODULATE4X, T, D, F}}, 128, 255, 255},
        {"ADD", {{D3DTOP_ADD, T, D, F}}, 191, 255, 255},
        {"ADDSIGNED", {{D3DTOP_ADDSIGNED, T, D, F}}, 64, 128, 255},
        {"ADDSIGNED2X", {{D3DTOP_ADDSIGNED2X, T, D, F}}, 128, 255, 255},
        {"SUBTRACT", {{D3DTOP_SUBTRACT, D, T, F}}, 64, 0, 64},
        {"ADDSMOOTH", {{D3DTOP_ADDSMOOTH, T, D, F}}, 159, 191, 255},
        {"BLENDDIFFUSEALPHA", {{D3DTOP_BLENDDIFFUSEALPHA, T, D, F}}, 112, 128, 239},
        {"BLENDTEXTUREALPHA", {{D3DTOP_BLENDTEXTUREALPHA, T, D, F}}, 96, 128, 223},
        {"BLENDFACTORALPHA", {{D3DTOP_BLENDFACTORALPHA, T, D, F}}, 80, 128, 207},
        {"BLENDTEXTUREALPHAPM", {{D3DTOP_BLENDTEXTUREALPHAPM, T, D, F}}, 128, 191, 255},
        {"BLENDCURRENTALPHA", {{D3DTOP_BLENDCURRENTALPHA, T, D, F}}, 112, 128, 239},
        {"PREMODULATE (next stage untextured)", {{D3DTOP_PREMODULATE, T, D, F}}, 64, 128, 192},
        {"MODULATEALPHA_ADDCOLOR", {{D3DTOP_MODULATEALPHA_ADDCOLOR, T, D, F}}, 128, 191, 255},
        {"MODULATECOLOR_ADDALPHA", {{D3DTOP_MODULATECOLOR_ADDALPHA, T, D, F}}, 159, 191, 255},
        {"MODULATEINVALPHA_ADDCOLOR", {{D3DTOP_MODULATEINVALPHA_ADDCOLOR, T, D, F}}, 128, 191, 255},
        {"MODULATEINVCOLOR_ADDALPHA", {{D3DTOP_MODULATEINVCOLOR_ADDALPHA, T, D, F}}, 223, 191, 191},
        {"DOTPRODUCT3", {{D3DTOP_DOTPRODUCT3, T, D, F}}, 128, 128, 128},
        {"MULTIPLYADD", {{D3DTOP_MULTIPLYADD, T, D, F}}, 255, 128, 191},
        {"LERP", {{D3DTOP_LERP, T, D, F}}, 64, 128, 255},
    };
    for (const StageCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        Apply(0, c.stages[0]);
        device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        EXPECT_RGB_NEAR(DrawCentre(), c.r, c.g, c.b, 3);
    }
}

TEST_F(FixedFunctionTest, ArgumentsModifiersAndTheStageCascade)
{
    const DWORD T = D3DTA_TEXTURE, D = D3DTA_DIFFUSE, C = D3DTA_CURRENT;
    device->SetTextureStageState(0, D3DTSS_CONSTANT, 0xFF102030);
    const StageCase cases[] = {
        {"texture factor", {{D3DTOP_SELECTARG1, D3DTA_TFACTOR, D, C}}, 255, 64, 0},
        {"specular", {{D3DTOP_SELECTARG1, D3DTA_SPECULAR, D, C}}, 32, 64, 96},
        {"constant", {{D3DTOP_SELECTARG1, D3DTA_CONSTANT, D, C}}, 16, 32, 48},
        {"complement", {{D3DTOP_SELECTARG1, T | D3DTA_COMPLEMENT, D, C}}, 191, 127, 63},
        {"alpha replicate", {{D3DTOP_SELECTARG1, T | D3DTA_ALPHAREPLICATE, D, C}}, 128, 128, 128},
        {"current is diffuse in stage 0", {{D3DTOP_SELECTARG1, C, T, C}}, 128, 128, 255},
        {"temp keeps current untouched",
         {{D3DTOP_SELECTARG1, T, D, C, D3DTOP_SELECTARG1, T, D, D3DTA_TEMP},
          {D3DTOP_MODULATE, D3DTA_TEMP, C, C, D3DTOP_SELECTARG1, C, C}},
         32,
         64,
         191},
        {"second stage modulates the first",
         {{D3DTOP_SELECTARG1, T, D, C}, {D3DTOP_MODULATE, C, D, C, D3DTOP_SELECTARG1, C, C}},
         32,
         64,
         191},
        {"a disabled stage ends the cascade",
         {{D3DTOP_SELECTARG1, T, D, C}, {D3DTOP_DISABLE, T, D, C}, {D3DTOP_SELECTARG1, D3DTA_TFACTOR, D, C}},
         64,
         128,
         192},
        {"alpha MODULATE",
         {{D3DTOP_SELECTARG1, T, D, C, D3DTOP_MODULATE, T, D},
          {D3DTOP_SELECTARG1, C | D3DTA_ALPHAREPLICATE, D, C, D3DTOP_SELECTARG1, C, C}},
         32,
         32,
         32},
        {"alpha ADD",
         {{D3DTOP_SELECTARG1, T, D, C, D3DTOP_ADD, T, D},
          {D3DTOP_SELECTARG1, C | D3DTA_ALPHAREPLICATE, D, C, D3DTOP_SELECTARG1, C, C}},
         191,
         191,
         191},
        {"alpha SELECTARG2",
         {{D3DTOP_SELECTARG1, T, D, C, D3DTOP_SELECTARG2, T, D},
          {D3DTOP_SELECTARG1, C | D3DTA_ALPHAREPLICATE, D, C, D3DTOP_SELECTARG1, C, C}},
         64,
         64,
         64},
        {"alpha SUBTRACT",
         {{D3DTOP_SELECTARG1, T, D, C, D3DTOP_SUBTRACT, T, D},
          {D3DTOP_SELECTARG1, C | D3DTA_ALPHAREPLICATE, D, C, D3DTOP_SELECTARG1, C, C}},
         64,
         64,
         64},
        {"alpha BLENDFACTORALPHA",
         {{D3DTOP_SELECTARG1, T, D, C, D3DTOP_BLENDFACTORALPHA, T, D},
          {D3DTOP_SELECTARG1, C | D3DTA_ALPHAREPLICATE, D, C, D3DTOP_SELECTARG1, C, C}},
         112,
         112,
         112},
        {"DOTPRODUCT3 fills alpha too",
         {{D3DTOP_DOTPRODUCT3, T, D, C, D3DTOP_SELECTARG1, T, D},
          {D3DTOP_SELECTARG1, C | D3DTA_ALPHAREPLICATE, D, C, D3DTOP_SELECTARG1, C, C}},
         128,
         128,
         128},
    };
    for (const StageCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        for (DWORD stage = 0; stage < 4; ++stage)
        {
            if (stage < c.stages.size())
                Apply(stage, c.stages[stage]);
            else
            {
                device->SetTexture(stage, nullptr);
                device->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
                device->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
            }
        }
        EXPECT_RGB_NEAR(DrawCentre(), c.r, c.g, c.b, 3);
    }
}

TEST_F(FixedFunctionTest, AMissingTextureReadsAsOpaqueWhite)
{
    Apply(0, {D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTA_CURRENT}, false);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    EXPECT_RGB_NEAR(DrawCentre(), 128, 128, 255, 2);
}

TEST_F(FixedFunctionTest, AlphaTestComparesWithTheReferenceOutOf255)
{
    struct Case
    {
        DWORD function, reference;
        bool drawn;
    };
    // The texture's alpha is 128.
    const Case cases[] = {
        {D3DCMP_NEVER, 0, false},          {D3DCMP_LESS, 128, false},    {D3DCMP_LESS, 129, true},
        {D3DCMP_EQUAL, 128, true},         {D3DCMP_EQUAL, 127, false},   {D3DCMP_LESSEQUAL, 128, true},
        {D3DCMP_LESSEQUAL, 127, false},    {D3DCMP_GREATER, 128, false}, {D3DCMP_GREATER, 127, true},
        {D3DCMP_NOTEQUAL, 128, false},     {D3DCMP_NOTEQUAL, 3, true},   {D3DCMP_GREATEREQUAL, 128, true},
        {D3DCMP_GREATEREQUAL, 129, false}, {D3DCMP_ALWAYS, 255, true}};
    Apply(0, {D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTA_CURRENT});
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "function " << c.function << " reference " << c.reference);
        device->SetRenderState(D3DRS_ALPHAFUNC, c.function);
        device->SetRenderState(D3DRS_ALPHAREF, c.reference);
        const uint32_t pixel = DrawCentre();
        if (c.drawn)
            EXPECT_RGB_NEAR(pixel, 64, 128, 192, 2);
        else
            EXPECT_RGB_NEAR(pixel, 0, 0, 0, 0);
    }
    // Disabled, the test passes everything.
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_NEVER);
    EXPECT_RGB_NEAR(DrawCentre(), 64, 128, 192, 2);
}

TEST_F(FixedFunctionTest, FogBlendsTowardsTheFogColour)
{
    // Diffuse only, fog colour pure green.
    Apply(0, {D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_DIFFUSE, D3DTA_CURRENT});
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetRenderState(D3DRS_FOGENABLE, TRUE);
    device->SetRenderState(D3DRS_FOGCOLOR, 0xFF00FF00);
    auto setFloat = [&](D3DRENDERSTATETYPE state, float value)
    {
        DWORD bits;
        std::memcpy(&bits, &value, 4);
        device->SetRenderState(state, bits);
    };
    const D3DCOLOR red = 0xFFFF0000;

    // No fog mode: the specular alpha is the fog factor (0x40 = .25 of the colour).
    EXPECT_RGB_NEAR(DrawCentre(red, 0x40000000), 64, 191, 0, 3);

    // Table fog on the pre-transformed depth (the projection is not a perspective one).
    setFloat(D3DRS_FOGSTART, 0.0f);
    setFloat(D3DRS_FOGEND, 1.0f);
    device->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
    EXPECT_RGB_NEAR(DrawCentre(red, 0, 0.25f), 191, 64, 0, 3);
    device->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_EXP);
    setFloat(D3DRS_FOGDENSITY, 2.0f);
    EXPECT_RGB_NEAR(DrawCentre(red, 0, 0.5f), 94, 161, 0, 3); // exp(-1) = .368
    device->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_EXP2);
    EXPECT_RGB_NEAR(DrawCentre(red, 0, 0.5f), 94, 161, 0, 3); // exp(-(1)^2)
    device->SetRenderState(D3DRS_FOGENABLE, FALSE);
    EXPECT_RGB_NEAR(DrawCentre(red, 0, 0.5f), 255, 0, 0, 0);

    // Vertex fog on transformed vertices: eye depth 0.5 between 0 and 1.
    device->SetRenderState(D3DRS_FOGENABLE, TRUE);
    device->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_NONE);
    device->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    struct Vertex
    {
        float x, y, z;
        D3DCOLOR colour;
    };
    const Vertex quad[4] = {{-1, 1, 0.5f, red}, {1, 1, 0.5f, red}, {-1, -1, 0.5f, red}, {1, -1, 0.5f, red}};
    Begin();
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex));
    EXPECT_RGB_NEAR(At(Finish(), 8, 8), 128, 128, 0, 3);
}

TEST_F(FixedFunctionTest, TransformedVerticesKeepDirect3DsOrientationAndWinding)
{
    struct Vertex
    {
        float x, y, z;
        D3DCOLOR colour;
    };
    Apply(0, {D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_DIFFUSE, D3DTA_CURRENT});
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    // Clockwise on screen (y up in clip space): the top-left quarter.
    const Vertex clockwise[6] = {{-1, 1, 0.5f, 0xFFFF0000}, {0, 1, 0.5f, 0xFFFF0000},
                                 {-1, 0, 0.5f, 0xFFFF0000}, {0, 1, 0.5f, 0xFFFF0000},
                                 {0, 0, 0.5f, 0xFFFF0000},  {-1, 0, 0.5f, 0xFFFF0000}};
    Begin();
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, clockwise, sizeof(Vertex));
    gfx::PresentedFrame frame = Finish();
    EXPECT_RGB_NEAR(At(frame, 2, 2), 255, 0, 0, 0); // top left
    EXPECT_RGB_NEAR(At(frame, 7, 7), 255, 0, 0, 0); // last pixel of the quarter
    EXPECT_RGB_NEAR(At(frame, 8, 2), 0, 0, 0, 0);   // top right
    EXPECT_RGB_NEAR(At(frame, 2, 8), 0, 0, 0, 0);   // bottom left

    // The same triangles wound the other way are culled by the default CULLMODE CCW.
    const Vertex counter[3] = {
        {-1, 1, 0.5f, 0xFFFF0000}, {-1, 0, 0.5f, 0xFFFF0000}, {0, 1, 0.5f, 0xFFFF0000}};
    Begin();
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, counter, sizeof(Vertex));
    EXPECT_RGB_NEAR(At(Finish(), 1, 1), 0, 0, 0, 0);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    Begin();
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, counter, sizeof(Vertex));
    EXPECT_RGB_NEAR(At(Finish(), 1, 1), 255, 0, 0, 0);
}

TEST_F(FixedFunctionTest, DepthTestAndBlending)
{
    Apply(0, {D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_DIFFUSE, D3DTA_CURRENT});
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    Begin();
    DrawQuad(0, 0, kSize, kSize, 0xFFFF0000, 0, 0.4f);
    DrawQuad(0, 0, kSize, kSize, 0xFF00FF00, 0, 0.6f); // behind: hidden
    DrawQuad(0, 0, kSize / 2, kSize, 0xFF0000FF, 0, 0.2f);
    gfx::PresentedFrame frame = Finish();
    EXPECT_RGB_NEAR(At(frame, 12, 8), 255, 0, 0, 0);
    EXPECT_RGB_NEAR(At(frame, 3, 8), 0, 0, 255, 0);

    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    Begin(0xFF0000FF);
    DrawQuad(0, 0, kSize, kSize, 0x80FF0000);
    EXPECT_RGB_NEAR(At(Finish(), 8, 8), 128, 0, 127, 2);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    Begin(0xFF0000FF);
    DrawQuad(0, 0, kSize, kSize, 0x80FF0000);
    EXPECT_RGB_NEAR(At(Finish(), 8, 8), 255, 0, 255, 0);
}

TEST_F(FixedFunctionTest, DirectionalAndPointLightsWithMaterial)
{
    struct Vertex
    {
        float x, y, z;
        float nx, ny, nz;
    };
    Apply(0, {D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_DIFFUSE, D3DTA_CURRENT});
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, 0xFF202020);
    D3DMATERIAL9 material{};
    material.Diffuse = {1, 1, 1, 1};
    material.Ambient = {1, 0, 0, 1};
    device->SetMaterial(&material);
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {0.5f, 0.25f, 0, 1};
    light.Direction = {0, 0, 1}; // into the screen, onto a surface facing the viewer
    device->SetLight(0, &light);
    device->LightEnable(0, TRUE);
    const Vertex quad[4] = {
        {-1, 1, 0.5f, 0, 0, -1}, {1, 1, 0.5f, 0, 0, -1}, {-1, -1, 0.5f, 0, 0, -1}, {1, -1, 0.5f, 0, 0, -1}};
    device->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL);
    Begin();
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex));
    // diffuse .5, .25, 0 plus ambient .125 on the red channel only.
    EXPECT_RGB_NEAR(At(Finish(), 8, 8), 159, 64, 0, 2);

    // A point light half a unit before the quad, lit per vertex: each corner is
    // sqrt(3) away, attenuated by 1 / (1 + sqrt(3)) and facing it at cos = 1 / sqrt(3).
    light.Type = D3DLIGHT_POINT;
    light.Diffuse = {1, 1, 1, 1};
    light.Position = {0, 0, -0.5f};
    light.Range = 10;
    light.Attenuation0 = 1;
    light.Attenuation1 = 1;
    device->SetLight(0, &light);
    device->SetRenderState(D3DRS_AMBIENT, 0);
    Begin();
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex));
    EXPECT_RGB_NEAR(At(Finish(), 8, 8), 54, 54, 54, 2);
}

TEST_F(FixedFunctionTest, TextureFormatsKeepDirect3DsByteLayout)
{
    struct Case
    {
        const char* name;
        D3DFORMAT format;
        std::vector<uint8_t> bytes;
        int r, g, b, a;
    };
    // DXT blocks: colour 0 = pure red (0xF800), every index 0; alpha blocks opaque.
    const std::vector<uint8_t> dxtColour = {0x00, 0xF8, 0x00, 0x00, 0, 0, 0, 0};
    std::vector<uint8_t> dxt3(8, 0xFF), dxt5 = {0xFF, 0xFF, 0, 0, 0, 0, 0, 0};
    dxt3.insert(dxt3.end(), dxtColour.begin(), dxtColour.end());
    dxt5.insert(dxt5.end(), dxtColour.begin(), dxtColour.end());
    const Case cases[] = {
        {"A8R8G8B8", D3DFMT_A8R8G8B8, {0xC0, 0x80, 0x40, 0x80}, 64, 128, 192, 128},
        {"X8R8G8B8 ignores alpha", D3DFMT_X8R8G8B8, {0xC0, 0x80, 0x40, 0x00}, 64, 128, 192, 255},
        {"A4R4G4B4", D3DFMT_A4R4G4B4, {0x4F, 0x8F}, 255, 68, 255, 136},
        {"R5G6B5", D3DFMT_R5G6B5, {0x1F, 0xF8}, 255, 0, 255, 255},
        {"A1R5G5B5", D3DFMT_A1R5G5B5, {0x00, 0x7C}, 255, 0, 0, 0},
        {"DXT1", D3DFMT_DXT1, dxtColour, 255, 0, 0, 255},
        {"DXT3", D3DFMT_DXT3, dxt3, 255, 0, 0, 255},
        {"DXT5", D3DFMT_DXT5, dxt5, 255, 0, 0, 255},
    };
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const bool blocks = gfx::RowCount(c.format, 4) == 1;
        IDirect3DTexture9* t = MakeTexture(c.format, c.bytes.data(), c.bytes.size(), blocks ? 4 : 1);
        ASSERT_NE(t, nullptr);
        device->SetTexture(0, t);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        EXPECT_RGB_NEAR(DrawCentre(), c.r, c.g, c.b, 2);
        // The alpha, through a second stage that shows it.
        device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_CURRENT | D3DTA_ALPHAREPLICATE);
        const uint32_t alpha = DrawCentre();
        EXPECT_NEAR(gltest::Red(alpha), c.a, 2);
        device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        device->SetTexture(0, nullptr);
        t->Release();
    }
}

TEST_F(FixedFunctionTest, BuffersWithDiscardAndIndexedDraws)
{
    Apply(0, {D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_DIFFUSE, D3DTA_CURRENT});
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    IDirect3DVertexBuffer9* vertices = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(4 * sizeof(gltest::ColourVertex),
                                         D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, gltest::kColourVertexFvf,
                                         D3DPOOL_DEFAULT, &vertices),
              D3D_OK);
    ASSERT_EQ(device->CreateIndexBuffer(6 * 2, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices), D3D_OK);
    uint16_t* index = nullptr;
    ASSERT_EQ(indices->Lock(0, 0, reinterpret_cast<void**>(&index), 0), D3D_OK);
    const uint16_t quad[6] = {0, 1, 2, 1, 3, 2};
    std::memcpy(index, quad, sizeof quad);
    indices->Unlock();
    auto fill = [&](float left, float right, D3DCOLOR colour)
    {
        gltest::ColourVertex* v = nullptr;
        ASSERT_EQ(vertices->Lock(0, 0, reinterpret_cast<void**>(&v), D3DLOCK_DISCARD), D3D_OK);
        const float l = left - 0.5f, r = right - 0.5f, t = -0.5f, b = kSize - 0.5f;
        v[0] = {l, t, 0.5f, 1, colour, 0, 0, 0};
        v[1] = {r, t, 0.5f, 1, colour, 0, 0, 0};
        v[2] = {l, b, 0.5f, 1, colour, 0, 0, 0};
        v[3] = {r, b, 0.5f, 1, colour, 0, 0, 0};
        vertices->Unlock();
    };
    Begin();
    device->SetFVF(gltest::kColourVertexFvf);
    device->SetStreamSource(0, vertices, 0, sizeof(gltest::ColourVertex));
    device->SetIndices(indices);
    fill(0, 8, 0xFFFF0000);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
    fill(8, 16, 0xFF00FF00);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    gfx::PresentedFrame frame = Finish();
    EXPECT_RGB_NEAR(At(frame, 3, 8), 255, 0, 0, 0);
    EXPECT_RGB_NEAR(At(frame, 12, 8), 0, 255, 0, 0);
    device->SetStreamSource(0, nullptr, 0, 0);
    device->SetIndices(nullptr);
    vertices->Release();
    indices->Release();
}
} // namespace

// Draws from user memory with no device call between them go to the driver
// as one: they must still blend in their order, see a state set between them,
// and each sample its texture as it was when it was drawn.
TEST_F(FixedFunctionTest, RunsOfUserMemoryDrawsKeepOrderStateAndPictures)
{
    const uint32_t red = 0xFFFF0000;
    IDirect3DTexture9* picture = MakeTexture(D3DFMT_A8R8G8B8, &red, 4);
    ASSERT_NE(picture, nullptr);
    auto quad = [&](float left, float top, float right, float bottom, D3DCOLOR colour, D3DPRIMITIVETYPE type)
    {
        const float l = left - 0.5f, t = top - 0.5f, r = right - 0.5f, b = bottom - 0.5f;
        const gltest::ColourVertex strip[4] = {{l, t, 0.5f, 1, colour, 0, 0, 0},
                                               {r, t, 0.5f, 1, colour, 0, 1, 0},
                                               {l, b, 0.5f, 1, colour, 0, 0, 1},
                                               {r, b, 0.5f, 1, colour, 0, 1, 1}};
        const gltest::ColourVertex list[6] = {strip[0], strip[1], strip[2], strip[2], strip[1], strip[3]};
        EXPECT_EQ(device->DrawPrimitiveUP(type, 2, type == D3DPT_TRIANGLESTRIP ? strip : list,
                                          sizeof(gltest::ColourVertex)),
                  D3D_OK);
    };
    Begin();
    device->SetFVF(gltest::kColourVertexFvf);
    Apply(0, {D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_DIFFUSE, D3DTA_CURRENT});
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    quad(0, 0, 8, 8, 0xFF400000, D3DPT_TRIANGLESTRIP);
    quad(0, 0, 8, 8, 0xFF400000, D3DPT_TRIANGLELIST);
    quad(8, 0, 16, 8, 0xFF004000, D3DPT_TRIANGLESTRIP);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    quad(12, 0, 16, 8, 0xFF0000FF, D3DPT_TRIANGLESTRIP);

    // The texture is rewritten between two draws with no device call between them.
    Apply(0, {D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTA_CURRENT});
    device->SetTexture(0, picture);
    quad(0, 8, 8, 16, 0xFFFFFFFF, D3DPT_TRIANGLESTRIP);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(picture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    *static_cast<uint32_t*>(locked.pBits) = 0xFF00FF00;
    picture->UnlockRect(0);
    quad(8, 8, 16, 16, 0xFFFFFFFF, D3DPT_TRIANGLESTRIP);
    device->SetTexture(0, nullptr);
    const gfx::PresentedFrame frame = Finish();
    EXPECT_RGB_NEAR(At(frame, 3, 3), 0x80, 0, 0, 1);
    EXPECT_RGB_NEAR(At(frame, 9, 3), 0, 0x40, 0, 1);
    EXPECT_RGB_NEAR(At(frame, 14, 3), 0, 0, 255, 0);
    EXPECT_RGB_NEAR(At(frame, 3, 12), 255, 0, 0, 0);
    EXPECT_RGB_NEAR(At(frame, 12, 12), 0, 255, 0, 0);
    picture->Release();
}

namespace
{
D3DMATRIX Matrix(std::initializer_list<float> values)
{
    D3DMATRIX m{};
    float* out = &m._11;
    for (float v : values)
        *out++ = v;
    return m;
}

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b)
{
    D3DMATRIX m{};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            for (int k = 0; k < 4; ++k)
                m.m[r][c] += a.m[r][k] * b.m[k][c];
    return m;
}

// What the reflective water asks of the layer: a user clip plane given in
// world space, texture coordinates from camera-space positions projected onto
// the screen (COUNT3 | PROJECTED, v = 0 at the top), and a bump map whose red
// and green move the next stage's coordinates through the bump matrix.
TEST_F(FixedFunctionTest, ClipPlaneInWorldSpaceProjectedScreenCoordinatesAndBumpOffsets)
{
    // The eye 5 before the origin and 2 to its right (+x), a 90 degree
    // perspective (near 1, far 100); a red wall at z = 0 fills the view.
    const D3DMATRIX identity = Matrix({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    const D3DMATRIX view = Matrix({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -2, 0, 5, 1});
    const float q = 100.0f / 99.0f;
    const D3DMATRIX projection = Matrix({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, q, 1, 0, 0, -q, 0});
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    struct Vertex
    {
        float x, y, z;
        D3DCOLOR colour;
    };
    const Vertex wall[4] = {{-20, 20, 0, 0xFFFF0000},
                            {20, 20, 0, 0xFFFF0000},
                            {-20, -20, 0, 0xFFFF0000},
                            {20, -20, 0, 0xFFFF0000}};
    auto drawWall = [&]
    {
        Begin();
        device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, wall, sizeof(Vertex));
        return Finish();
    };
    Apply(0, {D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_DIFFUSE, D3DTA_CURRENT});
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);

    // Keep world x >= 0: world x = 0 is view x = -2, 0.4 left of the centre (pixel 4.8).
    const float plane[4] = {1, 0, 0, 0};
    device->SetClipPlane(0, plane);
    device->SetRenderState(D3DRS_CLIPPLANEENABLE, 1);
    gfx::PresentedFrame frame = drawWall();
    EXPECT_RGB_NEAR(At(frame, 3, 8), 0, 0, 0, 0);
    EXPECT_RGB_NEAR(At(frame, 6, 8), 255, 0, 0, 0);
    device->SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
    frame = drawWall();
    EXPECT_RGB_NEAR(At(frame, 3, 8), 255, 0, 0, 0);

    // A 2 x 2 picture laid on the screen from camera-space positions: each
    // quarter of the screen shows its texel.
    const D3DCOLOR quarters[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    IDirect3DTexture9* picture = nullptr;
    ASSERT_EQ(device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &picture), D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(picture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    for (int i = 0; i < 4; ++i)
        std::memcpy(static_cast<uint8_t*>(locked.pBits) + (i / 2) * locked.Pitch + (i % 2) * 4, &quarters[i],
                    4);
    picture->UnlockRect(0);
    const D3DMATRIX toScreen = Matrix({0.5f, 0, 0, 0, 0, -0.5f, 0, 0, 0, 0, 0, 0, 0.5f, 0.5f, 1, 1});
    const D3DMATRIX projected = Multiply(projection, toScreen);
    auto projectOn = [&](DWORD stage)
    {
        device->SetTexture(stage, picture);
        device->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT3 | D3DTTFF_PROJECTED);
        device->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION | 1);
        device->SetTransform(D3DTRANSFORMSTATETYPE(D3DTS_TEXTURE0 + stage), &projected);
        for (D3DSAMPLERSTATETYPE type : {D3DSAMP_MINFILTER, D3DSAMP_MAGFILTER})
            device->SetSamplerState(stage, type, D3DTEXF_POINT);
        for (D3DSAMPLERSTATETYPE type : {D3DSAMP_ADDRESSU, D3DSAMP_ADDRESSV})
            device->SetSamplerState(stage, type, D3DTADDRESS_CLAMP);
    };
    projectOn(0);
    frame = drawWall();
    EXPECT_RGB_NEAR(At(frame, 4, 4), 255, 0, 0, 0);
    EXPECT_RGB_NEAR(At(frame, 12, 4), 0, 255, 0, 0);
    EXPECT_RGB_NEAR(At(frame, 4, 12), 0, 0, 255, 0);
    EXPECT_RGB_NEAR(At(frame, 12, 12), 255, 255, 255, 0);

    // A bump map of red 1, green 0 through the matrix (0.5, 0; 0, 0.5) moves
    // the next stage's coordinates half the picture right: the left quarters
    // show the right texels, the right ones stay clamped at the edge.
    const D3DCOLOR bumpTexel = 0xFFFF0000;
    IDirect3DTexture9* bump = MakeTexture(D3DFMT_A8R8G8B8, &bumpTexel, 4);
    device->SetTexture(0, bump);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_BUMPENVMAP);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    auto setFloat = [&](D3DTEXTURESTAGESTATETYPE type, float value)
    {
        DWORD bits;
        std::memcpy(&bits, &value, 4);
        device->SetTextureStageState(0, type, bits);
    };
    setFloat(D3DTSS_BUMPENVMAT00, 0.5f);
    setFloat(D3DTSS_BUMPENVMAT01, 0.0f);
    setFloat(D3DTSS_BUMPENVMAT10, 0.0f);
    setFloat(D3DTSS_BUMPENVMAT11, 0.5f);
    projectOn(1);
    device->SetTextureStageState(2, D3DTSS_COLOROP, D3DTOP_DISABLE);
    frame = drawWall();
    EXPECT_RGB_NEAR(At(frame, 4, 4), 0, 255, 0, 0);
    EXPECT_RGB_NEAR(At(frame, 12, 4), 0, 255, 0, 0);
    EXPECT_RGB_NEAR(At(frame, 4, 12), 255, 255, 255, 0);
    device->SetTexture(0, nullptr);
    device->SetTexture(1, nullptr);
    bump->Release();
    picture->Release();
}
} // namespace
// A 16 x 16 picture with five levels, each a different pattern, so that how
// the levels and texels are mixed shows in every pixel.
IDirect3DTexture9* MipPattern(IDirect3DDevice9* device)
{
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(device->CreateTexture(16, 16, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    for (UINT level = 0; texture && level < texture->GetLevelCount(); ++level)
    {
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
        const UINT size = 16 >> level;
        for (UINT y = 0; y < size; ++y)
            for (UINT x = 0; x < size; ++x)
                static_cast<uint32_t*>(locked.pBits)[y * locked.Pitch / 4 + x] =
                    0xFF000000u | ((x * 37 + y * 11 + level * 50) & 0xFF) << 16 | ((x * y * 13) & 0xFF) << 8 |
                    (level * 60 + (x ^ y) * 9) % 256;
        texture->UnlockRect(level);
    }
    return texture;
}

TEST_F(FixedFunctionTest, AnisotropicFilteringOfScreenSpriteAtOneScaleIsTrilinear)
{
    IDirect3DTexture9* picture = MipPattern(device);
    ASSERT_NE(picture, nullptr);
    device->SetTexture(0, picture);
    Apply(0, {D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTA_CURRENT});
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAXANISOTROPY, 4);
    // The sprite's pixels, and the anisotropy the driver was asked for while drawing it.
    float anisotropy = 0.0f;
    auto draw = [&](DWORD filter, float bottom)
    {
        device->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
        Begin();
        DrawQuad(3.3f, 2.6f, 13.3f, bottom, 0xFFFFFFFF);
        GLint sampler = 0;
        glGetIntegerv(GL_SAMPLER_BINDING, &sampler);
        glGetSamplerParameterfv(GLuint(sampler), GL_TEXTURE_MAX_ANISOTROPY_EXT, &anisotropy);
        return Finish().pixels;
    };
    // A 16 x 16 sprite on 10 x 10 pixels, as the menu's particles: trilinear filtering, the same pixels.
    const std::vector<uint32_t> trilinear = draw(D3DTEXF_LINEAR, 12.6f);
    EXPECT_EQ(draw(D3DTEXF_ANISOTROPIC, 12.6f), trilinear);
    EXPECT_EQ(anisotropy, 1.0f);
    // Squeezed to 10 x 4 it covers more texels down than across: filtered anisotropically where offered.
    D3DCAPS9 caps{};
    device->GetDeviceCaps(&caps);
    if (caps.MaxAnisotropy >= 4 && (caps.TextureFilterCaps & D3DPTFILTERCAPS_MINFANISOTROPIC))
    {
        draw(D3DTEXF_ANISOTROPIC, 6.6f);
        EXPECT_EQ(anisotropy, 4.0f);
    }
    device->SetTexture(0, nullptr);
    picture->Release();
}
