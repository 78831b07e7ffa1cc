// The effects' shader programs, handed to whichever back-end the device is.
#include "platform/gfx/Programs.h"

#include "platform/gfx/DeviceBase.h"

#include <algorithm>

namespace gfx
{
Program* CreateProgram(IDirect3DDevice9* device, const std::string& vertexSource, const std::string& fragmentSource,
                       std::string* log)
{
    auto* base = dynamic_cast<DeviceBase*>(device);
    if (!base)
    {
        if (log)
            *log = "not a device of this layer";
        return nullptr;
    }
    return base->CreateProgramObject(vertexSource, fragmentSource, log);
}

void DestroyProgram(IDirect3DDevice9* device, Program* program)
{
    if (auto* base = dynamic_cast<DeviceBase*>(device))
        base->DestroyProgramObject(program);
}

void UseProgram(IDirect3DDevice9* device, Program* program)
{
    if (auto* base = dynamic_cast<DeviceBase*>(device))
        base->UseProgramObject(program);
}

void SetProgramFloats(Program* program, const std::string& name, const float* values, int count)
{
    if (!program || !values || count <= 0)
        return;
    std::vector<float>& stored = program->m_Floats[name];
    if (stored.size() == size_t(count) && std::equal(stored.begin(), stored.end(), values))
        return;
    stored.assign(values, values + count);
    program->m_Dirty = true;
}

void SetProgramInt(Program* program, const std::string& name, int value)
{
    if (!program)
        return;
    auto it = program->m_Ints.find(name);
    if (it != program->m_Ints.end() && it->second == value)
        return;
    program->m_Ints[name] = value;
    program->m_Dirty = true;
}
} // namespace gfx
