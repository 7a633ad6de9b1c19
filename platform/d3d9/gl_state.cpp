#include "d3d9/gl_state.h"

#include "d3d9/gl_profile.h"

namespace d3d9
{
namespace
{
// "Unknown" values that no real argument equals, so the first call always goes through.
const GLuint kUnknownName = ~0u;
const GLenum kUnknownEnum = ~0u;
} // namespace

void GlState::Reset()
{
    m_Program = m_VertexArray = m_ArrayBuffer = m_ElementBuffer = kUnknownName;
    for (int i = 0; i < kUnits; ++i)
        m_Textures[i] = m_Samplers[i] = kUnknownName;
    m_ActiveUnit = -1;
    m_DrawFramebuffer = m_ReadFramebuffer = kUnknownName;
    for (int& cap : m_Caps)
        cap = -1;
    m_DepthFunc = kUnknownEnum;
    m_DepthMask = -1;
    for (GLenum& blend : m_Blend)
        blend = kUnknownEnum;
    m_BlendEquation[0] = m_BlendEquation[1] = kUnknownEnum;
    for (float& c : m_BlendColor)
        c = -1.0f;
    m_ColorMask = -1;
    m_CullFace = kUnknownEnum;
    m_PolygonMode = kUnknownEnum;
    m_PolygonOffset[0] = m_PolygonOffset[1] = -1.0e30f;
    m_StencilFunc = kUnknownEnum;
    for (GLenum& op : m_StencilOp)
        op = kUnknownEnum;
    m_StencilMaskKnown = false;
    m_StencilRef = -1;
    m_StencilReadMask = 0;
    m_Viewport[0] = m_Scissor[0] = -1;
    m_DepthRange[0] = -1.0f;
}

void GlState::UseProgram(GLuint program)
{
    if (m_Program != program)
    {
        glUseProgram(program);
        m_Program = program;
    }
}

void GlState::BindVertexArray(GLuint vao)
{
    if (m_VertexArray != vao)
    {
        glBindVertexArray(vao);
        m_VertexArray = vao;
        m_ElementBuffer = kUnknownName; // element binding belongs to the vertex array
    }
}

void GlState::BindArrayBuffer(GLuint buffer)
{
    if (m_ArrayBuffer != buffer)
    {
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        m_ArrayBuffer = buffer;
    }
}

void GlState::BindElementBuffer(GLuint buffer)
{
    if (m_ElementBuffer != buffer)
    {
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer);
        m_ElementBuffer = buffer;
    }
}

void GlState::BindTexture(int unit, GLuint texture)
{
    if (m_Textures[unit] == texture)
        return;
    if (m_ActiveUnit != unit)
    {
        glActiveTexture(GL_TEXTURE0 + unit);
        m_ActiveUnit = unit;
    }
    glBindTexture(GL_TEXTURE_2D, texture);
    m_Textures[unit] = texture;
}

void GlState::BindSampler(int unit, GLuint sampler)
{
    if (m_Samplers[unit] != sampler)
    {
        glBindSampler(unit, sampler);
        m_Samplers[unit] = sampler;
    }
}

void GlState::BindDrawFramebuffer(GLuint framebuffer)
{
    if (m_DrawFramebuffer != framebuffer)
    {
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
        m_DrawFramebuffer = framebuffer;
    }
}

void GlState::BindReadFramebuffer(GLuint framebuffer)
{
    if (m_ReadFramebuffer != framebuffer)
    {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
        m_ReadFramebuffer = framebuffer;
    }
}

int GlState::CapSlot(GLenum cap)
{
    switch (cap)
    {
    case GL_DEPTH_TEST: return kCapDepthTest;
    case GL_BLEND: return kCapBlend;
    case GL_CULL_FACE: return kCapCullFace;
    case GL_STENCIL_TEST: return kCapStencilTest;
    case GL_SCISSOR_TEST: return kCapScissorTest;
    case GL_POLYGON_OFFSET_FILL: return kCapPolygonOffsetFill;
    default: return -1;
    }
}

void GlState::Enable(GLenum cap, bool on)
{
    const int slot = CapSlot(cap);
    if (slot >= 0 && m_Caps[slot] == static_cast<int>(on))
        return;
    if (on)
        glEnable(cap);
    else
        glDisable(cap);
    if (slot >= 0)
        m_Caps[slot] = on;
}

void GlState::DepthFunc(GLenum func)
{
    if (m_DepthFunc != func)
    {
        glDepthFunc(func);
        m_DepthFunc = func;
    }
}

void GlState::DepthMask(bool write)
{
    if (m_DepthMask != static_cast<int>(write))
    {
        glDepthMask(write ? GL_TRUE : GL_FALSE);
        m_DepthMask = write;
    }
}

