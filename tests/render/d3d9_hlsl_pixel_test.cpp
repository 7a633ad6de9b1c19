// Pixel tests with shaders compiled from HLSL by the D3DX layer: the
// compiler's blobs and the device together give Direct3D 9's pictures.
#include "d3d9/translate.h"
#include "support/d3d9_fixture.h"
#include "support/temp_dir.h"

#include <d3dx9.h>

namespace
{
using namespace d3d9test;

const char kVertexSource[] = R"(
float4x4 transform : register(c0);
struct VS_IN { float3 pos : POSITION; float4 color : COLOR0; float2 uv : TEXCOORD0; };
struct VS_OUT { float4 pos : POSITION; float4 color : COLOR0; float2 uv : TEXCOORD0; float size : PSIZE; };
VS_OUT MainVS(VS_IN i)
{
    VS_OUT o;
    o.pos = mul(float4(i.pos, 1.0), transform);
    o.color = i.color;
    o.uv = i.uv;
    o.size = 8.0;
    return o;
}
)";

const char kTexturedSource[] = R"(
float4 tint : register(c0);
sampler2D image : register(s0);
float4 MainPS(float4 color : COLOR0, float2 uv : TEXCOORD0) : COLOR0
{
    return tex2D(image, uv) * color * tint;
}
)";

const char kTexcoordSource[] = R"(
float4 MainPS(float2 uv : TEXCOORD0) : COLOR0
{
    return float4(uv * 32.0 / 255.0, 0.0, 1.0);
}
)";

// The size comes from c4.x, as the shipped sprite shaders compute theirs.
const char kSizedPointSource[] = R"(
float4 size : register(c4);
struct VS_OUT { float4 pos : POSITION; float4 color : COLOR0; float psize : PSIZE; };
VS_OUT MainVS(float3 pos : POSITION, float4 color : COLOR0)
{
    VS_OUT o;
    o.pos = float4(pos, 1.0);
    o.color = color;
    o.psize = size.x;
    return o;
}
)";

const char kConstantColourSource[] = R"(
float4 colour : register(c0);
float4 MainPS() : COLOR0
{
    return colour;
}
)";

class D3D9HlslPixelTest : public D3D9PixelTest
{
protected:
    // Compiles one entry point of a source written to the scratch directory.
    std::vector<uint8_t> Compile(const char* name, const char* source, const char* entry, const char* profile)
    {
        m_Dir.Write(name, source);
        ID3DXBuffer *code = nullptr, *errors = nullptr;
        const HRESULT hr = D3DXCompileShaderFromFileA((m_Dir.Path() / name).c_str(), nullptr, nullptr, entry, profile,
                                                      0, &code, &errors, nullptr);
        EXPECT_EQ(hr, D3D_OK) << (errors ? static_cast<const char*>(errors->GetBufferPointer()) : "");
        std::vector<uint8_t> bytes;
        if (code)
        {
            const uint8_t* data = static_cast<const uint8_t*>(code->GetBufferPointer());
            bytes.assign(data, data + code->GetBufferSize());
            code->Release();
        }
        if (errors)
            errors->Release();
        return bytes;
    }

    IDirect3DVertexShader9* CompiledVertexShader(const char* source = kVertexSource)
    {
        const std::vector<uint8_t> code = Compile("quad.vsh", source, "MainVS", "vs_2_0");
        IDirect3DVertexShader9* shader = nullptr;
        EXPECT_EQ(m_Device->CreateVertexShader(reinterpret_cast<const DWORD*>(code.data()), &shader), D3D_OK);
        return shader;
    }

    IDirect3DPixelShader9* CompiledPixelShader(const char* source)
    {
        const std::vector<uint8_t> code = Compile("quad.psh", source, "MainPS", "ps_2_0");
        IDirect3DPixelShader9* shader = nullptr;
        EXPECT_EQ(m_Device->CreatePixelShader(reinterpret_cast<const DWORD*>(code.data()), &shader), D3D_OK);
        return shader;
    }

    // The application's matrix goes up transposed, four registers.
    void SetTransform(const float (&m)[4][4])
    {
        float transposed[16];
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                transposed[r * 4 + c] = m[c][r];
        m_Device->SetVertexShaderConstantF(0, transposed, 4);
    }

    TempDir m_Dir;
};

