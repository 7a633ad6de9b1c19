#include "d3d9/test_hooks.h"

#include "d3d9/device.h"
#include "d3d9/gl_profile.h"
#include "d3d9/surface.h"
#include "d3d9/texture.h"

namespace d3d9
{
bool Device::ReadSurfacePixels(Surface* surface, std::vector<uint32_t>& argb, UINT& width, UINT& height)
{
    const D3DSURFACE_DESC& desc = surface->Desc();
    if (surface->IsDepth())
        return false;
    MakeCurrent();
    if (surface == m_BackBuffer)
    {
        ResolveBackBuffer();
    }
    else
    {
        if (desc.MultiSampleType != D3DMULTISAMPLE_NONE)
            return false;
        m_Gl.BindReadFramebuffer(m_ReadFramebuffer);
        if (Texture* texture = surface->Container())
            glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture->Name(),
                                   static_cast<GLint>(surface->Level()));
        else
            glFramebufferRenderbuffer(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                      surface->Renderbuffer());
    }
    width = desc.Width;
    height = desc.Height;
    argb.assign(static_cast<size_t>(width) * height, 0);
    // Framebuffer row 0 is Direct3D's top row, so the rows come out in order.
    profile::ReadArgb(static_cast<GLsizei>(width), static_cast<GLsizei>(height), argb.data());
    if (desc.Format == D3DFMT_X8R8G8B8)
        for (uint32_t& pixel : argb)
            pixel |= 0xFF000000u;
    return glGetError() == GL_NO_ERROR;
}
} // namespace d3d9

void D3D9Test_ForceDeviceLost(IDirect3DDevice9* device)
{
    static_cast<d3d9::Device*>(device)->ForceLost();
}

void D3D9Test_EndDeviceLoss(IDirect3DDevice9* device)
{
    static_cast<d3d9::Device*>(device)->EndForcedLoss();
}

bool D3D9Test_ReadPixels(IDirect3DSurface9* surface, std::vector<uint32_t>& argb, UINT* width, UINT* height)
{
    if (!surface)
        return false;
    d3d9::Surface* impl = static_cast<d3d9::Surface*>(surface);
    UINT w = 0, h = 0;
    const bool ok = impl->OwnerDevice()->ReadSurfacePixels(impl, argb, w, h);
    if (width)
        *width = w;
    if (height)
        *height = h;
    return ok;
}

bool D3D9Test_ReadBackBuffer(IDirect3DDevice9* device, std::vector<uint32_t>& argb, UINT* width, UINT* height)
{
    IDirect3DSurface9* backBuffer = nullptr;
    if (!device || FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer)))
        return false;
    const bool ok = D3D9Test_ReadPixels(backBuffer, argb, width, height);
    backBuffer->Release();
    return ok;
}

int D3D9Test_LiveObjects()
{
    return d3d9::LiveObjectCount();
}
