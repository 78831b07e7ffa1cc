// Whole-stream Ogg Vorbis decoding from memory: layout, length, the decode
// limit, broken and empty streams.
#include "media/OggVorbisDecoder.h"
#include "SoundTestSupport.h"

namespace
{
class SoundDecoderTest : public SoundTestBase
{
};

TEST_F(SoundDecoderTest, DecodesMonoAndStereoToTheirFullLength)
{
    for (int channels : {1, 2})
    {
        const std::vector<uint8_t> stream = EncodeOggVorbis(SineTone(0.5, channels, 11025), channels, 11025);
        ASSERT_FALSE(stream.empty());
        VorbisInfoCopy info;
        std::vector<uint8_t> pcm;
        ASSERT_TRUE(DecodeOggVorbis(stream.data(), stream.size(), kMaxDecodedSoundBytes, info, pcm));
        EXPECT_EQ(info.channels, channels);
        EXPECT_EQ(info.rate, 11025);
        EXPECT_EQ(pcm.size(), size_t(5512) * channels * 2) << channels;
        // A 440 Hz sine at about 0.37 of full scale survives the codec.
        int16_t peak = 0;
        for (size_t i = 0; i + 1 < pcm.size(); i += 2)
            peak = std::max<int16_t>(peak, int16_t(pcm[i] | (pcm[i + 1] << 8)));
        EXPECT_NEAR(peak, 12000, 1500);
    }
}

TEST_F(SoundDecoderTest, ALongerStreamIsCutAtTheLimit)
{
    const std::vector<uint8_t> stream = EncodeOggVorbis(SineTone(1.0, 2, 8000), 2, 8000);
    VorbisInfoCopy info;
    std::vector<uint8_t> pcm;
    ASSERT_TRUE(DecodeOggVorbis(stream.data(), stream.size(), 10000, info, pcm));
    EXPECT_EQ(pcm.size(), 10000u);
}

TEST_F(SoundDecoderTest, BrokenAndEmptyStreamsFailWithTheirLogLines)
{
    VorbisInfoCopy info;
    std::vector<uint8_t> pcm;
    const std::vector<uint8_t> garbage(4000, 0x5A);
    EXPECT_FALSE(DecodeOggVorbis(garbage.data(), garbage.size(), kMaxDecodedSoundBytes, info, pcm));
    EXPECT_TRUE(Logged("ERROR: Vorbis ov_open: Bitstream is not Vorbis data. ") ||
                Logged("ERROR: Vorbis ov_open: A read from media returned an error. "));

    EXPECT_FALSE(DecodeOggVorbis(nullptr, 0, kMaxDecodedSoundBytes, info, pcm));

    CapturedLog().clear();
    const std::vector<uint8_t> headersOnly = EncodeOggVorbis({}, 1, 8000);
    ASSERT_FALSE(headersOnly.empty());
    EXPECT_FALSE(DecodeOggVorbis(headersOnly.data(), headersOnly.size(), kMaxDecodedSoundBytes, info, pcm));
    EXPECT_TRUE(pcm.empty());
    EXPECT_TRUE(Logged("ERROR: Vorbis: the stream holds no sound."));
}

TEST_F(SoundDecoderTest, ATruncatedStreamDecodesWhatIsThere)
{
    const std::vector<uint8_t> stream = EncodeOggVorbis(SineTone(2.0, 1, 8000), 1, 8000);
    for (size_t keep : {stream.size() / 2, stream.size() - 7})
    {
        std::vector<uint8_t> cut(stream.begin(), stream.begin() + long(keep));
        VorbisInfoCopy info;
        std::vector<uint8_t> pcm;
        DecodeOggVorbis(cut.data(), cut.size(), kMaxDecodedSoundBytes, info, pcm);
        EXPECT_LT(pcm.size(), size_t(16000) * 2 + 1) << keep;
        EXPECT_EQ(pcm.size() % 2, 0u);
    }
}
} // namespace
