// The movie front end: the decoder thread, its timeline and its stop. The
// timeline is win::timeGetTime with the movie's start at a base time; a stop
// remembers how far the movie had got, and the next Run sets the base so that
// the movie carries on from there. Following a master clock only moves the
// base; the decoder thread reads it afresh each time it looks at the clock.
#include "platform/movie/Movie.h"

#include "platform/movie/Pacing.h"
#include "platform/movie/ffmpeg/FfmpegDecoder.h"
#include "platform/win/Backend.h"
#include "platform/win/Clock.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace movie
{
int BytesPerPixel(PixelLayout layout)
{
    return layout == PixelLayout::BGR24 ? 3 : 2;
}

uint32_t AudioTrack::DurationMs() const
{
    if (channels <= 0 || sampleRate <= 0)
        return 0;
    return uint32_t(uint64_t(samples.size() / size_t(channels)) * 1000u / uint64_t(sampleRate));
}

namespace
{
class DecodedMovie : public Movie
{
  public:
    explicit DecodedMovie(std::unique_ptr<Pacing> pacing) : m_Decoder(&m_Stop), m_Pacing(std::move(pacing)) {}
    ~DecodedMovie() override { Stop(); }

    OpenResult Open(const std::string& path, Container container)
    {
        const OpenResult result = m_Decoder.Open(path, container);
        if (result == OpenResult::Ok)
            m_Audio = m_Decoder.DecodeAudio();
        return result;
    }

    const VideoFormat& Format() const override { return m_Decoder.Format(); }
    bool HasAudioStream() const override { return m_Decoder.HasAudioStream(); }
    const AudioTrack* Audio() const override { return m_Audio.get(); }
    void SetOutput(PixelLayout layout, int width) override { m_Decoder.SetOutput(layout, width); }

    bool Run(FrameSink* sink) override
    {
        if (m_Thread.joinable() || !sink)
            return m_Thread.joinable();
        m_Sink = sink;
        m_Stop.store(false);
        m_Base.store(win::timeGetTime() - m_PositionMs);
        try
        {
            m_Thread = std::thread([this] { DecodeLoop(); });
        }
        catch (const std::system_error&)
        {
            return false;
        }
        return true;
    }

    void Stop() override
    {
        if (!m_Thread.joinable())
            return;
        {
            std::lock_guard<std::mutex> lock(m_Mutex);
            m_Stop.store(true);
        }
        m_Wake.notify_all();
        m_Thread.join();
        if (!m_Completed.load())
            m_PositionMs = win::timeGetTime() - m_Base.load();
    }

    void SyncToPosition(uint32_t positionMs) override
    {
        if (!m_Thread.joinable())
            return;
        m_Base.store(win::timeGetTime() - positionMs);
        // A picture the move made due need not wait out the pacing's poll.
        m_Wake.notify_all();
    }

    uint32_t PositionMs() const override
    {
        return m_Thread.joinable() ? win::timeGetTime() - m_Base.load() : m_PositionMs;
    }

    bool Running() const override { return m_Thread.joinable(); }
    bool Completed() const override { return m_Completed.load(); }
    int DeliveredFrames() const override { return m_Delivered.load(); }

  private:
    // Decoder thread. Only the decoder's memory and the sink are touched here.
    void DecodeLoop()
    {
        std::unique_lock<std::mutex> lock(m_Mutex);
        while (!m_VideoEnded)
        {
            if (!m_HavePicture)
            {
                lock.unlock();
                const bool decoded = m_Decoder.NextPicture(m_Picture);
                lock.lock();
                if (m_Stop.load() && !decoded)
                    return; // interrupted mid-read: the next Run reads on
                if (!decoded)
                {
                    m_VideoEnded = true;
                    break;
                }
                m_HavePicture = true;
            }
            if (!m_Pacing->WaitUntil(m_Base, m_Picture.timeMs, m_Stop, lock, m_Wake))
                return;
            Deliver();
        }
        // The movie lasts until its last picture has been shown for its time
        // and the sound track has played out.
        const uint32_t audioEnd = m_Audio ? m_Audio->DurationMs() : 0;
        const uint32_t end = std::max(m_VideoEndMs, audioEnd);
        if (!m_Pacing->WaitUntil(m_Base, end, m_Stop, lock, m_Wake))
            return;
        m_Completed.store(true);
    }

    void Deliver()
    {
        VideoFrame frame;
        frame.data = m_Picture.bytes.data();
        frame.pitch = m_Picture.pitch;
        frame.width = m_Picture.width;
        frame.height = m_Picture.height;
        frame.size = m_Picture.bytes.size();
        frame.layout = m_Picture.layout;
        frame.timeMs = m_Picture.timeMs;
        frame.index = m_Picture.index;
        m_Sink->DeliverFrame(frame);
        m_HavePicture = false;
        m_VideoEndMs = m_Picture.timeMs + m_Decoder.FrameDurationMs();
        m_Delivered.fetch_add(1);
    }

    std::atomic<bool> m_Stop{false};
    FfmpegDecoder m_Decoder;
    std::unique_ptr<Pacing> m_Pacing;
    std::unique_ptr<AudioTrack> m_Audio;
    FrameSink* m_Sink = nullptr;

    std::mutex m_Mutex;
    std::condition_variable m_Wake;
    std::thread m_Thread;

    // Decoder-thread state, kept across a stop so that a new Run resumes.
    DecodedPicture m_Picture;
    bool m_HavePicture = false;
    bool m_VideoEnded = false;
    uint32_t m_VideoEndMs = 0;

    std::atomic<uint32_t> m_Base{0}; // moved by the game thread to follow a master clock
    uint32_t m_PositionMs = 0;
    std::atomic<bool> m_Completed{false};
    std::atomic<int> m_Delivered{0};
};
} // namespace

OpenResult Movie::Open(const std::string& path, Container container, std::unique_ptr<Movie>& movie)
{
    movie.reset();
    auto pacing =
        win::SelectedBackend() == win::Backend::Null ? CreateClockSeamPacing() : CreateRealTimePacing();
    auto opened = std::make_unique<DecodedMovie>(std::move(pacing));
    const OpenResult result = opened->Open(path, container);
    if (result == OpenResult::Ok)
        movie = std::move(opened);
    return result;
}
} // namespace movie
