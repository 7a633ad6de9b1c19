// Throughput of the Direct3D layer on this machine's GL: cached-state draw
// calls, a frame of 26,000 point sprites, a full-screen textured quad.
#include "support/bench_device.h"
#include "support/d3d9_test_shaders.h"

#include <d3d9.h>
#include <epoxy/gl.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

namespace
{
const UINT kWidth = 1024;
const UINT kHeight = 768;

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

struct Vertex
{
    float x, y, z;
    D3DCOLOR color;
    float u, v;
};

struct Sprite
{
    float x, y, z, size;
    D3DCOLOR color;
};
} // namespace

int main()
{
    BenchDevice bench;
    if (!bench.Open(kWidth, kHeight))
    {
        std::fprintf(stderr, "no device\n");
        return 1;
    }
    IDirect3DDevice9* device = bench.device;
    std::printf("GL renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));

    const D3DVERTEXELEMENT9 quadElements[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
        {0, 16, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
        D3DDECL_END()};
    IDirect3DVertexDeclaration9* quadDeclaration = nullptr;
    device->CreateVertexDeclaration(quadElements, &quadDeclaration);
    IDirect3DVertexShader9* quadVs = d3d9test::MakeVertexShader(
        device, {{D3DDECLUSAGE_POSITION, 0}, {D3DDECLUSAGE_COLOR, 0}, {D3DDECLUSAGE_TEXCOORD, 0}}, 1,
        "pos = vec4(in_0.xyz + vs_c[0].xyz, 1.0); v_COLOR0 = in_1; v_TEXCOORD0 = in_2;");
    IDirect3DPixelShader9* texturePs =
        d3d9test::MakePixelShader(device, {0}, 0, "color = texture(s0, v_TEXCOORD0.xy) * v_COLOR0;");

    IDirect3DTexture9* texture = nullptr;
    device->CreateTexture(256, 256, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr);
    D3DLOCKED_RECT locked;
    texture->LockRect(0, &locked, nullptr, 0);
    for (UINT y = 0; y < 256; ++y)
        for (UINT x = 0; x < 256; ++x)
            reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch)[x] =
                0xFF000000u | (x << 16) | (y << 8) | ((x ^ y) & 0xFF);
    texture->UnlockRect(0);
    for (DWORD stage = 0; stage < 16; ++stage)
    {
        device->SetSamplerState(stage, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(stage, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(stage, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    }

    auto quadBuffer = [&](float size)
    {
        IDirect3DVertexBuffer9* buffer = nullptr;
        device->CreateVertexBuffer(4 * sizeof(Vertex), D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &buffer, nullptr);
        const Vertex quad[] = {{-size, size, 0.5f, 0xFFFFFFFF, 0, 0},
                               {size, size, 0.5f, 0xFFFFFFFF, 1, 0},
                               {-size, -size, 0.5f, 0xFFFFFFFF, 0, 1},
                               {size, -size, 0.5f, 0xFFFFFFFF, 1, 1}};
        void* data = nullptr;
        buffer->Lock(0, 0, &data, 0);
        std::memcpy(data, quad, sizeof quad);
        buffer->Unlock();
        return buffer;
    };
    IDirect3DVertexBuffer9* smallQuad = quadBuffer(0.01f);
    IDirect3DVertexBuffer9* fullQuad = quadBuffer(1.0f);
    const float zero[4] = {0, 0, 0, 0};
    device->SetVertexShaderConstantF(0, zero, 1);
    device->SetVertexDeclaration(quadDeclaration);
    device->SetVertexShader(quadVs);
    device->SetPixelShader(texturePs);
    device->SetTexture(0, texture);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);

    // 1. The same small quad again and again with nothing changed between draws.
    device->SetStreamSource(0, smallQuad, 0, sizeof(Vertex));
    const int draws = 50000;
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    glFinish();
    auto start = std::chrono::steady_clock::now();
    device->BeginScene();
    for (int i = 0; i < draws; ++i)
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    device->EndScene();
    glFinish();
    double seconds = Seconds(start);
    std::printf("cached-state quad: %.0f draw calls/s (%d draws in %.3f s)\n", draws / seconds, draws, seconds);

    // 2. 26,000 additive point sprites streamed through a dynamic buffer each frame.
    const UINT spriteCount = 26000;
    IDirect3DVertexBuffer9* dynamic = nullptr;
    device->CreateVertexBuffer(0x80000, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT, &dynamic, nullptr);
    const D3DVERTEXELEMENT9 spriteElements[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {0, 12, D3DDECLTYPE_FLOAT1, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_PSIZE, 0},
        {0, 16, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
        D3DDECL_END()};
    IDirect3DVertexDeclaration9* spriteDeclaration = nullptr;
    device->CreateVertexDeclaration(spriteElements, &spriteDeclaration);
    IDirect3DVertexShader9* spriteVs = d3d9test::MakeVertexShader(
        device, {{D3DDECLUSAGE_POSITION, 0}, {D3DDECLUSAGE_PSIZE, 0}, {D3DDECLUSAGE_COLOR, 0}}, 0,
        "pos = vec4(in_0.xyz, 1.0); gl_PointSize = in_1.x; v_COLOR0 = in_2;");
    std::vector<Sprite> sprites(spriteCount);
    uint32_t seed = 1;
    for (Sprite& s : sprites)
    {
        seed = seed * 1664525u + 1013904223u;
        s = {((seed >> 8) % 2000) / 1000.0f - 1.0f, ((seed >> 4) % 2000) / 1000.0f - 1.0f, 0.5f, 4.0f + (seed % 12),
             0x40FFC080};
    }
    device->SetVertexDeclaration(spriteDeclaration);
    device->SetVertexShader(spriteVs);
    device->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    const int spriteFrames = 30;
    start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < spriteFrames; ++frame)
    {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        void* data = nullptr;
        dynamic->Lock(0, spriteCount * sizeof(Sprite), &data, D3DLOCK_DISCARD);
        std::memcpy(data, sprites.data(), spriteCount * sizeof(Sprite));
        dynamic->Unlock();
        device->BeginScene();
        device->SetStreamSource(0, dynamic, 0, sizeof(Sprite));
        device->DrawPrimitive(D3DPT_POINTLIST, 0, spriteCount);
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
    }
    glFinish();
    seconds = Seconds(start);
    std::printf("26,000 point sprites: %.1f frames/s (%.2f ms/frame, with clear and present)\n", spriteFrames / seconds,
                1000.0 * seconds / spriteFrames);

    // 3. One full-screen textured quad per frame.
    device->SetRenderState(D3DRS_POINTSPRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetVertexDeclaration(quadDeclaration);
    device->SetVertexShader(quadVs);
    device->SetStreamSource(0, fullQuad, 0, sizeof(Vertex));
    const int quadFrames = 60;
    start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < quadFrames; ++frame)
    {
        device->BeginScene();
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
    }
    glFinish();
    seconds = Seconds(start);
    std::printf("full-screen textured quad at %ux%u: %.1f frames/s (%.2f ms/frame, with present)\n", kWidth, kHeight,
                quadFrames / seconds, 1000.0 * seconds / quadFrames);

    device->SetTexture(0, nullptr);
    device->SetStreamSource(0, nullptr, 0, 0);
    device->SetVertexDeclaration(nullptr);
    device->SetVertexShader(nullptr);
    device->SetPixelShader(nullptr);
    for (IUnknown* object : std::initializer_list<IUnknown*>{dynamic, spriteDeclaration, spriteVs, fullQuad, smallQuad,
                                                             texture, texturePs, quadVs, quadDeclaration})
        object->Release();
    return 0;
}
