// Pixel tests of the Direct3D 9 layer, headless: each checks the answer
// Direct3D 9 gives for the same calls.
#include "support/d3d9_fixture.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace
{
using namespace d3d9test;

TEST_F(D3D9PixelTest, ClearsTargetDepthAndStencilSeparately)
{
    CreateDevice();
    ASSERT_EQ(m_Device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF102030, 0.3f, 1),
              D3D_OK);
    EXPECT_TRUE(SameColor(At(BackBuffer(), 5, 5), 0xFF102030));

    // Depth 0.3 rejects a quad at 0.5 until only the depth is cleared to 1.
    FullQuad(0.5f, 0xFFFF0000);
    EXPECT_TRUE(SameColor(At(BackBuffer(), 5, 5), 0xFF102030));
    ASSERT_EQ(m_Device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0xFF00FF00, 1.0f, 0), D3D_OK);
    EXPECT_TRUE(SameColor(At(BackBuffer(), 5, 5), 0xFF102030)) << "a depth clear leaves colour alone";
    FullQuad(0.5f, 0xFFFF0000);
    EXPECT_TRUE(SameColor(At(BackBuffer(), 5, 5), 0xFFFF0000));

    // The stencil value 1 survived the depth clear; a stencil clear to 0 changes it.
    m_Device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
    m_Device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
    m_Device->SetRenderState(D3DRS_STENCILREF, 1);
    FullQuad(0.5f, 0xFF0000FF);
    EXPECT_TRUE(SameColor(At(BackBuffer(), 5, 5), 0xFF0000FF));
    ASSERT_EQ(m_Device->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0), D3D_OK);
    FullQuad(0.5f, 0xFF00FF00);
    EXPECT_TRUE(SameColor(At(BackBuffer(), 5, 5), 0xFF0000FF));
}

TEST_F(D3D9PixelTest, ClearCoversViewportAndRectanglesOfBoundTarget)
{
    CreateDevice();
    m_Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    D3DVIEWPORT9 viewport{8, 4, 16, 8, 0.0f, 1.0f};
    ASSERT_EQ(m_Device->SetViewport(&viewport), D3D_OK);
    m_Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
    D3DRECT rect{0, 0, 10, 10};
    m_Device->Clear(1, &rect, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
    const std::vector<uint32_t> pixels = BackBuffer("clear_viewport");
    EXPECT_TRUE(SameColor(At(pixels, 7, 4), 0xFF000000)) << "left of the viewport";
    EXPECT_TRUE(SameColor(At(pixels, 8, 4), 0xFF00FF00)) << "rectangle inside the viewport";
    EXPECT_TRUE(SameColor(At(pixels, 10, 9), 0xFFFF0000));
    EXPECT_TRUE(SameColor(At(pixels, 23, 11), 0xFFFF0000));
    EXPECT_TRUE(SameColor(At(pixels, 24, 11), 0xFF000000));
    EXPECT_TRUE(SameColor(At(pixels, 8, 12), 0xFF000000)) << "below the viewport";

    // On a bound render target the clear goes there, not to the back buffer.
    IDirect3DTexture9* target = RenderTarget(16, 16);
    IDirect3DSurface9* surface = nullptr;
    ASSERT_EQ(target->GetSurfaceLevel(0, &surface), D3D_OK);
    IDirect3DSurface9* backBuffer = nullptr;
    m_Device->GetRenderTarget(0, &backBuffer);
    ASSERT_EQ(m_Device->SetRenderTarget(0, surface), D3D_OK);
    m_Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    const std::vector<uint32_t> inTarget = Pixels(surface);
    EXPECT_TRUE(SameColor(At(inTarget, 15, 15, 16), 0xFF0000FF)) << "the whole target: its viewport was reset";
    m_Device->SetRenderTarget(0, backBuffer);
    EXPECT_TRUE(SameColor(At(BackBuffer(), 7, 4), 0xFF000000));
    backBuffer->Release();
    surface->Release();
    target->Release();
}

TEST_F(D3D9PixelTest, BlendsKnownColours)
{
    CreateDevice();
    m_Device->SetRenderState(D3DRS_ZENABLE, FALSE);
    m_Device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    struct Case
    {
        DWORD src, dest;
        D3DCOLOR background, color, expected;
    };
    const Case cases[] = {
        {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0xFF0000FF, 0x80FF0000, 0xFF80007F},
        {D3DBLEND_ONE, D3DBLEND_ONE, 0xFF404040, 0x00202020, 0xFF606060},
        {D3DBLEND_SRCALPHA, D3DBLEND_ONE, 0xFF400000, 0x80FF0000, 0xFFC00000},
    };
    for (const Case& c : cases)
    {
        m_Device->SetRenderState(D3DRS_SRCBLEND, c.src);
        m_Device->SetRenderState(D3DRS_DESTBLEND, c.dest);
        m_Device->Clear(0, nullptr, D3DCLEAR_TARGET, c.background, 1.0f, 0);
        FullQuad(0.5f, c.color);
        // Alpha blends with the same factors; compare colour channels only.
        EXPECT_TRUE(SameColor(At(BackBuffer(), 3, 3) | 0xFF000000, c.expected, 1)) << c.src << "/" << c.dest;
    }
}

TEST_F(D3D9PixelTest, DepthTestIsOnByDefaultWithLessEqual)
{
    CreateDevice();
    DWORD value = 0;
    m_Device->GetRenderState(D3DRS_ZENABLE, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DZB_TRUE));
    m_Device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    FullQuad(0.2f, 0xFFFF0000);
    FullQuad(0.6f, 0xFF00FF00);
    EXPECT_TRUE(SameColor(At(BackBuffer(), 10, 10), 0xFFFF0000)) << "the farther quad is hidden";
    FullQuad(0.2f, 0xFF0000FF);
    EXPECT_TRUE(SameColor(At(BackBuffer(), 10, 10), 0xFF0000FF)) << "equal depth passes";
}

