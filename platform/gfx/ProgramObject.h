// The device-side object behind gfx::Program: the uniform values an effect
// set, kept until a draw applies them. The gl back-end derives its compiled
// program from it; the null back-end uses it as it is.
#pragma once

#include "platform/gfx/Programs.h"

#include <map>
#include <string>
#include <vector>

namespace gfx
{
class Program
{
  public:
    virtual ~Program() = default;
    std::map<std::string, std::vector<float>> m_Floats;
    std::map<std::string, int> m_Ints;
    // Set when a value changed since the last draw applied them.
    bool m_Dirty = true;
};
} // namespace gfx
