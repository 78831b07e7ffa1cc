// FFmpeg behind the movie layer. Pictures are timed from the first decoded
// picture, so a container's preroll does not delay the start; the sound
// track is turned into interleaved 16-bit samples here (at most two
// channels), whatever sample format its decoder produces.
#include "platform/movie/ffmpeg/FfmpegDecoder.h"

extern "C"
{
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cerrno>
#include <cmath>

namespace movie
{
namespace
{
int InterruptRequested(void* opaque)
{
    const auto* flag = static_cast<const std::atomic<bool>*>(opaque);
    return flag && flag->load() ? 1 : 0;
}

AVPixelFormat FfmpegLayout(PixelLayout layout)
{
    switch (layout)
    {
    case PixelLayout::YUY2:
        return AV_PIX_FMT_YUYV422;
    case PixelLayout::UYVY:
        return AV_PIX_FMT_UYVY422;
    case PixelLayout::BGR24:
        return AV_PIX_FMT_BGR24;
    }
    return AV_PIX_FMT_YUYV422;
}

// Owns one opened container.
struct FormatContext
{
    AVFormatContext* context = nullptr;
    ~FormatContext()
    {
        if (context)
            avformat_close_input(&context);
    }
};

struct CodecContext
{
    AVCodecContext* context = nullptr;
    ~CodecContext() { avcodec_free_context(&context); }
};

// Opens path into holder; the AVERROR code on failure.
int OpenContainer(const std::string& path, Container container, const std::atomic<bool>* interrupt,
                  FormatContext& holder)
{
    holder.context = avformat_alloc_context();
    if (!holder.context)
        return AVERROR(ENOMEM);
    holder.context->interrupt_callback.callback = &InterruptRequested;
    holder.context->interrupt_callback.opaque = const_cast<std::atomic<bool>*>(interrupt);
    const AVInputFormat* format = container == Container::Asf ? av_find_input_format("asf") : nullptr;
    int error = avformat_open_input(&holder.context, path.c_str(), format, nullptr);
    if (error < 0)
        return error; // avformat_open_input frees the context on failure
    error = avformat_find_stream_info(holder.context, nullptr);
    return error < 0 ? error : 0;
}

bool OpenDecoder(const AVStream* stream, CodecContext& holder)
{
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec)
        return false;
    holder.context = avcodec_alloc_context3(codec);
    if (!holder.context || avcodec_parameters_to_context(holder.context, stream->codecpar) < 0)
        return false;
    holder.context->thread_count = 1; // one decoder thread is ours; keeps output in step
    return avcodec_open2(holder.context, codec, nullptr) >= 0;
}

// One sample of channel c, frame position i, scaled to 16 bits.
int16_t SampleAt(const AVFrame* frame, int c, int i, int channels)
{
    const AVSampleFormat format = AVSampleFormat(frame->format);
    const bool planar = av_sample_fmt_is_planar(format);
    const int index = planar ? i : i * channels + c;
    const uint8_t* base = planar ? frame->extended_data[c] : frame->extended_data[0];
    auto clamp = [](double v)
    { return int16_t(std::lround(std::clamp(v, -1.0, 32767.0 / 32768.0) * 32768.0)); };
    switch (av_get_packed_sample_fmt(format))
    {
    case AV_SAMPLE_FMT_U8:
        return int16_t((int(base[index]) - 128) * 256);
    case AV_SAMPLE_FMT_S16:
        return reinterpret_cast<const int16_t*>(base)[index];
    case AV_SAMPLE_FMT_S32:
        return int16_t(reinterpret_cast<const int32_t*>(base)[index] >> 16);
    case AV_SAMPLE_FMT_FLT:
        return clamp(reinterpret_cast<const float*>(base)[index]);
    case AV_SAMPLE_FMT_DBL:
        return clamp(reinterpret_cast<const double*>(base)[index]);
    default:
        return 0;
    }
}

void AppendSamples(const AVFrame* frame, AudioTrack& track)
{
    const int channels = frame->ch_layout.nb_channels;
    for (int i = 0; i < frame->nb_samples; ++i)
        for (int c = 0; c < track.channels; ++c)
            track.samples.push_back(SampleAt(frame, std::min(c, channels - 1), i, channels));
}

bool ReceiveAudio(AVCodecContext* codec, AVFrame* frame, AudioTrack& track)
{
    for (;;)
    {
        const int result = avcodec_receive_frame(codec, frame);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return true;
        if (result < 0)
            return false;
        AppendSamples(frame, track);
        av_frame_unref(frame);
    }
}
} // namespace

struct FfmpegDecoder::State
{
    const std::atomic<bool>* interrupt = nullptr;
    FormatContext format;
    CodecContext video;
    int videoStream = -1;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    SwsContext* scaler = nullptr;
    PixelLayout layout = PixelLayout::YUY2;
    int outputWidth = 0;
    int64_t firstPts = AV_NOPTS_VALUE;
    int64_t lastPts = AV_NOPTS_VALUE;
    int nextIndex = 0;
    bool draining = false;
    bool finished = false;

    ~State()
    {
        sws_freeContext(scaler);
        av_frame_free(&frame);
        av_packet_free(&packet);
    }
};

FfmpegDecoder::FfmpegDecoder(const std::atomic<bool>* interrupt) : m_State(std::make_unique<State>())
{
    m_State->interrupt = interrupt;
}

FfmpegDecoder::~FfmpegDecoder() = default;

OpenResult FfmpegDecoder::Open(const std::string& path, Container container)
{
    m_Path = path;
    m_Container = container;
    State& s = *m_State;
    const int error = OpenContainer(path, container, s.interrupt, s.format);
    if (error == AVERROR(ENOENT))
        return OpenResult::FileNotFound;
    if (error < 0)
        return OpenResult::Unreadable;
    s.videoStream = av_find_best_stream(s.format.context, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    m_HasAudioStream = av_find_best_stream(s.format.context, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0) >= 0;
    if (s.videoStream < 0)
        return OpenResult::NoVideoStream;
    const AVStream* stream = s.format.context->streams[s.videoStream];
    if (!OpenDecoder(stream, s.video) || s.video.context->width <= 0 || s.video.context->height <= 0)
        return OpenResult::NoVideoDecoder;
    m_Format.width = s.video.context->width;
    m_Format.height = s.video.context->height;
    AVRational rate = stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
    m_Format.framesPerSecond = rate.num > 0 && rate.den > 0 ? av_q2d(rate) : 25.0;
    s.outputWidth = m_Format.width;
    s.packet = av_packet_alloc();
    s.frame = av_frame_alloc();
    if (!s.packet || !s.frame)
        return OpenResult::Unreadable;
    return OpenResult::Ok;
}

uint32_t FfmpegDecoder::FrameDurationMs() const
{
    const double fps = m_Format.framesPerSecond > 0.0 ? m_Format.framesPerSecond : 25.0;
    return uint32_t(std::lround(1000.0 / fps));
}

std::unique_ptr<AudioTrack> FfmpegDecoder::DecodeAudio() const
{
    if (!m_HasAudioStream)
        return nullptr;
    FormatContext format;
    if (OpenContainer(m_Path, m_Container, m_State->interrupt, format) < 0)
        return nullptr;
    const int stream = av_find_best_stream(format.context, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    CodecContext codec;
    if (stream < 0 || !OpenDecoder(format.context->streams[stream], codec) ||
        codec.context->sample_rate <= 0 || codec.context->ch_layout.nb_channels <= 0)
        return nullptr;
    auto track = std::make_unique<AudioTrack>();
    track->sampleRate = codec.context->sample_rate;
    track->channels = std::min(codec.context->ch_layout.nb_channels, 2);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    bool ok = packet && frame;
    while (ok && av_read_frame(format.context, packet) >= 0)
    {
        if (packet->stream_index == stream && avcodec_send_packet(codec.context, packet) >= 0)
            ok = ReceiveAudio(codec.context, frame, *track);
        av_packet_unref(packet);
    }
    if (ok && avcodec_send_packet(codec.context, nullptr) >= 0)
        ok = ReceiveAudio(codec.context, frame, *track);
    av_frame_free(&frame);
    av_packet_free(&packet);
    if (!ok || track->samples.empty())
        return nullptr;
    return track;
}

void FfmpegDecoder::SetOutput(PixelLayout layout, int width)
{
    m_State->layout = layout;
    m_State->outputWidth = width > 0 ? width : m_Format.width;
}

bool FfmpegDecoder::NextPicture(DecodedPicture& picture)
{
    State& s = *m_State;
    while (!s.finished)
    {
        const int received = avcodec_receive_frame(s.video.context, s.frame);
        if (received == 0)
        {
            int64_t pts = s.frame->best_effort_timestamp;
            const AVRational base = s.format.context->streams[s.videoStream]->time_base;
            if (pts == AV_NOPTS_VALUE)
                pts = s.lastPts == AV_NOPTS_VALUE
                          ? 0
                          : s.lastPts + av_rescale_q(FrameDurationMs(), AVRational{1, 1000}, base);
            if (s.firstPts == AV_NOPTS_VALUE)
                s.firstPts = pts;
            s.lastPts = pts;
            const int64_t ms =
                av_rescale_q(std::max<int64_t>(0, pts - s.firstPts), base, AVRational{1, 1000});
            const int width = s.outputWidth;
            const int height = s.frame->height;
            s.scaler = sws_getCachedContext(s.scaler, s.frame->width, height, AVPixelFormat(s.frame->format),
                                            width, height, FfmpegLayout(s.layout),
                                            SWS_BILINEAR | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
            if (!s.scaler)
            {
                av_frame_unref(s.frame);
                s.finished = true;
                return false;
            }
            picture.layout = s.layout;
            picture.width = width;
            picture.height = height;
            picture.pitch = width * BytesPerPixel(s.layout);
            picture.bytes.assign(size_t(picture.pitch) * size_t(height), 0);
            uint8_t* planes[4] = {picture.bytes.data(), nullptr, nullptr, nullptr};
            int pitches[4] = {picture.pitch, 0, 0, 0};
            sws_scale(s.scaler, s.frame->data, s.frame->linesize, 0, height, planes, pitches);
            picture.timeMs = uint32_t(ms);
            picture.index = s.nextIndex++;
            av_frame_unref(s.frame);
            return true;
        }
        if (received == AVERROR_EOF || (received != AVERROR(EAGAIN)))
        {
            s.finished = true;
            return false;
        }
        if (s.draining)
        {
            s.finished = true;
            return false;
        }
        // The decoder wants more data.
        const int read = av_read_frame(s.format.context, s.packet);
        if (read < 0)
        {
            if (s.interrupt && s.interrupt->load())
            {
                // Interrupted by a stop: clear the reader's error so that a
                // later Run carries on reading where this one gave up.
                if (s.format.context->pb)
                {
                    s.format.context->pb->error = 0;
                    s.format.context->pb->eof_reached = 0;
                }
                return false;
            }
            s.draining = true;
            avcodec_send_packet(s.video.context, nullptr);
            continue;
        }
        if (s.packet->stream_index == s.videoStream)
            avcodec_send_packet(s.video.context, s.packet);
        av_packet_unref(s.packet);
    }
    return false;
}
} // namespace movie
