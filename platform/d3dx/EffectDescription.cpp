// Reading and writing our effect description text.
#include "platform/d3dx/EffectDescription.h"

#include <cstdlib>
#include <cstring>
#include <sstream>

namespace d3dx
{
namespace
{
struct NamedState
{
    const char* name;
    D3DRENDERSTATETYPE state;
};

// The render states effects set by name; any other goes by its number.
constexpr NamedState kStates[] = {
    {"ZENABLE", D3DRS_ZENABLE},
    {"FILLMODE", D3DRS_FILLMODE},
    {"ZWRITEENABLE", D3DRS_ZWRITEENABLE},
    {"ALPHATESTENABLE", D3DRS_ALPHATESTENABLE},
    {"SRCBLEND", D3DRS_SRCBLEND},
    {"DESTBLEND", D3DRS_DESTBLEND},
    {"CULLMODE", D3DRS_CULLMODE},
    {"ZFUNC", D3DRS_ZFUNC},
    {"ALPHAREF", D3DRS_ALPHAREF},
    {"ALPHAFUNC", D3DRS_ALPHAFUNC},
    {"ALPHABLENDENABLE", D3DRS_ALPHABLENDENABLE},
    {"FOGENABLE", D3DRS_FOGENABLE},
    {"LIGHTING", D3DRS_LIGHTING},
    {"COLORWRITEENABLE", D3DRS_COLORWRITEENABLE},
    {"BLENDOP", D3DRS_BLENDOP},
    {"STENCILENABLE", D3DRS_STENCILENABLE},
};

const char* TypeName(ParameterType type)
{
    switch (type)
    {
    case ParameterType::Float:
        return "float";
    case ParameterType::Vector:
        return "vector";
    case ParameterType::Matrix:
        return "matrix";
    case ParameterType::Int:
        return "int";
    case ParameterType::Texture:
        return "texture";
    }
    return "float";
}

bool ParseType(std::string word, ParameterDescription& parameter)
{
    parameter.count = 1;
    const size_t bracket = word.find('[');
    if (bracket != std::string::npos)
    {
        if (word.back() != ']')
            return false;
        const std::string digits = word.substr(bracket + 1, word.size() - bracket - 2);
        char* end = nullptr;
        const long count = std::strtol(digits.c_str(), &end, 10);
        if (digits.empty() || *end != '\0' || count < 1 || count > 4096)
            return false;
        parameter.count = int(count);
        word.resize(bracket);
    }
    for (ParameterType type : {ParameterType::Float, ParameterType::Vector, ParameterType::Matrix, ParameterType::Int,
                               ParameterType::Texture})
        if (word == TypeName(type))
        {
            parameter.type = type;
            return parameter.type != ParameterType::Texture || parameter.count == 1;
        }
    return false;
}

bool ParseState(const std::string& name, D3DRENDERSTATETYPE& state)
{
    for (const NamedState& named : kStates)
        if (name == named.name)
        {
            state = named.state;
            return true;
        }
    char* end = nullptr;
    const unsigned long number = std::strtoul(name.c_str(), &end, 10);
    if (name.empty() || *end != '\0' || number >= D3DRS_TABLE_SIZE)
        return false;
    state = D3DRENDERSTATETYPE(number);
    return true;
}

bool ParseNumber(const std::string& text, DWORD& value)
{
    char* end = nullptr;
    const unsigned long number = std::strtoul(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0' || number > 0xFFFFFFFFul)
        return false;
    value = DWORD(number);
    return true;
}
} // namespace

int ParameterDescription::Components() const
{
    switch (type)
    {
    case ParameterType::Vector:
        return 4;
    case ParameterType::Matrix:
        return 16;
    default:
        return 1;
    }
}

const ParameterDescription* EffectDescription::FindParameter(std::string_view name) const
{
    for (const ParameterDescription& parameter : parameters)
        if (parameter.name == name)
            return &parameter;
    return nullptr;
}

const TechniqueDescription* EffectDescription::FindTechnique(std::string_view name) const
{
    for (const TechniqueDescription& technique : techniques)
        if (technique.name == name)
            return &technique;
    return nullptr;
}

bool ParseEffectDescription(const void* bytes, size_t size, EffectDescription& description, std::string* error)
{
    auto fail = [&](int line, const std::string& reason) {
        if (error)
            *error = "line " + std::to_string(line) + ": " + reason;
        return false;
    };
    description = {};
    if (!bytes || size == 0)
        return fail(0, "no bytes");
    const std::string text(static_cast<const char*>(bytes), size);
    if (text.find('\0') != std::string::npos)
        return fail(0, "binary data");
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    bool headerSeen = false;
    std::string* glsl = nullptr;
    std::string glslEnd;
    while (std::getline(lines, line))
    {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (glsl)
        {
            if (line == glslEnd)
                glsl = nullptr;
            else
                *glsl += line + "\n";
            continue;
        }
        std::istringstream words(line);
        std::string keyword;
        if (!(words >> keyword) || keyword[0] == '#')
            continue;
        if (!headerSeen)
        {
            std::string version;
            if (keyword != "qv7-effect" || !(words >> version) || version != "1")
                return fail(number, "not an effect description");
            headerSeen = true;
            continue;
        }
        PassDescription* pass = description.techniques.empty() || description.techniques.back().passes.empty()
                                    ? nullptr
                                    : &description.techniques.back().passes.back();
        std::string a, b;
        if (keyword == "param")
        {
            ParameterDescription parameter;
            if (!(words >> a >> b) || !ParseType(a, parameter))
                return fail(number, "bad parameter");
            if (description.FindParameter(b))
                return fail(number, "parameter " + b + " declared twice");
            parameter.name = b;
            description.parameters.push_back(parameter);
        }
        else if (keyword == "technique")
        {
            if (!(words >> a) || description.FindTechnique(a))
                return fail(number, "bad technique");
            description.techniques.push_back({a, {}});
        }
        else if (keyword == "pass")
        {
            if (description.techniques.empty() || !(words >> a))
                return fail(number, "pass outside a technique");
            description.techniques.back().passes.push_back({});
            description.techniques.back().passes.back().name = a;
        }
        else if (keyword == "state")
        {
            D3DRENDERSTATETYPE state;
            DWORD value;
            if (!pass || !(words >> a >> b) || !ParseState(a, state) || !ParseNumber(b, value))
                return fail(number, "bad state");
            pass->states.emplace_back(state, value);
        }
        else if (keyword == "sampler")
        {
            DWORD stage;
            if (!pass || !(words >> a >> b) || !ParseNumber(a, stage) || stage > 7)
                return fail(number, "bad sampler");
            const ParameterDescription* parameter = description.FindParameter(b);
            if (!parameter || parameter->type != ParameterType::Texture)
                return fail(number, "sampler of an unknown texture " + b);
            pass->samplers.emplace_back(stage, b);
        }
        else if (keyword == "stage")
        {
            DWORD stage;
            if (!pass || !(words >> a >> b) || !ParseNumber(a, stage) || stage > 7)
                return fail(number, "bad stage sampler");
            pass->stageSamplers.emplace_back(stage, b);
        }
        else if (keyword == "vertex" || keyword == "fragment")
        {
            if (!pass)
                return fail(number, "shader outside a pass");
            glsl = keyword == "vertex" ? &pass->vertexSource : &pass->fragmentSource;
            glslEnd = "end" + keyword;
        }
        else
            return fail(number, "unknown keyword " + keyword);
    }
    if (glsl)
        return fail(number, "missing " + glslEnd);
    if (!headerSeen)
        return fail(number, "not an effect description");
    if (description.techniques.empty())
        return fail(number, "no technique");
    for (const TechniqueDescription& technique : description.techniques)
    {
        if (technique.passes.empty())
            return fail(number, "technique " + technique.name + " has no pass");
        for (const PassDescription& pass : technique.passes)
            if (pass.vertexSource.empty() != pass.fragmentSource.empty())
                return fail(number, "pass " + pass.name + " needs both shaders or none");
    }
    return true;
}

std::string WriteEffectDescription(const EffectDescription& description)
{
    std::string text = "qv7-effect 1\n";
    for (const ParameterDescription& parameter : description.parameters)
    {
        text += std::string("param ") + TypeName(parameter.type);
        if (parameter.count != 1)
            text += "[" + std::to_string(parameter.count) + "]";
        text += " " + parameter.name + "\n";
    }
    for (const TechniqueDescription& technique : description.techniques)
    {
        text += "technique " + technique.name + "\n";
        for (const PassDescription& pass : technique.passes)
        {
            text += "pass " + pass.name + "\n";
            for (const auto& [state, value] : pass.states)
                text += "state " + std::to_string(unsigned(state)) + " " + std::to_string(value) + "\n";
            for (const auto& [stage, name] : pass.samplers)
                text += "sampler " + std::to_string(stage) + " " + name + "\n";
            for (const auto& [stage, name] : pass.stageSamplers)
                text += "stage " + std::to_string(stage) + " " + name + "\n";
            if (!pass.vertexSource.empty())
                text += "vertex\n" + pass.vertexSource + "endvertex\n";
            if (!pass.fragmentSource.empty())
                text += "fragment\n" + pass.fragmentSource + "endfragment\n";
        }
    }
    return text;
}
} // namespace d3dx