TEST_F(D3D9PixelTest, CullsCounterClockwiseTrianglesByDefault)
{
    CreateDevice();
    m_Device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    Quad(-1, 1, 1, -1, 0.5f, 0xFFFF0000, false);
    EXPECT_TRUE(SameColor(At(BackBuffer(), 10, 10), 0xFF000000)) << "counter-clockwise is culled";
    Quad(-1, 1, 1, -1, 0.5f, 0xFF00FF00, true);
    EXPECT_TRUE(SameColor(At(BackBuffer(), 10, 10), 0xFF00FF00)) << "clockwise is drawn";

    m_Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    Quad(-1, 1, 1, -1, 0.5f, 0xFF0000FF, false);
    EXPECT_TRUE(SameColor(At(BackBuffer(), 10, 10), 0xFF0000FF));
    m_Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    Quad(-1, 1, 1, -1, 0.5f, 0xFFFF0000, true);
    EXPECT_TRUE(SameColor(At(BackBuffer(), 10, 10), 0xFF0000FF)) << "clockwise culled under D3DCULL_CW";
}

TEST_F(D3D9PixelTest, TransposedMatrixInFourRegistersMovesVertexAsRowVectorMaths)
{
    CreateDevice();
    // Row-vector maths: p' = p * M, with M scaling by 0.25 and translating by (0.5, -0.5).
    const float m[4][4] = {{0.25f, 0, 0, 0}, {0, 0.25f, 0, 0}, {0, 0, 1, 0}, {0.5f, -0.5f, 0, 1}};
    float transposed[16];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            transposed[r * 4 + c] = m[c][r];
    IDirect3DVertexShader9* shader =
        MakeVertexShader(m_Device, kInputs, 4,
                         "vec4 p = vec4(in_0.xyz, 1.0);"
                         "pos = vec4(dot(p, vs_c[0]), dot(p, vs_c[1]), dot(p, vs_c[2]), dot(p, vs_c[3]));"
                         "v_COLOR0 = in_1;");
    ASSERT_NE(shader, nullptr);
    m_Device->SetVertexShader(shader);
    ASSERT_EQ(m_Device->SetVertexShaderConstantF(0, transposed, 4), D3D_OK);
    m_Device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    FullQuad(0.5f, 0xFFFFFFFF);
    // Clip x 0.25..0.75 and y -0.25..-0.75 are pixels 20..27 across and down.
    const std::vector<uint32_t> pixels = BackBuffer("matrix");
    EXPECT_TRUE(SameColor(At(pixels, 20, 20), 0xFFFFFFFF));
    EXPECT_TRUE(SameColor(At(pixels, 27, 27), 0xFFFFFFFF));
    EXPECT_TRUE(SameColor(At(pixels, 19, 24), 0xFF000000));
    EXPECT_TRUE(SameColor(At(pixels, 24, 28), 0xFF000000));
    EXPECT_TRUE(SameColor(At(pixels, 16, 16), 0xFF000000));
    m_Device->SetVertexShader(nullptr);
    shader->Release();
}

