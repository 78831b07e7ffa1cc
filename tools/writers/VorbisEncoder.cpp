// Ogg Vorbis encoding with libvorbisenc.
#include "tools/writers/VorbisEncoder.h"

#include <vorbis/vorbisenc.h>

#include <cstring>

namespace
{
constexpr int kSerialNumber = 0x51563753;
constexpr int kChunkFrames = 1024;

void AppendPage(const ogg_page& page, std::vector<uint8_t>& out)
{
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}
} // namespace

std::vector<uint8_t> EncodeOggVorbis(const std::vector<int16_t>& interleaved, int channels, int sampleRate,
                                     float quality)
{
    std::vector<uint8_t> out;
    if (channels <= 0)
        return out;
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, sampleRate, quality) != 0)
    {
        vorbis_info_clear(&info);
        return out;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, kSerialNumber);

    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    ogg_page page;
    // The headers end on a page of their own, as decoders expect.
    while (ogg_stream_flush(&stream, &page) != 0)
        AppendPage(page, out);

    const size_t frames = interleaved.size() / size_t(channels);
    size_t done = 0;
    bool ended = false;
    while (!ended)
    {
        const size_t count = std::min<size_t>(kChunkFrames, frames - done);
        if (count == 0)
            vorbis_analysis_wrote(&dsp, 0); // end of stream
        else
        {
            float** buffers = vorbis_analysis_buffer(&dsp, int(count));
            for (size_t i = 0; i < count; ++i)
                for (int c = 0; c < channels; ++c)
                    buffers[c][i] = interleaved[(done + i) * size_t(channels) + size_t(c)] / 32768.0f;
            vorbis_analysis_wrote(&dsp, int(count));
            done += count;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1)
        {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet))
            {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0)
                {
                    AppendPage(page, out);
                    if (ogg_page_eos(&page))
                        ended = true;
                }
            }
        }
        if (count == 0)
            break;
    }
    while (ogg_stream_flush(&stream, &page) != 0)
        AppendPage(page, out);

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}
