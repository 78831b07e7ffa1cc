// Textures and samplers of the gl back-end: Direct3D's pixel layouts uploaded
// as they are where OpenGL has a matching packed type (channel order fixed by
// swizzles), DXT blocks as S3TC (decoded here when the driver lacks it), and
// the sampler states as sampler objects.
#include "platform/gfx/gl/GlDevice.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cstring>
#include <mutex>

namespace gfx::gl
{
namespace
{
struct UploadFormat
{
    GLenum internal = 0, format = 0, type = 0;
    GLint swizzle[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};
    GLenum compressed = 0; // S3TC internal format
};

bool Describe(D3DFORMAT format, UploadFormat& f)
{
    auto set = [&](GLenum internal, GLenum layout, GLenum type) {
        f.internal = internal, f.format = layout, f.type = type;
    };
    auto swizzle = [&](GLint r, GLint g, GLint b, GLint a) {
        f.swizzle[0] = r, f.swizzle[1] = g, f.swizzle[2] = b, f.swizzle[3] = a;
    };
    switch (format)
    {
    case D3DFMT_A8R8G8B8:
        set(GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE);
        return true;
    case D3DFMT_X8R8G8B8:
        set(GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE);
        swizzle(GL_RED, GL_GREEN, GL_BLUE, GL_ONE);
        return true;
    case D3DFMT_A8B8G8R8:
        set(GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE);
        return true;
    case D3DFMT_X8B8G8R8:
        set(GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE);
        swizzle(GL_RED, GL_GREEN, GL_BLUE, GL_ONE);
        return true;
    case D3DFMT_R5G6B5:
        set(GL_RGB8, GL_RGB, GL_UNSIGNED_SHORT_5_6_5);
        return true;
    case D3DFMT_A1R5G5B5:
        set(GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV);
        return true;
    case D3DFMT_X1R5G5B5:
        set(GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV);
        swizzle(GL_RED, GL_GREEN, GL_BLUE, GL_ONE);
        return true;
    case D3DFMT_A4R4G4B4:
        set(GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV);
        return true;
    case D3DFMT_X4R4G4B4:
        set(GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV);
        swizzle(GL_RED, GL_GREEN, GL_BLUE, GL_ONE);
        return true;
    case D3DFMT_A8:
        set(GL_R8, GL_RED, GL_UNSIGNED_BYTE);
        swizzle(GL_ZERO, GL_ZERO, GL_ZERO, GL_RED);
        return true;
    case D3DFMT_L8:
        set(GL_R8, GL_RED, GL_UNSIGNED_BYTE);
        swizzle(GL_RED, GL_RED, GL_RED, GL_ONE);
        return true;
    case D3DFMT_A8L8:
        set(GL_RG8, GL_RG, GL_UNSIGNED_BYTE);
        swizzle(GL_RED, GL_RED, GL_RED, GL_GREEN);
        return true;
    case D3DFMT_V8U8:
        set(GL_RG8_SNORM, GL_RG, GL_BYTE);
        swizzle(GL_RED, GL_GREEN, GL_ONE, GL_ONE);
        return true;
    case D3DFMT_R32F:
        set(GL_R32F, GL_RED, GL_FLOAT);
        swizzle(GL_RED, GL_ONE, GL_ONE, GL_ONE);
        return true;
    // Depth-stencil textures: Direct3D's D24S8 word has the depth in its top
    // 24 bits, as GL's packed type.
    case D3DFMT_D24S8:
    case D3DFMT_D24X8:
        set(GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8);
        return true;
    case D3DFMT_D16:
    case D3DFMT_D16_LOCKABLE:
        set(GL_DEPTH_COMPONENT16, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT);
        return true;
    case D3DFMT_DXT1:
        f.compressed = GL_COMPRESSED_RGBA_S3TC_DXT1_EXT;
        return true;
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
        f.compressed = GL_COMPRESSED_RGBA_S3TC_DXT3_EXT;
        return true;
    case D3DFMT_DXT4:
    case D3DFMT_DXT5:
        f.compressed = GL_COMPRESSED_RGBA_S3TC_DXT5_EXT;
        return true;
    default:
        return false;
    }
}

uint32_t Rgb565(uint16_t c)
{
    const uint32_t r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
    return ((r * 255 + 15) / 31) << 16 | ((g * 255 + 31) / 63) << 8 | ((b * 255 + 15) / 31);
}

// One DXT colour block (8 bytes) into 16 A8R8G8B8 pixels; DXT1 blocks with
// the first colour not above the second have a transparent fourth entry.
void DecodeColourBlock(const uint8_t* block, bool dxt1, uint32_t out[16])
{
    const uint16_t c0 = uint16_t(block[0] | block[1] << 8), c1 = uint16_t(block[2] | block[3] << 8);
    uint32_t palette[4];
    palette[0] = Rgb565(c0) | 0xFF000000u;
    palette[1] = Rgb565(c1) | 0xFF000000u;
    auto mix = [&](int w0, int w1, int div) {
        uint32_t result = 0xFF000000u;
        for (int shift = 0; shift < 24; shift += 8)
            result |= ((((palette[0] >> shift) & 0xFF) * w0 + ((palette[1] >> shift) & 0xFF) * w1) / div) << shift;
        return result;
    };
    if (!dxt1 || c0 > c1)
    {
        palette[2] = mix(2, 1, 3);
        palette[3] = mix(1, 2, 3);
    }
    else
    {
        palette[2] = mix(1, 1, 2);
        palette[3] = 0;
    }
    const uint32_t bits = uint32_t(block[4]) | uint32_t(block[5]) << 8 | uint32_t(block[6]) << 16 |
                          uint32_t(block[7]) << 24;
    for (int i = 0; i < 16; ++i)
        out[i] = palette[(bits >> (2 * i)) & 3];
}

void DecodeAlphaBlock(const uint8_t* block, bool interpolated, uint32_t pixels[16])
{
    if (!interpolated)
    {
        for (int i = 0; i < 16; ++i)
        {
            const uint32_t a4 = (block[i / 2] >> ((i & 1) * 4)) & 15;
            pixels[i] = (pixels[i] & 0x00FFFFFFu) | (a4 * 17) << 24;
        }
        return;
    }
    uint32_t alpha[8];
    alpha[0] = block[0], alpha[1] = block[1];
    if (alpha[0] > alpha[1])
        for (int i = 1; i < 7; ++i)
            alpha[i + 1] = ((7 - i) * alpha[0] + i * alpha[1]) / 7;
    else
    {
        for (int i = 1; i < 5; ++i)
            alpha[i + 1] = ((5 - i) * alpha[0] + i * alpha[1]) / 5;
        alpha[6] = 0, alpha[7] = 255;
    }
    uint64_t bits = 0;
    for (int i = 0; i < 6; ++i)
        bits |= uint64_t(block[2 + i]) << (8 * i);
    for (int i = 0; i < 16; ++i)
        pixels[i] = (pixels[i] & 0x00FFFFFFu) | alpha[(bits >> (3 * i)) & 7] << 24;
}

// A DXT level decoded to A8R8G8B8 rows, for drivers without S3TC.
std::vector<uint32_t> DecodeDxt(const ImageMemory& image)
{
    const bool dxt1 = image.format == D3DFMT_DXT1;
    const bool interpolated = image.format == D3DFMT_DXT4 || image.format == D3DFMT_DXT5;
    const UINT blockBytes = dxt1 ? 8 : 16;
    std::vector<uint32_t> pixels(size_t(image.width) * image.height);
    for (UINT by = 0; by < RowCount(image.format, image.height); ++by)
        for (UINT bx = 0; bx * 4 < image.width; ++bx)
        {
            const uint8_t* block = image.bytes.data() + size_t(by) * image.pitch + size_t(bx) * blockBytes;
            uint32_t texels[16];
            DecodeColourBlock(dxt1 ? block : block + 8, dxt1, texels);
            if (!dxt1)
                DecodeAlphaBlock(block, interpolated, texels);
            for (int i = 0; i < 16; ++i)
            {
                const UINT x = bx * 4 + UINT(i % 4), y = by * 4 + UINT(i / 4);
                if (x < image.width && y < image.height)
                    pixels[size_t(y) * image.width + x] = texels[i];
            }
        }
    return pixels;
}

GLint AddressMode(DWORD mode, bool mirrorOnce)
{
    switch (mode)
    {
    case D3DTADDRESS_MIRROR:
        return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP:
        return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER:
        return GL_CLAMP_TO_BORDER;
    case D3DTADDRESS_MIRRORONCE:
        return mirrorOnce ? GL_MIRROR_CLAMP_TO_EDGE : GL_MIRRORED_REPEAT;
    default:
        return GL_REPEAT;
    }
}
} // namespace

unsigned GlDevice::TextureFor(IDirect3DBaseTexture9* texture, UINT& levels)
{
    auto* memory = dynamic_cast<MemoryTexture*>(texture);
    if (!memory)
        return 0;
    TextureCopy& copy = m_TextureCopies[memory];
    UploadTexture(*memory, copy);
    levels = copy.levels;
    return copy.id;
}

void GlDevice::UploadTexture(MemoryTexture& texture, TextureCopy& copy)
{
    std::lock_guard<std::mutex> lock(texture.Mutex());
    const UINT levels = texture.GetLevelCount();
    bool stale = copy.id == 0 || copy.versions.size() != levels;
    for (UINT level = 0; !stale && level < levels; ++level)
        stale = copy.versions[level] != texture.Level(level).version;
    if (!stale)
        return;
    UploadFormat format;
    if (!Describe(texture.Format(), format))
        return;
    // A copy of the same shape keeps its storage: only the levels that changed
    // are sent again (a picture rewritten every frame is mostly one level).
    const bool reuse = copy.id != 0 && copy.levels == levels && copy.versions.size() == levels;
    if (copy.id == 0)
        glGenTextures(1, &copy.id);
    glBindTexture(GL_TEXTURE_2D, copy.id);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, GLint(levels) - 1);
    copy.versions.resize(levels);
    for (UINT level = 0; level < levels; ++level)
    {
        const ImageMemory& image = texture.Level(level);
        if (reuse && copy.versions[level] == image.version)
            continue;
        copy.versions[level] = image.version;
        const GLsizei w = GLsizei(image.width), h = GLsizei(image.height);
        if (format.compressed && m_HasS3tc)
        {
            if (reuse)
                glCompressedTexSubImage2D(GL_TEXTURE_2D, GLint(level), 0, 0, w, h, format.compressed,
                                          GLsizei(image.bytes.size()), image.bytes.data());
            else
                glCompressedTexImage2D(GL_TEXTURE_2D, GLint(level), format.compressed, w, h, 0,
                                       GLsizei(image.bytes.size()), image.bytes.data());
        }
        else if (format.compressed)
        {
            const std::vector<uint32_t> pixels = DecodeDxt(image);
            if (reuse)
                glTexSubImage2D(GL_TEXTURE_2D, GLint(level), 0, 0, w, h, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
            else
                glTexImage2D(GL_TEXTURE_2D, GLint(level), GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                             pixels.data());
        }
        else if (reuse)
            glTexSubImage2D(GL_TEXTURE_2D, GLint(level), 0, 0, w, h, format.format, format.type, image.bytes.data());
        else
            glTexImage2D(GL_TEXTURE_2D, GLint(level), GLint(format.internal), w, h, 0, format.format, format.type,
                         image.bytes.data());
    }
    glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, format.swizzle);
    if ((texture.Usage() & D3DUSAGE_AUTOGENMIPMAP) && levels > 1 && !format.compressed)
        glGenerateMipmap(GL_TEXTURE_2D);
    copy.levels = levels;
}

