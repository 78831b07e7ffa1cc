// Effects: parameters by name, techniques and passes, programs on the device.
#include "platform/d3dx/Effect.h"

#include "platform/d3dx/EffectDescription.h"
#include "platform/gfx/DeviceBase.h"
#include "platform/gfx/Programs.h"

#include <atomic>
#include <cstdio>
#include <map>
#include <optional>
#include <vector>

namespace d3dx
{
namespace
{
class Effect final : public ID3DXEffect
{
  public:
    Effect(IDirect3DDevice9* device, EffectDescription description)
        : m_Device(device), m_Record(dynamic_cast<gfx::DeviceBase*>(device)), m_Description(std::move(description))
    {
        m_Device->AddRef();
        for (const ParameterDescription& parameter : m_Description.parameters)
            if (parameter.type == ParameterType::Texture)
                m_Textures[parameter.name] = nullptr;
            else
                m_Values[parameter.name].assign(size_t(parameter.Components() * parameter.count), 0.0f);
    }

    // Builds every pass's program; false with the reasons in log.
    bool BuildPrograms(std::string* log)
    {
        m_Programs.clear();
        for (const TechniqueDescription& technique : m_Description.techniques)
        {
            std::vector<gfx::Program*> passes;
            for (const PassDescription& pass : technique.passes)
            {
                gfx::Program* program = nullptr;
                if (!pass.vertexSource.empty())
                {
                    std::string reason;
                    program = gfx::CreateProgram(m_Device, pass.vertexSource, pass.fragmentSource, &reason);
                    if (!program)
                    {
                        if (log)
                            *log = technique.name + "/" + pass.name + ": " + reason;
                        m_Programs.push_back(passes);
                        DestroyPrograms();
                        return false;
                    }
                }
                passes.push_back(program);
            }
            m_Programs.push_back(passes);
        }
        return true;
    }

    ULONG AddRef() override { return ++m_Refs; }
    ULONG Release() override
    {
        const ULONG left = --m_Refs;
        if (left == 0)
            delete this;
        return left;
    }

    D3DXHANDLE GetParameterByName(D3DXHANDLE, const char* name) override
    {
        const ParameterDescription* parameter = name ? m_Description.FindParameter(name) : nullptr;
        return parameter ? parameter->name.c_str() : nullptr;
    }
    D3DXHANDLE GetTechniqueByName(const char* name) override
    {
        const TechniqueDescription* technique = name ? m_Description.FindTechnique(name) : nullptr;
        return technique ? technique->name.c_str() : nullptr;
    }

    HRESULT SetFloat(D3DXHANDLE parameter, float value) override
    {
        return SetValues("SetFloat", parameter, &value, 1, ParameterType::Float);
    }
    HRESULT SetFloatArray(D3DXHANDLE parameter, const float* values, UINT count) override
    {
        return SetValues("SetFloatArray", parameter, values, count, std::nullopt);
    }
    HRESULT SetInt(D3DXHANDLE parameter, INT value) override
    {
        const float asFloat = float(value);
        return SetValues("SetInt", parameter, &asFloat, 1, std::nullopt);
    }
    HRESULT SetMatrix(D3DXHANDLE parameter, const D3DMATRIX* matrix) override
    {
        return matrix ? SetValues("SetMatrix", parameter, &matrix->m[0][0], 16, ParameterType::Matrix)
                      : D3DERR_INVALIDCALL;
    }
    HRESULT SetMatrixArray(D3DXHANDLE parameter, const D3DMATRIX* matrices, UINT count) override
    {
        return matrices ? SetValues("SetMatrixArray", parameter, &matrices->m[0][0], count * 16, ParameterType::Matrix)
                        : D3DERR_INVALIDCALL;
    }
    HRESULT SetVectorFloats(D3DXHANDLE parameter, const float* xyzw) override
    {
        return xyzw ? SetValues("SetVector", parameter, xyzw, 4, ParameterType::Vector) : D3DERR_INVALIDCALL;
    }
    HRESULT SetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9* texture) override
    {
        Record(std::string("SetTexture(") + (parameter ? parameter : "null") + "," + gfx::ResourceName(texture) + ")");
        auto it = parameter ? m_Textures.find(parameter) : m_Textures.end();
        if (it == m_Textures.end())
            return D3DERR_INVALIDCALL;
        if (texture)
            texture->AddRef();
        if (it->second)
            it->second->Release();
        it->second = texture;
        return D3D_OK;
    }
    HRESULT GetFloatArray(D3DXHANDLE parameter, float* values, UINT count) override
    {
        auto it = parameter ? m_Values.find(parameter) : m_Values.end();
        if (it == m_Values.end() || !values)
            return D3DERR_INVALIDCALL;
        for (UINT i = 0; i < count && i < it->second.size(); ++i)
            values[i] = it->second[i];
        return D3D_OK;
    }

