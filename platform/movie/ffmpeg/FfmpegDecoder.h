// Reads a movie file with FFmpeg: libavformat for the container, libavcodec
// for pictures and sound, libswscale to pack each picture into the layout and
// width the game's renderer asked for. The only place the movie layer calls
// FFmpeg; both back-ends decode through it.
#pragma once

#include "platform/movie/Movie.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace movie
{
// One picture as the decoder thread keeps it until its time comes.
struct DecodedPicture
{
    std::vector<uint8_t> bytes;
    int pitch = 0;
    int width = 0;
    int height = 0;
    PixelLayout layout = PixelLayout::YUY2;
    uint32_t timeMs = 0;
    int index = 0;
};

class FfmpegDecoder
{
  public:
    // interrupt, when set, makes every blocking read give up at once.
    explicit FfmpegDecoder(const std::atomic<bool>* interrupt);
    ~FfmpegDecoder();
    FfmpegDecoder(const FfmpegDecoder&) = delete;
    FfmpegDecoder& operator=(const FfmpegDecoder&) = delete;

    OpenResult Open(const std::string& path, Container container);
    const VideoFormat& Format() const { return m_Format; }
    bool HasAudioStream() const { return m_HasAudioStream; }
    // Decodes the whole sound track from a reader of its own; null when the
    // file has none or its format cannot be decoded.
    std::unique_ptr<AudioTrack> DecodeAudio() const;
    // Milliseconds one picture stays on screen.
    uint32_t FrameDurationMs() const;

    void SetOutput(PixelLayout layout, int width);
    // The next picture, packed as set; false at the end of the stream, on a
    // read error or when interrupted.
    bool NextPicture(DecodedPicture& picture);

  private:
    struct State;
    std::unique_ptr<State> m_State;
    std::string m_Path;
    Container m_Container = Container::Any;
    VideoFormat m_Format;
    bool m_HasAudioStream = false;
};
} // namespace movie
