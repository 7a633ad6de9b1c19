// What the device last told OpenGL, so that a bind or state call that would
// change nothing is skipped. Reset() forgets everything (after outside code
// may have touched the context); Forget*() drops a deleted object's name from
// every slot that still holds it, so a recycled name is bound again.
#pragma once

#include "d3d9/gl.h"

namespace d3d9
{
class GlState
{
public:
    static const int kUnits = 16;

    void Reset();

    void UseProgram(GLuint program);
    void BindVertexArray(GLuint vao);
    void BindArrayBuffer(GLuint buffer);
    void BindElementBuffer(GLuint buffer);
    void BindTexture(int unit, GLuint texture);
    void BindSampler(int unit, GLuint sampler);
    void BindDrawFramebuffer(GLuint framebuffer);
    void BindReadFramebuffer(GLuint framebuffer);

    void Enable(GLenum cap, bool on);
    void DepthFunc(GLenum func);
    void DepthMask(bool write);
    void BlendFunc(GLenum src, GLenum dest, GLenum srcAlpha, GLenum destAlpha);
    void BlendEquation(GLenum rgb, GLenum alpha);
    void BlendColor(const float rgba[4]);
    void ColorMask(bool r, bool g, bool b, bool a);
    void CullFace(GLenum face);
    void PolygonMode(GLenum mode);
    void PolygonOffset(float factor, float units);
    void StencilFunc(GLenum func, GLint ref, GLuint mask);
    void StencilOp(GLenum fail, GLenum zfail, GLenum pass);
    void StencilMask(GLuint mask);
    void Viewport(GLint x, GLint y, GLsizei width, GLsizei height);
    void DepthRange(float nearZ, float farZ);
    void Scissor(GLint x, GLint y, GLsizei width, GLsizei height);

    void ForgetProgram(GLuint program);
    void ForgetBuffer(GLuint buffer);
    void ForgetTexture(GLuint texture);
    void ForgetFramebuffer(GLuint framebuffer);

    GLuint DrawFramebuffer() const { return m_DrawFramebuffer; }

private:
    // Capabilities the device switches, by slot.
    enum Cap
    {
        kCapDepthTest,
        kCapBlend,
        kCapCullFace,
        kCapStencilTest,
        kCapScissorTest,
        kCapPolygonOffsetFill,
        kCapCount
    };
    static int CapSlot(GLenum cap);

    GLuint m_Program = 0;
    GLuint m_VertexArray = 0;
    GLuint m_ArrayBuffer = 0;
    GLuint m_ElementBuffer = 0;
    GLuint m_Textures[kUnits] = {};
    GLuint m_Samplers[kUnits] = {};
    int m_ActiveUnit = 0;
    GLuint m_DrawFramebuffer = 0;
    GLuint m_ReadFramebuffer = 0;
    int m_Caps[kCapCount] = {};
    GLenum m_DepthFunc = 0;
    int m_DepthMask = -1;
    GLenum m_Blend[4] = {};
    GLenum m_BlendEquation[2] = {};
    float m_BlendColor[4] = {};
    int m_ColorMask = -1;
    GLenum m_CullFace = 0;
    GLenum m_PolygonMode = 0;
    float m_PolygonOffset[2] = {};
    GLenum m_StencilFunc = 0;
    GLint m_StencilRef = 0;
    GLuint m_StencilReadMask = 0;
    GLenum m_StencilOp[3] = {};
    GLuint m_StencilMask = 0;
    bool m_StencilMaskKnown = false;
    GLint m_Viewport[4] = {};
    float m_DepthRange[2] = {};
    GLint m_Scissor[4] = {};
};
} // namespace d3d9
