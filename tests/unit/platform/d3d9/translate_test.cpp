// Direct3D 9 to OpenGL mapping tables, checked without a GL context.
#include "d3d9/translate.h"

#include <gtest/gtest.h>

namespace
{
using namespace d3d9;

struct EnumCase
{
    DWORD d3d;
    GLenum gl;
};

class BlendTable : public ::testing::TestWithParam<EnumCase>
{
};
TEST_P(BlendTable, MapsFactor)
{
    EXPECT_EQ(TranslateBlend(GetParam().d3d), GetParam().gl);
}
INSTANTIATE_TEST_SUITE_P(D3D9Translate, BlendTable,
                         ::testing::Values(EnumCase{D3DBLEND_ZERO, GL_ZERO}, EnumCase{D3DBLEND_ONE, GL_ONE},
                                           EnumCase{D3DBLEND_SRCCOLOR, GL_SRC_COLOR},
                                           EnumCase{D3DBLEND_INVSRCCOLOR, GL_ONE_MINUS_SRC_COLOR},
                                           EnumCase{D3DBLEND_SRCALPHA, GL_SRC_ALPHA},
                                           EnumCase{D3DBLEND_INVSRCALPHA, GL_ONE_MINUS_SRC_ALPHA},
                                           EnumCase{D3DBLEND_DESTALPHA, GL_DST_ALPHA},
                                           EnumCase{D3DBLEND_INVDESTALPHA, GL_ONE_MINUS_DST_ALPHA},
                                           EnumCase{D3DBLEND_DESTCOLOR, GL_DST_COLOR},
                                           EnumCase{D3DBLEND_INVDESTCOLOR, GL_ONE_MINUS_DST_COLOR},
                                           EnumCase{D3DBLEND_SRCALPHASAT, GL_SRC_ALPHA_SATURATE},
                                           EnumCase{D3DBLEND_BLENDFACTOR, GL_CONSTANT_COLOR},
                                           EnumCase{D3DBLEND_INVBLENDFACTOR, GL_ONE_MINUS_CONSTANT_COLOR}));

TEST(D3D9Translate, BothSrcAlphaSetsBothFactors)
{
    GLenum src, dest;
    TranslateBlendPair(D3DBLEND_BOTHSRCALPHA, D3DBLEND_ZERO, src, dest);
    EXPECT_EQ(src, static_cast<GLenum>(GL_SRC_ALPHA));
    EXPECT_EQ(dest, static_cast<GLenum>(GL_ONE_MINUS_SRC_ALPHA));
    TranslateBlendPair(D3DBLEND_BOTHINVSRCALPHA, D3DBLEND_ONE, src, dest);
    EXPECT_EQ(src, static_cast<GLenum>(GL_ONE_MINUS_SRC_ALPHA));
    EXPECT_EQ(dest, static_cast<GLenum>(GL_SRC_ALPHA));
}

class BlendOpTable : public ::testing::TestWithParam<EnumCase>
{
};
TEST_P(BlendOpTable, MapsOperation)
{
    EXPECT_EQ(TranslateBlendOp(GetParam().d3d), GetParam().gl);
}
INSTANTIATE_TEST_SUITE_P(D3D9Translate, BlendOpTable,
                         ::testing::Values(EnumCase{D3DBLENDOP_ADD, GL_FUNC_ADD},
                                           EnumCase{D3DBLENDOP_SUBTRACT, GL_FUNC_SUBTRACT},
                                           EnumCase{D3DBLENDOP_REVSUBTRACT, GL_FUNC_REVERSE_SUBTRACT},
                                           EnumCase{D3DBLENDOP_MIN, GL_MIN}, EnumCase{D3DBLENDOP_MAX, GL_MAX}));

class CompareTable : public ::testing::TestWithParam<EnumCase>
{
};
TEST_P(CompareTable, MapsFunction)
{
    EXPECT_EQ(TranslateCompare(GetParam().d3d), GetParam().gl);
}
INSTANTIATE_TEST_SUITE_P(D3D9Translate, CompareTable,
                         ::testing::Values(EnumCase{D3DCMP_NEVER, GL_NEVER}, EnumCase{D3DCMP_LESS, GL_LESS},
                                           EnumCase{D3DCMP_EQUAL, GL_EQUAL}, EnumCase{D3DCMP_LESSEQUAL, GL_LEQUAL},
                                           EnumCase{D3DCMP_GREATER, GL_GREATER}, EnumCase{D3DCMP_NOTEQUAL, GL_NOTEQUAL},
                                           EnumCase{D3DCMP_GREATEREQUAL, GL_GEQUAL},
                                           EnumCase{D3DCMP_ALWAYS, GL_ALWAYS}));

class StencilOpTable : public ::testing::TestWithParam<EnumCase>
{
};
TEST_P(StencilOpTable, MapsOperation)
{
    EXPECT_EQ(TranslateStencilOp(GetParam().d3d), GetParam().gl);
}
INSTANTIATE_TEST_SUITE_P(
    D3D9Translate, StencilOpTable,
    ::testing::Values(EnumCase{D3DSTENCILOP_KEEP, GL_KEEP}, EnumCase{D3DSTENCILOP_ZERO, GL_ZERO},
                      EnumCase{D3DSTENCILOP_REPLACE, GL_REPLACE}, EnumCase{D3DSTENCILOP_INCRSAT, GL_INCR},
                      EnumCase{D3DSTENCILOP_DECRSAT, GL_DECR}, EnumCase{D3DSTENCILOP_INVERT, GL_INVERT},
                      EnumCase{D3DSTENCILOP_INCR, GL_INCR_WRAP}, EnumCase{D3DSTENCILOP_DECR, GL_DECR_WRAP}));

class AddressTable : public ::testing::TestWithParam<EnumCase>
{
};
TEST_P(AddressTable, MapsMode)
{
    EXPECT_EQ(TranslateAddress(GetParam().d3d), GetParam().gl);
}
INSTANTIATE_TEST_SUITE_P(D3D9Translate, AddressTable,
                         ::testing::Values(EnumCase{D3DTADDRESS_WRAP, GL_REPEAT},
                                           EnumCase{D3DTADDRESS_MIRROR, GL_MIRRORED_REPEAT},
                                           EnumCase{D3DTADDRESS_CLAMP, GL_CLAMP_TO_EDGE},
                                           EnumCase{D3DTADDRESS_BORDER, GL_CLAMP_TO_BORDER},
                                           EnumCase{D3DTADDRESS_MIRRORONCE, GL_MIRROR_CLAMP_TO_EDGE}));

struct FilterCase
{
    DWORD min, mip;
    GLenum gl;
};
class MinFilterTable : public ::testing::TestWithParam<FilterCase>
{
};
TEST_P(MinFilterTable, CombinesMinAndMip)
{
    EXPECT_EQ(TranslateMinFilter(GetParam().min, GetParam().mip), GetParam().gl);
}
INSTANTIATE_TEST_SUITE_P(D3D9Translate, MinFilterTable,
                         ::testing::Values(FilterCase{D3DTEXF_POINT, D3DTEXF_NONE, GL_NEAREST},
                                           FilterCase{D3DTEXF_LINEAR, D3DTEXF_NONE, GL_LINEAR},
                                           FilterCase{D3DTEXF_POINT, D3DTEXF_POINT, GL_NEAREST_MIPMAP_NEAREST},
                                           FilterCase{D3DTEXF_LINEAR, D3DTEXF_POINT, GL_LINEAR_MIPMAP_NEAREST},
                                           FilterCase{D3DTEXF_POINT, D3DTEXF_LINEAR, GL_NEAREST_MIPMAP_LINEAR},
                                           FilterCase{D3DTEXF_LINEAR, D3DTEXF_LINEAR, GL_LINEAR_MIPMAP_LINEAR},
                                           FilterCase{D3DTEXF_ANISOTROPIC, D3DTEXF_LINEAR, GL_LINEAR_MIPMAP_LINEAR}));

TEST(D3D9Translate, MagFilterIsNearestOnlyForPoint)
{
    EXPECT_EQ(TranslateMagFilter(D3DTEXF_POINT), static_cast<GLenum>(GL_NEAREST));
    EXPECT_EQ(TranslateMagFilter(D3DTEXF_LINEAR), static_cast<GLenum>(GL_LINEAR));
    EXPECT_EQ(TranslateMagFilter(D3DTEXF_ANISOTROPIC), static_cast<GLenum>(GL_LINEAR));
}

TEST(D3D9Translate, CullingFollowsTheMirroredFramebuffer)
{
    EXPECT_FALSE(TranslateCull(D3DCULL_NONE).enabled);
    EXPECT_TRUE(TranslateCull(D3DCULL_CCW).enabled);
    EXPECT_EQ(TranslateCull(D3DCULL_CCW).face, static_cast<GLenum>(GL_BACK));
    EXPECT_EQ(TranslateCull(D3DCULL_CW).face, static_cast<GLenum>(GL_FRONT));
}

struct DeclCase
{
    BYTE type;
    GLint size;
    GLenum glType;
    GLboolean normalized;
    UINT bytes;
    bool bgra;
};
class DeclTypeTable : public ::testing::TestWithParam<DeclCase>
{
};
TEST_P(DeclTypeTable, MapsAttributeFormat)
{
    AttribFormat format{};
    ASSERT_TRUE(TranslateDeclType(GetParam().type, format));
    EXPECT_EQ(format.size, GetParam().size);
    EXPECT_EQ(format.type, GetParam().glType);
    EXPECT_EQ(format.normalized, GetParam().normalized);
    EXPECT_EQ(format.bytes, GetParam().bytes);
    EXPECT_EQ(format.bgra, GetParam().bgra);
}
INSTANTIATE_TEST_SUITE_P(D3D9Translate, DeclTypeTable,
                         ::testing::Values(DeclCase{D3DDECLTYPE_FLOAT1, 1, GL_FLOAT, GL_FALSE, 4, false},
                                           DeclCase{D3DDECLTYPE_FLOAT2, 2, GL_FLOAT, GL_FALSE, 8, false},
                                           DeclCase{D3DDECLTYPE_FLOAT3, 3, GL_FLOAT, GL_FALSE, 12, false},
                                           DeclCase{D3DDECLTYPE_FLOAT4, 4, GL_FLOAT, GL_FALSE, 16, false},
                                           DeclCase{D3DDECLTYPE_D3DCOLOR, 4, GL_UNSIGNED_BYTE, GL_TRUE, 4, true},
                                           DeclCase{D3DDECLTYPE_UBYTE4, 4, GL_UNSIGNED_BYTE, GL_FALSE, 4, false},
                                           DeclCase{D3DDECLTYPE_UBYTE4N, 4, GL_UNSIGNED_BYTE, GL_TRUE, 4, false},
                                           DeclCase{D3DDECLTYPE_SHORT2N, 2, GL_SHORT, GL_TRUE, 4, false},
                                           DeclCase{D3DDECLTYPE_FLOAT16_4, 4, GL_HALF_FLOAT, GL_FALSE, 8, false}));

TEST(D3D9Translate, PackedAndUnusedDeclarationTypesAreRefused)
{
    AttribFormat format{};
    EXPECT_FALSE(TranslateDeclType(D3DDECLTYPE_UDEC3, format));
    EXPECT_FALSE(TranslateDeclType(D3DDECLTYPE_DEC3N, format));
    EXPECT_FALSE(TranslateDeclType(D3DDECLTYPE_UNUSED, format));
}

struct PrimitiveCase
{
    D3DPRIMITIVETYPE type;
    UINT count;
    GLenum mode;
    GLsizei vertices;
};
class PrimitiveTable : public ::testing::TestWithParam<PrimitiveCase>
{
};
TEST_P(PrimitiveTable, CountsVertices)
{
    GLenum mode = 0;
    GLsizei vertices = 0;
    ASSERT_TRUE(TranslatePrimitive(GetParam().type, GetParam().count, mode, vertices));
    EXPECT_EQ(mode, GetParam().mode);
    EXPECT_EQ(vertices, GetParam().vertices);
}
INSTANTIATE_TEST_SUITE_P(D3D9Translate, PrimitiveTable,
                         ::testing::Values(PrimitiveCase{D3DPT_POINTLIST, 5, GL_POINTS, 5},
                                           PrimitiveCase{D3DPT_LINELIST, 5, GL_LINES, 10},
                                           PrimitiveCase{D3DPT_LINESTRIP, 5, GL_LINE_STRIP, 6},
                                           PrimitiveCase{D3DPT_TRIANGLELIST, 5, GL_TRIANGLES, 15},
                                           PrimitiveCase{D3DPT_TRIANGLESTRIP, 5, GL_TRIANGLE_STRIP, 7},
                                           PrimitiveCase{D3DPT_TRIANGLEFAN, 5, GL_TRIANGLE_FAN, 7}));

TEST(D3D9Translate, FormatsUploadInMemoryByteOrder)
{
    FormatInfo info;
    ASSERT_TRUE(TranslateFormat(D3DFMT_A8R8G8B8, info));
    EXPECT_EQ(info.format, static_cast<GLenum>(GL_BGRA));
    EXPECT_EQ(info.bytesPerPixel, 4u);
    EXPECT_TRUE(info.renderable);
    ASSERT_TRUE(TranslateFormat(D3DFMT_X8R8G8B8, info));
    EXPECT_EQ(info.swizzle[3], GL_ONE) << "X8 reads as opaque";
    ASSERT_TRUE(TranslateFormat(D3DFMT_L8, info));
    EXPECT_EQ(info.swizzle[1], GL_RED);
    ASSERT_TRUE(TranslateFormat(D3DFMT_DXT1, info));
    EXPECT_EQ(LevelPitch(info, 5), 16u) << "two 8-byte blocks";
    EXPECT_EQ(LevelRows(info, 5), 2u);
    ASSERT_TRUE(TranslateFormat(D3DFMT_D24S8, info));
    EXPECT_TRUE(info.depth && info.stencil);
    EXPECT_FALSE(TranslateFormat(D3DFMT_P8, info));
}

TEST(D3D9Translate, FullMipChainEndsAtOnePixel)
{
    EXPECT_EQ(FullMipCount(1, 1), 1u);
    EXPECT_EQ(FullMipCount(256, 16), 9u);
    EXPECT_EQ(FullMipCount(5, 3), 3u);
}

TEST(D3D9Translate, DefaultStatesAreDirect3DOnes)
{
    EXPECT_EQ(DefaultRenderState(D3DRS_ZENABLE, true), static_cast<DWORD>(D3DZB_TRUE));
    EXPECT_EQ(DefaultRenderState(D3DRS_ZENABLE, false), static_cast<DWORD>(D3DZB_FALSE));
    EXPECT_EQ(DefaultRenderState(D3DRS_CULLMODE, true), static_cast<DWORD>(D3DCULL_CCW));
    EXPECT_EQ(DefaultRenderState(D3DRS_ZFUNC, true), static_cast<DWORD>(D3DCMP_LESSEQUAL));
    EXPECT_EQ(DefaultRenderState(D3DRS_SRCBLEND, true), static_cast<DWORD>(D3DBLEND_ONE));
    EXPECT_EQ(DefaultRenderState(D3DRS_DESTBLEND, true), static_cast<DWORD>(D3DBLEND_ZERO));
    EXPECT_EQ(DefaultRenderState(D3DRS_ALPHABLENDENABLE, true), 0u);
    EXPECT_EQ(DefaultRenderState(D3DRS_COLORWRITEENABLE, true), 0xFu);
    EXPECT_EQ(DwordToFloat(DefaultRenderState(D3DRS_POINTSIZE_MAX, true)), 64.0f);
    EXPECT_EQ(DefaultSamplerState(D3DSAMP_MINFILTER), static_cast<DWORD>(D3DTEXF_POINT));
    EXPECT_EQ(DefaultSamplerState(D3DSAMP_MIPFILTER), static_cast<DWORD>(D3DTEXF_NONE));
    EXPECT_EQ(DefaultSamplerState(D3DSAMP_ADDRESSU), static_cast<DWORD>(D3DTADDRESS_WRAP));
}

TEST(D3D9Translate, RenderStatesFeedTheirGroups)
{
    EXPECT_EQ(RenderStateGroup(D3DRS_ZFUNC), static_cast<uint32_t>(kGroupDepth));
    EXPECT_EQ(RenderStateGroup(D3DRS_BLENDOP), static_cast<uint32_t>(kGroupBlend));
    EXPECT_EQ(RenderStateGroup(D3DRS_CULLMODE), static_cast<uint32_t>(kGroupRaster));
    EXPECT_EQ(RenderStateGroup(D3DRS_POINTSPRITEENABLE), static_cast<uint32_t>(kGroupPoint));
    EXPECT_EQ(RenderStateGroup(D3DRS_LIGHTING), static_cast<uint32_t>(kGroupNone)) << "no effect under shaders";
}

TEST(D3D9Translate, SwapIntervalFromPresentationInterval)
{
    EXPECT_EQ(SwapInterval(D3DPRESENT_INTERVAL_DEFAULT), 1);
    EXPECT_EQ(SwapInterval(D3DPRESENT_INTERVAL_ONE), 1);
    EXPECT_EQ(SwapInterval(D3DPRESENT_INTERVAL_IMMEDIATE), 0);
    EXPECT_EQ(SwapInterval(D3DPRESENT_INTERVAL_TWO), 2);
}

TEST(D3D9Translate, ColourBytesBecomeRgbaFloats)
{
    float rgba[4];
    ColorToFloats(0xFF2040C0, rgba);
    EXPECT_FLOAT_EQ(rgba[0], 32.0f / 255.0f);
    EXPECT_FLOAT_EQ(rgba[1], 64.0f / 255.0f);
    EXPECT_FLOAT_EQ(rgba[2], 192.0f / 255.0f);
    EXPECT_FLOAT_EQ(rgba[3], 1.0f);
}
} // namespace
