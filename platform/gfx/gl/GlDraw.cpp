// Drawing on the gl back-end: the programs, the vertex layout of an FVF, the
// copies of vertex and index buffers, and the output states (depth, stencil,
// blending, culling, masks) of each draw.
#include "platform/gfx/gl/GlDevice.h"

#include "platform/gfx/gl/GlShaderSource.h"
#include "platform/gfx/gl/GlTextureFootprint.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace gfx::gl
{
namespace
{
// An effect's program: its GL object and the locations of its uniforms.
class GlProgram : public Program
{
  public:
    unsigned id = 0;
    int viewport = -1;
    int alphaTest = -1, fog = -1, fogColour = -1;
    std::map<std::string, int> locations;
    int Location(const std::string& name)
    {
        auto it = locations.find(name);
        if (it == locations.end())
            it = locations.emplace(name, glGetUniformLocation(id, name.c_str())).first;
        return it->second;
    }
};

unsigned Compile(GLenum kind, const std::string& source, std::string* log)
{
    const GLuint shader = glCreateShader(kind);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok)
    {
        char message[2048] = {};
        glGetShaderInfoLog(shader, sizeof message, nullptr, message);
        if (log)
            *log = std::string(kind == GL_VERTEX_SHADER ? "vertex: " : "fragment: ") + message;
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

unsigned Link(const std::string& vertexSource, const std::string& fragmentSource, std::string* log)
{
    const GLuint vertex = Compile(GL_VERTEX_SHADER, vertexSource, log);
    if (!vertex)
        return 0;
    const GLuint fragment = Compile(GL_FRAGMENT_SHADER, fragmentSource, log);
    if (!fragment)
    {
        glDeleteShader(vertex);
        return 0;
    }
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    for (int i = 0; i < kAttributeCount; ++i)
        glBindAttribLocation(program, GLuint(i), kAttributeNames[i]);
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok)
    {
        char message[2048] = {};
        glGetProgramInfoLog(program, sizeof message, nullptr, message);
        if (log)
            *log = std::string("link: ") + message;
        glDeleteProgram(program);
        return 0;
    }
    return program;
}

GLenum Primitive(D3DPRIMITIVETYPE type)
{
    switch (type)
    {
    case D3DPT_POINTLIST:
        return GL_POINTS;
    case D3DPT_LINELIST:
        return GL_LINES;
    case D3DPT_LINESTRIP:
        return GL_LINE_STRIP;
    case D3DPT_TRIANGLESTRIP:
        return GL_TRIANGLE_STRIP;
    case D3DPT_TRIANGLEFAN:
        return GL_TRIANGLE_FAN;
    default:
        return GL_TRIANGLES;
    }
}

GLenum Compare(DWORD function)
{
    static const GLenum table[] = {GL_ALWAYS, GL_NEVER,  GL_LESS,   GL_EQUAL, GL_LEQUAL,
                                   GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
    return function < 9 ? table[function] : GL_ALWAYS;
}

GLenum BlendFactor(DWORD factor)
{
    switch (factor)
    {
    case D3DBLEND_ZERO:
        return GL_ZERO;
    case D3DBLEND_SRCCOLOR:
        return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
        return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
        return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
        return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
        return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
        return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
        return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
        return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT:
        return GL_SRC_ALPHA_SATURATE;
    case D3DBLEND_BLENDFACTOR:
        return GL_CONSTANT_COLOR;
    case D3DBLEND_INVBLENDFACTOR:
        return GL_ONE_MINUS_CONSTANT_COLOR;
    default:
        return GL_ONE;
    }
}

// BOTHSRCALPHA and BOTHINVSRCALPHA set both factors from the source one.
void BlendPair(DWORD source, DWORD destination, GLenum& s, GLenum& d)
{
    if (source == D3DBLEND_BOTHSRCALPHA)
        s = GL_SRC_ALPHA, d = GL_ONE_MINUS_SRC_ALPHA;
    else if (source == D3DBLEND_BOTHINVSRCALPHA)
        s = GL_ONE_MINUS_SRC_ALPHA, d = GL_SRC_ALPHA;
    else
        s = BlendFactor(source), d = BlendFactor(destination);
}

GLenum BlendEquation(DWORD op)
{
    switch (op)
    {
    case D3DBLENDOP_SUBTRACT:
        return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT:
        return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN:
        return GL_MIN;
    case D3DBLENDOP_MAX:
        return GL_MAX;
    default:
        return GL_FUNC_ADD;
    }
}

GLenum StencilOp(DWORD op)
{
    static const GLenum table[] = {GL_KEEP, GL_KEEP, GL_ZERO, GL_REPLACE, GL_INCR,
                                   GL_DECR, GL_INVERT, GL_INCR_WRAP, GL_DECR_WRAP};
    return op < 9 ? table[op] : GL_KEEP;
}

float Float(DWORD bits)
{
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}
} // namespace

GlDevice::FixedProgram* GlDevice::FixedProgramFor(const FixedFunctionBlock& block)
{
    const FixedFunctionKey key(block);
    auto found = m_FixedPrograms.find(key);
    if (found != m_FixedPrograms.end())
        return found->second.id ? &found->second : nullptr;
    FixedProgram& program = m_FixedPrograms[key];
    std::string log;
    program.id = Link(FixedShaderHeader(key, false) + kFixedVertexShader,
                      FixedShaderHeader(key, true) + kFixedFragmentShader, &log);
    if (!program.id)
    {
        std::fprintf(stderr, "Fixed-function shaders did not build: %s\n", log.c_str());
        return nullptr;
    }
    program.uniforms = LocateUniforms(program.id);
    glUseProgram(program.id);
    const char* samplers[] = {"u_Texture0", "u_Texture1", "u_Texture2", "u_Texture3"};
    for (int i = 0; i < 4; ++i)
        glUniform1i(glGetUniformLocation(program.id, samplers[i]), i);
    return &program;
}

bool GlDevice::BuildPipeline()
{
    // The programs are built when a draw first needs them; building the
    // plainest one now tells at once whether the shaders work here at all.
    FixedFunctionBlock plain;
    std::memset(&plain, 0, sizeof plain);
    if (!FixedProgramFor(plain))
        return false;
    glGenVertexArrays(1, &m_VertexArray);
    glGenBuffers(1, &m_StreamVertices);
    glGenBuffers(1, &m_StreamIndices);
    glGenSamplers(4, m_Samplers);
    m_HasS3tc = epoxy_has_gl_extension("GL_EXT_texture_compression_s3tc");
    m_HasMirrorOnce = epoxy_gl_version() >= 44 || epoxy_has_gl_extension("GL_ARB_texture_mirror_clamp_to_edge");
    m_HasAnisotropy = epoxy_gl_version() >= 46 || epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic");
    m_LayoutValid = false;
    for (SamplerKey& applied : m_AppliedSamplers)
        applied.valid = false;
    return true;
}

void GlDevice::DeletePipeline()
{
    for (auto& [resource, copy] : m_TextureCopies)
        if (copy.id)
            glDeleteTextures(1, &copy.id);
    for (auto& [resource, copy] : m_BufferCopies)
        if (copy.id)
            glDeleteBuffers(1, &copy.id);
    for (auto& [resource, copy] : m_SurfaceCopies)
        glDeleteRenderbuffers(1, &copy.renderbuffer);
    DropFramebuffers();
    m_TextureCopies.clear();
    m_BufferCopies.clear();
    m_SurfaceCopies.clear();
    for (auto& [key, program] : m_FixedPrograms)
    {
        if (program.id)
            glDeleteProgram(program.id);
        ForgetUniforms(program.uniforms);
    }
    m_FixedPrograms.clear();
    if (m_VertexArray)
        glDeleteVertexArrays(1, &m_VertexArray);
    const unsigned buffers[] = {m_StreamVertices, m_StreamIndices};
    for (unsigned buffer : buffers)
        if (buffer)
            glDeleteBuffers(1, &buffer);
    if (m_Samplers[0])
        glDeleteSamplers(4, m_Samplers);
    m_VertexArray = m_StreamVertices = m_StreamIndices = 0;
    std::memset(m_Samplers, 0, sizeof m_Samplers);
}

Program* GlDevice::CreateProgramObject(const std::string& vertexSource, const std::string& fragmentSource,
                                       std::string* log)
{
    DrawHeld();
    if (!MakeCurrent())
    {
        if (log)
            *log = "no context";
        return nullptr;
    }
    const unsigned id = Link(kEffectVertexPrologue + vertexSource + kEffectVertexEpilogue,
                             kEffectFragmentPrologue + fragmentSource, log);
    if (!id)
        return nullptr;
    auto* program = new GlProgram();
    program->id = id;
    program->viewport = glGetUniformLocation(id, "qv7_Viewport");
    program->alphaTest = glGetUniformLocation(id, "qv7_AlphaTest");
    program->fog = glGetUniformLocation(id, "qv7_Fog");
    program->fogColour = glGetUniformLocation(id, "qv7_FogColour");
    return program;
}

void GlDevice::DestroyProgramObject(Program* program)
{
    DrawHeld();
    if (auto* gl = dynamic_cast<GlProgram*>(program); gl && MakeCurrent())
        glDeleteProgram(gl->id);
    DeviceBase::DestroyProgramObject(program);
}

void GlDevice::ForgetResource(const void* resource)
{
    DrawHeld();
    auto texture = m_TextureCopies.find(resource);
    auto buffer = m_BufferCopies.find(resource);
    auto surface = m_SurfaceCopies.find(resource);
    if ((texture != m_TextureCopies.end() || buffer != m_BufferCopies.end() || surface != m_SurfaceCopies.end()) &&
        !MakeCurrent())
        return;
    if (surface != m_SurfaceCopies.end())
    {
        DropFramebuffersUsing(GL_RENDERBUFFER, surface->second.renderbuffer);
        glDeleteRenderbuffers(1, &surface->second.renderbuffer);
        m_SurfaceCopies.erase(surface);
    }
    if (texture != m_TextureCopies.end())
    {
        DropFramebuffersUsing(GL_TEXTURE_2D, texture->second.id);
        if (texture->second.id)
            glDeleteTextures(1, &texture->second.id);
        m_TextureCopies.erase(texture);
    }
    if (buffer != m_BufferCopies.end())
    {
        // A new buffer may get the deleted one's name: the layout must be set again.
        m_LayoutValid = false;
        if (buffer->second.id)
            glDeleteBuffers(1, &buffer->second.id);
        m_BufferCopies.erase(buffer);
    }
}

unsigned GlDevice::BufferFor(const void* resource, BufferMemory& memory, unsigned target, bool dynamic)
{
    BufferCopy& copy = m_BufferCopies[resource];
    size_t begin, end;
    bool discarded;
    memory.TakeDirty(begin, end, discarded);
    const GLenum usage = dynamic ? GL_STREAM_DRAW : GL_STATIC_DRAW;
    if (copy.id == 0 || copy.size != memory.m_Bytes.size())
    {
        if (copy.id == 0)
            glGenBuffers(1, &copy.id);
        glBindBuffer(target, copy.id);
        glBufferData(target, GLsizeiptr(memory.m_Bytes.size()), memory.m_Bytes.data(), usage);
        copy.size = memory.m_Bytes.size();
        return copy.id;
    }
    glBindBuffer(target, copy.id);
    // A discarding lock gives the buffer new storage with its contents in one
    // call, so draws still using the old storage are not waited for. (Orphaning
    // by a glBufferData call with no data, then writing the range, is not enough:
    // Mesa keeps a same-sized store it cannot invalidate, and the write then
    // waits for every pending draw.)
    if (discarded)
        glBufferData(target, GLsizeiptr(copy.size), memory.m_Bytes.data(), usage);
    else if (end > begin)
        glBufferSubData(target, GLintptr(begin), GLsizeiptr(end - begin), memory.m_Bytes.data() + begin);
    return copy.id;
}

namespace
{
// Blend weights follow the position; with a LASTBETA format the last of them
// holds the four palette indices as bytes. Only shader programs read them.
template <class Attribute> void BindBlendWeights(DWORD fvf, DWORD position, Attribute attribute, size_t& offset)
{
    DWORD weights = position >= D3DFVF_XYZB1 ? (position - D3DFVF_XYZRHW) / 2 : 0;
    const bool indexed = weights > 0 && (fvf & (D3DFVF_LASTBETA_UBYTE4 | D3DFVF_LASTBETA_D3DCOLOR)) != 0;
    if (indexed)
        --weights;
    if (weights > 0)
        attribute(kAttributeBlendWeight, GLint(std::min<DWORD>(weights, 4)), GL_FLOAT, GL_FALSE);
    else
        glVertexAttrib4f(kAttributeBlendWeight, 0.0f, 0.0f, 0.0f, 0.0f);
    offset += 4 * weights;
    if (indexed)
    {
        attribute(kAttributeBlendIndices, 4, GL_UNSIGNED_BYTE, GL_FALSE);
        offset += 4;
    }
    else
        glVertexAttrib4f(kAttributeBlendIndices, 0.0f, 0.0f, 0.0f, 0.0f);
}
} // namespace

namespace
{
// The attribute a declaration element feeds; -1 for none.
int DeclarationAttribute(const D3DVERTEXELEMENT9& element)
{
    switch (element.Usage)
    {
    case D3DDECLUSAGE_POSITION:
        return element.UsageIndex == 0 ? kAttributePosition : element.UsageIndex == 1 ? kAttributePosition1 : -1;
    case D3DDECLUSAGE_NORMAL:
        return element.UsageIndex == 0 ? kAttributeNormal : -1;
    case D3DDECLUSAGE_COLOR:
        return element.UsageIndex == 0 ? kAttributeDiffuse : element.UsageIndex == 1 ? kAttributeSpecular : -1;
    case D3DDECLUSAGE_PSIZE:
        return kAttributePointSize;
    case D3DDECLUSAGE_TEXCOORD:
        return element.UsageIndex < 8 ? kAttributeTexCoord0 + element.UsageIndex : -1;
    case D3DDECLUSAGE_BLENDWEIGHT:
        return kAttributeBlendWeight;
    case D3DDECLUSAGE_BLENDINDICES:
        return kAttributeBlendIndices;
    default:
        return -1;
    }
}
} // namespace

void GlDevice::BindDeclaration(const MemoryVertexDeclaration& declaration, UINT stride, size_t offset)
{
    glVertexAttrib4f(kAttributeDiffuse, 1.0f, 1.0f, 1.0f, 1.0f);
    glVertexAttrib4f(kAttributeSpecular, 0.0f, 0.0f, 0.0f, 0.0f);
    glVertexAttrib4f(kAttributePosition1, 0.0f, 0.0f, 0.0f, 1.0f);
    for (const D3DVERTEXELEMENT9& element : declaration.Elements())
    {
        const int location = DeclarationAttribute(element);
        if (element.Stream != 0 || location < 0)
            continue;
        GLint size = GLint(element.Type) + 1;
        GLenum type = GL_FLOAT;
        GLboolean normalised = GL_FALSE;
        if (element.Type == D3DDECLTYPE_D3DCOLOR)
            size = GL_BGRA, type = GL_UNSIGNED_BYTE, normalised = GL_TRUE;
        else if (element.Type == D3DDECLTYPE_UBYTE4)
            size = 4, type = GL_UNSIGNED_BYTE;
        glEnableVertexAttribArray(GLuint(location));
        glVertexAttribPointer(GLuint(location), size, type, normalised, GLsizei(stride),
                              reinterpret_cast<const void*>(offset + element.Offset));
    }
}

void GlDevice::BindLayout(DWORD fvf, UINT stride, size_t offset, unsigned buffer)
{
    // Re-specifying identical attributes makes the driver revalidate the
    // vertex stage; the layout is only set again when it changed.
    auto* declaration = fvf == 0 ? dynamic_cast<MemoryVertexDeclaration*>(m_Declaration) : nullptr;
    const LayoutKey key{fvf, stride, offset, buffer, declaration};
    if (m_LayoutValid && key == m_Layout)
        return;
    m_Layout = key;
    m_LayoutValid = true;
    for (int i = 0; i < kAttributeCount; ++i)
        glDisableVertexAttribArray(GLuint(i));
    if (declaration)
    {
        BindDeclaration(*declaration, stride, offset);
        return;
    }
    auto attribute = [&](int location, GLint size, GLenum type, GLboolean normalised) {
        glEnableVertexAttribArray(GLuint(location));
        glVertexAttribPointer(GLuint(location), size, type, normalised, GLsizei(stride),
                              reinterpret_cast<const void*>(offset));
    };
    const DWORD position = fvf & D3DFVF_POSITION_MASK;
    if (position == D3DFVF_XYZRHW || position == D3DFVF_XYZW)
    {
        attribute(kAttributePosition, 4, GL_FLOAT, GL_FALSE);
        offset += 16;
    }
    else if (position != 0)
    {
        attribute(kAttributePosition, 3, GL_FLOAT, GL_FALSE);
        offset += 12;
        BindBlendWeights(fvf, position, attribute, offset);
    }
    if (fvf & D3DFVF_NORMAL)
    {
        attribute(kAttributeNormal, 3, GL_FLOAT, GL_FALSE);
        offset += 12;
    }
    else
        glVertexAttrib3f(kAttributeNormal, 0.0f, 0.0f, 0.0f);
    if (fvf & D3DFVF_PSIZE)
    {
        attribute(kAttributePointSize, 1, GL_FLOAT, GL_FALSE);
        offset += 4;
    }
    // D3DCOLOR is B, G, R, A in memory.
    if (fvf & D3DFVF_DIFFUSE)
    {
        attribute(kAttributeDiffuse, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE);
        offset += 4;
    }
    else
        glVertexAttrib4f(kAttributeDiffuse, 1.0f, 1.0f, 1.0f, 1.0f);
    if (fvf & D3DFVF_SPECULAR)
    {
        attribute(kAttributeSpecular, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE);
        offset += 4;
    }
    else
        glVertexAttrib4f(kAttributeSpecular, 0.0f, 0.0f, 0.0f, 0.0f);
    const int sets = int((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
    for (int set = 0; set < sets && set < 8; ++set)
    {
        static const GLint sizes[] = {2, 3, 4, 1};
        const GLint size = sizes[(fvf >> (16 + 2 * set)) & 3];
        attribute(kAttributeTexCoord0 + set, size, GL_FLOAT, GL_FALSE);
        offset += size_t(size) * 4;
    }
}

bool GlDevice::BindVertices(const DrawCall& call, UINT& stride)
{
    glBindVertexArray(m_VertexArray);
    if (call.userVertices)
    {
        stride = call.userStride;
        UINT vertices = call.indexed ? call.minIndex + call.vertexCount : VerticesOf(call.type, call.primitiveCount);
        glBindBuffer(GL_ARRAY_BUFFER, m_StreamVertices);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(size_t(vertices) * stride), call.userVertices, GL_STREAM_DRAW);
        BindLayout(m_Fvf, stride, 0, m_StreamVertices);
        if (call.indexed)
        {
            const size_t indexBytes = call.userIndexFormat == D3DFMT_INDEX32 ? 4 : 2;
            const size_t bytes = indexBytes * VerticesOf(call.type, call.primitiveCount);
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_StreamIndices);
            glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(bytes), call.userIndices, GL_STREAM_DRAW);
        }
        return true;
    }
    auto* vertices = dynamic_cast<MemoryVertexBuffer*>(m_Streams[0].buffer);
    if (!vertices || m_Streams[0].stride == 0)
        return false;
    D3DVERTEXBUFFER_DESC description{};
    vertices->GetDesc(&description);
    stride = m_Streams[0].stride;
    const unsigned buffer = BufferFor(vertices, vertices->Memory(), GL_ARRAY_BUFFER, description.Usage & D3DUSAGE_DYNAMIC);
    BindLayout(m_Fvf, stride, m_Streams[0].offset, buffer);
    if (call.indexed)
    {
        auto* indices = dynamic_cast<MemoryIndexBuffer*>(m_Indices);
        if (!indices)
            return false;
        D3DINDEXBUFFER_DESC indexDescription{};
        indices->GetDesc(&indexDescription);
        BufferFor(indices, indices->Memory(), GL_ELEMENT_ARRAY_BUFFER, indexDescription.Usage & D3DUSAGE_DYNAMIC);
    }
    return true;
}

void GlDevice::ApplyOutputState()
{
    const auto& rs = m_RenderStates;
    glViewport(GLint(m_Viewport.X), GLint(m_Viewport.Y), GLsizei(m_Viewport.Width), GLsizei(m_Viewport.Height));
    glDepthRange(double(m_Viewport.MinZ), double(m_Viewport.MaxZ));

    if (rs[D3DRS_ZENABLE] != D3DZB_FALSE && m_DepthStencil)
    {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(Compare(rs[D3DRS_ZFUNC]));
        glDepthMask(rs[D3DRS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE);
    }
    else
        glDisable(GL_DEPTH_TEST);
    const float slope = Float(rs[D3DRS_SLOPESCALEDEPTHBIAS]), bias = Float(rs[D3DRS_DEPTHBIAS]);
    if (slope != 0.0f || bias != 0.0f)
    {
        glEnable(GL_POLYGON_OFFSET_FILL);
        // Direct3D's bias is in depth units; OpenGL's in steps of a 24-bit buffer.
        glPolygonOffset(slope, bias * 16777215.0f);
    }
    else
        glDisable(GL_POLYGON_OFFSET_FILL);

    if (rs[D3DRS_STENCILENABLE] && m_DepthStencil)
    {
        glEnable(GL_STENCIL_TEST);
        const GLint reference = GLint(rs[D3DRS_STENCILREF] & 0xFF);
        const bool twoSided = rs[D3DRS_TWOSIDEDSTENCILMODE] != 0;
        // Direct3D's clockwise faces are our front faces (see the culling below).
        glStencilFuncSeparate(GL_FRONT, Compare(rs[D3DRS_STENCILFUNC]), reference, rs[D3DRS_STENCILMASK]);
        glStencilOpSeparate(GL_FRONT, StencilOp(rs[D3DRS_STENCILFAIL]), StencilOp(rs[D3DRS_STENCILZFAIL]),
                            StencilOp(rs[D3DRS_STENCILPASS]));
        glStencilFuncSeparate(GL_BACK, Compare(rs[twoSided ? D3DRS_CCW_STENCILFUNC : D3DRS_STENCILFUNC]), reference,
                              rs[D3DRS_STENCILMASK]);
        glStencilOpSeparate(GL_BACK, StencilOp(rs[twoSided ? D3DRS_CCW_STENCILFAIL : D3DRS_STENCILFAIL]),
                            StencilOp(rs[twoSided ? D3DRS_CCW_STENCILZFAIL : D3DRS_STENCILZFAIL]),
                            StencilOp(rs[twoSided ? D3DRS_CCW_STENCILPASS : D3DRS_STENCILPASS]));
        glStencilMask(rs[D3DRS_STENCILWRITEMASK]);
    }
    else
        glDisable(GL_STENCIL_TEST);

    if (rs[D3DRS_ALPHABLENDENABLE])
    {
        glEnable(GL_BLEND);
        GLenum source, destination, alphaSource, alphaDestination;
        BlendPair(rs[D3DRS_SRCBLEND], rs[D3DRS_DESTBLEND], source, destination);
        GLenum equation = BlendEquation(rs[D3DRS_BLENDOP]), alphaEquation = equation;
        alphaSource = source, alphaDestination = destination;
        if (rs[D3DRS_SEPARATEALPHABLENDENABLE])
        {
            BlendPair(rs[D3DRS_SRCBLENDALPHA], rs[D3DRS_DESTBLENDALPHA], alphaSource, alphaDestination);
            alphaEquation = BlendEquation(rs[D3DRS_BLENDOPALPHA]);
        }
        glBlendFuncSeparate(source, destination, alphaSource, alphaDestination);
        glBlendEquationSeparate(equation, alphaEquation);
        float factor[4];
        ColourFloats(rs[D3DRS_BLENDFACTOR], factor);
        glBlendColor(factor[0], factor[1], factor[2], factor[3]);
    }
    else
        glDisable(GL_BLEND);

    // Our window coordinates are Direct3D's screen coordinates (y down), in
    // which OpenGL's counter-clockwise is Direct3D's clockwise: the front.
    glFrontFace(GL_CCW);
    if (rs[D3DRS_CULLMODE] == D3DCULL_CCW || rs[D3DRS_CULLMODE] == D3DCULL_CW)
    {
        glEnable(GL_CULL_FACE);
        glCullFace(rs[D3DRS_CULLMODE] == D3DCULL_CCW ? GL_BACK : GL_FRONT);
    }
    else
        glDisable(GL_CULL_FACE);
    glPolygonMode(GL_FRONT_AND_BACK, rs[D3DRS_FILLMODE] == D3DFILL_POINT       ? GL_POINT
                                     : rs[D3DRS_FILLMODE] == D3DFILL_WIREFRAME ? GL_LINE
                                                                               : GL_FILL);
    const DWORD mask = rs[D3DRS_COLORWRITEENABLE];
    glColorMask(mask & 1 ? GL_TRUE : GL_FALSE, mask & 2 ? GL_TRUE : GL_FALSE, mask & 4 ? GL_TRUE : GL_FALSE,
                mask & 8 ? GL_TRUE : GL_FALSE);
    if (rs[D3DRS_SCISSORTESTENABLE])
    {
        glEnable(GL_SCISSOR_TEST);
        glScissor(m_Scissor.left, m_Scissor.top, m_Scissor.right - m_Scissor.left, m_Scissor.bottom - m_Scissor.top);
    }
    else
        glDisable(GL_SCISSOR_TEST);
    for (int i = 0; i < 6; ++i)
        if (!m_Program && (rs[D3DRS_CLIPPLANEENABLE] & (1u << i)))
            glEnable(GLenum(GL_CLIP_DISTANCE0 + i));
        else
            glDisable(GLenum(GL_CLIP_DISTANCE0 + i));
    glEnable(GL_PROGRAM_POINT_SIZE);
    if (m_Samples > 0 && rs[D3DRS_MULTISAMPLEANTIALIAS])
        glEnable(GL_MULTISAMPLE);
    else
        glDisable(GL_MULTISAMPLE);
}

void GlDevice::ApplyEffectUniforms(Program* program)
{
    auto* gl = static_cast<GlProgram*>(program);
    glUseProgram(gl->id);
    const float viewport[4] = {float(m_Viewport.X), float(m_Viewport.Y), float(m_Viewport.Width),
                               float(m_Viewport.Height)};
    glUniform4fv(gl->viewport, 1, viewport);
    ApplyEffectPipelineStates(gl->alphaTest, gl->fog, gl->fogColour);
    if (!gl->m_Dirty)
        return;
    GLint count = 0;
    glGetProgramiv(gl->id, GL_ACTIVE_UNIFORMS, &count);
    for (const auto& [name, values] : gl->m_Floats)
    {
        const int location = gl->Location(name);
        if (location < 0)
            continue;
        GLint size = 0;
        GLenum type = 0;
        // The declared type says how the floats are grouped.
        GLuint index = GL_INVALID_INDEX;
        const char* names[] = {name.c_str()};
        glGetUniformIndices(gl->id, 1, names, &index);
        if (index == GL_INVALID_INDEX)
        {
            const std::string element = name + "[0]";
            const char* elements[] = {element.c_str()};
            glGetUniformIndices(gl->id, 1, elements, &index);
        }
        if (index == GL_INVALID_INDEX)
            continue;
        char buffer[256];
        glGetActiveUniform(gl->id, index, sizeof buffer, nullptr, &size, &type, buffer);
        const GLsizei n = GLsizei(values.size());
        switch (type)
        {
        case GL_FLOAT_MAT4:
            glUniformMatrix4fv(location, std::min<GLsizei>(size, n / 16), GL_FALSE, values.data());
            break;
        case GL_FLOAT_VEC4:
            glUniform4fv(location, std::min<GLsizei>(size, n / 4), values.data());
            break;
        case GL_FLOAT_VEC3:
            glUniform3fv(location, std::min<GLsizei>(size, n / 4 > 0 ? n / 4 : 1), values.data());
            break;
        case GL_FLOAT_VEC2:
            glUniform2fv(location, 1, values.data());
            break;
        default:
            glUniform1fv(location, std::min<GLsizei>(size, n), values.data());
            break;
        }
    }
    for (const auto& [name, value] : gl->m_Ints)
        if (const int location = gl->Location(name); location >= 0)
            glUniform1i(location, value);
    gl->m_Dirty = false;
}

void GlDevice::ApplyEffectPipelineStates(int alphaTest, int fog, int fogColour)
{
    const auto& rs = m_RenderStates;
    if (alphaTest >= 0)
    {
        const DWORD function = rs[D3DRS_ALPHAFUNC];
        const bool on = rs[D3DRS_ALPHATESTENABLE] && function >= D3DCMP_NEVER && function <= D3DCMP_ALWAYS;
        glUniform4f(alphaTest, on ? float(function) : 0.0f, float(rs[D3DRS_ALPHAREF] & 0xFF), 0.0f, 0.0f);
    }
    if (fog >= 0)
    {
        const DWORD table = rs[D3DRS_FOGENABLE] ? rs[D3DRS_FOGTABLEMODE] : D3DFOG_NONE;
        const DWORD vertex = rs[D3DRS_FOGENABLE] ? rs[D3DRS_FOGVERTEXMODE] : D3DFOG_NONE;
        const DWORD formula = table != D3DFOG_NONE ? table : vertex;
        glUniform4f(fog, formula <= D3DFOG_LINEAR ? float(formula) : 0.0f, Float(rs[D3DRS_FOGSTART]),
                    Float(rs[D3DRS_FOGEND]), Float(rs[D3DRS_FOGDENSITY]));
    }
    if (fogColour >= 0)
    {
        float colour[4];
        ColourFloats(rs[D3DRS_FOGCOLOR], colour);
        glUniform4fv(fogColour, 1, colour);
    }
}

bool GlDevice::Holdable(const DrawCall& call, bool effect)
{
    // An effect's uniforms change without a device call, so its draws are not held.
    return call.userVertices && !call.indexed && !effect &&
           (call.type == D3DPT_TRIANGLELIST || call.type == D3DPT_TRIANGLESTRIP);
}

uint64_t GlDevice::TextureVersion(DWORD stage)
{
    auto* texture = dynamic_cast<MemoryTexture*>(m_Textures[stage]);
    if (!texture)
        return 0;
    std::lock_guard<std::mutex> lock(texture->Mutex());
    uint64_t sum = 0;
    for (UINT level = 0; level < texture->GetLevelCount(); ++level)
        sum += texture->Level(level).version;
    return sum;
}

unsigned GlDevice::IsotropicStages(const DrawCall& call)
{
    if (!call.userVertices || call.indexed || m_Program)
        return 0;
    unsigned stages = 0;
    for (DWORD stage = 0; stage < 4; ++stage)
    {
        const auto& sampler = m_SamplerStates[stage];
        const auto& s = m_StageStates[stage];
        auto* texture = dynamic_cast<IDirect3DTexture9*>(m_Textures[stage]);
        D3DSURFACE_DESC desc{};
        if ((sampler[D3DSAMP_MINFILTER] != D3DTEXF_ANISOTROPIC &&
             sampler[D3DSAMP_MAGFILTER] != D3DTEXF_ANISOTROPIC) ||
            !texture || s[D3DTSS_TEXTURETRANSFORMFLAGS] != D3DTTFF_DISABLE ||
            FAILED(texture->GetLevelDesc(0, &desc)))
            continue;
        if (IsotropicFootprint(call.userVertices, call.userStride, m_Fvf, call.type, call.primitiveCount,
                               s[D3DTSS_TEXCOORDINDEX] & 7, desc.Width, desc.Height))
            stages |= 1u << stage;
    }
    return stages;
}

void GlDevice::HoldVertices(const DrawCall& call)
{
    const auto* source = static_cast<const unsigned char*>(call.userVertices);
    const size_t stride = call.userStride;
    auto add = [&](UINT vertex) {
        m_Held.bytes.insert(m_Held.bytes.end(), source + vertex * stride, source + (vertex + 1) * stride);
    };
    if (call.type == D3DPT_TRIANGLELIST)
        m_Held.bytes.insert(m_Held.bytes.end(), source, source + size_t(3) * call.primitiveCount * stride);
    else
        // A strip's odd triangles run the other way, as both APIs draw them.
        for (UINT i = 0; i < call.primitiveCount; ++i)
        {
            add(i % 2 ? i + 1 : i);
            add(i % 2 ? i : i + 1);
            add(i + 2);
        }
    m_Held.count += 3 * call.primitiveCount;
}

void GlDevice::DrawHeld()
{
    // Only where the context is current: a call from another thread touches no GL state.
    if (!m_HeldDraws || SDL_GL_GetCurrentContext() != m_Context)
        return;
    m_HeldDraws = false;
    glBindBuffer(GL_ARRAY_BUFFER, m_StreamVertices);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(m_Held.bytes.size()), m_Held.bytes.data(), GL_STREAM_DRAW);
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(m_Held.count));
    m_Held.bytes.clear();
    m_Held.count = 0;
    FinishDraw(m_Held.framebuffer);
}

