// The intro-movie player's life: start, frames, device loss, end. Each entry
// point takes every fault and simply returns, as the movie is never worth
// stopping the game for.
#include "media/QV7_VideoPlayer.h"

#include "engine/QV7_Engine.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_Windows.h"

QV7_VideoPlayer* g_videoPlayer = nullptr;

namespace
{
template <typename Body> void Guarded(Body&& body)
{
    try
    {
        body();
    }
    catch (...)
    {
    }
}

// The sound track's volume: from the music volume, silent with sound off.
int SoundTrackVolume()
{
    if (!g_windowsData)
        return -10000;
    const GameSettings& settings = g_windowsData->m_Settings;
    return settings.INIT_SoundEnabled ? settings.MusicVolume * 50 - 5000 : -10000;
}
} // namespace

QV7_VideoPlayer::QV7_VideoPlayer() : m_Filter(std::make_unique<VideoFilter>())
{
    g_videoPlayer = this;
}

QV7_VideoPlayer::~QV7_VideoPlayer()
{
    Guarded(
        [&]
        {
            if (m_Started)
                StopMovie();
        });
    m_Started = 0;
    if (g_videoPlayer == this)
        g_videoPlayer = nullptr;
    // The filter's graph joins the decoder thread before anything it feeds goes.
    m_Filter.reset();
}

void QV7_VideoPlayer::Start()
{
    if (m_Started)
        return;
    Guarded([&] { Setup(); });
    m_Started = 1;
}

void QV7_VideoPlayer::Setup()
{
    if (!m_Filter->Setup(g_device, g_dataDir + "intro.wmv"))
        m_Ended = 1;
}

void QV7_VideoPlayer::RunGraph()
{
    VideoGraph* graph = m_Filter->Graph();
    if (!graph || FAILED(graph->Run(SoundTrackVolume())))
    {
        m_Ended = 1;
        return;
    }
    m_GraphRunning = 1;
}

void QV7_VideoPlayer::StopMovie()
{
    if (VideoGraph* graph = m_Filter->Graph(); graph && FAILED(graph->Stop()))
        QV7_Logger::Log(g_logger, "ERROR: Video Filter: Unable to STOP the DirectShow graph!");
    m_Filter->ReleaseDeviceObjects();
}

void QV7_VideoPlayer::RenderFrame()
{
    Guarded(
        [&]
        {
            if (m_Ended || !m_Filter->m_Initialised)
                return;
            if (!m_FirstFrameDone)
            {
                m_FirstFrameDone = 1;
                RunGraph();
                if (m_Ended)
                    return;
            }
            m_Filter->Graph()->FollowSoundTrack();
            m_Filter->DrawFrame();
            if (m_Filter->Graph()->Completed())
                m_Ended = 1;
        });
}

void QV7_VideoPlayer::OnLostReset(int lost)
{
    if (!m_Started)
        return;
    Guarded(
        [&]
        {
            if (lost)
            {
                StopMovie();
                return;
            }
            if (m_Ended)
                return;
            Setup();
            if (!m_Ended && m_GraphRunning)
                RunGraph();
        });
}

QV7_VideoPlayer* CreateVideoPlayer()
{
    return new QV7_VideoPlayer();
}
