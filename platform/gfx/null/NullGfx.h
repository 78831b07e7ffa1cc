// The null graphics back-end's controls, for tests: the adapters, modes and
// caps it reports, the failures it produces on demand, and the record of
// every call made to the Direct3D object, the device and its resources, one
// readable line per call ("SetRenderState(7,1)"). Resources live in memory;
// Clear and Present work on a memory back buffer, so the presented frame can
// be read back as on the gl back-end.
#pragma once

#include "platform/gfx/D3D9.h"

#include <string>
#include <string_view>
#include <vector>

namespace gfx::null
{
struct AdapterOptions
{
    bool hardwareTnL = true;
    bool pureDevice = true;
    DWORD vertexShaderMajor = 3, vertexShaderMinor = 0; // major 0: no vertex shaders
    DWORD pixelShaderMajor = 3, pixelShaderMinor = 0;   // major 0: no pixel shaders
    DWORD maxAnisotropy = 16;
    bool anisotropicMagnify = true;
    bool anisotropicMinify = true;
    // Multisample types 2..maxMultiSample are accepted (0 is always).
    UINT maxMultiSample = 8;
    D3DDISPLAYMODE desktop{1024, 768, 60, D3DFMT_X8R8G8B8};
    // The X8R8G8B8 and R5G6B5 modes the adapter lists.
    std::vector<D3DDISPLAYMODE> modes{{640, 480, 60, D3DFMT_X8R8G8B8},
                                      {800, 600, 60, D3DFMT_X8R8G8B8},
                                      {1024, 768, 60, D3DFMT_X8R8G8B8},
                                      {800, 600, 60, D3DFMT_R5G6B5}};
    std::string description = "Null Graphics Adapter";
    std::string driver = "qv7null.drv";
};

struct Adapter
{
    D3DADAPTER_IDENTIFIER9 identifier;
    D3DCAPS9 caps;
    D3DDISPLAYMODE desktop;
    std::vector<D3DDISPLAYMODE> modes;
    UINT maxMultiSample;
};

Adapter MakeAdapter(const AdapterOptions& options = {});

struct Config
{
    std::vector<Adapter> adapters{MakeAdapter()};
    bool failDirect3DCreate = false;
    bool failCreateDevice = false;
    bool failReset = false;
    bool failDisplayMode = false;
    bool failSetViewport = false;
    // Formats the adapter does not have: CheckDeviceFormat and CreateTexture refuse them.
    std::vector<D3DFORMAT> refusedFormats;
    // As on Direct3D, a reset is refused while default-pool resources live.
    bool resetNeedsDefaultPoolReleased = true;
    // Keep a copy of every draw from user memory (UserDraws), so that a test
    // can read what a 2D pass drew: its vertex colours and its texture.
    bool keepUserDraws = false;
    // Record every call (Calls()), the Direct3D object's and its devices'. A
    // long run that reads no record (the soak) turns it off: formatting each
    // call's line costs more than the call, and the record would only grow.
    bool recordCalls = true;
};

// A non-indexed draw from user memory (DrawPrimitiveUP), as it was drawn.
struct UserDraw
{
    size_t call = 0; // its line in Calls()
    D3DPRIMITIVETYPE type = D3DPT_TRIANGLELIST;
    DWORD fvf = 0;
    std::string texture; // ResourceName of stage 0's texture ("null" for none)
    UINT stride = 0;
    std::vector<uint8_t> vertices;
};

// The settings the next calls use; ResetSettings restores the defaults and clears the record.
Config& Settings();
void ResetSettings();

// Every call, in order.
std::vector<std::string>& Calls();
// Clears the calls and the kept user draws.
void ClearCalls();
// The kept user draws, in order (Config::keepUserDraws).
std::vector<UserDraw>& UserDraws();
// How many recorded calls begin with prefix ("SetRenderState(" or "Present").
size_t CountCalls(std::string_view prefix);
// The index of the first recorded call beginning with prefix at or after from; -1 when none.
int FindCall(std::string_view prefix, size_t from = 0);
} // namespace gfx::null
