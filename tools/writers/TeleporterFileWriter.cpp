// Map%d.tel, written field by field in file order.
#include "tools/writers/TeleporterFileWriter.h"

BinaryWriter BuildTeleporterFile(const TeleporterFileDescription& description)
{
    BinaryWriter file;
    file.WriteInt32(description.count);
    for (const TeleporterFileRecord& r : description.records)
    {
        file.WriteInt32(r.unused);
        file.WriteFloat(r.x);
        file.WriteFloat(r.y);
        file.WriteFloat(r.z);
        file.WriteFloat(r.yaw);
    }
    return file;
}

bool WriteTeleporterFile(const std::string& path, const TeleporterFileDescription& description)
{
    return BuildTeleporterFile(description).SaveToFile(path);
}
