// The intro movie's renderer: it takes each decoded picture from the movie
// layer's decoder thread and gets it into the video texture that the game
// thread draws. The decoder thread only copies the picture into memory of
// ours under the shared frame lock and marks it waiting; the game thread,
// once a frame, takes the waiting picture under the same lock and writes it
// into the dynamic texture (UpdateVideoTexture). So the device is only ever
// called from the game thread, and a picture is never drawn half-written.
//
// Packed YUV 4:2:2 pictures (YUY2 or UYVY) go into an A8L8 texture, two bytes
// a pixel, as the video effect expects them; its width is rounded up to a
// multiple of 32 and the movie layer scales pictures to that width. MPEG
// files (no YUV flag) come as RGB24 and are widened to X8R8G8B8.
#pragma once

#include "platform/gfx/D3D9.h"
#include "platform/movie/Movie.h"

#include <atomic>
#include <mutex>
#include <vector>

// DirectShow's result codes used by the movie code.
constexpr HRESULT E_POINTER = HRESULT(0x80004003u);
constexpr HRESULT E_UNEXPECTED = HRESULT(0x8000FFFFu);
constexpr HRESULT VFW_E_NOT_FOUND = HRESULT(0x80040216u);
constexpr HRESULT VFW_E_CANNOT_CONNECT = HRESULT(0x80040217u);
constexpr HRESULT VFW_E_TYPE_NOT_ACCEPTED = HRESULT(0x8004022Au);

// The packed YUV texture formats, as four-character codes.
constexpr D3DFORMAT D3DFMT_UYVY_CODE = D3DFORMAT(0x59565955);
constexpr D3DFORMAT D3DFMT_YUY2_CODE = D3DFORMAT(0x32595559);

// How the copy reaches the texture, for the log ("Using Dynamic Textures" or
// "Bitwise copy of the sample").
extern const char* g_videoCopyMode;

class CTextureRenderer : public movie::FrameSink
{
  public:
    // frameLock is the video filter's, shared with the drawing side. yuv:
    // every file but MPEG.
    CTextureRenderer(std::mutex& frameLock, bool yuv);
    ~CTextureRenderer() override;

    // Connection: the picture layout this renderer takes (S_OK) or refuses
    // (E_FAIL), then the sizes and copy mode for the movie's format.
    HRESULT CheckMediaType(movie::PixelLayout layout);
    HRESULT SetMediaType(const movie::VideoFormat& format, bool dynamicTextures);
    movie::PixelLayout Layout() const { return m_Layout; }

    // Decoder thread.
    void DeliverFrame(const movie::VideoFrame& frame) override;
    HRESULT DoRenderSample(const movie::VideoFrame* sample);

    // Game thread. Creates the video texture under the frame lock; logs and
    // returns the failure.
    HRESULT CreateVideoTexture(IDirect3DDevice9* device);
    void ReleaseVideoTexture();
    // Writes the waiting picture, if any, into the texture: S_OK when one was
    // written, S_FALSE when none was waiting.
    HRESULT UpdateVideoTexture();
    IDirect3DTexture9* Texture() const { return m_Texture; }

    // Pictures handed over by the decoder thread, and written to the texture.
    int DeliveredFrames() const { return m_DeliveredFrames.load(); }
    int ShownFrames() const { return m_ShownFrames; }
    // Presentation time of the picture in the texture (game thread).
    uint32_t ShownTimeMs() const { return m_ShownTimeMs; }

    uint8_t m_DynamicTextures = 0;
    int m_VideoWidth = 0; // texture width: rounded up to 32 for YUV
    int m_VideoHeight = 0;
    int m_SourcePitch = 0; // bytes of one picture row
    movie::VideoFormat m_Format;
    IDirect3DTexture9* m_Texture = nullptr;
    D3DFORMAT m_TextureFormat = D3DFMT_UNKNOWN;
    int m_BitsPerPixel = 0;
    int m_Yuv = 1;

  private:
    // Copies the waiting picture into the locked rows.
    void CopyPicture(uint8_t* destination, int destinationPitch) const;

    std::mutex* m_FrameLock;
    movie::PixelLayout m_Layout = movie::PixelLayout::YUY2;
    // The waiting picture, in the source layout, rows m_SourcePitch apart.
    std::vector<uint8_t> m_Waiting;
    bool m_PictureWaiting = false;
    uint32_t m_WaitingTimeMs = 0;
    uint32_t m_ShownTimeMs = 0;
    std::atomic<int> m_DeliveredFrames{0};
    int m_ShownFrames = 0;
};

// RGB24 (blue first) to X8R8G8B8 with alpha 255: four pixels a step, then
// the rest one by one. Exposed for its test.
void ExpandRgb24Row(const uint8_t* source, uint32_t* destination, int width);