void GlDevice::FinishDraw(unsigned framebuffer)
{
    // Clears and the present blit must not see the draw's masks and scissor.
    // The vertex array stays bound: rebinding it next draw would revalidate
    // every attribute.
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    if (framebuffer != m_BackFbo)
        glBindFramebuffer(GL_FRAMEBUFFER, m_BackFbo);
}

HRESULT GlDevice::Draw(const DrawCall& call)
{
    if (call.primitiveCount == 0)
        return D3D_OK;
    if (!MakeCurrent())
        return D3DERR_DRIVERINTERNALERROR;
    const bool holdable = Holdable(call, m_Program != nullptr);
    const unsigned isotropicStages = IsotropicStages(call);
    if (m_HeldDraws)
    {
        bool joins =
            holdable && call.userStride == m_Held.stride && isotropicStages == m_Held.isotropicStages;
        for (DWORD stage = 0; joins && stage < 4; ++stage)
            joins = TextureVersion(stage) == m_Held.textureVersions[stage];
        if (joins)
        {
            HoldVertices(call);
            return D3D_OK;
        }
        DrawHeld();
    }
    const unsigned framebuffer = CurrentFramebuffer();
    if (!framebuffer)
        return D3D_OK;
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    UINT stride = 0;
    if (!BindVertices(call, stride))
        return D3DERR_INVALIDCALL;

    const DWORD position = m_Fvf & D3DFVF_POSITION_MASK;
    if (m_Program)
        ApplyEffectUniforms(m_Program);
    else
    {
        FixedFunctionBlock block;
        BuildBlock(block, m_Fvf, position == D3DFVF_XYZRHW);
        FixedProgram* program = FixedProgramFor(block);
        if (!program)
            return D3DERR_DRIVERINTERNALERROR;
        glUseProgram(program->id);
        UploadBlock(*program, block);
    }
    for (DWORD stage = 0; stage < 4; ++stage)
    {
        UINT levels = 0;
        glActiveTexture(GL_TEXTURE0 + stage);
        glBindTexture(GL_TEXTURE_2D, TextureFor(m_Textures[stage], levels));
        glBindSampler(stage, m_Samplers[stage]);
        if (levels)
            ApplySampler(stage, levels, isotropicStages & (1u << stage));
    }
    glActiveTexture(GL_TEXTURE0);
    ApplyOutputState();

    if (holdable)
    {
        // The state stays set for the draws that join this one.
        m_Held.stride = call.userStride;
        m_Held.framebuffer = framebuffer;
        m_Held.isotropicStages = isotropicStages;
        for (DWORD stage = 0; stage < 4; ++stage)
            m_Held.textureVersions[stage] = TextureVersion(stage);
        HoldVertices(call);
        m_HeldDraws = true;
        return D3D_OK;
    }
    const GLenum mode = Primitive(call.type);
    const GLsizei count = GLsizei(VerticesOf(call.type, call.primitiveCount));
    if (!call.indexed)
        glDrawArrays(mode, GLint(call.startVertex), count);
    else
    {
        const D3DFORMAT format = call.userIndices ? call.userIndexFormat
                                                  : static_cast<MemoryIndexBuffer*>(m_Indices)->Format();
        const size_t bytes = format == D3DFMT_INDEX32 ? 4 : 2;
        glDrawElementsBaseVertex(mode, count, format == D3DFMT_INDEX32 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                                 reinterpret_cast<const void*>(size_t(call.startIndex) * bytes), call.baseVertex);
    }
    FinishDraw(framebuffer);
    return D3D_OK;
}
} // namespace gfx::gl
