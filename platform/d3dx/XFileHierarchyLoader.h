// D3DXLoadMeshHierarchyFromXInMemory's work: the parsed .x description turned
// into frames and mesh containers through the game's allocator, and the
// animation controller over the frames. Whatever was made is handed back to
// the allocator when a later step fails, so a failed load leaves nothing.
#pragma once

#include "platform/d3dx/D3DXAnimation.h"
#include "platform/d3dx/XFileDescription.h"

#include <string>

namespace d3dx
{
// Sends a line to the message sink (D3DXSetMessageSink).
void ReportMessage(const std::string& text);

class XFileHierarchyLoader
{
  public:
    XFileHierarchyLoader(DWORD options, IDirect3DDevice9* device, ID3DXAllocateHierarchy* allocate)
        : m_Options(options), m_Device(device), m_Allocate(allocate)
    {
    }

    // The roots as one sibling chain; null when the file has no frame.
    HRESULT BuildFrames(const XFileDescription& file, D3DXFRAME** root);
    // Null (and D3D_OK) when the file has no animation set.
    static HRESULT BuildController(const XFileDescription& file, D3DXFRAME* root,
                                   ID3DXAnimationController** controller);

  private:
    HRESULT BuildFrame(const XFrame& source, D3DXFRAME** frame);
    HRESULT BuildContainer(const XMesh& source, D3DXMESHCONTAINER** container);
    HRESULT BuildMesh(const XMesh& source, ID3DXMesh** mesh);
    static HRESULT BuildSkin(const XMesh& source, DWORD fvf, ID3DXSkinInfo** skin);

    DWORD m_Options;
    IDirect3DDevice9* m_Device;
    ID3DXAllocateHierarchy* m_Allocate;
};
} // namespace d3dx
