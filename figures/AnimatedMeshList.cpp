// The white stand-in picture of the animated list.
#include "figures/AnimatedMeshList.h"

#include "engine/QV7_Engine.h"
#include "engine/QV7_Scene.h"

AnimatedMeshList* g_skinnedEffect = nullptr;

AnimatedMeshList::~AnimatedMeshList()
{
    ReleaseWhiteTexture();
}

IDirect3DTexture9* AnimatedMeshList::WhiteTexture()
{
    if (m_White || !g_device)
        return m_White;
    if (FAILED(g_device->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &m_White, nullptr)))
        return m_White = nullptr;
    D3DLOCKED_RECT locked{};
    if (SUCCEEDED(m_White->LockRect(0, &locked, nullptr, 0)))
    {
        *static_cast<D3DCOLOR*>(locked.pBits) = 0xFFFFFFFFu;
        m_White->UnlockRect(0);
    }
    return m_White;
}

void AnimatedMeshList::ReleaseWhiteTexture()
{
    if (!m_White)
        return;
    if (g_scene)
        g_scene->ForgetTexture(m_White);
    m_White->Release();
    m_White = nullptr;
}
