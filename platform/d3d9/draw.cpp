#include "d3d9/device.h"

#include "d3d9/buffer.h"
#include "d3d9/declaration.h"
#include "d3d9/gl_profile.h"
#include "d3d9/shader.h"
#include "d3d9/texture.h"

namespace d3d9
{
namespace
{
template <class T>
void AddRefIf(T* object)
{
    if (object)
        object->AddRef();
}
} // namespace

bool Device::FlushProgram(bool sprite)
{
    if (!m_Program || (m_Dirty & kDirtyProgram) || sprite != m_ProgramSprite)
    {
        Program* program = FindProgram(sprite);
        if (!program)
            return false;
        if (program != m_Program)
        {
            // Another vertex shader may read other inputs at other locations.
            if (!m_Program || m_Program->vs != program->vs)
                m_Dirty |= kDirtyVertexInput;
            m_Program = program;
        }
        m_ProgramSprite = sprite;
        m_Dirty &= ~kDirtyProgram;
    }
    m_Gl.UseProgram(m_Program->name);
    return true;
}

void Device::FlushProgramUniforms()
{
    Program& program = *m_Program;
    // Each register file goes up in one call, and only after it changed.
    if (program.vsConstants >= 0 && program.vsCount > 0 && program.vsVersion != m_VertexConstantsVersion)
    {
        glUniform4fv(program.vsConstants, program.vsCount, m_VertexConstants);
        program.vsVersion = m_VertexConstantsVersion;
    }
    if (program.psConstants >= 0 && program.psCount > 0 && program.psVersion != m_PixelConstantsVersion)
    {
        glUniform4fv(program.psConstants, program.psCount, m_PixelConstants);
        program.psVersion = m_PixelConstantsVersion;
    }
    if (program.pixelOffset >= 0)
    {
        // Half a pixel right and down moves GL's pixel centres onto Direct3D 9's.
        const float x = 1.0f / static_cast<float>(m_Viewport.Width);
        const float y = 1.0f / static_cast<float>(m_Viewport.Height);
        if (program.pixelOffsetValue[0] != x || program.pixelOffsetValue[1] != y)
        {
            glUniform2f(program.pixelOffset, x, y);
            program.pixelOffsetValue[0] = x;
            program.pixelOffsetValue[1] = y;
        }
    }
    if (program.pointSize >= 0)
    {
        const float size = DwordToFloat(m_RenderStates[D3DRS_POINTSIZE]);
        const float minimum = DwordToFloat(m_RenderStates[D3DRS_POINTSIZE_MIN]);
        const float maximum = DwordToFloat(m_RenderStates[D3DRS_POINTSIZE_MAX]);
        float* value = program.pointSizeValue;
        if (value[0] != size || value[1] != minimum || value[2] != maximum)
        {
            glUniform3f(program.pointSize, size, minimum, maximum);
            value[0] = size;
            value[1] = minimum;
            value[2] = maximum;
        }
    }
    if (program.alphaTest >= 0)
    {
        const float func =
            m_RenderStates[D3DRS_ALPHATESTENABLE] ? static_cast<float>(m_RenderStates[D3DRS_ALPHAFUNC]) : 0.0f;
        const float ref = static_cast<float>(m_RenderStates[D3DRS_ALPHAREF] & 0xFF);
        if (program.alphaTestValue[0] != func || program.alphaTestValue[1] != ref)
        {
            glUniform2f(program.alphaTest, func, ref);
            program.alphaTestValue[0] = func;
            program.alphaTestValue[1] = ref;
        }
    }
    m_Dirty &= ~(kGroupAlphaTest | kGroupPoint);
}

void Device::FlushTextures()
{
    // Uploads bind textures too, so every unit is compared on each draw.
    for (UINT stage = 0; stage < kMaxSamplers; ++stage)
        m_Gl.BindTexture(static_cast<int>(stage), m_Textures[stage] ? m_Textures[stage]->Name() : 0);
}

bool Device::FlushVertexInput(GLuint upBuffer, UINT upStride, INT baseVertex)
{
    if (!(m_Dirty & kDirtyVertexInput) && !upBuffer && baseVertex == m_AppliedBaseVertex)
        return true;
    uint32_t enabled = 0;
    GLint bgra = 0;
    for (const ShaderInput& input : m_VertexShader->Blob().inputs)
    {
        const VertexDeclaration::Element* element =
            m_Declaration->Find(static_cast<BYTE>(input.usage), static_cast<BYTE>(input.usageIndex));
        const GLuint location = input.location;
        if (!element)
        {
            // An input the declaration does not feed reads (0, 0, 0, 1).
            glVertexAttrib4f(location, 0.0f, 0.0f, 0.0f, 1.0f);
            continue;
        }
        const UINT streamIndex = element->element.Stream;
        GLuint buffer;
        UINT offset, stride;
        if (upBuffer && streamIndex == 0)
        {
            buffer = upBuffer;
            offset = 0;
            stride = upStride;
        }
        else
        {
            const Stream& stream = m_Streams[streamIndex];
            if (!stream.buffer)
                return false;
            buffer = stream.buffer->Store().Name();
            offset = stream.offset;
            stride = stream.stride;
        }
        const AttribFormat& format = element->format;
        const int64_t start = int64_t{offset} + element->element.Offset + int64_t{baseVertex} * stride;
        if (start < 0)
            return false;
        m_Gl.BindArrayBuffer(buffer);
        profile::AttribPointer(location, format, static_cast<GLsizei>(stride), static_cast<uintptr_t>(start));
        enabled |= 1u << location;
        if (format.bgra)
            bgra |= 1 << location;
    }
    const uint32_t changed = enabled ^ m_EnabledAttribs;
    for (GLuint location = 0; location < 32; ++location)
    {
        if (!(changed & (1u << location)))
            continue;
        if (enabled & (1u << location))
            glEnableVertexAttribArray(location);
        else
            glDisableVertexAttribArray(location);
    }
    m_EnabledAttribs = enabled;
    m_BgraInputs = bgra;
    m_AppliedBaseVertex = baseVertex;
    // After a draw from user memory stream 0 must be set up again.
    if (upBuffer)
        m_Dirty |= kDirtyVertexInput;
    else
        m_Dirty &= ~kDirtyVertexInput;
    return true;
}

HRESULT Device::PrepareDraw(D3DPRIMITIVETYPE type, GLuint upBuffer, UINT upStride, INT baseVertex)
{
    // Fixed-function vertex and pixel processing are not provided.
    if (!m_VertexShader || !m_PixelShader || !m_Declaration)
        return D3DERR_INVALIDCALL;
    MakeCurrent();
    if (!FlushFramebuffer())
        return D3DERR_INVALIDCALL;
    const bool sprite = type == D3DPT_POINTLIST && m_RenderStates[D3DRS_POINTSPRITEENABLE];
    if (!FlushProgram(sprite))
        return D3DERR_INVALIDCALL;
    FlushRenderStates();
    FlushViewport();
    FlushTextures();
    FlushSamplers();
    FlushProgramUniforms();
    if (!FlushVertexInput(upBuffer, upStride, baseVertex))
        return D3DERR_INVALIDCALL;
    if (m_Program->bgraInputs >= 0 && m_Program->bgraInputsValue != m_BgraInputs)
    {
        glUniform1i(m_Program->bgraInputs, m_BgraInputs);
        m_Program->bgraInputsValue = m_BgraInputs;
    }
    return D3D_OK;
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount)
{
    GLenum mode;
    GLsizei count;
    if (!TranslatePrimitive(PrimitiveType, PrimitiveCount, mode, count))
        return D3DERR_INVALIDCALL;
    // A lost device draws nothing and says so to no one, as Direct3D does.
    if (!Drawable() || PrimitiveCount == 0)
        return D3D_OK;
    const HRESULT hr = PrepareDraw(PrimitiveType, 0, 0);
    if (FAILED(hr))
        return hr;
    glDrawArrays(mode, static_cast<GLint>(StartVertex), count);
    return D3D_OK;
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex, UINT, UINT, UINT startIndex,
                                     UINT primCount)
{
    GLenum mode;
    GLsizei count;
    if (!TranslatePrimitive(PrimitiveType, primCount, mode, count) || !m_Indices)
        return D3DERR_INVALIDCALL;
    const bool wide = m_Indices->Format() == D3DFMT_INDEX32;
    const UINT indexSize = wide ? 4 : 2;
    if ((static_cast<uint64_t>(startIndex) + count) * indexSize > m_Indices->Store().Size())
        return D3DERR_INVALIDCALL;
    if (!Drawable() || primCount == 0)
        return D3D_OK;
    const HRESULT hr = PrepareDraw(PrimitiveType, 0, 0, profile::kBaseVertexDraws ? 0 : BaseVertexIndex);
    if (FAILED(hr))
        return hr;
    m_Gl.BindElementBuffer(m_Indices->Store().Name());
    profile::DrawIndexed(mode, count, wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                         static_cast<uintptr_t>(startIndex) * indexSize, BaseVertexIndex);
    return D3D_OK;
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount, const void* pVertexStreamZeroData,
                                UINT VertexStreamZeroStride)
{
    GLenum mode;
    GLsizei count;
    if (!pVertexStreamZeroData || VertexStreamZeroStride == 0 ||
        !TranslatePrimitive(PrimitiveType, PrimitiveCount, mode, count))
        return D3DERR_INVALIDCALL;
    // Direct3D leaves stream 0 empty after a draw from user memory.
    SetStreamSource(0, nullptr, 0, 0);
    if (!Drawable() || PrimitiveCount == 0)
        return D3D_OK;
    MakeCurrent();
    const GLenum target = profile::BindForUpload(m_Gl, m_UpVertexBuffer, false);
    glBufferData(target, static_cast<GLsizeiptr>(count) * VertexStreamZeroStride, pVertexStreamZeroData,
                 GL_STREAM_DRAW);
    const HRESULT hr = PrepareDraw(PrimitiveType, m_UpVertexBuffer, VertexStreamZeroStride);
    if (FAILED(hr))
        return hr;
    glDrawArrays(mode, 0, count);
    return D3D_OK;
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT MinVertexIndex, UINT NumVertices,
                                       UINT PrimitiveCount, const void* pIndexData, D3DFORMAT IndexDataFormat,
                                       const void* pVertexStreamZeroData, UINT VertexStreamZeroStride)
{
    GLenum mode;
    GLsizei count;
    if (!pIndexData || !pVertexStreamZeroData || VertexStreamZeroStride == 0 ||
        (IndexDataFormat != D3DFMT_INDEX16 && IndexDataFormat != D3DFMT_INDEX32) ||
        !TranslatePrimitive(PrimitiveType, PrimitiveCount, mode, count))
        return D3DERR_INVALIDCALL;
    SetStreamSource(0, nullptr, 0, 0);
    SetIndices(nullptr);
    if (!Drawable() || PrimitiveCount == 0)
        return D3D_OK;
    MakeCurrent();
    const bool wide = IndexDataFormat == D3DFMT_INDEX32;
    GLenum target = profile::BindForUpload(m_Gl, m_UpVertexBuffer, false);
    glBufferData(target, static_cast<GLsizeiptr>(MinVertexIndex + NumVertices) * VertexStreamZeroStride,
                 pVertexStreamZeroData, GL_STREAM_DRAW);
    target = profile::BindForUpload(m_Gl, m_UpIndexBuffer, true);
    glBufferData(target, static_cast<GLsizeiptr>(count) * (wide ? 4 : 2), pIndexData, GL_STREAM_DRAW);
    const HRESULT hr = PrepareDraw(PrimitiveType, m_UpVertexBuffer, VertexStreamZeroStride);
    if (FAILED(hr))
        return hr;
    m_Gl.BindElementBuffer(m_UpIndexBuffer);
    glDrawElements(mode, count, wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT, nullptr);
    return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes, UINT Stride)
{
    if (StreamNumber >= kMaxStreams)
        return D3DERR_INVALIDCALL;
    Stream& stream = m_Streams[StreamNumber];
    VertexBuffer* buffer = static_cast<VertexBuffer*>(pStreamData);
    if (stream.buffer == buffer && stream.offset == OffsetInBytes && stream.stride == Stride)
        return D3D_OK;
    if (stream.buffer != buffer)
        Rebind(stream.buffer, buffer);
    stream.offset = OffsetInBytes;
    stream.stride = Stride;
    m_Dirty |= kDirtyVertexInput;
    return D3D_OK;
}

HRESULT Device::GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9** ppStreamData, UINT* pOffsetInBytes,
                                UINT* pStride)
{
    if (StreamNumber >= kMaxStreams || !ppStreamData || !pOffsetInBytes || !pStride)
        return D3DERR_INVALIDCALL;
    const Stream& stream = m_Streams[StreamNumber];
    AddRefIf(stream.buffer);
    *ppStreamData = stream.buffer;
    *pOffsetInBytes = stream.offset;
    *pStride = stream.stride;
    return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer9* pIndexData)
{
    IndexBuffer* buffer = static_cast<IndexBuffer*>(pIndexData);
    if (buffer != m_Indices)
        Rebind(m_Indices, buffer);
    return D3D_OK;
}

HRESULT Device::GetIndices(IDirect3DIndexBuffer9** ppIndexData)
{
    if (!ppIndexData)
        return D3DERR_INVALIDCALL;
    AddRefIf(m_Indices);
    *ppIndexData = m_Indices;
    return D3D_OK;
}

HRESULT Device::SetVertexDeclaration(IDirect3DVertexDeclaration9* pDecl)
{
    VertexDeclaration* declaration = static_cast<VertexDeclaration*>(pDecl);
    if (declaration == m_Declaration)
        return D3D_OK;
    Rebind(m_Declaration, declaration);
    m_Dirty |= kDirtyVertexInput;
    return D3D_OK;
}

HRESULT Device::GetVertexDeclaration(IDirect3DVertexDeclaration9** ppDecl)
{
    if (!ppDecl)
        return D3DERR_INVALIDCALL;
    AddRefIf(m_Declaration);
    *ppDecl = m_Declaration;
    return D3D_OK;
}
} // namespace d3d9