const float kIdentity[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

TEST_F(D3D9HlslPixelTest, CompiledShadersTransformTintAndSampleUpright)
{
    CreateDevice();
    IDirect3DVertexShader9* vs = CompiledVertexShader();
    IDirect3DPixelShader9* ps = CompiledPixelShader(kTexturedSource);
    ASSERT_NE(vs, nullptr);
    ASSERT_NE(ps, nullptr);
    IDirect3DTexture9* texture = Quadrants();
    m_Device->SetVertexShader(vs);
    m_Device->SetPixelShader(ps);
    m_Device->SetTexture(0, texture);
    m_Device->SetRenderState(D3DRS_ZENABLE, FALSE);
    const float white[4] = {1, 1, 1, 1};
    m_Device->SetPixelShaderConstantF(0, white, 1);
    SetTransform(kIdentity);
    FullQuad(0.5f, 0xFFFFFFFF);
    ExpectQuadrants(BackBuffer("hlsl_upright"), kSize, "compiled shaders");

    // Row-vector maths with a scale of 0.25 and a move of (0.5, -0.5); the tint halves green.
    const float moved[4][4] = {{0.25f, 0, 0, 0}, {0, 0.25f, 0, 0}, {0, 0, 1, 0}, {0.5f, -0.5f, 0, 1}};
    SetTransform(moved);
    const float tint[4] = {1, 0.5f, 1, 1};
    m_Device->SetPixelShaderConstantF(0, tint, 1);
    m_Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    FullQuad(0.5f, 0xFFFFFFFF);
    const std::vector<uint32_t> pixels = BackBuffer("hlsl_moved");
    EXPECT_TRUE(SameColor(At(pixels, 20, 20), 0xFFFF0000));
    EXPECT_TRUE(SameColor(At(pixels, 27, 20), 0xFF008000, 1));
    EXPECT_TRUE(SameColor(At(pixels, 27, 27), 0xFFFF80FF, 1));
    EXPECT_TRUE(SameColor(At(pixels, 19, 20), 0xFF000000));

    m_Device->SetTexture(0, nullptr);
    m_Device->SetVertexShader(nullptr);
    m_Device->SetPixelShader(nullptr);
    for (IUnknown* object : std::vector<IUnknown*>{texture, ps, vs})
        object->Release();
}

TEST_F(D3D9HlslPixelTest, TexcoordPerPixelLandsOnDirect3DPixelCentres)
{
    CreateDevice();
    IDirect3DVertexShader9* vs = CompiledVertexShader();
    IDirect3DPixelShader9* ps = CompiledPixelShader(kTexcoordSource);
    ASSERT_NE(vs, nullptr);
    ASSERT_NE(ps, nullptr);
    m_Device->SetVertexShader(vs);
    m_Device->SetPixelShader(ps);
    SetTransform(kIdentity);
    m_Device->SetRenderState(D3DRS_ZENABLE, FALSE);
    FullQuad(0.5f, 0xFFFFFFFF);
    // Direct3D 9 puts pixel i's centre at texcoord i/32: 32 times it is exactly i.
    const std::vector<uint32_t> pixels = BackBuffer();
    for (UINT i = 0; i < kSize; ++i)
    {
        EXPECT_EQ((At(pixels, i, 7) >> 16) & 0xFF, i) << "column " << i;
        EXPECT_EQ((At(pixels, 7, i) >> 8) & 0xFF, i) << "row " << i;
    }
    m_Device->SetVertexShader(nullptr);
    m_Device->SetPixelShader(nullptr);
    ps->Release();
    vs->Release();
}

TEST_F(D3D9HlslPixelTest, CompiledPointSpriteShowsTopLeftTexelAtTopLeft)
{
    CreateDevice();
    IDirect3DVertexShader9* vs = CompiledVertexShader();
    IDirect3DPixelShader9* ps = CompiledPixelShader(kTexturedSource);
    ASSERT_NE(vs, nullptr);
    ASSERT_NE(ps, nullptr);
    IDirect3DTexture9* texture = Quadrants();
    m_Device->SetVertexShader(vs);
    m_Device->SetPixelShader(ps);
    m_Device->SetTexture(0, texture);
    SetTransform(kIdentity);
    const float white[4] = {1, 1, 1, 1};
    m_Device->SetPixelShaderConstantF(0, white, 1);
    m_Device->SetRenderState(D3DRS_ZENABLE, FALSE);
    m_Device->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
    m_Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    const Vertex point{0.0f, 0.0f, 0.5f, 0xFFFFFFFF, 0, 0};
    ASSERT_EQ(m_Device->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &point, sizeof point), D3D_OK);
    const std::vector<uint32_t> pixels = BackBuffer("hlsl_sprite");
    EXPECT_TRUE(SameColor(At(pixels, 12, 12), 0xFFFF0000));
    EXPECT_TRUE(SameColor(At(pixels, 19, 12), 0xFF00FF00));
    EXPECT_TRUE(SameColor(At(pixels, 12, 19), 0xFF0000FF));
    EXPECT_TRUE(SameColor(At(pixels, 19, 19), 0xFFFFFFFF));
    EXPECT_TRUE(SameColor(At(pixels, 20, 19), 0xFF000000));

    m_Device->SetTexture(0, nullptr);
    m_Device->SetVertexShader(nullptr);
    m_Device->SetPixelShader(nullptr);
    for (IUnknown* object : std::vector<IUnknown*>{texture, ps, vs})
        object->Release();
}
// Direct3D 9 clamps a shader's PSIZE to D3DRS_POINTSIZE_MIN..MAX (1..64 by default).
TEST_F(D3D9HlslPixelTest, CompiledPointSizeIsClampedByTheRenderStates)
{
    CreateDevice();
    IDirect3DVertexShader9* vs = CompiledVertexShader(kSizedPointSource);
    IDirect3DPixelShader9* ps = CompiledPixelShader(kConstantColourSource);
    ASSERT_NE(vs, nullptr);
    ASSERT_NE(ps, nullptr);
    const UINT side = 256;
    IDirect3DTexture9* target = RenderTarget(side, side);
    IDirect3DSurface9* surface = nullptr;
    ASSERT_EQ(target->GetSurfaceLevel(0, &surface), D3D_OK);
    ASSERT_EQ(m_Device->SetRenderTarget(0, surface), D3D_OK);
    // The automatic depth buffer is smaller than the target, which Direct3D 9 does not allow.
    IDirect3DSurface9* depth = nullptr;
    ASSERT_EQ(m_Device->GetDepthStencilSurface(&depth), D3D_OK);
    m_Device->SetDepthStencilSurface(nullptr);
    m_Device->SetVertexShader(vs);
    m_Device->SetPixelShader(ps);
    m_Device->SetRenderState(D3DRS_ZENABLE, FALSE);
    m_Device->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
    const float asked[4] = {200, 0, 0, 0}, white[4] = {1, 1, 1, 1};
    m_Device->SetVertexShaderConstantF(4, asked, 1);
    m_Device->SetPixelShaderConstantF(0, white, 1);

    // The lit width of the middle row of a sprite drawn at the centre.
    auto drawnWidth = [&](const char* dumpName)
    {
        m_Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        const Vertex point{0.0f, 0.0f, 0.5f, 0xFFFFFFFF, 0, 0};
        EXPECT_EQ(m_Device->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &point, sizeof point), D3D_OK);
        const std::vector<uint32_t> pixels = Pixels(surface, dumpName);
        UINT lit = 0;
        for (UINT x = 0; x < side; ++x)
            lit += (At(pixels, x, side / 2, side) & 0xFFFFFF) != 0;
        return lit;
    };
    EXPECT_EQ(drawnWidth("hlsl_point_default_max"), 64u);
    m_Device->SetRenderState(D3DRS_POINTSIZE_MAX, d3d9::FloatToDword(256.0f));
    EXPECT_EQ(drawnWidth("hlsl_point_raised_max"), 200u);
    m_Device->SetRenderState(D3DRS_POINTSIZE_MIN, d3d9::FloatToDword(220.0f));
    EXPECT_EQ(drawnWidth("hlsl_point_raised_min"), 220u);

    m_Device->SetVertexShader(nullptr);
    m_Device->SetPixelShader(nullptr);
    IDirect3DSurface9* backBuffer = nullptr;
    ASSERT_EQ(m_Device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
    m_Device->SetRenderTarget(0, backBuffer);
    m_Device->SetDepthStencilSurface(depth);
    for (IUnknown* object : std::vector<IUnknown*>{backBuffer, depth, surface, target, ps, vs})
        object->Release();
}

