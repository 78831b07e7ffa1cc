// The intro-movie player. This first version has no decoder behind it: it
// reports the end at once, so start-up goes on to the logos.
#pragma once

class QV7_VideoPlayer
{
  public:
    QV7_VideoPlayer();
    ~QV7_VideoPlayer();

    void Start();
    void RenderFrame();
    bool HasEnded() const { return m_Ended; }

  private:
    bool m_Ended = true;
};

// Creates the player; a failed construction throws to the caller's guard.
QV7_VideoPlayer* CreateVideoPlayer();
