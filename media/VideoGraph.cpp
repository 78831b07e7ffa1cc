// Building, running and stopping the intro movie's graph. The log lines are
// the ones the game's DirectShow graph writes for the same failures: a
// Windows Media file is read by the ASF reader alone, anything else is opened
// as a plain source; a missing decoder is a failed render of the video pin;
// a sound track that cannot be played is logged but does not stop the movie.
#include "media/VideoGraph.h"

#include "media/QV7_SoundSystem.h"
#include "shell/QV7_Logger.h"

#include <algorithm>
#include <cctype>

namespace
{
std::string LastFourLower(const std::string& path)
{
    std::string tail = path.size() >= 4 ? path.substr(path.size() - 4) : path;
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return tail;
}

void LogRenderFailure(HRESULT hr)
{
    QV7_Logger::Log(g_logger, "ERROR: Video Filter: g_pGB->Render: Connecting RenderPin output failed!");
    QV7_Logger::Log(
        g_logger, "ERROR: Video Filter: g_pGB->Render: Check to see if Video Decoder filters are installed.");
    QV7_Logger::Log(g_logger, "ERROR: Video Filter: Output: 0x%x!", unsigned(hr));
}
} // namespace

bool IsMpegPath(const std::string& path)
{
    const std::string tail = LastFourLower(path);
    return tail == ".mpg" || tail == "mpeg" || tail == ".m2v";
}

bool IsWindowsMediaPath(const std::string& path)
{
    const std::string tail = LastFourLower(path);
    return tail == ".wmv" || tail == ".wma" || tail == ".asf";
}

VideoGraph::VideoGraph(std::mutex& frameLock)
    : m_Renderer(std::make_unique<CTextureRenderer>(frameLock, true))
{
}

VideoGraph::~VideoGraph()
{
    // The decoder thread is joined before the renderer it feeds goes.
    if (m_Movie)
        m_Movie->Stop();
    if (m_Sound)
        m_Sound->Stop();
    m_Movie.reset();
}

HRESULT VideoGraph::Connect(const std::string& path, bool dynamicTextures)
{
    const bool mpeg = IsMpegPath(path);
    const bool windowsMedia = IsWindowsMediaPath(path);
    m_Yuv = mpeg ? 0 : 1;
    m_Renderer->m_Yuv = m_Yuv;
    const movie::OpenResult opened =
        movie::Movie::Open(path, windowsMedia ? movie::Container::Asf : movie::Container::Any, m_Movie);
    if (windowsMedia)
    {
        switch (opened)
        {
        case movie::OpenResult::FileNotFound:
        case movie::OpenResult::Unreadable:
            QV7_Logger::Log(g_logger, "ERROR: Video Filter: Unable to load file %s!", path.c_str());
            return opened == movie::OpenResult::FileNotFound ? VFW_E_NOT_FOUND : E_FAIL;
        case movie::OpenResult::NoVideoStream:
            QV7_Logger::Log(g_logger,
                            "ERROR: Video Filter: ConnectWMVFile() unable to find Raw Video Pin #1!");
            return E_FAIL;
        default:
            break;
        }
    }
    else
    {
        switch (opened)
        {
        case movie::OpenResult::FileNotFound:
        case movie::OpenResult::Unreadable:
            QV7_Logger::Log(g_logger, "ERROR: Video Filter: Could not add source filter to graph!");
            if (opened == movie::OpenResult::FileNotFound)
                QV7_Logger::Log(g_logger, "ERROR: Video Filter: Media file: %s could not be found",
                                path.c_str());
            return opened == movie::OpenResult::FileNotFound ? VFW_E_NOT_FOUND : E_FAIL;
        case movie::OpenResult::NoVideoStream:
            QV7_Logger::Log(g_logger, mpeg ? "ERROR: Video Filter: Could not find SourcePin Output Pin!"
                                           : "ERROR: Video Filter: Could not find Output Pin!");
            return E_FAIL;
        default:
            break;
        }
    }
    const HRESULT hr = ConnectVideo(mpeg, dynamicTextures);
    if (FAILED(hr))
        return hr;
    ConnectAudio();
    return S_OK;
}

