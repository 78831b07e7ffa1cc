// Broken Triggers.qvx files: every cut, a count beyond the bytes, a zero or
// over-long string and a figure larger than the file are refused with the
// broken-file line and CDException, leaving the database empty. A figure
// whose .x does not give a drawable, animated skin is dropped with a log line
// and the entries after it still read from the right place.
#include "figures/QV7_TriggersSystem.h"

#include "platform/io/BinaryWriter.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Windows.h"
#include "tests/figures/FiguresTestSupport.h"

#include <cctype>

namespace
{
using Bytes = std::vector<uint8_t>;
const char kBrokenLine[] =
    "Critical Problem, File Broken, Application will crash to avoid any additional problems.";

class TriggersFileBrokenTest : public figurestest::FiguresFixture
{
  protected:
    void ExpectRefused(const Bytes& bytes, const std::string& what)
    {
        Read(figurestest::SmallFile());
        enginetest::Log().clear();
        EXPECT_THROW(Read(bytes), CDException) << what;
        EXPECT_TRUE(enginetest::Logged(kBrokenLine)) << what << ::testing::PrintToString(enginetest::Log());
        EXPECT_EQ(triggers->m_Triggers.Count(), 0) << what;
        EXPECT_EQ(triggers->m_Animated.m_Figures.Count(), 0) << what;
        EXPECT_EQ(triggers->m_Rigid.m_Objects.Count(), 0) << what;
    }
};

Bytes Cut(const Bytes& bytes, size_t keep)
{
    return Bytes(bytes.begin(), bytes.begin() + std::ptrdiff_t(keep));
}

void PutUInt32(Bytes& bytes, size_t at, uint32_t value)
{
    std::memcpy(bytes.data() + at, &value, 4);
}

TEST_F(TriggersFileBrokenTest, EveryCutIsRefused)
{
    const Bytes whole = WriteTriggersFile(figurestest::SmallFile());
    // Through the counts, a rigid block, a figure's size, .x, material and texture id, and each trigger
    // field.
    for (size_t keep = 0; keep < whole.size(); keep += 1 + keep / 7)
        ExpectRefused(Cut(whole, keep), "cut at " + std::to_string(keep));
    ExpectRefused(Cut(whole, whole.size() - 1), "the last byte cut");
}

TEST_F(TriggersFileBrokenTest, BrokenCountsSizesAndStringsAreRefused)
{
    TriggersFileDescription empty;
    Bytes counts = WriteTriggersFile(empty);
    PutUInt32(counts, 0, 3);
    ExpectRefused(counts, "three rigid meshes in an empty file");
    counts = WriteTriggersFile(empty);
    PutUInt32(counts, 4, 0x7FFFFFFF);
    ExpectRefused(counts, "a huge figure count");
    counts = WriteTriggersFile(empty);
    PutUInt32(counts, 8, 0xFFFFFFFF);
    ExpectRefused(counts, "a negative trigger count");

    TriggersFileDescription one;
    one.animated.push_back(figurestest::Figure(1, figurestest::FigureText(), figurestest::kTextureA));
    Bytes size = WriteTriggersFile(one);
    PutUInt32(size, 12, uint32_t(size.size()));
    ExpectRefused(size, "a figure larger than the file");

    const std::string tooLong(260, 'N');
    TriggersFileDescription named;
    named.triggers = {{"TRIG_FIRST", 1, "IDLE", 1}, {tooLong, 1, "IDLE", 1}};
    ExpectRefused(WriteTriggersFile(named), "a trigger name of 260");
    named.triggers = {{"TRIG_FIRST", 1, tooLong, 1}};
    ExpectRefused(WriteTriggersFile(named), "a set name of 260");
    // A zero length written by hand (WriteString always counts the terminator).
    BinaryWriter zero;
    for (uint32_t word : {0u, 0u, 1u, 0u})
        zero.WriteUInt32(word);
    ExpectRefused(zero.Bytes(), "a zero string length");
}

TEST_F(TriggersFileBrokenTest, ANameOf259CharactersStillFits)
{
    TriggersFileDescription named;
    named.triggers = {{std::string(259, 'N'), 1, "IDLE", 1}};
    Read(named);
    ASSERT_EQ(triggers->m_Triggers.Count(), 1);
    EXPECT_EQ(std::strlen(triggers->m_Triggers[0]->m_Name), 259u);
}

// Figure 1 cannot be used for the reason under test; figure 2 after it is
// sound; the triggers after both still read.
class FigureDroppedTest : public figurestest::FiguresFixture,
                          public ::testing::WithParamInterface<std::pair<const char*, const char*>>
{
};

std::string BrokenFigure(const std::string& how)
{
    d3dx::XFileDescription x = figurestest::FigureDescription();
    if (how == "not a .x")
        return "this is no figure";
    if (how == "binary")
        return "xof 0303bin 0032" + std::string(40, '\0');
    if (how == "no skin")
        x.frames[0].meshes[0].skin.clear();
    else if (how == "a bone without a frame")
        x.frames[0].meshes[0].skin[2].boneName = "Nowhere";
    else if (how == "no animation")
        x.animationSets.clear();
    else if (how == "no mesh")
        x.frames[0].meshes.clear();
    return WriteXFile(x);
}

TEST_P(FigureDroppedTest, IsLoggedAndLeftOut)
{
    TriggersFileDescription file;
    file.animated.push_back(figurestest::Figure(1, BrokenFigure(GetParam().first), figurestest::kTextureA));
    file.animated.push_back(figurestest::Figure(2, figurestest::FigureText(), figurestest::kTextureB));
    file.triggers = {{"TRIG_X_IDLE", 1, "IDLE", 0}, {"TRIG_Y_IDLE", 2, "IDLE", 0}};
    Read(file);
    ASSERT_EQ(triggers->m_Animated.m_Figures.Count(), 1);
    EXPECT_EQ(triggers->m_Animated.m_Figures[0]->m_Id, 2);
    EXPECT_EQ(triggers->m_Animated.m_Figures[0]->m_Texture, items.FindByCompileId(figurestest::kTextureB));
    EXPECT_TRUE(enginetest::Logged("ERROR: Unable to load annimated x mesh from data with id: 1"))
        << ::testing::PrintToString(enginetest::Log());
    EXPECT_TRUE(enginetest::Logged(GetParam().second)) << ::testing::PrintToString(enginetest::Log());
    ASSERT_EQ(triggers->m_Triggers.Count(), 2);
    EXPECT_EQ(triggers->FindTrigger("TRIG_X_IDLE")->m_AnimatedMesh, nullptr);
    EXPECT_EQ(triggers->FindTrigger("TRIG_Y_IDLE")->m_AnimatedMesh, triggers->m_Animated.m_Figures[0]);
    // Drawing the trigger without a figure does nothing.
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    gfx::null::ClearCalls();
    QV7_TriggersSystem::DrawTrigger(triggers->FindTrigger("TRIG_X_IDLE"), identity, identity);
    QV7_TriggersSystem::DrawTrigger(nullptr, identity, identity);
    EXPECT_EQ(gfx::null::CountCalls("DrawIndexedPrimitive("), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Figures, FigureDroppedTest,
    ::testing::Values(std::make_pair("not a .x", "ERROR: Code -2147467259"),
                      std::make_pair("binary", "ERROR: Code -2147467259"),
                      std::make_pair("no skin", "ERROR: Triggers: figure 1 has no skinned mesh"),
                      std::make_pair("no mesh", "ERROR: Triggers: figure 1 has no skinned mesh"),
                      std::make_pair("a bone without a frame",
                                     "ERROR: Triggers: figure 1 has bone Nowhere without a frame"),
                      std::make_pair("no animation", "ERROR: Triggers: figure 1 has no animation")),
    [](const ::testing::TestParamInfo<std::pair<const char*, const char*>>& info)
    {
        std::string name;
        for (const char* c = info.param.first; *c; ++c)
            if (std::isalnum(static_cast<unsigned char>(*c)))
                name += *c;
        return name;
    });

TEST_F(TriggersFileBrokenTest, DebugAnimSkipsEveryFigureAndStillReadsTheTriggers)
{
    windows->m_Settings.DebugAnim = 1;
    Read(figurestest::SmallFile());
    EXPECT_EQ(triggers->m_Animated.m_Figures.Count(), 0);
    ASSERT_EQ(triggers->m_Triggers.Count(), 5);
    EXPECT_STREQ(triggers->m_Triggers[4]->m_Name, "TRIG_LOST");
    EXPECT_EQ(triggers->m_Triggers[0]->m_RigidMesh, triggers->m_Rigid.m_Objects[0]);
    EXPECT_EQ(triggers->m_Triggers[0]->m_AnimatedMesh, nullptr);
}
} // namespace
