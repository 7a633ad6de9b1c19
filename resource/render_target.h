// An off-screen colour texture with a depth-stencil surface of its own. Its
// objects live in the default pool, so it gives them up around a device reset.
#pragma once

#include "resource/resource.h"

#include <d3d9.h>

struct RenderTargetSurfaces
{
    IDirect3DTexture9* texture = nullptr;
    IDirect3DSurface9* surface = nullptr; // level 0 of texture, bound as colour target
    IDirect3DSurface9* depthSurface = nullptr;
    int width = 0;
    int height = 0;
    D3DFORMAT format = D3DFMT_A8R8G8B8;
};

namespace Resource
{
class C_RenderTarget : public I_Resource
{
public:
    C_RenderTarget() = default;
    ~C_RenderTarget() override;

    int GetKind() override;
    void* GetObject() override;
    // A target of the back-buffer size; the name plays no part.
    bool Load(const std::string& name) override;
    bool OnDeviceReset() override;
    bool OnDeviceLost() override;

    // A negative size divides the back buffer's: -2 is half of it.
    virtual bool Create(int width, int height, D3DFORMAT format);

    C_RenderTarget(const C_RenderTarget&) = delete;
    C_RenderTarget& operator=(const C_RenderTarget&) = delete;

private:
    bool CreateDeviceObjects();
    void ReleaseDeviceObjects();

    RenderTargetSurfaces* m_Surfaces = nullptr;
};
} // namespace Resource
