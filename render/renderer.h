// Owner of the Direct3D device and its device-wide objects: the default colour
// and depth surfaces and the shared dynamic buffers. Effects set render
// states, blend modes, textures, shaders and render targets through its
// caches, which compare registry indices and values, never device objects.
#pragma once

#include <d3d9.h>

#include <map>

enum BlendMode
{
    Opaque = 0,
    Alpha = 1,
    AlphaAdditive = 2,
    Additive = 3,
};

class C_Renderer
{
public:
    static const UINT kDynamicVertexBufferSize = 0x80000;
    static const UINT kDynamicIndexBufferSize = 0x9FFFC;
    static const int kSamplerStages = 16;

    C_Renderer();
    ~C_Renderer();

    bool Create(int width, int height, int multiSampleType, bool vsync, bool windowed);

    // True when this pass may draw and present; otherwise waits out a lost
    // device or resets it, and asks the demo to quit on a fatal error.
    bool CheckDevice();

    bool SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
    bool SetBlendMode(int mode);

    bool BindTexture(int stage, int index);
    bool BindVertexShader(int index);
    bool BindPixelShader(int index);
    // -1 selects the back buffer.
    bool BindRenderTarget(int index);
    bool BindBackBuffer();
    bool DrawMesh(int index);

    IDirect3D9* d3d;
    IDirect3DDevice9* device;
    IDirect3DSurface9* backBufferSurface;
    IDirect3DSurface9* backBufferDepthSurface;
    IDirect3DVertexBuffer9* dynamicVertexBuffer;
    IDirect3DIndexBuffer9* dynamicIndexBuffer;
    D3DPRESENT_PARAMETERS presentParameters;
    int backBufferWidth;
    int backBufferHeight;
    int targetWidth;
    int targetHeight;
    int boundTextures[kSamplerStages];
    int boundRenderTarget;
    int boundVertexShader;
    int boundPixelShader;
    std::map<DWORD, DWORD> renderStateCache;

    C_Renderer(const C_Renderer&) = delete;
    C_Renderer& operator=(const C_Renderer&) = delete;

private:
    bool CreateDynamicBuffers();
    void ApplyDefaultSamplerStates();
    void ReleaseDeviceObjects();
    bool RestoreDeviceObjects();
    void ResetCaches();
    void RequestQuit();
};
