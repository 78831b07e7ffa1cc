// ID3DXBuffer: bytes in memory, zeroed at creation.
#include "platform/d3dx/D3DXMesh.h"
#include "platform/gfx/Resources.h"

#include <new>
#include <vector>

namespace
{
class MemoryBuffer : public gfx::RefCounted<ID3DXBuffer>
{
  public:
    explicit MemoryBuffer(DWORD size) : m_Bytes(size, 0) {}
    void* GetBufferPointer() override { return m_Bytes.data(); }
    DWORD GetBufferSize() override { return DWORD(m_Bytes.size()); }

  private:
    std::vector<uint8_t> m_Bytes;
};
} // namespace

HRESULT D3DXCreateBuffer(DWORD size, ID3DXBuffer** buffer)
{
    if (!buffer)
        return D3DERR_INVALIDCALL;
    try
    {
        *buffer = new MemoryBuffer(size);
        return D3D_OK;
    }
    catch (const std::bad_alloc&)
    {
        *buffer = nullptr;
        return E_OUTOFMEMORY;
    }
}
