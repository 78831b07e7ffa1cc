// The movie layer: what the game's intro-movie code needs of a media graph.
// A movie file is opened and checked (file found, container readable, a
// video stream with a decoder), its sound track is decoded whole into 16-bit
// PCM for the sound layer to play, and its pictures are decoded on a thread
// of the layer's own and handed, each at its presentation time, to a
// FrameSink in the packed layout the sink asked for. Completion is reported
// once the last picture and the sound track's length have both passed.
//
// Two back-ends decide how the decoder thread waits for a picture's time:
// ffmpeg/ waits on the real timeline; null/ (win::SelectedBackend() == Null)
// never sleeps for a picture's duration and only watches the clock seam
// (win::timeGetTime), so a test moves the movie by moving a ManualClock.
// Decoding itself needs no device and is the same in both.
//
// The timeline can follow a master clock: while the movie runs, the game
// thread may tell it where the sound track being heard has got to, and the
// pictures are timed from there on (SyncToPosition). Without it, or between
// two calls, the clock seam moves the timeline.
//
// Stopping is bounded: it interrupts any wait or read of the decoder thread
// and always joins it. A stopped movie keeps its position and the next Run
// carries on from there.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace movie
{
// Packed picture layouts a sink can take. YUY2 is Y0 U Y1 V, UYVY is U Y0 V
// Y1 (two bytes a pixel); BGR24 is three bytes a pixel, blue first.
enum class PixelLayout
{
    YUY2,
    UYVY,
    BGR24
};

int BytesPerPixel(PixelLayout layout);

// The video stream as the file describes it.
struct VideoFormat
{
    int width = 0;
    int height = 0;
    double framesPerSecond = 0.0;
};

// One decoded picture; the bytes live only for the DeliverFrame call.
struct VideoFrame
{
    const uint8_t* data = nullptr;
    int pitch = 0;
    int width = 0;
    int height = 0;
    size_t size = 0; // bytes at data: pitch x height
    PixelLayout layout = PixelLayout::YUY2;
    uint32_t timeMs = 0; // presentation time from the start of the movie
    int index = 0;       // 0 for the first picture
};

// Receives pictures on the decoder thread.
class FrameSink
{
  public:
    virtual ~FrameSink() = default;
    virtual void DeliverFrame(const VideoFrame& frame) = 0;
};

// The sound track, decoded whole: interleaved signed 16-bit samples.
struct AudioTrack
{
    int channels = 0;
    int sampleRate = 0;
    std::vector<int16_t> samples;
    uint32_t DurationMs() const;
};

// Which reader may open the file: ASF alone (as a Windows Media reader
// does), or whatever the file's contents say.
enum class Container
{
    Asf,
    Any
};

enum class OpenResult
{
    Ok,
    FileNotFound,  // no such file
    Unreadable,    // the container cannot be read (broken or not a movie)
    NoVideoStream, // readable, but without pictures
    NoVideoDecoder // pictures in a format nothing here decodes
};

class Movie
{
  public:
    // Opens path on the selected back-end; on Ok, movie holds the opened
    // movie with its sound track decoded.
    static OpenResult Open(const std::string& path, Container container, std::unique_ptr<Movie>& movie);
    virtual ~Movie() = default;

    virtual const VideoFormat& Format() const = 0;
    // True when the file has a sound stream, decoded or not.
    virtual bool HasAudioStream() const = 0;
    // The decoded sound track; null when there is none or it could not be decoded.
    virtual const AudioTrack* Audio() const = 0;

    // How pictures reach the sink: the layout, and the width they are scaled
    // to (the height stays). Set before the first Run.
    virtual void SetOutput(PixelLayout layout, int width) = 0;

    // Starts, or after Stop resumes, delivering pictures to sink on the
    // decoder thread. False when the thread could not start.
    virtual bool Run(FrameSink* sink) = 0;
    // Interrupts the decoder thread and joins it; the position is kept.
    virtual void Stop() = 0;
    // Only while running: the timeline reads positionMs now and goes on from
    // there on the clock seam, so pictures follow the master clock even when
    // it runs slower or faster than the clock seam.
    virtual void SyncToPosition(uint32_t positionMs) = 0;
    // Where the timeline is now: the time of the picture due now.
    virtual uint32_t PositionMs() const = 0;
    virtual bool Running() const = 0;
    // Every picture delivered and the movie's length passed on the clock.
    virtual bool Completed() const = 0;
    // Pictures delivered so far.
    virtual int DeliveredFrames() const = 0;
};
} // namespace movie