HRESULT VideoGraph::ConnectVideo(bool mpeg, bool dynamicTextures)
{
    // A decoder exists and offers one of the layouts the renderer takes.
    bool connected = m_Movie != nullptr;
    if (connected)
    {
        connected = false;
        for (movie::PixelLayout layout :
             {movie::PixelLayout::YUY2, movie::PixelLayout::UYVY, movie::PixelLayout::BGR24})
            if (SUCCEEDED(m_Renderer->CheckMediaType(layout)))
            {
                connected = SUCCEEDED(m_Renderer->SetMediaType(m_Movie->Format(), dynamicTextures));
                if (connected)
                    m_Movie->SetOutput(layout, m_Renderer->m_VideoWidth);
                break;
            }
    }
    if (connected)
        return S_OK;
    m_Movie.reset();
    if (mpeg)
    {
        QV7_Logger::Log(g_logger, "ERROR: Video Filter: Connecting VideoTexRenderer input failed!");
        QV7_Logger::Log(g_logger,
                        "ERROR: Video Filter: Check to see if Video Decoder filters are installed.");
    }
    else
        LogRenderFailure(VFW_E_CANNOT_CONNECT);
    return VFW_E_CANNOT_CONNECT;
}

void VideoGraph::ConnectAudio()
{
    if (!m_Movie->HasAudioStream())
        return;
    const movie::AudioTrack* audio = m_Movie->Audio();
    if (!audio)
    {
        LogRenderFailure(VFW_E_CANNOT_CONNECT);
        return;
    }
    // Without a sound device the movie plays silent, as the game does with sound off.
    if (!g_soundSystem || g_soundSystem->m_Disabled || !g_soundSystem->m_Device)
        return;
    snd::BufferDesc desc;
    desc.flags = snd::DSBCAPS_CTRLVOLUME | snd::DSBCAPS_GLOBALFOCUS;
    desc.bufferBytes = uint32_t(audio->samples.size() * sizeof(int16_t));
    desc.format.formatTag = snd::WAVE_FORMAT_PCM;
    desc.format.channels = uint16_t(audio->channels);
    desc.format.samplesPerSec = uint32_t(audio->sampleRate);
    desc.format.bitsPerSample = 16;
    desc.format.blockAlign = uint16_t(audio->channels * 2);
    desc.format.avgBytesPerSec = desc.format.samplesPerSec * desc.format.blockAlign;
    std::unique_ptr<snd::SoundBuffer> buffer;
    HRESULT hr = g_soundSystem->m_Device->CreateSoundBuffer(desc, buffer);
    void* part1 = nullptr;
    void* part2 = nullptr;
    uint32_t bytes1 = 0, bytes2 = 0;
    if (snd::Succeeded(hr))
        hr = buffer->Lock(0, desc.bufferBytes, &part1, &bytes1, &part2, &bytes2, snd::DSBLOCK_ENTIREBUFFER);
    if (!snd::Succeeded(hr))
    {
        LogRenderFailure(hr);
        return;
    }
    std::copy_n(reinterpret_cast<const uint8_t*>(audio->samples.data()), bytes1,
                static_cast<uint8_t*>(part1));
    buffer->Unlock(part1, bytes1, part2, bytes2);
    m_Sound = std::move(buffer);
}

HRESULT VideoGraph::Run(int volume)
{
    if (!m_Movie || !m_Movie->Run(m_Renderer.get()))
    {
        QV7_Logger::Log(g_logger, "ERROR: Video Filter: Unable to RUN the DirectShow graph!");
        return E_FAIL;
    }
    if (m_Sound)
    {
        m_Sound->SetVolume(volume);
        m_Sound->Play(0);
        // Pictures and sound start (or resume) together from where they
        // stopped; only a cursor that moves from here says where the sound is.
        uint32_t cursor = 0;
        m_LastSoundCursor = snd::Succeeded(m_Sound->GetCurrentPosition(&cursor, nullptr)) ? cursor : -1;
    }
    return S_OK;
}

HRESULT VideoGraph::Stop()
{
    if (!m_Movie)
        return E_FAIL;
    m_Movie->Stop();
    if (m_Sound)
        m_Sound->Stop();
    return S_OK;
}

bool VideoGraph::Completed() const
{
    return m_Movie && m_Movie->Completed();
}

void VideoGraph::FollowSoundTrack()
{
    if (!m_Movie || !m_Sound || !m_Movie->Running())
        return;
    uint32_t status = 0;
    uint32_t cursor = 0;
    if (!snd::Succeeded(m_Sound->GetStatus(status)) || !(status & snd::DSBSTATUS_PLAYING) ||
        !snd::Succeeded(m_Sound->GetCurrentPosition(&cursor, nullptr)))
        return;
    // A cursor that has not moved since the last look says nothing new: the
    // device mixes in blocks, and between two blocks (or on a device that
    // never moves) the clock seam carries the pictures on.
    if (int64_t(cursor) == m_LastSoundCursor)
        return;
    m_LastSoundCursor = cursor;
    const snd::WaveFormat& format = m_Sound->Format();
    if (format.blockAlign == 0 || format.samplesPerSec == 0)
        return;
    const uint64_t frames = cursor / format.blockAlign;
    m_Movie->SyncToPosition(uint32_t(frames * 1000u / format.samplesPerSec));
}
