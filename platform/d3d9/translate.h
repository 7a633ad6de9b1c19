// Direct3D 9 to OpenGL mappings: pure functions, no GL context needed.
#pragma once

#include "d3d9/gl.h"

#include <d3d9.h>

#include <cstdint>

namespace d3d9
{
// How texels go from Direct3D's layout to what an OpenGL upload takes, where
// the two differ: OpenGL ES can neither swizzle nor take BGRA or reversed
// packed types, so its uploads are converted.
enum class Conversion : uint8_t
{
    None,
    BgraToRgba,
    BgrxToRgb,
    RgbxToRgb,
    Argb1555ToRgba5551,
    Xrgb1555ToRgba5551,
    Argb4444ToRgba4444,
    R16fToRgba,
    Rg16fToRgba,
    R32fToRgba,
    Rg32fToRgba,
};

// A texture or surface format as OpenGL stores and uploads it.
struct FormatInfo
{
    GLenum internalFormat = 0;
    GLenum format = 0; // upload format (0 for compressed)
    GLenum type = 0;
    UINT bytesPerPixel = 0;  // 0 for block-compressed formats
    UINT bytesPerBlock = 0;  // 4x4 block size of compressed formats
    bool renderable = false; // usable as a colour render target
    bool depth = false;
    bool stencil = false;
    GLint swizzle[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};
    Conversion conversion = Conversion::None;
};

// False for a format the layer does not provide. The table is the GL
// flavour's own (gl_desktop.cpp, gl_es.cpp), built from these pieces.
bool TranslateFormat(D3DFORMAT format, FormatInfo& info);
FormatInfo PlainFormat(GLenum internalFormat, GLenum format, GLenum type, UINT bytes, bool renderable);
FormatInfo SwizzledFormat(FormatInfo info, GLint r, GLint g, GLint b, GLint a);
FormatInfo CompressedFormat(GLenum internalFormat, UINT blockBytes);
FormatInfo DepthFormat(GLenum internalFormat, bool stencil);
// The entries both tables share: the block-compressed formats and the depth
// formats that both flavours store alike.
bool TranslateSharedFormat(D3DFORMAT format, FormatInfo& info);

// Bytes per row of a level and rows of bytes (blocks for compressed formats).
UINT LevelPitch(const FormatInfo& info, UINT width);
UINT LevelRows(const FormatInfo& info, UINT height);

// Number of levels of a full chain down to 1x1.
UINT FullMipCount(UINT width, UINT height);

GLenum TranslateBlend(DWORD blend);
// D3DBLEND_BOTHSRCALPHA / BOTHINVSRCALPHA set both factors from the source one.
void TranslateBlendPair(DWORD src, DWORD dest, GLenum& glSrc, GLenum& glDest);
GLenum TranslateBlendOp(DWORD op);
GLenum TranslateCompare(DWORD func);
GLenum TranslateStencilOp(DWORD op);
// Per GL flavour, as TranslateFormat.
GLenum TranslateAddress(DWORD address);
GLenum TranslateMagFilter(DWORD filter);
GLenum TranslateMinFilter(DWORD minFilter, DWORD mipFilter);
GLenum TranslateFillMode(DWORD fill); // per GL flavour

// Culling under the layer's mirrored framebuffers: front faces are GL_CCW.
struct CullState
{
    bool enabled;
    GLenum face;
};
CullState TranslateCull(DWORD cull);

struct AttribFormat
{
    GLint size; // components
    GLenum type;
    GLboolean normalized;
    UINT bytes;
    bool bgra = false; // D3DCOLOR: bytes B, G, R, A arrive as (r, g, b, a)
};
// False for a declaration type the layer does not provide.
bool TranslateDeclType(BYTE type, AttribFormat& format);

// GL mode and vertex count of a primitive batch; false for an unknown type.
bool TranslatePrimitive(D3DPRIMITIVETYPE type, UINT primitiveCount, GLenum& mode, GLsizei& vertexCount);

// Which part of the GL state a render state feeds, so that only that part is flushed.
enum StateGroup : uint32_t
{
    kGroupNone = 0,
    kGroupDepth = 1u << 0,
    kGroupBlend = 1u << 1,
    kGroupRaster = 1u << 2,
    kGroupStencil = 1u << 3,
    kGroupScissor = 1u << 4,
    kGroupAlphaTest = 1u << 5,
    kGroupPoint = 1u << 6,
};
uint32_t RenderStateGroup(D3DRENDERSTATETYPE state);

// The Direct3D 9 default of a render state; autoDepth selects ZENABLE's.
DWORD DefaultRenderState(D3DRENDERSTATETYPE state, bool autoDepth);
DWORD DefaultSamplerState(D3DSAMPLERSTATETYPE state);

// Number of render-state slots the device keeps (highest state + 1).
const UINT kRenderStateCount = 210;
const UINT kSamplerStateCount = 14;

// Float render states travel as their bit pattern in a DWORD.
float DwordToFloat(DWORD value);
DWORD FloatToDword(float value);

// (r, g, b, a) in 0..1 from a D3DCOLOR.
void ColorToFloats(D3DCOLOR color, float rgba[4]);

// SDL swap interval for D3DPRESENT_INTERVAL_*: DEFAULT and ONE wait for one
// vertical blank, IMMEDIATE for none.
int SwapInterval(UINT presentationInterval);
} // namespace d3d9