void GlState::BlendFunc(GLenum src, GLenum dest, GLenum srcAlpha, GLenum destAlpha)
{
    if (m_Blend[0] != src || m_Blend[1] != dest || m_Blend[2] != srcAlpha || m_Blend[3] != destAlpha)
    {
        glBlendFuncSeparate(src, dest, srcAlpha, destAlpha);
        m_Blend[0] = src;
        m_Blend[1] = dest;
        m_Blend[2] = srcAlpha;
        m_Blend[3] = destAlpha;
    }
}

void GlState::BlendEquation(GLenum rgb, GLenum alpha)
{
    if (m_BlendEquation[0] != rgb || m_BlendEquation[1] != alpha)
    {
        glBlendEquationSeparate(rgb, alpha);
        m_BlendEquation[0] = rgb;
        m_BlendEquation[1] = alpha;
    }
}

void GlState::BlendColor(const float rgba[4])
{
    if (m_BlendColor[0] != rgba[0] || m_BlendColor[1] != rgba[1] || m_BlendColor[2] != rgba[2] ||
        m_BlendColor[3] != rgba[3])
    {
        glBlendColor(rgba[0], rgba[1], rgba[2], rgba[3]);
        for (int i = 0; i < 4; ++i)
            m_BlendColor[i] = rgba[i];
    }
}

void GlState::ColorMask(bool r, bool g, bool b, bool a)
{
    const int mask = (r ? 1 : 0) | (g ? 2 : 0) | (b ? 4 : 0) | (a ? 8 : 0);
    if (m_ColorMask != mask)
    {
        glColorMask(r, g, b, a);
        m_ColorMask = mask;
    }
}

void GlState::CullFace(GLenum face)
{
    if (m_CullFace != face)
    {
        glCullFace(face);
        m_CullFace = face;
    }
}

void GlState::PolygonMode(GLenum mode)
{
    if (m_PolygonMode != mode)
    {
        profile::PolygonMode(mode);
        m_PolygonMode = mode;
    }
}

void GlState::PolygonOffset(float factor, float units)
{
    if (m_PolygonOffset[0] != factor || m_PolygonOffset[1] != units)
    {
        glPolygonOffset(factor, units);
        m_PolygonOffset[0] = factor;
        m_PolygonOffset[1] = units;
    }
}

void GlState::StencilFunc(GLenum func, GLint ref, GLuint mask)
{
    if (m_StencilFunc != func || m_StencilRef != ref || m_StencilReadMask != mask)
    {
        glStencilFunc(func, ref, mask);
        m_StencilFunc = func;
        m_StencilRef = ref;
        m_StencilReadMask = mask;
    }
}

void GlState::StencilOp(GLenum fail, GLenum zfail, GLenum pass)
{
    if (m_StencilOp[0] != fail || m_StencilOp[1] != zfail || m_StencilOp[2] != pass)
    {
        glStencilOp(fail, zfail, pass);
        m_StencilOp[0] = fail;
        m_StencilOp[1] = zfail;
        m_StencilOp[2] = pass;
    }
}

void GlState::StencilMask(GLuint mask)
{
    if (!m_StencilMaskKnown || m_StencilMask != mask)
    {
        glStencilMask(mask);
        m_StencilMask = mask;
        m_StencilMaskKnown = true;
    }
}

void GlState::Viewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    if (m_Viewport[0] != x || m_Viewport[1] != y || m_Viewport[2] != width || m_Viewport[3] != height)
    {
        glViewport(x, y, width, height);
        m_Viewport[0] = x;
        m_Viewport[1] = y;
        m_Viewport[2] = width;
        m_Viewport[3] = height;
    }
}

void GlState::DepthRange(float nearZ, float farZ)
{
    if (m_DepthRange[0] != nearZ || m_DepthRange[1] != farZ)
    {
        profile::DepthRange(nearZ, farZ);
        m_DepthRange[0] = nearZ;
        m_DepthRange[1] = farZ;
    }
}

void GlState::Scissor(GLint x, GLint y, GLsizei width, GLsizei height)
{
    if (m_Scissor[0] != x || m_Scissor[1] != y || m_Scissor[2] != width || m_Scissor[3] != height)
    {
        glScissor(x, y, width, height);
        m_Scissor[0] = x;
        m_Scissor[1] = y;
        m_Scissor[2] = width;
        m_Scissor[3] = height;
    }
}

void GlState::ForgetProgram(GLuint program)
{
    if (m_Program == program)
        m_Program = kUnknownName;
}

void GlState::ForgetBuffer(GLuint buffer)
{
    if (m_ArrayBuffer == buffer)
        m_ArrayBuffer = kUnknownName;
    if (m_ElementBuffer == buffer)
        m_ElementBuffer = kUnknownName;
}

void GlState::ForgetTexture(GLuint texture)
{
    for (GLuint& bound : m_Textures)
        if (bound == texture)
            bound = kUnknownName;
}

void GlState::ForgetFramebuffer(GLuint framebuffer)
{
    if (m_DrawFramebuffer == framebuffer)
        m_DrawFramebuffer = kUnknownName;
    if (m_ReadFramebuffer == framebuffer)
        m_ReadFramebuffer = kUnknownName;
}
} // namespace d3d9