TEST_F(D3D9PixelTest, TexturesAndRenderTargetsAppearUpright)
{
    CreateDevice();
    IDirect3DTexture9* image = Quadrants();
    UseTexture(image);
    m_Device->SetRenderState(D3DRS_ZENABLE, FALSE);
    FullQuad(0.5f, 0xFFFFFFFF);
    ExpectQuadrants(BackBuffer("image_upright"), kSize, "image in the back buffer");

    // Drawn into a render target, then that target sampled into the back buffer and into another target.
    IDirect3DTexture9* first = RenderTarget(kSize, kSize);
    IDirect3DTexture9* second = RenderTarget(kSize, kSize);
    IDirect3DSurface9 *firstSurface = nullptr, *secondSurface = nullptr, *backBuffer = nullptr;
    first->GetSurfaceLevel(0, &firstSurface);
    second->GetSurfaceLevel(0, &secondSurface);
    m_Device->GetRenderTarget(0, &backBuffer);
    m_Device->SetRenderTarget(0, firstSurface);
    FullQuad(0.5f, 0xFFFFFFFF);
    ExpectQuadrants(Pixels(firstSurface), kSize, "image in a render target");

    m_Device->SetTexture(0, first);
    m_Device->SetRenderTarget(0, secondSurface);
    FullQuad(0.5f, 0xFFFFFFFF);
    ExpectQuadrants(Pixels(secondSurface, "target_in_target"), kSize, "render target in a render target");
    m_Device->SetRenderTarget(0, backBuffer);
    m_Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    FullQuad(0.5f, 0xFFFFFFFF);
    ExpectQuadrants(BackBuffer(), kSize, "render target in the back buffer");

    m_Device->SetTexture(0, nullptr);
    for (IUnknown* object : std::vector<IUnknown*>{backBuffer, firstSurface, secondSurface, first, second, image})
        object->Release();
}

