// Language file writer.
#include "tools/writers/LanguageFileWriter.h"

#include "shell/QV7_Globals.h"

BinaryWriter BuildLanguageFile(const LanguageGroups& groups)
{
    BinaryWriter out;
    out.WriteInt32(int32_t(groups.size()));
    for (const auto& group : groups)
    {
        out.WriteInt32(int32_t(group.size()));
        for (const std::string& text : group)
            WriteString(text.c_str(), out);
    }
    return out;
}

bool WriteLanguageFile(const std::string& path, const LanguageGroups& groups)
{
    return BuildLanguageFile(groups).SaveToFile(path);
}