    HRESULT SetTechnique(D3DXHANDLE technique) override
    {
        Record(std::string("SetTechnique(") + (technique ? technique : "null") + ")");
        for (size_t i = 0; technique && i < m_Description.techniques.size(); ++i)
            if (m_Description.techniques[i].name == technique)
            {
                m_Technique = i;
                return D3D_OK;
            }
        return D3DERR_INVALIDCALL;
    }
    D3DXHANDLE GetCurrentTechnique() override { return m_Description.techniques[m_Technique].name.c_str(); }

    HRESULT Begin(UINT* passes, DWORD flags) override
    {
        Record("Begin(" + CurrentTechnique().name + ")");
        if (m_InBegin)
            return D3DERR_INVALIDCALL;
        m_InBegin = true;
        m_SaveState = !(flags & D3DXFX_DONOTSAVESTATE);
        m_Saved.clear();
        if (passes)
            *passes = UINT(CurrentTechnique().passes.size());
        return D3D_OK;
    }

    HRESULT BeginPass(UINT pass) override
    {
        Record("BeginPass(" + CurrentTechnique().name + "," + std::to_string(pass) + ")");
        if (!m_InBegin || m_Pass >= 0 || pass >= CurrentTechnique().passes.size() || m_Lost)
            return D3DERR_INVALIDCALL;
        m_Pass = int(pass);
        const PassDescription& description = CurrentTechnique().passes[pass];
        for (const auto& [state, value] : description.states)
        {
            if (m_SaveState && !m_Saved.count(state))
            {
                DWORD old = 0;
                m_Device->GetRenderState(state, &old);
                m_Saved[state] = old;
            }
            m_Device->SetRenderState(state, value);
        }
        gfx::UseProgram(m_Device, CurrentProgram());
        Apply();
        return D3D_OK;
    }

    HRESULT CommitChanges() override
    {
        Record("CommitChanges()");
        if (m_Pass < 0)
            return D3DERR_INVALIDCALL;
        Apply();
        return D3D_OK;
    }

    HRESULT EndPass() override
    {
        Record("EndPass()");
        if (m_Pass < 0)
            return D3DERR_INVALIDCALL;
        m_Pass = -1;
        return D3D_OK;
    }

    HRESULT End() override
    {
        Record("End()");
        if (!m_InBegin)
            return D3DERR_INVALIDCALL;
        m_Pass = -1;
        m_InBegin = false;
        gfx::UseProgram(m_Device, nullptr);
        for (const auto& [state, value] : m_Saved)
            m_Device->SetRenderState(state, value);
        m_Saved.clear();
        return D3D_OK;
    }

    HRESULT OnLostDevice() override
    {
        Record("OnLostDevice()");
        if (!m_Lost)
            DestroyPrograms();
        m_Lost = true;
        return D3D_OK;
    }
    HRESULT OnResetDevice() override
    {
        Record("OnResetDevice()");
        if (!m_Lost)
            return D3D_OK;
        std::string log;
        if (!BuildPrograms(&log))
            return E_FAIL;
        m_Lost = false;
        return D3D_OK;
    }

  private:
    ~Effect() override
    {
        DestroyPrograms();
        for (auto& [name, texture] : m_Textures)
            if (texture)
                texture->Release();
        m_Device->Release();
    }

