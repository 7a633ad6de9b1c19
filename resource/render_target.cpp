#include "resource/render_target.h"

#include "app/demo.h"

namespace Resource
{
C_RenderTarget::~C_RenderTarget()
{
    ReleaseDeviceObjects();
    delete m_Surfaces;
}

int C_RenderTarget::GetKind()
{
    return RenderTarget;
}

void* C_RenderTarget::GetObject()
{
    return m_Surfaces;
}

bool C_RenderTarget::Load(const std::string& /*name*/)
{
    const C_Renderer& renderer = C_Demo::GetInstance()->m_Renderer;
    ReleaseDeviceObjects();
    delete m_Surfaces;
    m_Surfaces = new RenderTargetSurfaces;
    m_Surfaces->width = renderer.backBufferWidth;
    m_Surfaces->height = renderer.backBufferHeight;
    m_Surfaces->format = D3DFMT_A8R8G8B8;
    return CreateDeviceObjects();
}

bool C_RenderTarget::Create(int width, int height, D3DFORMAT format)
{
    const C_Renderer& renderer = C_Demo::GetInstance()->m_Renderer;
    ReleaseDeviceObjects();
    delete m_Surfaces;
    m_Surfaces = new RenderTargetSurfaces;
    if (width < 0)
        width = -(renderer.backBufferWidth / width);
    if (height < 0)
        height = -(renderer.backBufferHeight / height);
    m_Surfaces->width = width;
    m_Surfaces->height = height;
    m_Surfaces->format = format;
    return CreateDeviceObjects();
}

bool C_RenderTarget::OnDeviceReset()
{
    if (!m_Surfaces)
        return true;
    return CreateDeviceObjects();
}

bool C_RenderTarget::OnDeviceLost()
{
    ReleaseDeviceObjects();
    return true;
}

bool C_RenderTarget::CreateDeviceObjects()
{
    IDirect3DDevice9* device = C_Demo::GetInstance()->m_Renderer.device;
    if (!device)
        return false;
    // Whatever a failed earlier attempt left behind goes first.
    ReleaseDeviceObjects();
    RenderTargetSurfaces& s = *m_Surfaces;
    if (FAILED(device->CreateTexture(s.width, s.height, 1, D3DUSAGE_RENDERTARGET, s.format, D3DPOOL_DEFAULT, &s.texture,
                                     NULL)))
        return false;
    if (FAILED(s.texture->GetSurfaceLevel(0, &s.surface)))
        return false;
    if (FAILED(device->CreateDepthStencilSurface(s.width, s.height, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, 0, FALSE,
                                                 &s.depthSurface, NULL)))
        return false;
    return true;
}

void C_RenderTarget::ReleaseDeviceObjects()
{
    if (!m_Surfaces)
        return;
    if (m_Surfaces->depthSurface)
    {
        m_Surfaces->depthSurface->Release();
        m_Surfaces->depthSurface = nullptr;
    }
    if (m_Surfaces->surface)
    {
        m_Surfaces->surface->Release();
        m_Surfaces->surface = nullptr;
    }
    if (m_Surfaces->texture)
    {
        m_Surfaces->texture->Release();
        m_Surfaces->texture = nullptr;
    }
}
} // namespace Resource
