// Writes Triggers.qvx section by section, as the figure database reads it.
#include "tools/writers/TriggersFileWriter.h"

#include "platform/io/BinaryWriter.h"
#include "shell/QV7_Globals.h"

std::vector<uint8_t> WriteTriggersFile(const TriggersFileDescription& description)
{
    BinaryWriter file;
    file.WriteUInt32(uint32_t(description.rigid.size()));
    for (const TriggersRigidFigure& rigid : description.rigid)
    {
        file.WriteUInt32(rigid.id);
        WriteMeshObjectBlock(file, rigid.mesh);
    }
    file.WriteUInt32(uint32_t(description.animated.size()));
    for (const TriggersAnimatedFigure& figure : description.animated)
    {
        file.WriteUInt32(figure.id);
        file.WriteUInt32(uint32_t(figure.xFile.size()));
        file.WriteBytes(figure.xFile.data(), figure.xFile.size());
        file.WriteBytes(&figure.material, sizeof figure.material);
        file.WriteUInt32(figure.textureId);
    }
    file.WriteUInt32(uint32_t(description.triggers.size()));
    for (const TriggersEntry& trigger : description.triggers)
    {
        WriteString(trigger.name.c_str(), file);
        file.WriteUInt32(trigger.animatedId);
        WriteString(trigger.animationSet.c_str(), file);
        file.WriteUInt32(trigger.rigidId);
    }
    return file.Bytes();
}

bool SaveTriggersFile(const std::string& path, const TriggersFileDescription& description)
{
    BinaryWriter file;
    const std::vector<uint8_t> bytes = WriteTriggersFile(description);
    file.WriteBytes(bytes.data(), bytes.size());
    return file.SaveToFile(path);
}

D3DMATERIAL9 FigureMaterial(const D3DXCOLOR& diffuse)
{
    D3DMATERIAL9 material{};
    material.Diffuse = {diffuse.r, diffuse.g, diffuse.b, diffuse.a};
    material.Ambient = material.Diffuse;
    material.Specular = {0.3f, 0.3f, 0.3f, 1.0f};
    material.Emissive = {0.25f * diffuse.r, 0.25f * diffuse.g, 0.25f * diffuse.b, 0.0f};
    material.Power = 12.0f;
    return material;
}
