// The device on OpenGL 3.3 core: everything Direct3D needs is there, so the
// profile is mostly the plain GL call.
#include "d3d9/gl_profile.h"

#include "d3d9/gl_state.h"

#include <SDL.h>

namespace d3d9
{
bool TranslateFormat(D3DFORMAT format, FormatInfo& info)
{
    // Direct3D names channels from the most significant bit; in little-endian
    // memory A8R8G8B8 is the byte order B, G, R, A, which GL calls BGRA.
    switch (format)
    {
    case D3DFMT_A8R8G8B8: info = PlainFormat(GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, 4, true); return true;
    case D3DFMT_X8R8G8B8:
        info = SwizzledFormat(PlainFormat(GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, 4, true), GL_RED, GL_GREEN,
                              GL_BLUE, GL_ONE);
        return true;
    case D3DFMT_A8B8G8R8: info = PlainFormat(GL_RGBA8, GL_RGBA, GL_UNSIGNED_INT_8_8_8_8_REV, 4, true); return true;
    case D3DFMT_X8B8G8R8:
        info = SwizzledFormat(PlainFormat(GL_RGBA8, GL_RGBA, GL_UNSIGNED_INT_8_8_8_8_REV, 4, true), GL_RED, GL_GREEN,
                              GL_BLUE, GL_ONE);
        return true;
    case D3DFMT_R5G6B5: info = PlainFormat(GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, 2, true); return true;
    case D3DFMT_X1R5G5B5:
        info = SwizzledFormat(PlainFormat(GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, 2, true), GL_RED,
                              GL_GREEN, GL_BLUE, GL_ONE);
        return true;
    case D3DFMT_A1R5G5B5: info = PlainFormat(GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, 2, true); return true;
    case D3DFMT_A4R4G4B4: info = PlainFormat(GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, 2, false); return true;
    case D3DFMT_L8:
        info = SwizzledFormat(PlainFormat(GL_R8, GL_RED, GL_UNSIGNED_BYTE, 1, false), GL_RED, GL_RED, GL_RED, GL_ONE);
        return true;
    case D3DFMT_A8:
        info =
            SwizzledFormat(PlainFormat(GL_R8, GL_RED, GL_UNSIGNED_BYTE, 1, false), GL_ZERO, GL_ZERO, GL_ZERO, GL_RED);
        return true;
    case D3DFMT_A8L8:
        info = SwizzledFormat(PlainFormat(GL_RG8, GL_RG, GL_UNSIGNED_BYTE, 2, false), GL_RED, GL_RED, GL_RED, GL_GREEN);
        return true;
    case D3DFMT_R16F:
        info = SwizzledFormat(PlainFormat(GL_R16F, GL_RED, GL_HALF_FLOAT, 2, true), GL_RED, GL_ONE, GL_ONE, GL_ONE);
        return true;
    case D3DFMT_G16R16F:
        info = SwizzledFormat(PlainFormat(GL_RG16F, GL_RG, GL_HALF_FLOAT, 4, true), GL_RED, GL_GREEN, GL_ONE, GL_ONE);
        return true;
    case D3DFMT_A16B16G16R16F: info = PlainFormat(GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT, 8, true); return true;
    case D3DFMT_R32F:
        info = SwizzledFormat(PlainFormat(GL_R32F, GL_RED, GL_FLOAT, 4, true), GL_RED, GL_ONE, GL_ONE, GL_ONE);
        return true;
    case D3DFMT_G32R32F:
        info = SwizzledFormat(PlainFormat(GL_RG32F, GL_RG, GL_FLOAT, 8, true), GL_RED, GL_GREEN, GL_ONE, GL_ONE);
        return true;
    case D3DFMT_A32B32G32R32F: info = PlainFormat(GL_RGBA32F, GL_RGBA, GL_FLOAT, 16, true); return true;
    case D3DFMT_D32: info = DepthFormat(GL_DEPTH_COMPONENT32, false); return true;
    default: return TranslateSharedFormat(format, info);
    }
}

GLenum TranslateAddress(DWORD address)
{
    switch (address)
    {
    case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
    case D3DTADDRESS_MIRRORONCE: return GL_MIRROR_CLAMP_TO_EDGE;
    default: return GL_REPEAT;
    }
}

GLenum TranslateFillMode(DWORD fill)
{
    switch (fill)
    {
    case D3DFILL_POINT: return GL_POINT;
    case D3DFILL_WIREFRAME: return GL_LINE;
    default: return GL_FILL;
    }
}

namespace profile
{
void RequestContext()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

void EnterFullscreen(SDL_Window* window, const D3DPRESENT_PARAMETERS& params)
{
    SDL_DisplayMode mode{};
    mode.format = SDL_PIXELFORMAT_RGB888;
    mode.w = static_cast<int>(params.BackBufferWidth);
    mode.h = static_cast<int>(params.BackBufferHeight);
    mode.refresh_rate = static_cast<int>(params.FullScreen_RefreshRateInHz);
    SDL_SetWindowDisplayMode(window, &mode);
    SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN);
}

void LeaveFullscreen(SDL_Window* window)
{
    SDL_SetWindowFullscreen(window, 0);
}

void SwapWindow(SDL_Window* window)
{
    SDL_GL_SwapWindow(window);
}

bool InitialiseContext()
{
    glEnable(GL_PROGRAM_POINT_SIZE);
    // The framebuffers are mirrored, so GL's lower left is Direct3D's top left.
    glPointParameteri(GL_POINT_SPRITE_COORD_ORIGIN, GL_LOWER_LEFT);
    return epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic") ||
           epoxy_has_gl_extension("GL_ARB_texture_filter_anisotropic");
}

void SetSwizzle(const FormatInfo& info)
{
    glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, info.swizzle);
}

const void* UploadPixels(const FormatInfo&, const uint8_t* pixels, UINT, UINT, std::vector<uint8_t>&)
{
    return pixels;
}

void ReadArgb(GLsizei width, GLsizei height, uint32_t* argb)
{
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, argb);
}

void ClearDepth(float z)
{
    glClearDepth(z);
}

void DepthRange(float nearZ, float farZ)
{
    glDepthRange(nearZ, farZ);
}

void PolygonMode(GLenum mode)
{
    glPolygonMode(GL_FRONT_AND_BACK, mode);
}

void SetSamplerExtras(GLuint sampler, const DWORD* samplerStates)
{
    float border[4];
    ColorToFloats(samplerStates[D3DSAMP_BORDERCOLOR], border);
    glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, border);
    glSamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, DwordToFloat(samplerStates[D3DSAMP_MIPMAPLODBIAS]));
}

void DrawIndexed(GLenum mode, GLsizei count, GLenum indexType, uintptr_t indexOffset, GLint baseVertex)
{
    glDrawElementsBaseVertex(mode, count, indexType, reinterpret_cast<const void*>(indexOffset), baseVertex);
}

void AttribPointer(GLuint location, const AttribFormat& format, GLsizei stride, uintptr_t offset)
{
    glVertexAttribPointer(location, format.bgra ? GL_BGRA : format.size, format.type, format.normalized, stride,
                          reinterpret_cast<const void*>(offset));
}

GLenum BindForUpload(GlState&, GLuint buffer, bool)
{
    // The copy target leaves every draw binding as it is.
    glBindBuffer(GL_COPY_WRITE_BUFFER, buffer);
    return GL_COPY_WRITE_BUFFER;
}
} // namespace profile
} // namespace d3d9
