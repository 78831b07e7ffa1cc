// The media side of the intro movie: the opened movie with the renderer
// connected to it and the sound track in a sound buffer of the sound layer.
// Building it checks the file the way the game's graph building does and
// logs each failure with its own line; running and stopping start and stop
// pictures and sound together. While both play, the pictures follow the
// sound track's play position, so a long movie stays in sync however the
// sound device's clock drifts from the system clock.
#pragma once

#include "media/CTextureRenderer.h"
#include "platform/movie/Movie.h"
#include "platform/sound/DirectSound.h"

#include <memory>
#include <mutex>
#include <string>

class VideoGraph
{
  public:
    explicit VideoGraph(std::mutex& frameLock);
    ~VideoGraph();
    VideoGraph(const VideoGraph&) = delete;
    VideoGraph& operator=(const VideoGraph&) = delete;

    // Opens path (the reader chosen by its last four characters, case
    // ignored), connects the renderer and prepares the sound track. S_OK, or
    // the failure after its log lines: VFW_E_NOT_FOUND when the file is missing.
    HRESULT Connect(const std::string& path, bool dynamicTextures);
    // Sets the sound track's volume (hundredths of a decibel) and starts
    // pictures and sound; E_FAIL when the decoder thread cannot start.
    HRESULT Run(int volume);
    // Stops pictures and sound, keeping the position.
    HRESULT Stop();
    // The movie's end (the graph's completion event).
    bool Completed() const;
    // Game thread, once a frame: moves the pictures' timeline to the sound
    // track's play position whenever that has moved on. With no sound track,
    // no sound device, a device whose position stands still, or once the
    // track has played out, the timeline runs on the clock seam.
    void FollowSoundTrack();

    CTextureRenderer* Renderer() const { return m_Renderer.get(); }

    std::unique_ptr<CTextureRenderer> m_Renderer;
    std::unique_ptr<movie::Movie> m_Movie;
    std::unique_ptr<snd::SoundBuffer> m_Sound; // null: no sound track, or no sound device
    int m_Yuv = 1;

  private:
    // The play cursor (bytes) last seen while the sound track played.
    int64_t m_LastSoundCursor = -1;

    HRESULT ConnectVideo(bool mpeg, bool dynamicTextures);
    void ConnectAudio();
};

// True when the last four characters of path name an MPEG file.
bool IsMpegPath(const std::string& path);
// True when they name a Windows Media file (.wmv, .wma, .asf).
bool IsWindowsMediaPath(const std::string& path);
