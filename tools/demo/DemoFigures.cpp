// The demo's seven drivers. Every set a character's triggers name is in that
// character's own figure, which its IDLE trigger names, as the driver
// animation looks every set up on the IDLE trigger's figure.
#include "tools/demo/DemoFigures.h"

#include "figures/DriverType.h"
#include "tools/demo/DemoDriverFigure.h"
#include "tools/writers/XFileWriter.h"

namespace
{
DriverFigureLook Look(int type)
{
    // height, width, bulk, size, suit, stripe, helmet, helmet stripe
    static const DriverFigureLook kLooks[kDriverTypeCount] = {
        {1.0f, 1.0f, 1.0f, 1.0f, 0xFF2050C0, 0xFFF0F0F0, 0xFFF0F0F0, 0xFFC02020},    // PLAYERM
        {0.95f, 0.85f, 0.85f, 1.0f, 0xFFC02030, 0xFFF0F0F0, 0xFFF0E040, 0xFF202020}, // PLAYERF
        {0.92f, 1.05f, 1.0f, 1.0f, 0xFF30A040, 0xFFF0E040, 0xFF404040, 0xFF30A040},  // CALEC
        {1.0f, 0.85f, 0.85f, 1.0f, 0xFF8030C0, 0xFFF080C0, 0xFFF0F0F0, 0xFF8030C0},  // CASSANDRA
        {1.0f, 1.15f, 1.1f, 1.0f, 0xFFE07010, 0xFF202020, 0xFF202020, 0xFFE07010},   // KRASKA
        {0.97f, 0.9f, 0.9f, 1.0f, 0xFFE0C020, 0xFF2040A0, 0xFF2040A0, 0xFFE0C020},   // BEVERLY
        {1.3f, 1.35f, 1.3f, 1.25f, 0xFF506030, 0xFFC03020, 0xFF707050, 0xFFC03020},  // GRONK
    };
    return kLooks[type];
}

// The set a trigger's animation plays: the animation's name, with the slash
// of BUMP/BOTS (no .x name character) as an underscore.
std::string SetName(std::string animation)
{
    for (char& c : animation)
        if (c == '/')
            c = '_';
    return animation;
}

void AddCharacter(TriggersFileDescription& file, int type)
{
    using namespace demo;
    const DriverFigureLook look = Look(type);
    const uint32_t texture = kFigureTextureId + uint32_t(type);
    const uint32_t rigid = kFigureRigidId + uint32_t(type);
    const uint32_t animated = kFigureAnimatedId + uint32_t(type);
    file.rigid.push_back({rigid, MakeDriverFigureRigid(look, texture, rigid)});
    const D3DXCOLOR white(1.0f, 1.0f, 1.0f, 1.0f);
    file.animated.push_back({animated, WriteXFile(MakeDriverFigure(look)), FigureMaterial(white), texture});
    for (const char* animation : kDriverAnimationNames)
        file.triggers.push_back({DriverTriggerName(type, animation), animated, SetName(animation), rigid});
}
} // namespace

TriggersFileDescription MakeDemoTriggersFile()
{
    TriggersFileDescription file;
    for (int type = 0; type < kDriverTypeCount; ++type)
        AddCharacter(file, type);
    for (int type : {PLAYERF, PLAYERM})
        for (const char* animation : {"MENU_IDLE", "MENU_MOVE"})
            file.triggers.push_back({DriverTriggerName(type, animation),
                                     demo::kFigureAnimatedId + uint32_t(type), animation,
                                     demo::kFigureRigidId + uint32_t(type)});
    return file;
}

std::vector<TextureContainerRecord> DemoFigureTextures()
{
    std::vector<TextureContainerRecord> records;
    for (int type = 0; type < kDriverTypeCount; ++type)
        records.push_back({int32_t(demo::kFigureTextureId + uint32_t(type)),
                           WritePng(MakeDriverFigurePicture(Look(type)), false)});
    return records;
}

bool WriteDemoFigures(const std::string& dataDir)
{
    return SaveTriggersFile(dataDir + "Triggers.qvx", MakeDemoTriggersFile());
}
