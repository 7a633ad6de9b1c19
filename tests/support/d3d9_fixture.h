// The fixture of the Direct3D layer's pixel tests: a hidden window, a
// windowed 32x32 device, pass-through shaders and read-back helpers.
#pragma once

#include "d3d9/test_hooks.h"
#include "support/d3d9_test_shaders.h"
#include "support/present_parameters.h"
#include "win32/internal.h"

#include <d3d9.h>
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <stb/stb_image_write.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace d3d9test
{
using d3d9test::MakePixelShader;
using d3d9test::MakeVertexShader;

inline const UINT kSize = 32;
inline const char kClass[] = "QuorlD3D9PixelTest";

struct Vertex
{
    float x, y, z;
    D3DCOLOR color;
    float u, v;
};

inline const D3DVERTEXELEMENT9 kVertexElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
    {0, 16, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    D3DDECL_END()};

inline const std::vector<d3d9test::VertexInput> kInputs = {
    {D3DDECLUSAGE_POSITION, 0}, {D3DDECLUSAGE_COLOR, 0}, {D3DDECLUSAGE_TEXCOORD, 0}};
inline const char kPassThrough[] = "pos = vec4(in_0.xyz, 1.0); v_COLOR0 = in_1; v_TEXCOORD0 = in_2;";

// Channel-wise comparison with a tolerance for rounding in blends.
inline ::testing::AssertionResult SameColor(uint32_t actual, uint32_t expected, int tolerance = 0)
{
    for (int shift = 0; shift < 32; shift += 8)
    {
        const int a = (actual >> shift) & 0xFF;
        const int e = (expected >> shift) & 0xFF;
        if (std::abs(a - e) > tolerance)
        {
            char text[64];
            std::snprintf(text, sizeof text, "0x%08X, expected 0x%08X", actual, expected);
            return ::testing::AssertionFailure() << text;
        }
    }
    return ::testing::AssertionSuccess();
}

inline LRESULT CALLBACK TestProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

inline D3DPRESENT_PARAMETERS Parameters(HWND window)
{
    return WindowedParameters(window, kSize, kSize);
}

class D3D9PixelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static bool registered = false;
        if (!registered)
        {
            WNDCLASSA wc{};
            wc.lpfnWndProc = TestProc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = kClass;
            ASSERT_NE(RegisterClassA(&wc), 0);
            registered = true;
        }
        m_Window = CreateWindowExA(0, kClass, "d3d9", WS_POPUP, 0, 0, kSize, kSize, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(m_Window, nullptr);
        m_D3D = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(m_D3D, nullptr);
        m_Params = Parameters(m_Window);
    }

    // Most tests draw with a windowed 32x32 device, position/colour/texcoord
    // vertices and pass-through shaders.
    void CreateDevice()
    {
        ASSERT_EQ(m_D3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_Window, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                      &m_Params, &m_Device),
                  D3D_OK);
        ASSERT_EQ(m_Device->CreateVertexDeclaration(kVertexElements, &m_Declaration), D3D_OK);
        m_VertexShader = MakeVertexShader(m_Device, kInputs, 0, kPassThrough);
        m_ColorShader = MakePixelShader(m_Device, {}, 0, "color = v_COLOR0;");
        m_TextureShader = MakePixelShader(m_Device, {0}, 0, "color = texture(s0, v_TEXCOORD0.xy);");
        ASSERT_NE(m_VertexShader, nullptr);
        ASSERT_NE(m_ColorShader, nullptr);
        ASSERT_NE(m_TextureShader, nullptr);
        UseColor();
    }

    void TearDown() override
    {
        for (IUnknown* object : std::vector<IUnknown*>{m_Declaration, m_VertexShader, m_ColorShader, m_TextureShader})
            if (object)
                object->Release();
        if (m_Device)
        {
            EXPECT_EQ(m_Device->Release(), 0u) << "every object was released";
        }
        if (m_D3D)
            m_D3D->Release();
        if (m_Window)
            DestroyWindow(m_Window);
        EXPECT_EQ(D3D9Test_LiveObjects(), 0);
    }

    void UseColor()
    {
        m_Device->SetVertexDeclaration(m_Declaration);
        m_Device->SetVertexShader(m_VertexShader);
        m_Device->SetPixelShader(m_ColorShader);
    }

    void UseTexture(IDirect3DBaseTexture9* texture)
    {
        m_Device->SetVertexDeclaration(m_Declaration);
        m_Device->SetVertexShader(m_VertexShader);
        m_Device->SetPixelShader(m_TextureShader);
        m_Device->SetTexture(0, texture);
    }

    // A rectangle in clip space, wound clockwise on screen (Direct3D's front).
    HRESULT Quad(float left, float top, float right, float bottom, float z, D3DCOLOR color, bool clockwise = true)
    {
        const Vertex tl{left, top, z, color, 0, 0}, tr{right, top, z, color, 1, 0};
        const Vertex bl{left, bottom, z, color, 0, 1}, br{right, bottom, z, color, 1, 1};
        const Vertex strip[] = {tl, clockwise ? tr : bl, clockwise ? bl : tr, br};
        return m_Device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, strip, sizeof(Vertex));
    }

    HRESULT FullQuad(float z, D3DCOLOR color) { return Quad(-1, 1, 1, -1, z, color); }

    // The quad Direct3D 9 needs for texel-exact copies: half a pixel up and left.
    HRESULT TexelQuad(UINT width, UINT height)
    {
        const float dx = 1.0f / width, dy = 1.0f / height;
        return Quad(-1 - dx, 1 + dy, 1 - dx, -1 + dy, 0.5f, 0xFFFFFFFF);
    }

    std::vector<uint32_t> BackBuffer(const char* dumpName = nullptr)
    {
        std::vector<uint32_t> pixels;
        UINT width = 0, height = 0;
        EXPECT_TRUE(D3D9Test_ReadBackBuffer(m_Device, pixels, &width, &height));
        EXPECT_EQ(width, m_Params.BackBufferWidth);
        if (dumpName)
            Dump(dumpName, pixels, width, height);
        return pixels;
    }

    static std::vector<uint32_t> Pixels(IDirect3DSurface9* surface, const char* dumpName = nullptr)
    {
        std::vector<uint32_t> pixels;
        UINT width = 0, height = 0;
        EXPECT_TRUE(D3D9Test_ReadPixels(surface, pixels, &width, &height));
        if (dumpName)
            Dump(dumpName, pixels, width, height);
        return pixels;
    }

    // With QUORL_D3D9_DUMP set, frames are written there as PNG for viewing.
    static void Dump(const char* name, const std::vector<uint32_t>& argb, UINT width, UINT height)
    {
        const char* dir = std::getenv("QUORL_D3D9_DUMP");
        if (!dir)
            return;
        std::vector<uint8_t> rgba;
        for (uint32_t p : argb)
        {
            rgba.push_back((p >> 16) & 0xFF);
            rgba.push_back((p >> 8) & 0xFF);
            rgba.push_back(p & 0xFF);
            rgba.push_back(0xFF);
        }
        const std::string path = std::string(dir) + "/" + name + ".png";
        stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4);
    }

    static uint32_t At(const std::vector<uint32_t>& pixels, UINT x, UINT y, UINT width = kSize)
    {
        return pixels[y * width + x];
    }

    // A managed 2x2 texture: red, green / blue, white.
    IDirect3DTexture9* Quadrants()
    {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(m_Device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
        D3DLOCKED_RECT locked;
        EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        uint32_t* rows = static_cast<uint32_t*>(locked.pBits);
        rows[0] = 0xFFFF0000;
        rows[1] = 0xFF00FF00;
        rows = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + locked.Pitch);
        rows[0] = 0xFF0000FF;
        rows[1] = 0xFFFFFFFF;
        EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
        return texture;
    }

    IDirect3DTexture9* RenderTarget(UINT width, UINT height)
    {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(m_Device->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                          &texture, nullptr),
                  D3D_OK);
        return texture;
    }

    static void ExpectQuadrants(const std::vector<uint32_t>& pixels, UINT width, const char* where)
    {
        const UINT last = width - 1;
        EXPECT_TRUE(SameColor(At(pixels, 0, 0, width), 0xFFFF0000)) << where << ": top left";
        EXPECT_TRUE(SameColor(At(pixels, last, 0, width), 0xFF00FF00)) << where << ": top right";
        EXPECT_TRUE(SameColor(At(pixels, 0, last, width), 0xFF0000FF)) << where << ": bottom left";
        EXPECT_TRUE(SameColor(At(pixels, last, last, width), 0xFFFFFFFF)) << where << ": bottom right";
    }

    HWND m_Window = nullptr;
    IDirect3D9* m_D3D = nullptr;
    D3DPRESENT_PARAMETERS m_Params{};
    IDirect3DDevice9* m_Device = nullptr;
    IDirect3DVertexDeclaration9* m_Declaration = nullptr;
    IDirect3DVertexShader9* m_VertexShader = nullptr;
    IDirect3DPixelShader9* m_ColorShader = nullptr;
    IDirect3DPixelShader9* m_TextureShader = nullptr;
};
} // namespace d3d9test
