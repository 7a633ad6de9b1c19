// The device on OpenGL ES 3.0 as WebGL 2 gives it. Texels are converted on
// their way up (ES cannot swizzle or take BGRA and reversed packed types),
// D3DCOLOR attributes are swapped in the vertex shader, and indexed draws get
// their base vertex through the attribute pointers. Border colours, the LOD
// bias and the point and wireframe fill modes have no ES equivalent: the README
// says what happens instead.
#include "d3d9/gl_profile.h"

#include "d3d9/gl_state.h"

#include <SDL.h>
#include <emscripten.h>

#include <cstring>
#include <utility>

namespace d3d9
{
namespace
{
FormatInfo Converted(FormatInfo info, Conversion conversion)
{
    info.conversion = conversion;
    return info;
}

// The page's side (platform/web/quorl.html): full screen through the
// browser's request (which the dialog's OK press allows), and the wait for
// the browser's next frame, which gives the page its thread back.
EM_JS(void, quorl_page_fullscreen, (int on), { Module.quorlPage.fullscreen(on != 0); });
EM_ASYNC_JS(void, quorl_page_next_frame, (), { await Module.quorlPage.nextFrame(); });

uint16_t Half(const uint8_t* p)
{
    uint16_t value;
    std::memcpy(&value, p, 2);
    return value;
}

void Convert(Conversion conversion, const uint8_t* in, size_t texels, uint8_t* out)
{
    const uint16_t halfOne = 0x3C00;
    const float floatOne = 1.0f;
    for (size_t i = 0; i < texels; ++i)
    {
        switch (conversion)
        {
        case Conversion::BgraToRgba:
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            out[3] = in[3];
            in += 4;
            out += 4;
            break;
        case Conversion::BgrxToRgb:
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            in += 4;
            out += 3;
            break;
        case Conversion::RgbxToRgb:
            std::memcpy(out, in, 3);
            in += 4;
            out += 3;
            break;
        case Conversion::Argb1555ToRgba5551:
        case Conversion::Xrgb1555ToRgba5551:
        {
            const uint16_t v = Half(in);
            const uint16_t alpha = conversion == Conversion::Xrgb1555ToRgba5551 ? 1 : v >> 15;
            const uint16_t packed = static_cast<uint16_t>(((v & 0x7FFF) << 1) | alpha);
            std::memcpy(out, &packed, 2);
            in += 2;
            out += 2;
            break;
        }
        case Conversion::Argb4444ToRgba4444:
        {
            const uint16_t v = Half(in);
            const uint16_t packed = static_cast<uint16_t>(((v << 4) & 0xFFF0) | (v >> 12));
            std::memcpy(out, &packed, 2);
            in += 2;
            out += 2;
            break;
        }
        // Direct3D reads the channels a format lacks as 1.
        case Conversion::R16fToRgba:
        case Conversion::Rg16fToRgba:
        {
            const size_t channels = conversion == Conversion::R16fToRgba ? 1 : 2;
            std::memcpy(out, in, channels * 2);
            for (size_t c = channels; c < 4; ++c)
                std::memcpy(out + c * 2, &halfOne, 2);
            in += channels * 2;
            out += 8;
            break;
        }
        case Conversion::R32fToRgba:
        case Conversion::Rg32fToRgba:
        {
            const size_t channels = conversion == Conversion::R32fToRgba ? 1 : 2;
            std::memcpy(out, in, channels * 4);
            for (size_t c = channels; c < 4; ++c)
                std::memcpy(out + c * 4, &floatOne, 4);
            in += channels * 4;
            out += 16;
            break;
        }
        case Conversion::None: return;
        }
    }
}

// Bytes per texel of what the upload takes.
size_t UploadBytes(Conversion conversion)
{
    switch (conversion)
    {
    case Conversion::BgrxToRgb:
    case Conversion::RgbxToRgb: return 3;
    case Conversion::R16fToRgba:
    case Conversion::Rg16fToRgba: return 8;
    case Conversion::R32fToRgba:
    case Conversion::Rg32fToRgba: return 16;
    case Conversion::Argb1555ToRgba5551:
    case Conversion::Xrgb1555ToRgba5551:
    case Conversion::Argb4444ToRgba4444: return 2;
    default: return 4;
    }
}
} // namespace

bool TranslateFormat(D3DFORMAT format, FormatInfo& info)
{
    // Formats without a 4th channel of their own are stored without one, so
    // that render targets of them read alpha as 1 too. Float formats are no
    // render targets: WebGL 2 renders to them only with an extension.
    switch (format)
    {
    case D3DFMT_A8R8G8B8:
        info = Converted(PlainFormat(GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, 4, true), Conversion::BgraToRgba);
        return true;
    case D3DFMT_X8R8G8B8:
        info = Converted(PlainFormat(GL_RGB8, GL_RGB, GL_UNSIGNED_BYTE, 4, true), Conversion::BgrxToRgb);
        return true;
    case D3DFMT_A8B8G8R8: info = PlainFormat(GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, 4, true); return true;
    case D3DFMT_X8B8G8R8:
        info = Converted(PlainFormat(GL_RGB8, GL_RGB, GL_UNSIGNED_BYTE, 4, true), Conversion::RgbxToRgb);
        return true;
    case D3DFMT_R5G6B5: info = PlainFormat(GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, 2, true); return true;
    case D3DFMT_X1R5G5B5:
        info = Converted(PlainFormat(GL_RGB5_A1, GL_RGBA, GL_UNSIGNED_SHORT_5_5_5_1, 2, false),
                         Conversion::Xrgb1555ToRgba5551);
        return true;
    case D3DFMT_A1R5G5B5:
        info = Converted(PlainFormat(GL_RGB5_A1, GL_RGBA, GL_UNSIGNED_SHORT_5_5_5_1, 2, true),
                         Conversion::Argb1555ToRgba5551);
        return true;
    case D3DFMT_A4R4G4B4:
        info = Converted(PlainFormat(GL_RGBA4, GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4, 2, false),
                         Conversion::Argb4444ToRgba4444);
        return true;
    // ES keeps the unsized luminance and alpha formats, which read as Direct3D's do.
    case D3DFMT_L8: info = PlainFormat(GL_LUMINANCE, GL_LUMINANCE, GL_UNSIGNED_BYTE, 1, false); return true;
    case D3DFMT_A8: info = PlainFormat(GL_ALPHA, GL_ALPHA, GL_UNSIGNED_BYTE, 1, false); return true;
    case D3DFMT_A8L8:
        info = PlainFormat(GL_LUMINANCE_ALPHA, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, 2, false);
        return true;
    case D3DFMT_R16F:
        info = Converted(PlainFormat(GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT, 2, false), Conversion::R16fToRgba);
        return true;
    case D3DFMT_G16R16F:
        info = Converted(PlainFormat(GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT, 4, false), Conversion::Rg16fToRgba);
        return true;
    case D3DFMT_A16B16G16R16F: info = PlainFormat(GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT, 8, false); return true;
    case D3DFMT_R32F:
        info = Converted(PlainFormat(GL_RGBA32F, GL_RGBA, GL_FLOAT, 4, false), Conversion::R32fToRgba);
        return true;
    case D3DFMT_G32R32F:
        info = Converted(PlainFormat(GL_RGBA32F, GL_RGBA, GL_FLOAT, 8, false), Conversion::Rg32fToRgba);
        return true;
    case D3DFMT_A32B32G32R32F: info = PlainFormat(GL_RGBA32F, GL_RGBA, GL_FLOAT, 16, false); return true;
    case D3DFMT_D32: info = DepthFormat(GL_DEPTH_COMPONENT32F, false); return true;
    default: return TranslateSharedFormat(format, info);
    }
}

GLenum TranslateAddress(DWORD address)
{
    // No border clamping: the edge texel stands for the border colour. No
    // mirror-once: it mirrors on past one repeat.
    switch (address)
    {
    case D3DTADDRESS_MIRROR:
    case D3DTADDRESS_MIRRORONCE: return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP:
    case D3DTADDRESS_BORDER: return GL_CLAMP_TO_EDGE;
    default: return GL_REPEAT;
    }
}

GLenum TranslateFillMode(DWORD)
{
    // Every fill mode draws solid: ES has no polygon mode.
    return 0;
}

namespace profile
{
void RequestContext()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // The device draws into its own renderbuffers and only blits to the page's
    // canvas, which needs neither depth, stencil nor alpha (an alpha channel
    // would let the page show through).
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, 0);
}

