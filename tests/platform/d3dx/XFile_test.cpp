// The text .x reader and writer: a written figure reads back to the same
// description (and the same text), the parts of the format our writer does
// not produce (templates, comments, polygons, shared normals, material
// references, short material lists, matrix keys, meshes outside frames) read
// as .x files mean them, and a table of broken files is refused with a reason.
#include "platform/d3dx/XFileParser.h"
#include "tools/writers/XFileWriter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

namespace
{
using d3dx::XFileDescription;
using d3dx::XFileParser;
using ::testing::HasSubstr;

ArticulatedFigureDescription Figure()
{
    ArticulatedFigureDescription figure;
    figure.textureFile = "driver.png";
    figure.sets = {{"IDLE", FigureMotion::Breathe, 2.0f, false},
                   {"STUUR_LINKS", FigureMotion::SteerLeft, 0.5f, false},
                   {"STUUR_LINKS_TERUG", FigureMotion::SteerLeft, 0.5f, true}};
    return figure;
}

XFileDescription Parse(const std::string& text)
{
    XFileDescription out;
    std::string error;
    EXPECT_TRUE(XFileParser::Parse(text.data(), text.size(), out, error)) << error;
    return out;
}

std::string ParseError(const std::string& text)
{
    XFileDescription out;
    std::string error;
    EXPECT_FALSE(XFileParser::Parse(text.data(), text.size(), out, error)) << text;
    EXPECT_TRUE(out.frames.empty() && out.animationSets.empty());
    return error;
}

TEST(XFileTest, WrittenFigureReadsBackToTheSameDescriptionAndText)
{
    const XFileDescription written = MakeArticulatedFigure(Figure());
    const std::string text = WriteXFile(written);
    const XFileDescription read = Parse(text);
    EXPECT_EQ(WriteXFile(read), text);

    EXPECT_EQ(read.ticksPerSecond, 4800u);
    ASSERT_EQ(read.frames.size(), 1u);
    const d3dx::XFrame& root = read.frames[0];
    EXPECT_EQ(root.name, "Figure");
    ASSERT_EQ(root.children.size(), 1u);
    EXPECT_EQ(root.children[0].name, "Hips");
    EXPECT_EQ(root.children[0].transform, written.frames[0].children[0].transform);
    ASSERT_EQ(root.meshes.size(), 1u);
    const d3dx::XMesh& body = root.meshes[0];
    const d3dx::XMesh& original = written.frames[0].meshes[0];
    EXPECT_EQ(body.name, "Body");
    EXPECT_EQ(body.positions, original.positions);
    EXPECT_EQ(body.faces, original.faces);
    EXPECT_EQ(body.normals, original.normals);
    EXPECT_EQ(body.texCoords, original.texCoords);
    EXPECT_EQ(body.faceMaterials, original.faceMaterials);
    ASSERT_EQ(body.materials.size(), 1u);
    EXPECT_EQ(body.materials[0].textureFile, "driver.png");
    EXPECT_EQ(body.materials[0].faceColour, original.materials[0].faceColour);
    ASSERT_EQ(body.skin.size(), 5u);
    for (size_t b = 0; b < 5; ++b)
    {
        EXPECT_EQ(body.skin[b].boneName, kFigureBoneNames[b]);
        EXPECT_EQ(body.skin[b].vertices, original.skin[b].vertices);
        EXPECT_EQ(body.skin[b].weights, original.skin[b].weights);
        EXPECT_EQ(body.skin[b].offset, original.skin[b].offset);
    }
    ASSERT_EQ(read.animationSets.size(), 3u);
    EXPECT_EQ(read.animationSets[1].name, "STUUR_LINKS");
    ASSERT_EQ(read.animationSets[1].animations.size(), 5u);
    const d3dx::XAnimation& torso = read.animationSets[1].animations[1];
    EXPECT_EQ(torso.frameName, "Torso");
    ASSERT_EQ(torso.rotations.size(), 2u);
    EXPECT_EQ(torso.rotations[1].tick, 2400u);
    EXPECT_EQ(torso.rotations[1].value, written.animationSets[1].animations[1].rotations[1].value);
    EXPECT_EQ(torso.scales.size(), 2u);
    EXPECT_EQ(torso.positions.size(), 2u);
}

TEST(XFileTest, EveryFloatIsWrittenWithADecimalPoint)
{
    d3dx::XFileDescription file;
    file.frames.emplace_back();
    file.frames[0].name = "F";
    D3DXMatrixTranslation(&file.frames[0].transform, 1.0f, 100.0f, 1.0e10f);
    const std::string text = WriteXFile(file);
    EXPECT_THAT(text, HasSubstr("1.0,0.0,0.0,0.0,"));
    EXPECT_THAT(text, HasSubstr("1.0,100.0,1.0e+10,1.0;;"));
}

TEST(XFileTest, DriverMotionsWriteAndNamesAFileCannotHoldAreRefused)
{
    ArticulatedFigureDescription figure;
    figure.sets = DriverFigureMotions();
    const XFileDescription read = Parse(WriteXFile(MakeArticulatedFigure(figure)));
    ASSERT_EQ(read.animationSets.size(), 10u);
    EXPECT_EQ(read.animationSets[5].name, "BUMP_BOTS");

    figure.sets = {{"BUMP/BOTS", FigureMotion::Bump, 0.4f, false}};
    EXPECT_THROW(WriteXFile(MakeArticulatedFigure(figure)), std::invalid_argument);
    figure.sets.clear();
    figure.textureFile = "say \"cheese\".png";
    EXPECT_THROW(WriteXFile(MakeArticulatedFigure(figure)), std::invalid_argument);
    EXPECT_TRUE(IsXFileName("Bip01_L-Hand.2"));
    EXPECT_FALSE(IsXFileName("2Hand"));
    EXPECT_FALSE(IsXFileName("Left Hand"));
}

TEST(XFileTest, ReadsTheFormatAsOtherToolsWriteIt)
{
    const std::string text = R"(xof 0302txt 0064
template Vector { <3D82AB5E-62DA-11cf-AB39-0020AF71E433> FLOAT x; FLOAT y; FLOAT z; }
// a comment { with a brace
# another
Header { 1; 0; 1; }
Material Red { 1.0; 0.0; 0.0; 1.0;; 5.0; 1.0; 1.0; 1.0;; 0.0; 0.0; 0.0;; TextureFileName { "red.bmp"; } }
Mesh Quad {
  5;
  0.0;0.0;0.0;, 1.0;0.0;0.0;, 1.0;1.0;0.0;, 0.0;1.0;0.0;, 0.5;0.5;1.0;;
  2;
  4;0,1,2,3;,
  3;0,1,4;;
  MeshNormals { 2; 0.0;0.0;-1.0;, 0.0;1.0;0.0;; 2; 4;0,0,0,0;, 3;0,0,1;; }
  MeshMaterialList {
    2; 1; 1;;
    Material { 0.0; 1.0; 0.0; 1.0;; 0.0; 0.0; 0.0; 0.0;; 0.0; 0.0; 0.0;; }
    { Red }
  }
  VertexDuplicationIndices { 5; 5; 0, 1, 2, 3, 4; }
}
AnimationSet Walk {
  Animation { { Quad } AnimationOptions { 1; 0; }
    AnimationKey { 4; 1; 30; 16; 1,0,0,0, 0,1,0,0, 0,0,1,0, 5,6,7,1;;; }
  }
}
)";
    const XFileDescription file = Parse(text);
    EXPECT_EQ(file.ticksPerSecond, 0u); // none given: the loader's 4800
    ASSERT_EQ(file.frames.size(), 1u);
    EXPECT_EQ(file.frames[0].name, "");
    EXPECT_TRUE(D3DXMatrixIsIdentity(&file.frames[0].transform));
    const d3dx::XMesh& mesh = file.frames[0].meshes.at(0);
    // The quad is fanned into two triangles, each keeping the quad's material.
    ASSERT_EQ(mesh.faces.size(), 3u);
    EXPECT_EQ(mesh.faces[0], (std::array<DWORD, 3>{0, 1, 2}));
    EXPECT_EQ(mesh.faces[1], (std::array<DWORD, 3>{0, 2, 3}));
    EXPECT_EQ(mesh.faces[2], (std::array<DWORD, 3>{0, 1, 4}));
    // The one-entry list repeats for every face.
    EXPECT_EQ(mesh.faceMaterials, (std::vector<DWORD>{1, 1, 1}));
    ASSERT_EQ(mesh.materials.size(), 2u);
    EXPECT_EQ(mesh.materials[1].textureFile, "red.bmp");
    EXPECT_EQ(mesh.materials[1].power, 5.0f);
    EXPECT_EQ(mesh.normals[4], D3DXVECTOR3(0.0f, 1.0f, 0.0f));
    EXPECT_EQ(mesh.normals[2], D3DXVECTOR3(0.0f, 0.0f, -1.0f));
    const d3dx::XAnimation& animation = file.animationSets.at(0).animations.at(0);
    EXPECT_EQ(animation.frameName, "Quad");
    ASSERT_EQ(animation.matrices.size(), 1u);
    EXPECT_EQ(animation.matrices[0].tick, 30u);
    EXPECT_EQ(animation.matrices[0].value._42, 6.0f);
}

