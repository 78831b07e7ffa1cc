// The intro-movie player: plays intro.wmv from the data folder inside the
// game's own frame loop. The movie layer decodes pictures on a thread of its
// own and hands them to the renderer; each game frame takes the latest
// picture into the video texture and draws it full screen, while the sound
// track plays through the sound layer at the music volume. Any failure logs
// its lines and sets the ended flag, so start-up goes on without the movie.
#pragma once

#include "media/VideoFilter.h"

#include <memory>

class QV7_VideoPlayer
{
  public:
    // Publishes g_videoPlayer.
    QV7_VideoPlayer();
    virtual ~QV7_VideoPlayer();
    QV7_VideoPlayer(const QV7_VideoPlayer&) = delete;
    QV7_VideoPlayer& operator=(const QV7_VideoPlayer&) = delete;

    // Once only: the set-up; a failed set-up sets the ended flag.
    virtual void Start();
    // Between BeginFrame and EndFrame: the first call starts pictures and
    // sound; every call draws the current picture and sets the ended flag
    // once the movie is over.
    virtual void RenderFrame();
    // Device loss, only once started: 1 stops the movie and frees its device
    // objects; 0 runs the set-up again and carries on where it stopped.
    virtual void OnLostReset(int lost);

    bool HasEnded() const { return m_Ended != 0; }

    int m_Started = 0;
    int m_Ended = 0;
    std::unique_ptr<VideoFilter> m_Filter;
    int m_GraphRunning = 0;

  private:
    void Setup();
    void RunGraph();
    void StopMovie();
    int m_FirstFrameDone = 0;
};

extern QV7_VideoPlayer* g_videoPlayer;

// Creates the player; a failed construction throws to the caller's guard.
QV7_VideoPlayer* CreateVideoPlayer();