void EnterFullscreen(SDL_Window*, const D3DPRESENT_PARAMETERS&)
{
    // The canvas keeps the back buffer's size; the page scales it to the screen.
    quorl_page_fullscreen(1);
}

void LeaveFullscreen(SDL_Window*)
{
    quorl_page_fullscreen(0);
}

void SwapWindow(SDL_Window* window)
{
    // The browser shows the canvas when the page has its thread back, once a
    // frame: this is VSync, whatever the presentation interval.
    SDL_GL_SwapWindow(window);
    quorl_page_next_frame();
}

bool InitialiseContext()
{
    // Points always take their size from the shader; sprite coordinates start
    // at the top left, which the shader writer flips to suit the mirrored targets.
    return SDL_GL_ExtensionSupported("GL_EXT_texture_filter_anisotropic") == SDL_TRUE;
}

void SetSwizzle(const FormatInfo&) {}

const void* UploadPixels(const FormatInfo& info, const uint8_t* pixels, UINT width, UINT rows,
                         std::vector<uint8_t>& scratch)
{
    if (info.conversion == Conversion::None)
        return pixels;
    const size_t texels = static_cast<size_t>(width) * rows;
    scratch.resize(texels * UploadBytes(info.conversion));
    Convert(info.conversion, pixels, texels, scratch.data());
    return scratch.data();
}

void ReadArgb(GLsizei width, GLsizei height, uint32_t* argb)
{
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, argb);
    auto* bytes = reinterpret_cast<uint8_t*>(argb);
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i)
        std::swap(bytes[i * 4], bytes[i * 4 + 2]);
}

void ClearDepth(float z)
{
    glClearDepthf(z);
}

void DepthRange(float nearZ, float farZ)
{
    glDepthRangef(nearZ, farZ);
}

void PolygonMode(GLenum) {}

void SetSamplerExtras(GLuint, const DWORD*) {}

void DrawIndexed(GLenum mode, GLsizei count, GLenum indexType, uintptr_t indexOffset, GLint)
{
    glDrawElements(mode, count, indexType, reinterpret_cast<const void*>(indexOffset));
}

void AttribPointer(GLuint location, const AttribFormat& format, GLsizei stride, uintptr_t offset)
{
    // D3DCOLOR's bytes B, G, R, A reach the shader in that order: it swaps red and blue back.
    glVertexAttribPointer(location, format.size, format.type, format.normalized, stride,
                          reinterpret_cast<const void*>(offset));
}

GLenum BindForUpload(GlState& gl, GLuint buffer, bool indices)
{
    // WebGL fixes a buffer's kind at its first binding and refuses index data
    // in a buffer first bound anywhere else (the copy targets included).
    if (indices)
    {
        gl.BindElementBuffer(buffer);
        return GL_ELEMENT_ARRAY_BUFFER;
    }
    gl.BindArrayBuffer(buffer);
    return GL_ARRAY_BUFFER;
}
} // namespace profile
} // namespace d3d9
