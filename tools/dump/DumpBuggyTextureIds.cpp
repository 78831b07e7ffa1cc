// qv7-dump kinds of the item database's ID lists: Textures2.dbs (the IDs the
// reader keeps, and the bytes of a tail too short for an ID) and
// Maps_srt_ex.qvx (the IDs it excludes).
#include "platform/io/BinaryReader.h"
#include "race/BuggyTextureIds.h"
#include "tools/dump/DumpKinds.h"
#include "tools/dump/JsonWriter.h"

#include <vector>

namespace
{
void IdArray(JsonWriter& out, const std::string& key, const std::vector<int32_t>& ids)
{
    out.Key(key);
    out.BeginArray();
    for (int32_t id : ids)
        out.Integer(id);
    out.EndArray();
}
} // namespace

bool DumpBuggyTextureIds(const DumpRequest& request, JsonWriter& out)
{
    BinaryReader file;
    if (!file.OpenFile(request.path))
        return false;
    QV7_Collection<int32_t> read;
    ReadBuggyTextureIds(file, request.path, read);
    std::vector<int32_t> ids;
    for (int i = 0; i < read.Count(); ++i)
        ids.push_back(*read[i]);
    out.BeginObject();
    IdArray(out, "ids", ids);
    out.Field("ignoredBytes", int(file.Remaining()));
    out.EndObject();
    return true;
}

bool DumpTextureExclusions(const DumpRequest& request, JsonWriter& out)
{
    BinaryReader file;
    if (!file.OpenFile(request.path))
        return false;
    const std::vector<int32_t> ids = ReadExcludedTextureIds(file, request.path);
    out.BeginObject();
    IdArray(out, "excluded", ids);
    out.EndObject();
    return true;
}
