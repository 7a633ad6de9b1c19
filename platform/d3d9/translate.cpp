#include "d3d9/translate.h"

#include <cstring>

namespace d3d9
{
FormatInfo PlainFormat(GLenum internalFormat, GLenum format, GLenum type, UINT bytes, bool renderable)
{
    FormatInfo info;
    info.internalFormat = internalFormat;
    info.format = format;
    info.type = type;
    info.bytesPerPixel = bytes;
    info.renderable = renderable;
    return info;
}

FormatInfo SwizzledFormat(FormatInfo info, GLint r, GLint g, GLint b, GLint a)
{
    info.swizzle[0] = r;
    info.swizzle[1] = g;
    info.swizzle[2] = b;
    info.swizzle[3] = a;
    return info;
}

FormatInfo CompressedFormat(GLenum internalFormat, UINT blockBytes)
{
    FormatInfo info;
    info.internalFormat = internalFormat;
    info.bytesPerBlock = blockBytes;
    return info;
}

FormatInfo DepthFormat(GLenum internalFormat, bool stencil)
{
    FormatInfo info;
    info.internalFormat = internalFormat;
    info.depth = true;
    info.stencil = stencil;
    info.bytesPerPixel = 4;
    return info;
}

bool TranslateSharedFormat(D3DFORMAT format, FormatInfo& info)
{
    switch (format)
    {
    case D3DFMT_DXT1: info = CompressedFormat(GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 8); return true;
    case D3DFMT_DXT3: info = CompressedFormat(GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 16); return true;
    case D3DFMT_DXT5: info = CompressedFormat(GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 16); return true;
    case D3DFMT_D24S8: info = DepthFormat(GL_DEPTH24_STENCIL8, true); return true;
    case D3DFMT_D24X8: info = DepthFormat(GL_DEPTH_COMPONENT24, false); return true;
    case D3DFMT_D16:
    case D3DFMT_D16_LOCKABLE:
        info = DepthFormat(GL_DEPTH_COMPONENT16, false);
        info.bytesPerPixel = 2;
        return true;
    case D3DFMT_D24FS8: info = DepthFormat(GL_DEPTH32F_STENCIL8, true); return true;
    default: return false;
    }
}

UINT LevelPitch(const FormatInfo& info, UINT width)
{
    if (info.bytesPerBlock)
        return ((width + 3) / 4) * info.bytesPerBlock;
    return width * info.bytesPerPixel;
}

UINT LevelRows(const FormatInfo& info, UINT height)
{
    return info.bytesPerBlock ? (height + 3) / 4 : height;
}

UINT FullMipCount(UINT width, UINT height)
{
    UINT levels = 1;
    UINT size = width > height ? width : height;
    while (size > 1)
    {
        size >>= 1;
        ++levels;
    }
    return levels;
}

GLenum TranslateBlend(DWORD blend)
{
    switch (blend)
    {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_ONE: return GL_ONE;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
    case D3DBLEND_BOTHSRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_BOTHINVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_BLENDFACTOR: return GL_CONSTANT_COLOR;
    case D3DBLEND_INVBLENDFACTOR: return GL_ONE_MINUS_CONSTANT_COLOR;
    default: return GL_ONE;
    }
}

void TranslateBlendPair(DWORD src, DWORD dest, GLenum& glSrc, GLenum& glDest)
{
    if (src == D3DBLEND_BOTHSRCALPHA)
    {
        glSrc = GL_SRC_ALPHA;
        glDest = GL_ONE_MINUS_SRC_ALPHA;
        return;
    }
    if (src == D3DBLEND_BOTHINVSRCALPHA)
    {
        glSrc = GL_ONE_MINUS_SRC_ALPHA;
        glDest = GL_SRC_ALPHA;
        return;
    }
    glSrc = TranslateBlend(src);
    glDest = TranslateBlend(dest);
}

GLenum TranslateBlendOp(DWORD op)
{
    switch (op)
    {
    case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN: return GL_MIN;
    case D3DBLENDOP_MAX: return GL_MAX;
    default: return GL_FUNC_ADD;
    }
}

GLenum TranslateCompare(DWORD func)
{
    switch (func)
    {
    case D3DCMP_NEVER: return GL_NEVER;
    case D3DCMP_LESS: return GL_LESS;
    case D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMP_LESSEQUAL: return GL_LEQUAL;
    case D3DCMP_GREATER: return GL_GREATER;
    case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    default: return GL_ALWAYS;
    }
}

GLenum TranslateStencilOp(DWORD op)
{
    switch (op)
    {
    case D3DSTENCILOP_ZERO: return GL_ZERO;
    case D3DSTENCILOP_REPLACE: return GL_REPLACE;
    case D3DSTENCILOP_INCRSAT: return GL_INCR;
    case D3DSTENCILOP_DECRSAT: return GL_DECR;
    case D3DSTENCILOP_INVERT: return GL_INVERT;
    case D3DSTENCILOP_INCR: return GL_INCR_WRAP;
    case D3DSTENCILOP_DECR: return GL_DECR_WRAP;
    default: return GL_KEEP;
    }
}

GLenum TranslateMagFilter(DWORD filter)
{
    return filter == D3DTEXF_NONE || filter == D3DTEXF_POINT ? GL_NEAREST : GL_LINEAR;
}

GLenum TranslateMinFilter(DWORD minFilter, DWORD mipFilter)
{
    const bool linear = !(minFilter == D3DTEXF_NONE || minFilter == D3DTEXF_POINT);
    switch (mipFilter)
    {
    case D3DTEXF_NONE: return linear ? GL_LINEAR : GL_NEAREST;
    case D3DTEXF_POINT: return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    default: return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    }
}

CullState TranslateCull(DWORD cull)
{
    // Direct3D's clockwise on its y-down screen is GL's counter-clockwise in
    // the mirrored framebuffer, so culling CCW triangles culls GL back faces.
    switch (cull)
    {
    case D3DCULL_CW: return {true, GL_FRONT};
    case D3DCULL_CCW: return {true, GL_BACK};
    default: return {false, GL_BACK};
    }
}

bool TranslateDeclType(BYTE type, AttribFormat& format)
{
    switch (type)
    {
    case D3DDECLTYPE_FLOAT1: format = {1, GL_FLOAT, GL_FALSE, 4}; return true;
    case D3DDECLTYPE_FLOAT2: format = {2, GL_FLOAT, GL_FALSE, 8}; return true;
    case D3DDECLTYPE_FLOAT3: format = {3, GL_FLOAT, GL_FALSE, 12}; return true;
    case D3DDECLTYPE_FLOAT4: format = {4, GL_FLOAT, GL_FALSE, 16}; return true;
    case D3DDECLTYPE_D3DCOLOR: format = {4, GL_UNSIGNED_BYTE, GL_TRUE, 4, true}; return true;
    case D3DDECLTYPE_UBYTE4: format = {4, GL_UNSIGNED_BYTE, GL_FALSE, 4}; return true;
    case D3DDECLTYPE_SHORT2: format = {2, GL_SHORT, GL_FALSE, 4}; return true;
    case D3DDECLTYPE_SHORT4: format = {4, GL_SHORT, GL_FALSE, 8}; return true;
    case D3DDECLTYPE_UBYTE4N: format = {4, GL_UNSIGNED_BYTE, GL_TRUE, 4}; return true;
    case D3DDECLTYPE_SHORT2N: format = {2, GL_SHORT, GL_TRUE, 4}; return true;
    case D3DDECLTYPE_SHORT4N: format = {4, GL_SHORT, GL_TRUE, 8}; return true;
    case D3DDECLTYPE_USHORT2N: format = {2, GL_UNSIGNED_SHORT, GL_TRUE, 4}; return true;
    case D3DDECLTYPE_USHORT4N: format = {4, GL_UNSIGNED_SHORT, GL_TRUE, 8}; return true;
    case D3DDECLTYPE_FLOAT16_2: format = {2, GL_HALF_FLOAT, GL_FALSE, 4}; return true;
    case D3DDECLTYPE_FLOAT16_4: format = {4, GL_HALF_FLOAT, GL_FALSE, 8}; return true;
    default: return false;
    }
}

bool TranslatePrimitive(D3DPRIMITIVETYPE type, UINT primitiveCount, GLenum& mode, GLsizei& vertexCount)
{
    const GLsizei n = static_cast<GLsizei>(primitiveCount);
    switch (type)
    {
    case D3DPT_POINTLIST:
        mode = GL_POINTS;
        vertexCount = n;
        return true;
    case D3DPT_LINELIST:
        mode = GL_LINES;
        vertexCount = 2 * n;
        return true;
    case D3DPT_LINESTRIP:
        mode = GL_LINE_STRIP;
        vertexCount = n + 1;
        return true;
    case D3DPT_TRIANGLELIST:
        mode = GL_TRIANGLES;
        vertexCount = 3 * n;
        return true;
    case D3DPT_TRIANGLESTRIP:
        mode = GL_TRIANGLE_STRIP;
        vertexCount = n + 2;
        return true;
    case D3DPT_TRIANGLEFAN:
        mode = GL_TRIANGLE_FAN;
        vertexCount = n + 2;
        return true;
    default: return false;
    }
}

uint32_t RenderStateGroup(D3DRENDERSTATETYPE state)
{
    switch (state)
    {
    case D3DRS_ZENABLE:
    case D3DRS_ZWRITEENABLE:
    case D3DRS_ZFUNC: return kGroupDepth;
    case D3DRS_ALPHABLENDENABLE:
    case D3DRS_SRCBLEND:
    case D3DRS_DESTBLEND:
    case D3DRS_BLENDOP:
    case D3DRS_SEPARATEALPHABLENDENABLE:
    case D3DRS_SRCBLENDALPHA:
    case D3DRS_DESTBLENDALPHA:
    case D3DRS_BLENDOPALPHA:
    case D3DRS_BLENDFACTOR: return kGroupBlend;
    case D3DRS_FILLMODE:
    case D3DRS_CULLMODE:
    case D3DRS_COLORWRITEENABLE:
    case D3DRS_DEPTHBIAS:
    case D3DRS_SLOPESCALEDEPTHBIAS: return kGroupRaster;
    case D3DRS_STENCILENABLE:
    case D3DRS_STENCILFAIL:
    case D3DRS_STENCILZFAIL:
    case D3DRS_STENCILPASS:
    case D3DRS_STENCILFUNC:
    case D3DRS_STENCILREF:
    case D3DRS_STENCILMASK:
    case D3DRS_STENCILWRITEMASK: return kGroupStencil;
    case D3DRS_SCISSORTESTENABLE: return kGroupScissor;
    case D3DRS_ALPHATESTENABLE:
    case D3DRS_ALPHAREF:
    case D3DRS_ALPHAFUNC: return kGroupAlphaTest;
    case D3DRS_POINTSIZE:
    case D3DRS_POINTSIZE_MIN:
    case D3DRS_POINTSIZE_MAX:
    case D3DRS_POINTSPRITEENABLE: return kGroupPoint;
    default:
        // Fixed-function lighting, fog and the like have no effect under shaders.
        return kGroupNone;
    }
}

DWORD DefaultRenderState(D3DRENDERSTATETYPE state, bool autoDepth)
{
    switch (state)
    {
    case D3DRS_ZENABLE: return autoDepth ? D3DZB_TRUE : D3DZB_FALSE;
    case D3DRS_FILLMODE: return D3DFILL_SOLID;
    case D3DRS_SHADEMODE: return D3DSHADE_GOURAUD;
    case D3DRS_ZWRITEENABLE: return TRUE;
    case D3DRS_LASTPIXEL: return TRUE;
    case D3DRS_SRCBLEND: return D3DBLEND_ONE;
    case D3DRS_DESTBLEND: return D3DBLEND_ZERO;
    case D3DRS_CULLMODE: return D3DCULL_CCW;
    case D3DRS_ZFUNC: return D3DCMP_LESSEQUAL;
    case D3DRS_ALPHAFUNC: return D3DCMP_ALWAYS;
    case D3DRS_FOGEND: return FloatToDword(1.0f);
    case D3DRS_FOGDENSITY: return FloatToDword(1.0f);
    case D3DRS_STENCILFAIL:
    case D3DRS_STENCILZFAIL:
    case D3DRS_STENCILPASS:
    case D3DRS_CCW_STENCILFAIL:
    case D3DRS_CCW_STENCILZFAIL:
    case D3DRS_CCW_STENCILPASS: return D3DSTENCILOP_KEEP;
    case D3DRS_STENCILFUNC:
    case D3DRS_CCW_STENCILFUNC: return D3DCMP_ALWAYS;
    case D3DRS_STENCILMASK:
    case D3DRS_STENCILWRITEMASK:
    case D3DRS_TEXTUREFACTOR:
    case D3DRS_MULTISAMPLEMASK:
    case D3DRS_BLENDFACTOR: return 0xFFFFFFFF;
    case D3DRS_CLIPPING:
    case D3DRS_LIGHTING:
    case D3DRS_COLORVERTEX:
    case D3DRS_LOCALVIEWER:
    case D3DRS_MULTISAMPLEANTIALIAS: return TRUE;
    case D3DRS_DIFFUSEMATERIALSOURCE: return 1;
    case D3DRS_SPECULARMATERIALSOURCE: return 2;
    case D3DRS_POINTSIZE: return FloatToDword(1.0f);
    case D3DRS_POINTSIZE_MIN: return FloatToDword(1.0f);
    case D3DRS_POINTSIZE_MAX: return FloatToDword(64.0f);
    case D3DRS_POINTSCALE_A: return FloatToDword(1.0f);
    case D3DRS_COLORWRITEENABLE:
    case D3DRS_COLORWRITEENABLE1:
    case D3DRS_COLORWRITEENABLE2:
    case D3DRS_COLORWRITEENABLE3: return 0x0000000F;
    case D3DRS_BLENDOP:
    case D3DRS_BLENDOPALPHA: return D3DBLENDOP_ADD;
    case D3DRS_POSITIONDEGREE: return 3;
    case D3DRS_NORMALDEGREE: return 1;
    case D3DRS_MINTESSELLATIONLEVEL:
    case D3DRS_MAXTESSELLATIONLEVEL: return FloatToDword(1.0f);
    case D3DRS_SRCBLENDALPHA: return D3DBLEND_ONE;
    case D3DRS_DESTBLENDALPHA: return D3DBLEND_ZERO;
    default: return 0;
    }
}

DWORD DefaultSamplerState(D3DSAMPLERSTATETYPE state)
{
    switch (state)
    {
    case D3DSAMP_ADDRESSU:
    case D3DSAMP_ADDRESSV:
    case D3DSAMP_ADDRESSW: return D3DTADDRESS_WRAP;
    case D3DSAMP_MAGFILTER:
    case D3DSAMP_MINFILTER: return D3DTEXF_POINT;
    case D3DSAMP_MIPFILTER: return D3DTEXF_NONE;
    case D3DSAMP_MAXANISOTROPY: return 1;
    default: return 0;
    }
}

float DwordToFloat(DWORD value)
{
    float result;
    std::memcpy(&result, &value, sizeof result);
    return result;
}

DWORD FloatToDword(float value)
{
    DWORD result;
    std::memcpy(&result, &value, sizeof result);
    return result;
}

void ColorToFloats(D3DCOLOR color, float rgba[4])
{
    rgba[0] = ((color >> 16) & 0xFF) / 255.0f;
    rgba[1] = ((color >> 8) & 0xFF) / 255.0f;
    rgba[2] = (color & 0xFF) / 255.0f;
    rgba[3] = ((color >> 24) & 0xFF) / 255.0f;
}

int SwapInterval(UINT presentationInterval)
{
    switch (presentationInterval)
    {
    case D3DPRESENT_INTERVAL_IMMEDIATE: return 0;
    case D3DPRESENT_INTERVAL_TWO: return 2;
    case D3DPRESENT_INTERVAL_THREE: return 3;
    case D3DPRESENT_INTERVAL_FOUR: return 4;
    default: return 1;
    }
}
} // namespace d3d9
