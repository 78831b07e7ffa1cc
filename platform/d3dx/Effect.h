// Effects in the shape the game's renderers use them (ID3DXEffect): named
// parameters (SetMatrix, SetVector, SetFloat, SetTexture...), techniques of
// passes with their render states, Begin/BeginPass/CommitChanges/EndPass/End,
// and the device-loss pair OnLostDevice/OnResetDevice. An effect is made from
// our own effect description text (see EffectDescription.h) by
// D3DXCreateEffect; each pass's GLSL becomes a program on the device.
//
// On the null back-end (a recording device) an effect writes what it does into
// the device's call record, one line per call, prefixed with its technique's
// effect: "Effect.SetMatrix(g_mProj)", "Effect.BeginPass(RenderScene,0)".
//
// Handles are parameter and technique names (the pointers GetParameterByName
// and GetTechniqueByName give back stay valid for the effect's life).
#pragma once

#include "platform/gfx/D3D9.h"

#include <string>

using D3DXHANDLE = const char*;

class ID3DXEffect
{
  public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

    virtual D3DXHANDLE GetParameterByName(D3DXHANDLE parent, const char* name) = 0;
    virtual D3DXHANDLE GetTechniqueByName(const char* name) = 0;

    virtual HRESULT SetFloat(D3DXHANDLE parameter, float value) = 0;
    virtual HRESULT SetFloatArray(D3DXHANDLE parameter, const float* values, UINT count) = 0;
    virtual HRESULT SetInt(D3DXHANDLE parameter, INT value) = 0;
    virtual HRESULT SetMatrix(D3DXHANDLE parameter, const D3DMATRIX* matrix) = 0;
    virtual HRESULT SetMatrixArray(D3DXHANDLE parameter, const D3DMATRIX* matrices, UINT count) = 0;
    virtual HRESULT SetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9* texture) = 0;
    // Any four-float vector type (D3DXVECTOR4).
    template <class Vector4> HRESULT SetVector(D3DXHANDLE parameter, const Vector4* vector)
    {
        static_assert(sizeof(Vector4) == 4 * sizeof(float), "a vector is four floats");
        return SetVectorFloats(parameter, reinterpret_cast<const float*>(vector));
    }
    virtual HRESULT SetVectorFloats(D3DXHANDLE parameter, const float* xyzw) = 0;
    // The current values, for tests and tools.
    virtual HRESULT GetFloatArray(D3DXHANDLE parameter, float* values, UINT count) = 0;

    virtual HRESULT SetTechnique(D3DXHANDLE technique) = 0;
    virtual D3DXHANDLE GetCurrentTechnique() = 0;
    virtual HRESULT Begin(UINT* passes, DWORD flags) = 0;
    virtual HRESULT BeginPass(UINT pass) = 0;
    virtual HRESULT CommitChanges() = 0;
    virtual HRESULT EndPass() = 0;
    virtual HRESULT End() = 0;

    virtual HRESULT OnLostDevice() = 0;
    virtual HRESULT OnResetDevice() = 0;

  protected:
    virtual ~ID3DXEffect() = default;
};

// Begin flags: the effect leaves the device state as the passes left it.
constexpr DWORD D3DXFX_DONOTSAVESTATE = 0x1;

// Creates an effect from description bytes. Fails with D3DERR_INVALIDCALL for
// bad arguments and E_FAIL for bytes that are no valid description or GLSL
// that does not build; *errors (when given) receives the reason. The other
// arguments of D3DX (macros, include handler, flags, pool) are accepted and
// ignored.
HRESULT D3DXCreateEffect(IDirect3DDevice9* device, const void* data, UINT dataLength, const void* defines,
                         void* include, DWORD flags, void* pool, ID3DXEffect** effect, std::string* errors);
