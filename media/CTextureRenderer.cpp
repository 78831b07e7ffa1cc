// The movie renderer's hand-over between the decoder thread and the game
// thread, and the copy into the video texture.
#include "media/CTextureRenderer.h"

#include "shell/QV7_Logger.h"

#include <algorithm>
#include <cstring>
#include <iterator>

const char* g_videoCopyMode = "";

void ExpandRgb24Row(const uint8_t* source, uint32_t* destination, int width)
{
    auto pixel = [](const uint8_t* p)
    { return 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]; };
    int x = 0;
    for (; x + 4 <= width; x += 4)
    {
        destination[x] = pixel(source + x * 3);
        destination[x + 1] = pixel(source + x * 3 + 3);
        destination[x + 2] = pixel(source + x * 3 + 6);
        destination[x + 3] = pixel(source + x * 3 + 9);
    }
    for (; x < width; ++x)
        destination[x] = pixel(source + x * 3);
}

CTextureRenderer::CTextureRenderer(std::mutex& frameLock, bool yuv)
    : m_Yuv(yuv ? 1 : 0), m_FrameLock(&frameLock)
{
}

CTextureRenderer::~CTextureRenderer()
{
    ReleaseVideoTexture();
}

HRESULT CTextureRenderer::CheckMediaType(movie::PixelLayout layout)
{
    if (m_Yuv)
    {
        if (layout != movie::PixelLayout::YUY2 && layout != movie::PixelLayout::UYVY)
            return E_FAIL;
        m_Layout = layout;
        m_BitsPerPixel = 16;
        return S_OK;
    }
    if (layout != movie::PixelLayout::BGR24)
        return E_FAIL;
    m_Layout = layout;
    m_BitsPerPixel = 24;
    return S_OK;
}

HRESULT CTextureRenderer::SetMediaType(const movie::VideoFormat& format, bool dynamicTextures)
{
    if (format.width <= 0 || format.height <= 0)
        return E_FAIL;
    std::lock_guard<std::mutex> lock(*m_FrameLock);
    m_Format = format;
    m_VideoWidth = format.width;
    m_VideoHeight = format.height;
    if (m_Layout == movie::PixelLayout::BGR24)
        m_SourcePitch = (m_VideoWidth * 3 + 3) & ~3;
    else
    {
        m_VideoWidth = (m_VideoWidth + 31) & ~31;
        m_SourcePitch = m_VideoWidth * 2;
    }
    m_DynamicTextures = dynamicTextures ? 1 : 0;
    g_videoCopyMode = dynamicTextures ? "Using Dynamic Textures" : "Bitwise copy of the sample";
    m_Waiting.assign(size_t(m_SourcePitch) * size_t(m_VideoHeight), 0);
    m_PictureWaiting = false;
    return S_OK;
}

void CTextureRenderer::DeliverFrame(const movie::VideoFrame& frame)
{
    DoRenderSample(&frame);
}

HRESULT CTextureRenderer::DoRenderSample(const movie::VideoFrame* sample)
{
    if (!sample || !sample->data)
        return E_POINTER;
    std::lock_guard<std::mutex> lock(*m_FrameLock);
    if (!m_Texture)
        return E_UNEXPECTED;
    // A picture of another size than negotiated is cut or left short, never
    // read or written past either end.
    const int bytesPerPixel = movie::BytesPerPixel(sample->layout);
    const size_t rowBytes =
        std::min(size_t(m_SourcePitch), size_t(std::max(0, sample->width)) * size_t(bytesPerPixel));
    const int rows = std::min(m_VideoHeight, sample->height);
    for (int y = 0; y < rows; ++y)
    {
        const size_t from = size_t(y) * size_t(sample->pitch);
        if (from + rowBytes > sample->size)
            break;
        std::memcpy(m_Waiting.data() + size_t(y) * size_t(m_SourcePitch), sample->data + from, rowBytes);
    }
    m_PictureWaiting = true;
    m_WaitingTimeMs = sample->timeMs;
    m_DeliveredFrames.fetch_add(1);
    return S_OK;
}