    void DestroyPrograms()
    {
        for (auto& passes : m_Programs)
            for (gfx::Program* program : passes)
                if (program)
                    gfx::DestroyProgram(m_Device, program);
        m_Programs.clear();
    }

    const TechniqueDescription& CurrentTechnique() const { return m_Description.techniques[m_Technique]; }
    gfx::Program* CurrentProgram() const
    {
        if (m_Pass < 0 || m_Technique >= m_Programs.size())
            return nullptr;
        return m_Programs[m_Technique][size_t(m_Pass)];
    }

    void Record(const std::string& line)
    {
        if (m_Record && m_Record->Recording())
            m_Record->Record("Effect." + line);
    }

    // Values and textures into the current pass's program and stages.
    void Apply()
    {
        const PassDescription& pass = CurrentTechnique().passes[size_t(m_Pass)];
        for (const auto& [stage, name] : pass.samplers)
            m_Device->SetTexture(stage, m_Textures[name]);
        gfx::Program* program = CurrentProgram();
        if (!program)
            return;
        for (const ParameterDescription& parameter : m_Description.parameters)
        {
            if (parameter.type == ParameterType::Texture)
                continue;
            const std::vector<float>& values = m_Values[parameter.name];
            if (parameter.type == ParameterType::Int)
                gfx::SetProgramInt(program, parameter.name, int(values[0]));
            else
                gfx::SetProgramFloats(program, parameter.name, values.data(), int(values.size()));
        }
        for (const auto& [stage, name] : pass.samplers)
            gfx::SetProgramInt(program, name, int(stage));
        for (const auto& [stage, name] : pass.stageSamplers)
            gfx::SetProgramInt(program, name, int(stage));
    }

    // expected: the parameter type the call is for; none accepts any numeric parameter.
    HRESULT SetValues(const char* call, D3DXHANDLE parameter, const float* values, UINT count,
                      std::optional<ParameterType> expected)
    {
        Record(std::string(call) + "(" + (parameter ? parameter : "null") + ")");
        const ParameterDescription* description = parameter ? m_Description.FindParameter(parameter) : nullptr;
        if (!description || description->type == ParameterType::Texture || !values)
            return D3DERR_INVALIDCALL;
        if (expected && description->type != *expected &&
            !(*expected == ParameterType::Vector && description->type == ParameterType::Float))
            return D3DERR_INVALIDCALL;
        std::vector<float>& stored = m_Values[description->name];
        for (UINT i = 0; i < count && i < stored.size(); ++i)
            stored[i] = values[i];
        return D3D_OK;
    }

    std::atomic<ULONG> m_Refs{1};
    IDirect3DDevice9* m_Device;
    gfx::DeviceBase* m_Record;
    EffectDescription m_Description;
    std::map<std::string, std::vector<float>> m_Values;
    std::map<std::string, IDirect3DBaseTexture9*> m_Textures;
    std::vector<std::vector<gfx::Program*>> m_Programs;
    size_t m_Technique = 0;
    int m_Pass = -1;
    bool m_InBegin = false;
    bool m_SaveState = true;
    bool m_Lost = false;
    std::map<D3DRENDERSTATETYPE, DWORD> m_Saved;
};
} // namespace
} // namespace d3dx

HRESULT D3DXCreateEffect(IDirect3DDevice9* device, const void* data, UINT dataLength, const void*, void*, DWORD,
                         void*, ID3DXEffect** effect, std::string* errors)
{
    if (!device || !data || !effect)
        return D3DERR_INVALIDCALL;
    *effect = nullptr;
    d3dx::EffectDescription description;
    std::string reason;
    if (!d3dx::ParseEffectDescription(data, dataLength, description, &reason))
    {
        if (errors)
            *errors = reason;
        return E_FAIL;
    }
    auto* created = new d3dx::Effect(device, std::move(description));
    if (!created->BuildPrograms(&reason))
    {
        if (errors)
            *errors = reason;
        created->Release();
        return E_FAIL;
    }
    *effect = created;
    return D3D_OK;
}