TEST_F(D3D9PixelTest, ManagedTextureLevelsLockAndSampleOnTheirOwn)
{
    CreateDevice();
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(m_Device->CreateTexture(4, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    ASSERT_EQ(texture->GetLevelCount(), 3u) << "a full chain down to 1x1";
    D3DSURFACE_DESC desc;
    ASSERT_EQ(texture->GetLevelDesc(1, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 2u);
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    const D3DCOLOR colors[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
    for (UINT level = 0; level < 3; ++level)
    {
        D3DLOCKED_RECT locked;
        ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
        EXPECT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3DERR_INVALIDCALL) << "already locked";
        const UINT size = 4 >> level;
        for (UINT y = 0; y < size; ++y)
            for (UINT x = 0; x < size; ++x)
                reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch)[x] = colors[level];
        ASSERT_EQ(texture->UnlockRect(level), D3D_OK);
    }
    EXPECT_EQ(texture->LockRect(3, nullptr, nullptr, 0), D3DERR_INVALIDCALL);
    UseTexture(texture);
    m_Device->SetRenderState(D3DRS_ZENABLE, FALSE);
    m_Device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
    for (UINT level = 0; level < 3; ++level)
    {
        m_Device->SetSamplerState(0, D3DSAMP_MAXMIPLEVEL, level);
        FullQuad(0.5f, 0xFFFFFFFF);
        EXPECT_TRUE(SameColor(At(BackBuffer(), 1, 1), colors[level])) << "level " << level;
    }
    m_Device->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(D3D9PixelTest, HalfPixelQuadCopiesSameSizeTargetPixelForPixel)
{
    CreateDevice();
    IDirect3DTexture9* pattern = nullptr;
    ASSERT_EQ(m_Device->CreateTexture(kSize, kSize, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &pattern, nullptr), D3D_OK);
    D3DLOCKED_RECT locked;
    pattern->LockRect(0, &locked, nullptr, 0);
    std::vector<uint32_t> expected(kSize * kSize);
    uint32_t seed = 12345;
    for (UINT i = 0; i < kSize * kSize; ++i)
    {
        seed = seed * 1103515245u + 12345u;
        expected[i] = 0xFF000000u | (seed >> 8);
    }
    for (UINT y = 0; y < kSize; ++y)
        std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch, &expected[y * kSize], kSize * 4);
    pattern->UnlockRect(0);

    IDirect3DTexture9* target = RenderTarget(kSize, kSize);
    IDirect3DSurface9 *targetSurface = nullptr, *backBuffer = nullptr;
    target->GetSurfaceLevel(0, &targetSurface);
    m_Device->GetRenderTarget(0, &backBuffer);
    m_Device->SetRenderState(D3DRS_ZENABLE, FALSE);
    // Bilinear filtering shows any drift from the texel centres.
    m_Device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    m_Device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    UseTexture(pattern);
    m_Device->SetRenderTarget(0, targetSurface);
    TexelQuad(kSize, kSize);
    EXPECT_EQ(Pixels(targetSurface), expected) << "image into render target";
    m_Device->SetTexture(0, target);
    m_Device->SetRenderTarget(0, backBuffer);
    TexelQuad(kSize, kSize);
    EXPECT_EQ(BackBuffer("texel_copy"), expected) << "render target into back buffer";

    m_Device->SetTexture(0, nullptr);
    for (IUnknown* object : std::vector<IUnknown*>{backBuffer, targetSurface, target, pattern})
        object->Release();
}

TEST_F(D3D9PixelTest, PointSpritesArePsizePixelsWithTexcoordZeroAtTopLeft)
{
    CreateDevice();
    struct Point
    {
        float x, y, z, size;
    };
    const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
                                          {0, 12, D3DDECLTYPE_FLOAT1, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_PSIZE, 0},
                                          D3DDECL_END()};
    IDirect3DVertexDeclaration9* declaration = nullptr;
    ASSERT_EQ(m_Device->CreateVertexDeclaration(elements, &declaration), D3D_OK);
    IDirect3DVertexShader9* shader = MakeVertexShader(m_Device, {{D3DDECLUSAGE_POSITION, 0}, {D3DDECLUSAGE_PSIZE, 0}},
                                                      0, "pos = vec4(in_0.xyz, 1.0); gl_PointSize = in_1.x;");
    ASSERT_NE(shader, nullptr);
    IDirect3DPixelShader9* white = MakePixelShader(m_Device, {}, 0, "color = vec4(1.0);");
    m_Device->SetVertexDeclaration(declaration);
    m_Device->SetVertexShader(shader);
    m_Device->SetPixelShader(white);
    m_Device->SetRenderState(D3DRS_ZENABLE, FALSE);

    // Centred on the pixel corner at (16, 16), a 4-pixel point covers pixels 14..17.
    const Point small{0.0f, 0.0f, 0.5f, 4.0f};
    m_Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    ASSERT_EQ(m_Device->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &small, sizeof small), D3D_OK);
    std::vector<uint32_t> pixels = BackBuffer("point");
    for (UINT i = 14; i <= 17; ++i)
    {
        EXPECT_TRUE(SameColor(At(pixels, i, 16), 0xFFFFFFFF)) << i;
        EXPECT_TRUE(SameColor(At(pixels, 16, i), 0xFFFFFFFF)) << i;
    }
    EXPECT_TRUE(SameColor(At(pixels, 13, 16), 0xFF000000));
    EXPECT_TRUE(SameColor(At(pixels, 18, 16), 0xFF000000));
    EXPECT_TRUE(SameColor(At(pixels, 16, 18), 0xFF000000));

    IDirect3DTexture9* texture = Quadrants();
    m_Device->SetPixelShader(m_TextureShader);
    m_Device->SetTexture(0, texture);
    m_Device->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
    const Point sprite{0.0f, 0.0f, 0.5f, 8.0f};
    m_Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    ASSERT_EQ(m_Device->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &sprite, sizeof sprite), D3D_OK);
    pixels = BackBuffer("sprite");
    EXPECT_TRUE(SameColor(At(pixels, 12, 12), 0xFFFF0000)) << "top-left texel at the sprite's top left";
    EXPECT_TRUE(SameColor(At(pixels, 19, 12), 0xFF00FF00));
    EXPECT_TRUE(SameColor(At(pixels, 12, 19), 0xFF0000FF));
    EXPECT_TRUE(SameColor(At(pixels, 19, 19), 0xFFFFFFFF));
    EXPECT_TRUE(SameColor(At(pixels, 11, 12), 0xFF000000));

    m_Device->SetTexture(0, nullptr);
    m_Device->SetVertexShader(nullptr);
    m_Device->SetPixelShader(nullptr);
    m_Device->SetVertexDeclaration(nullptr);
    for (IUnknown* object : std::vector<IUnknown*>{texture, white, shader, declaration})
        object->Release();
}