HRESULT CTextureRenderer::CreateVideoTexture(IDirect3DDevice9* device)
{
    std::lock_guard<std::mutex> lock(*m_FrameLock);
    if (m_Texture)
    {
        m_Texture->Release();
        m_Texture = nullptr;
    }
    if (!device)
        return E_POINTER;
    const D3DFORMAT wanted = m_Yuv ? D3DFMT_A8L8 : D3DFMT_X8R8G8B8;
    HRESULT hr = device->CreateTexture(UINT(m_VideoWidth), UINT(m_VideoHeight), 1, D3DUSAGE_DYNAMIC, wanted,
                                       D3DPOOL_DEFAULT, &m_Texture);
    if (FAILED(hr))
    {
        m_Texture = nullptr;
        return hr;
    }
    D3DSURFACE_DESC desc{};
    hr = m_Texture->GetLevelDesc(0, &desc);
    if (FAILED(hr))
    {
        QV7_Logger::Log(g_logger,
                        "ERROR: Video Filter: Could not get level Description of D3DX texture! hr = 0x%x",
                        unsigned(hr));
        return hr;
    }
    m_TextureFormat = desc.Format;
    const D3DFORMAT usable[] = {D3DFMT_R8G8B8, D3DFMT_X8R8G8B8,  D3DFMT_A1R5G5B5,
                                D3DFMT_A8L8,   D3DFMT_YUY2_CODE, D3DFMT_UYVY_CODE};
    if (std::find(std::begin(usable), std::end(usable), desc.Format) != std::end(usable))
        return S_OK;
    QV7_Logger::Log(g_logger, "ERROR: Video Filter: Texture is format we can't handle! Format = 0x%x",
                    unsigned(desc.Format));
    return VFW_E_TYPE_NOT_ACCEPTED;
}

void CTextureRenderer::ReleaseVideoTexture()
{
    std::lock_guard<std::mutex> lock(*m_FrameLock);
    if (m_Texture)
        m_Texture->Release();
    m_Texture = nullptr;
    m_PictureWaiting = false;
}

HRESULT CTextureRenderer::UpdateVideoTexture()
{
    std::lock_guard<std::mutex> lock(*m_FrameLock);
    if (!m_PictureWaiting)
        return S_FALSE;
    if (!m_Texture)
        return E_UNEXPECTED;
    D3DLOCKED_RECT locked{};
    if (FAILED(
            m_Texture->LockRect(0, &locked, nullptr, m_DynamicTextures ? DWORD(D3DLOCK_DISCARD) : DWORD(0))))
        return E_FAIL;
    CopyPicture(static_cast<uint8_t*>(locked.pBits), locked.Pitch);
    if (FAILED(m_Texture->UnlockRect(0)))
        return E_FAIL;
    m_PictureWaiting = false;
    m_ShownTimeMs = m_WaitingTimeMs;
    ++m_ShownFrames;
    return S_OK;
}

void CTextureRenderer::CopyPicture(uint8_t* destination, int destinationPitch) const
{
    if (m_Layout == movie::PixelLayout::BGR24)
    {
        for (int y = 0; y < m_VideoHeight; ++y)
            ExpandRgb24Row(m_Waiting.data() + size_t(y) * size_t(m_SourcePitch),
                           reinterpret_cast<uint32_t*>(destination + size_t(y) * size_t(destinationPitch)),
                           m_VideoWidth);
        return;
    }
    // Packed YUV: the rows are as wide as the texture's, so when the pitches
    // agree the picture goes across in one block.
    if (destinationPitch == m_SourcePitch)
    {
        std::memcpy(destination, m_Waiting.data(), m_Waiting.size());
        return;
    }
    const size_t rowBytes = size_t(m_BitsPerPixel) * size_t(m_VideoWidth) / 8;
    for (int y = 0; y < m_VideoHeight; ++y)
        std::memcpy(destination + size_t(y) * size_t(destinationPitch),
                    m_Waiting.data() + size_t(y) * size_t(m_SourcePitch),
                    std::min(rowBytes, size_t(std::max(destinationPitch, 0))));
}