void GlDevice::ApplySampler(DWORD stage, UINT levels, bool isotropic)
{
    const auto& s = m_SamplerStates[stage];
    SamplerKey key;
    key.valid = true;
    const bool anisotropic = !isotropic && (s[D3DSAMP_MINFILTER] == D3DTEXF_ANISOTROPIC ||
                                            s[D3DSAMP_MAGFILTER] == D3DTEXF_ANISOTROPIC);
    const bool linearMin = s[D3DSAMP_MINFILTER] >= D3DTEXF_LINEAR;
    const bool linearMag = s[D3DSAMP_MAGFILTER] >= D3DTEXF_LINEAR;
    key.minFilter = linearMin ? GL_LINEAR : GL_NEAREST;
    if (levels > 1 && s[D3DSAMP_MIPFILTER] == D3DTEXF_POINT)
        key.minFilter = linearMin ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    else if (levels > 1 && s[D3DSAMP_MIPFILTER] >= D3DTEXF_LINEAR)
        key.minFilter = linearMin ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    key.magFilter = linearMag ? GL_LINEAR : GL_NEAREST;
    key.wrap[0] = AddressMode(s[D3DSAMP_ADDRESSU], m_HasMirrorOnce);
    key.wrap[1] = AddressMode(s[D3DSAMP_ADDRESSV], m_HasMirrorOnce);
    key.wrap[2] = AddressMode(s[D3DSAMP_ADDRESSW], m_HasMirrorOnce);
    ColourFloats(s[D3DSAMP_BORDERCOLOR], key.border);
    std::memcpy(&key.lodBias, &s[D3DSAMP_MIPMAPLODBIAS], 4);
    // MAXMIPLEVEL is the largest (most detailed) level used.
    key.minLod = float(s[D3DSAMP_MAXMIPLEVEL]);
    key.anisotropy = anisotropic ? float(std::max<DWORD>(1, s[D3DSAMP_MAXANISOTROPY])) : 1.0f;

    // Setting a sampler's parameters, even to the values it has, makes the
    // driver revalidate the fragment stage on the next draw: only changes go out.
    SamplerKey& applied = m_AppliedSamplers[stage];
    if (applied.valid && applied == key)
        return;
    const GLuint sampler = m_Samplers[stage];
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, key.minFilter);
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, key.magFilter);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, key.wrap[0]);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, key.wrap[1]);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_R, key.wrap[2]);
    glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, key.border);
    glSamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, key.lodBias);
    glSamplerParameterf(sampler, GL_TEXTURE_MIN_LOD, key.minLod);
    if (m_HasAnisotropy)
        glSamplerParameterf(sampler, GL_TEXTURE_MAX_ANISOTROPY_EXT, key.anisotropy);
    applied = key;
}
} // namespace gfx::gl