TEST_F(D3D9PixelTest, VertexColourArrivesAsRgba)
{
    CreateDevice();
    m_Device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    IDirect3DPixelShader9* swizzle =
        MakePixelShader(m_Device, {}, 0, "color = vec4(v_COLOR0.r, 0.0, 0.0, v_COLOR0.a);");
    ASSERT_NE(swizzle, nullptr);
    FullQuad(0.5f, 0xC02040A0);
    EXPECT_TRUE(SameColor(At(BackBuffer(), 4, 4), 0xC02040A0));
    // The shader's red is the colour's red byte, its alpha the alpha byte.
    m_Device->SetPixelShader(swizzle);
    FullQuad(0.5f, 0xC02040A0);
    EXPECT_TRUE(SameColor(At(BackBuffer(), 4, 4), 0xC0200000));
    m_Device->SetPixelShader(nullptr);
    swizzle->Release();
}

TEST_F(D3D9PixelTest, RenderTargetUsesItsOwnDepthAndSwitchingBackRestoresSizeAndDepth)
{
    CreateDevice();
    m_Device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    IDirect3DTexture9* target = RenderTarget(16, 16);
    IDirect3DSurface9 *surface = nullptr, *depth = nullptr, *backBuffer = nullptr, *autoDepth = nullptr;
    target->GetSurfaceLevel(0, &surface);
    ASSERT_EQ(m_Device->CreateDepthStencilSurface(16, 16, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, 0, FALSE, &depth, nullptr),
              D3D_OK);
    m_Device->GetRenderTarget(0, &backBuffer);
    m_Device->GetDepthStencilSurface(&autoDepth);

    m_Device->SetRenderTarget(0, surface);
    m_Device->SetDepthStencilSurface(depth);
    D3DVIEWPORT9 viewport;
    m_Device->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 16u);
    EXPECT_EQ(viewport.Height, 16u);
    m_Device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 0.2f, 0);
    FullQuad(0.5f, 0xFFFF0000);
    EXPECT_TRUE(SameColor(At(Pixels(surface), 8, 8, 16), 0xFF000000)) << "the target's depth of 0.2 rejects 0.5";

    m_Device->SetRenderTarget(0, backBuffer);
    m_Device->SetDepthStencilSurface(autoDepth);
    m_Device->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, kSize);
    FullQuad(0.5f, 0xFF00FF00);
    FullQuad(0.7f, 0xFF0000FF);
    const std::vector<uint32_t> pixels = BackBuffer();
    EXPECT_TRUE(SameColor(At(pixels, 31, 31), 0xFF00FF00)) << "whole back buffer, its own depth buffer";

    for (IUnknown* object : std::vector<IUnknown*>{autoDepth, backBuffer, depth, surface, target})
        object->Release();
}

