// The WMV writer over libavformat and libavcodec. Pictures are converted to
// the encoder's YUV 4:2:0 with libswscale; sound is fed to the encoder in its
// own frame size, the last frame padded with silence. Packets go to the
// muxer in time order, so it never has to hold a whole stream back.
#include "tools/writers/WmvWriter.h"

extern "C"
{
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstdio>

namespace
{
struct Writer
{
    AVFormatContext* format = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    AVStream* videoStream = nullptr;
    AVStream* audioStream = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* scaler = nullptr;
    bool fileOpen = false;

    ~Writer()
    {
        sws_freeContext(scaler);
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&video);
        avcodec_free_context(&audio);
        if (format && fileOpen)
            avio_closep(&format->pb);
        avformat_free_context(format);
    }
};

bool Fail(const std::string& path, const char* what)
{
    std::fprintf(stderr, "WriteWmvFile: %s: %s\n", path.c_str(), what);
    return false;
}

AVCodecContext* OpenEncoder(const char* name, Writer& w,
                            const std::function<void(AVCodecContext*)>& configure)
{
    const AVCodec* codec = avcodec_find_encoder_by_name(name);
    if (!codec)
        return nullptr;
    AVCodecContext* context = avcodec_alloc_context3(codec);
    if (!context)
        return nullptr;
    configure(context);
    context->flags |= AV_CODEC_FLAG_BITEXACT;
    if (w.format->oformat->flags & AVFMT_GLOBALHEADER)
        context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(context, codec, nullptr) < 0)
        avcodec_free_context(&context);
    return context;
}

AVStream* AddStream(Writer& w, AVCodecContext* context)
{
    AVStream* stream = avformat_new_stream(w.format, nullptr);
    if (!stream || avcodec_parameters_from_context(stream->codecpar, context) < 0)
        return nullptr;
    stream->time_base = context->time_base;
    return stream;
}

// Sends one frame (null: flush) and writes every packet the encoder returns.
bool Encode(Writer& w, AVCodecContext* context, AVStream* stream, AVFrame* frame)
{
    if (avcodec_send_frame(context, frame) < 0)
        return false;
    for (;;)
    {
        const int result = avcodec_receive_packet(context, w.packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return true;
        if (result < 0)
            return false;
        av_packet_rescale_ts(w.packet, context->time_base, stream->time_base);
        w.packet->stream_index = stream->index;
        if (av_interleaved_write_frame(w.format, w.packet) < 0)
            return false;
    }
}

bool WritePicture(Writer& w, const WmvClip& clip, int index, std::vector<uint32_t>& pixels)
{
    pixels.assign(size_t(clip.width) * size_t(clip.height), 0xFF000000u);
    clip.drawFrame(index, pixels);
    av_frame_unref(w.frame);
    w.frame->format = w.video->pix_fmt;
    w.frame->width = clip.width;
    w.frame->height = clip.height;
    if (av_frame_get_buffer(w.frame, 0) < 0)
        return false;
    // X8R8G8B8 in memory is B, G, R, X on this little-endian machine.
    const uint8_t* source[1] = {reinterpret_cast<const uint8_t*>(pixels.data())};
    const int sourcePitch[1] = {clip.width * 4};
    sws_scale(w.scaler, source, sourcePitch, 0, clip.height, w.frame->data, w.frame->linesize);
    w.frame->pts = index;
    w.frame->quality = w.video->global_quality;
    return Encode(w, w.video, w.videoStream, w.frame);
}

bool WriteSound(Writer& w, const WmvClip& clip, int64_t first)
{
    const int frameSize = w.audio->frame_size > 0 ? w.audio->frame_size : 1024;
    av_frame_unref(w.frame);
    w.frame->format = w.audio->sample_fmt;
    w.frame->nb_samples = frameSize;
    w.frame->sample_rate = w.audio->sample_rate;
    if (av_channel_layout_copy(&w.frame->ch_layout, &w.audio->ch_layout) < 0 ||
        av_frame_get_buffer(w.frame, 0) < 0)
        return false;
    const int64_t total = int64_t(clip.audio.size()) / clip.channels;
    for (int c = 0; c < clip.channels; ++c)
    {
        float* out = reinterpret_cast<float*>(w.frame->extended_data[c]);
        for (int i = 0; i < frameSize; ++i)
        {
            const int64_t at = first + i;
            out[i] = at < total ? float(clip.audio[size_t(at * clip.channels + c)]) / 32768.0f : 0.0f;
        }
    }
    w.frame->pts = first;
    return Encode(w, w.audio, w.audioStream, w.frame);
}

bool OpenStreams(Writer& w, const WmvClip& clip)
{
    if (clip.frameCount > 0)
    {
        w.video = OpenEncoder("wmv2", w,
                              [&](AVCodecContext* c)
                              {
                                  c->width = clip.width;
                                  c->height = clip.height;
                                  c->time_base = AVRational{1, clip.framesPerSecond};
                                  c->framerate = AVRational{clip.framesPerSecond, 1};
                                  c->pix_fmt = AV_PIX_FMT_YUV420P;
                                  c->gop_size = clip.framesPerSecond;
                                  c->max_b_frames = 0;
                                  c->flags |= AV_CODEC_FLAG_QSCALE;
                                  c->global_quality = FF_QP2LAMBDA * clip.quantiser;
                              });
        if (!w.video || !(w.videoStream = AddStream(w, w.video)))
            return false;
        w.scaler = sws_getContext(clip.width, clip.height, AV_PIX_FMT_BGR0, clip.width, clip.height,
                                  AV_PIX_FMT_YUV420P, SWS_BILINEAR | SWS_ACCURATE_RND | SWS_BITEXACT, nullptr,
                                  nullptr, nullptr);
        if (!w.scaler)
            return false;
    }
    if (!clip.audio.empty())
    {
        w.audio = OpenEncoder("wmav2", w,
                              [&](AVCodecContext* c)
                              {
                                  c->sample_fmt = AV_SAMPLE_FMT_FLTP;
                                  c->sample_rate = clip.sampleRate;
                                  av_channel_layout_default(&c->ch_layout, clip.channels);
                                  c->bit_rate = 64000 * clip.channels;
                                  c->time_base = AVRational{1, clip.sampleRate};
                              });
        if (!w.audio || !(w.audioStream = AddStream(w, w.audio)))
            return false;
    }
    return true;
}
} // namespace