TEST(XFileTest, BrokenFilesAreRefusedWithTheirReason)
{
    const std::string frame = "xof 0303txt 0032\nFrame A { FrameTransformMatrix { ";
    const std::string identity = "1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0;; } ";
    const std::string mesh =
        "xof 0303txt 0032\nMesh M { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,2;; ";
    const std::string set = "xof 0303txt 0032\nAnimationSet S { Animation { { A } AnimationKey { ";
    const struct
    {
        const char* what;
        std::string text;
        const char* reason;
    } cases[] = {
        {"empty", "", "not a .x file"},
        {"short header", "xof 0303", "not a .x file"},
        {"binary", "xof 0303bin 0032\x01\x02", "binary or compressed"},
        {"compressed tzip", "xof 0303tzip0032....", "binary or compressed"},
        {"compressed bzip", "xof 0303bzip0032....", "binary or compressed"},
        {"unknown format", "xof 0303abc 0032 Frame {}", "unknown .x format"},
        {"unterminated frame", frame + identity, "ends inside"},
        {"short matrix", frame + "1.0, 2.0; } }", "a number expected"},
        {"letter in a number", frame + "1.0x, 0.0; } }", "a number expected"},
        {"infinite number", frame + "1e999," + identity, "no finite number"},
        {"vertex count past the end", "xof 0303txt 0032\nMesh M { 999999; 0.0;0.0;0.0;; }", "too short"},
        {"face index out of range",
         "xof 0303txt 0032\nMesh M { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,3;; }",
         "is not below 3"},
        {"two-corner face",
         "xof 0303txt 0032\nMesh M { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 2;0,1;; }",
         "polygon of 2 corners"},
        {"negative count", "xof 0303txt 0032\nMesh M { -3; }", "no unsigned"},
        {"mesh without faces",
         "xof 0303txt 0032\nMesh M { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 0;; }",
         "no vertices or no faces"},
        {"normal faces differ", mesh + "MeshNormals { 1; 0.0;0.0;1.0;; 1; 4;0,0,0,0;; } }", "normal faces"},
        {"normal index out of range", mesh + "MeshNormals { 1; 0.0;0.0;1.0;; 1; 3;0,0,1;; } }",
         "not below 1"},
        {"texture coordinate count", mesh + "MeshTextureCoords { 2; 0.0;0.0;, 1.0;1.0;; } }",
         "texture coordinates"},
        {"material index out of range",
         mesh + "MeshMaterialList { 1; 1; 1;; Material { 1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; "
                "} } }",
         "face material 1"},
        {"fewer materials than announced",
         mesh + "MeshMaterialList { 2; 1; 0;; Material { 1.0;1.0;1.0;1.0;; 0.0; "
                "0.0;0.0;0.0;; 0.0;0.0;0.0;; } } }",
         "announces 2 materials"},
        {"more face materials than faces", mesh + "MeshMaterialList { 1; 2; 0, 0;; } }",
         "gives 2 face materials"},
        {"unknown material reference", mesh + "MeshMaterialList { 1; 1; 0;; { Nowhere } } }",
         "no material named"},
        {"weighted vertex out of range", mesh + "SkinWeights { \"B\"; 1; 7; 1.0; " + identity + "}",
         "weights vertex 7"},
        {"skin weights without a string", mesh + "SkinWeights { B; 1; 0; 1.0; " + identity + "}",
         "quoted string"},
        {"unknown key type", set + "7; 1; 0; 3; 1.0,1.0,1.0;;; } } }", "key type 7"},
        {"wrong value count", set + "0; 1; 0; 3; 1.0,0.0,0.0;;; } } }", "with 3 values"},
        {"animation without frame", "xof 0303txt 0032\nAnimationSet S { Animation { } }", "names no frame"},
        {"frames nested too deep",
         "xof 0303txt 0032\n" +
             []
             {
                 std::string s;
                 for (int i = 0; i < 100; ++i)
                     s += "Frame {";
                 return s + std::string(100, '}');
             }(),
         "nested deeper"},
        {"unterminated string", mesh + "SkinWeights { \"B; 1; 0; 1.0; } }", "quoted string"},
        {"stray character", "xof 0303txt 0032\nFrame A { @ }", "an object expected"},
        {"close without open", "xof 0303txt 0032\n}", "object type expected"},
    };
    for (const auto& c : cases)
        EXPECT_THAT(ParseError(c.text), HasSubstr(c.reason)) << c.what;
}

TEST(XFileTest, EveryTruncationOfAFigureEndsCleanly)
{
    ArticulatedFigureDescription small;
    small.sets = {{"A", FigureMotion::Bump, 1.0f, false}};
    const std::string text = WriteXFile(MakeArticulatedFigure(small));
    int refused = 0;
    for (size_t size = 0; size < text.size(); size += 3)
    {
        XFileDescription out;
        std::string error;
        if (!XFileParser::Parse(text.data(), size, out, error))
        {
            ++refused;
            EXPECT_FALSE(error.empty());
        }
    }
    EXPECT_GT(refused, int(text.size() / 3) - 10);
}
} // namespace