TEST_F(D3D9PixelTest, DeviceLossAndResetFollowDirect3DRules)
{
    CreateDevice();
    IDirect3DTexture9* target = RenderTarget(8, 8);
    IDirect3DTexture9* managed = Quadrants();
    EXPECT_EQ(m_Device->TestCooperativeLevel(), D3D_OK);

    D3D9Test_ForceDeviceLost(m_Device);
    EXPECT_EQ(m_Device->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(m_Device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(FullQuad(0.5f, 0xFFFFFFFF), D3D_OK) << "draws while lost do nothing and succeed";
    EXPECT_EQ(m_Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3D_OK);
    EXPECT_EQ(m_Device->Reset(&m_Params), D3DERR_DEVICELOST) << "not while the cause lasts";

    D3D9Test_EndDeviceLoss(m_Device);
    EXPECT_EQ(m_Device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(m_Device->Reset(&m_Params), D3DERR_INVALIDCALL) << "a default-pool texture is alive";
    EXPECT_EQ(m_Device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    target->Release();

    IDirect3DSurface9* backBuffer = nullptr;
    m_Device->GetRenderTarget(0, &backBuffer);
    EXPECT_EQ(m_Device->Reset(&m_Params), D3DERR_INVALIDCALL) << "the back buffer is still referenced";
    backBuffer->Release();

    m_Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    ASSERT_EQ(m_Device->Reset(&m_Params), D3D_OK) << "managed objects may stay";
    EXPECT_EQ(m_Device->TestCooperativeLevel(), D3D_OK);
    DWORD cull = 0;
    m_Device->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, static_cast<DWORD>(D3DCULL_CCW)) << "Reset restores the default states";
    IDirect3DVertexShader9* bound = nullptr;
    m_Device->GetVertexShader(&bound);
    EXPECT_EQ(bound, nullptr) << "and unbinds";

    UseTexture(managed);
    m_Device->SetRenderState(D3DRS_ZENABLE, FALSE);
    FullQuad(0.5f, 0xFFFFFFFF);
    ExpectQuadrants(BackBuffer(), kSize, "managed texture after Reset");
    EXPECT_EQ(m_Device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    m_Device->SetTexture(0, nullptr);
    managed->Release();
}

TEST_F(D3D9PixelTest, FullScreenDeviceIsLostWhileItsWindowHasNoFocus)
{
    m_Params.Windowed = FALSE;
    CreateDevice();
    auto focus = [this](Uint8 event)
    {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = SDL_GetWindowID(Win32GetSdlWindow(m_Window));
        e.window.event = event;
        SDL_PushEvent(&e);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    };
    focus(SDL_WINDOWEVENT_FOCUS_GAINED);
    EXPECT_EQ(m_Device->TestCooperativeLevel(), D3D_OK);
    focus(SDL_WINDOWEVENT_FOCUS_LOST);
    EXPECT_EQ(m_Device->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(m_Device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    focus(SDL_WINDOWEVENT_FOCUS_GAINED);
    EXPECT_EQ(m_Device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(m_Device->Reset(&m_Params), D3D_OK);
    EXPECT_EQ(m_Device->TestCooperativeLevel(), D3D_OK);
}

TEST_F(D3D9PixelTest, MultisampleCountsTheImplementationLacksFailCreation)
{
    m_Params.MultiSampleType = D3DMULTISAMPLE_4_SAMPLES;
    CreateDevice();
    m_Device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    FullQuad(0.5f, 0xFF00FF00);
    EXPECT_TRUE(SameColor(At(BackBuffer(), 9, 9), 0xFF00FF00)) << "a 4x back buffer draws and resolves";
    EXPECT_EQ(m_Device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    GLint maxSamples = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);

    D3DPRESENT_PARAMETERS six = m_Params;
    six.MultiSampleType = D3DMULTISAMPLE_6_SAMPLES;
    IDirect3DDevice9* other = nullptr;
    const HRESULT hr = m_D3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_Window,
                                           D3DCREATE_HARDWARE_VERTEXPROCESSING, &six, &other);
    if (maxSamples < 6)
    {
        EXPECT_EQ(hr, D3DERR_NOTAVAILABLE);
        EXPECT_EQ(other, nullptr);
    }
    else if (other)
    {
        other->Release();
    }
}

TEST_F(D3D9PixelTest, SceneBracketsMustBalance)
{
    CreateDevice();
    EXPECT_EQ(m_Device->EndScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_Device->BeginScene(), D3D_OK);
    EXPECT_EQ(m_Device->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_Device->EndScene(), D3D_OK);
    EXPECT_EQ(m_Device->EndScene(), D3DERR_INVALIDCALL);
}

TEST_F(D3D9PixelTest, BuffersLockWithinBoundsAndDrawWithBothIndexSizes)
{
    CreateDevice();
    IDirect3DVertexBuffer9* vertices = nullptr;
    ASSERT_EQ(m_Device->CreateVertexBuffer(8 * sizeof(Vertex), D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0,
                                           D3DPOOL_DEFAULT, &vertices, nullptr),
              D3D_OK);
    void* data = nullptr;
    EXPECT_EQ(vertices->Lock(0, 8 * sizeof(Vertex) + 1, &data, D3DLOCK_DISCARD), D3DERR_INVALIDCALL);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(vertices->Lock(7 * sizeof(Vertex), 2 * sizeof(Vertex), &data, 0), D3DERR_INVALIDCALL);

    // Two quads: the left half red, then the right half green appended without overwriting.
    const Vertex left[] = {{-1, 1, 0.5f, 0xFFFF0000, 0, 0},
                           {0, 1, 0.5f, 0xFFFF0000, 0, 0},
                           {-1, -1, 0.5f, 0xFFFF0000, 0, 0},
                           {0, -1, 0.5f, 0xFFFF0000, 0, 0}};
    const Vertex right[] = {{0, 1, 0.5f, 0xFF00FF00, 0, 0},
                            {1, 1, 0.5f, 0xFF00FF00, 0, 0},
                            {0, -1, 0.5f, 0xFF00FF00, 0, 0},
                            {1, -1, 0.5f, 0xFF00FF00, 0, 0}};
    ASSERT_EQ(vertices->Lock(0, sizeof left, &data, D3DLOCK_DISCARD), D3D_OK);
    std::memcpy(data, left, sizeof left);
    vertices->Unlock();
    ASSERT_EQ(vertices->Lock(sizeof left, sizeof right, &data, D3DLOCK_NOOVERWRITE), D3D_OK);
    std::memcpy(data, right, sizeof right);
    vertices->Unlock();
    EXPECT_EQ(vertices->Unlock(), D3DERR_INVALIDCALL) << "not locked";

    const uint16_t short16[] = {0, 1, 2, 2, 1, 3};
    const uint32_t long32[] = {0, 1, 2, 2, 1, 3};
    IDirect3DIndexBuffer9 *indices16 = nullptr, *indices32 = nullptr;
    ASSERT_EQ(m_Device->CreateIndexBuffer(sizeof short16, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices16, nullptr),
              D3D_OK);
    ASSERT_EQ(m_Device->CreateIndexBuffer(sizeof long32, 0, D3DFMT_INDEX32, D3DPOOL_MANAGED, &indices32, nullptr),
              D3D_OK);
    indices16->Lock(0, 0, &data, 0);
    std::memcpy(data, short16, sizeof short16);
    indices16->Unlock();
    indices32->Lock(0, 0, &data, 0);
    std::memcpy(data, long32, sizeof long32);
    indices32->Unlock();

    m_Device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    m_Device->SetStreamSource(0, vertices, 0, sizeof(Vertex));
    m_Device->SetIndices(indices16);
    EXPECT_EQ(m_Device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
    m_Device->SetIndices(indices32);
    EXPECT_EQ(m_Device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 4, 0, 4, 0, 2), D3D_OK) << "base vertex 4";
    EXPECT_EQ(m_Device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 3, 2), D3DERR_INVALIDCALL)
        << "indices past the end";
    const std::vector<uint32_t> pixels = BackBuffer("indexed");
    EXPECT_TRUE(SameColor(At(pixels, 4, 16), 0xFFFF0000));
    EXPECT_TRUE(SameColor(At(pixels, 28, 16), 0xFF00FF00));

    m_Device->SetStreamSource(0, nullptr, 0, 0);
    m_Device->SetIndices(nullptr);
    for (IUnknown* object : std::vector<IUnknown*>{indices32, indices16, vertices})
        object->Release();
}

TEST_F(D3D9PixelTest, BoundObjectsStayAliveUntilUnbound)
{
    CreateDevice();
    const int before = D3D9Test_LiveObjects();
    IDirect3DTexture9* texture = Quadrants();
    IDirect3DSurface9* level = nullptr;
    texture->GetSurfaceLevel(0, &level);
    EXPECT_EQ(texture->AddRef(), 3u) << "a level shares its texture's count";
    texture->Release();
    level->Release();
    m_Device->SetTexture(0, texture);
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_GT(D3D9Test_LiveObjects(), before) << "the device still holds it";
    UseTexture(texture);
    m_Device->SetRenderState(D3DRS_ZENABLE, FALSE);
    FullQuad(0.5f, 0xFFFFFFFF);
    ExpectQuadrants(BackBuffer(), kSize, "texture released by the application but bound");
    m_Device->SetTexture(0, nullptr);
    EXPECT_EQ(D3D9Test_LiveObjects(), before);
}
} // namespace