TEST_F(D3D9HlslPixelTest, AlphaTestDiscardsCompiledPixelShaderOutput)
{
    CreateDevice();
    IDirect3DVertexShader9* vs = CompiledVertexShader();
    IDirect3DPixelShader9* ps = CompiledPixelShader(kConstantColourSource);
    ASSERT_NE(vs, nullptr);
    ASSERT_NE(ps, nullptr);
    m_Device->SetVertexShader(vs);
    m_Device->SetPixelShader(ps);
    SetTransform(kIdentity);
    m_Device->SetRenderState(D3DRS_ZENABLE, FALSE);
    m_Device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    m_Device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    const float quarter[4] = {0, 1, 0, 0.25f};
    m_Device->SetPixelShaderConstantF(0, quarter, 1);
    struct Case
    {
        DWORD reference;
        uint32_t expected;
    };
    // Alpha 0.25 is 64 of 255: it passes "greater than 32" and fails "greater than 128".
    for (const Case& c : {Case{128, 0xFF000000u}, Case{32, 0xFF00FF00u}})
    {
        m_Device->SetRenderState(D3DRS_ALPHAREF, c.reference);
        m_Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        FullQuad(0.5f, 0xFFFFFFFF);
        EXPECT_TRUE(SameColor(At(BackBuffer(), 16, 16) | 0xFF000000, c.expected)) << "reference " << c.reference;
    }
    m_Device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    m_Device->SetVertexShader(nullptr);
    m_Device->SetPixelShader(nullptr);
    ps->Release();
    vs->Release();
}
} // namespace