bool WriteWmvFile(const std::string& path, const WmvClip& clip)
{
    if ((clip.frameCount > 0 &&
         (clip.width <= 0 || clip.height <= 0 || clip.framesPerSecond <= 0 || !clip.drawFrame)) ||
        (!clip.audio.empty() && (clip.channels < 1 || clip.channels > 2 || clip.sampleRate <= 0)) ||
        (clip.frameCount <= 0 && clip.audio.empty()))
        return Fail(path, "nothing to write or bad clip description");
    Writer w;
    if (avformat_alloc_output_context2(&w.format, nullptr, "asf", path.c_str()) < 0 || !w.format)
        return Fail(path, "no ASF muxer");
    w.format->flags |= AVFMT_FLAG_BITEXACT;
    w.frame = av_frame_alloc();
    w.packet = av_packet_alloc();
    if (!w.frame || !w.packet || !OpenStreams(w, clip))
        return Fail(path, "the wmv2 or wmav2 encoder refused the clip");
    if (avio_open(&w.format->pb, path.c_str(), AVIO_FLAG_WRITE) < 0)
        return Fail(path, "cannot create the file");
    w.fileOpen = true;
    if (avformat_write_header(w.format, nullptr) < 0)
        return Fail(path, "cannot write the header");

    // Pictures and sound frames in time order.
    std::vector<uint32_t> pixels;
    int picture = 0;
    int64_t sample = 0;
    const int64_t totalSamples = clip.audio.empty() ? 0 : int64_t(clip.audio.size()) / clip.channels;
    const int frameSize = w.audio && w.audio->frame_size > 0 ? w.audio->frame_size : 1024;
    // One frame of silence more: the encoder's delay would otherwise cost
    // the end of the sound.
    const int64_t soundEnd = totalSamples > 0 ? totalSamples + frameSize : 0;
    bool ok = true;
    while (ok && (picture < clip.frameCount || sample < soundEnd))
    {
        const bool pictureNext =
            picture < clip.frameCount && (sample >= soundEnd || int64_t(picture) * clip.sampleRate <=
                                                                    sample * int64_t(clip.framesPerSecond));
        if (pictureNext)
            ok = WritePicture(w, clip, picture++, pixels);
        else
        {
            ok = WriteSound(w, clip, sample);
            sample += frameSize;
        }
    }
    if (ok && w.video)
        ok = Encode(w, w.video, w.videoStream, nullptr);
    if (ok && w.audio)
        ok = Encode(w, w.audio, w.audioStream, nullptr);
    if (!ok || av_write_trailer(w.format) < 0)
        return Fail(path, "encoding failed");
    return true;
}

WmvClip MakeSolidColourClip(const std::vector<uint32_t>& colours, int width, int height, int framesPerSecond)
{
    WmvClip clip;
    clip.width = width;
    clip.height = height;
    clip.framesPerSecond = framesPerSecond;
    clip.frameCount = int(colours.size());
    clip.drawFrame = [colours](int index, std::vector<uint32_t>& pixels)
    { std::fill(pixels.begin(), pixels.end(), colours[size_t(index)] | 0xFF000000u); };
    return clip;
}
