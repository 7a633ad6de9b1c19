#include "d3d9/device.h"
#include "d3d9/gl_profile.h"

#include "d3d9/surface.h"

#include <algorithm>

namespace d3d9
{
namespace
{
struct Region
{
    LONG left, top, right, bottom;
    bool Empty() const { return left >= right || top >= bottom; }
    Region Intersect(const Region& other) const
    {
        return {std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                std::min(bottom, other.bottom)};
    }
};
} // namespace

void Device::ResetViewportToTarget()
{
    // Direct3D makes the viewport and scissor rectangle the whole new target.
    const D3DSURFACE_DESC& desc = m_RenderTarget->Desc();
    m_Viewport = {0, 0, desc.Width, desc.Height, 0.0f, 1.0f};
    m_Scissor = {0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
    m_Dirty |= kDirtyViewport | kGroupScissor;
}

HRESULT Device::SetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget)
{
    // One colour target at a time: the others can only be emptied.
    if (RenderTargetIndex >= 4)
        return D3DERR_INVALIDCALL;
    if (RenderTargetIndex > 0)
        return pRenderTarget ? D3DERR_INVALIDCALL : D3D_OK;
    Surface* surface = static_cast<Surface*>(pRenderTarget);
    if (!surface || !(surface->Desc().Usage & D3DUSAGE_RENDERTARGET))
        return D3DERR_INVALIDCALL;
    if (surface != m_RenderTarget)
    {
        Rebind(m_RenderTarget, surface);
        m_Dirty |= kDirtyFramebuffer;
    }
    ResetViewportToTarget();
    return D3D_OK;
}

HRESULT Device::GetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9** ppRenderTarget)
{
    if (!ppRenderTarget || RenderTargetIndex >= 4)
        return D3DERR_INVALIDCALL;
    *ppRenderTarget = nullptr;
    if (RenderTargetIndex > 0 || !m_RenderTarget)
        return D3DERR_NOTFOUND;
    m_RenderTarget->AddRef();
    *ppRenderTarget = m_RenderTarget;
    return D3D_OK;
}

HRESULT Device::SetDepthStencilSurface(IDirect3DSurface9* pNewZStencil)
{
    Surface* surface = static_cast<Surface*>(pNewZStencil);
    if (surface && !(surface->Desc().Usage & D3DUSAGE_DEPTHSTENCIL))
        return D3DERR_INVALIDCALL;
    if (surface != m_DepthStencil)
    {
        Rebind(m_DepthStencil, surface);
        m_Dirty |= kDirtyFramebuffer;
    }
    return D3D_OK;
}

HRESULT Device::GetDepthStencilSurface(IDirect3DSurface9** ppZStencilSurface)
{
    if (!ppZStencilSurface)
        return D3DERR_INVALIDCALL;
    *ppZStencilSurface = m_DepthStencil;
    if (!m_DepthStencil)
        return D3DERR_NOTFOUND;
    m_DepthStencil->AddRef();
    return D3D_OK;
}

void Device::AttachTarget(GLuint framebuffer, Surface* color, Surface* depth)
{
    m_Gl.BindDrawFramebuffer(framebuffer);
    if (color != m_AttachedColor)
    {
        if (color)
            color->Attach();
        else
            glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, 0);
        Rebind(m_AttachedColor, color);
    }
    if (depth != m_AttachedDepth)
    {
        // Emptying the combined point empties the depth and the stencil points.
        glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
        if (depth)
            depth->Attach();
        Rebind(m_AttachedDepth, depth);
    }
}

bool Device::FlushFramebuffer()
{
    m_Gl.BindDrawFramebuffer(m_DrawFramebuffer);
    if (m_Dirty & kDirtyFramebuffer)
    {
        AttachTarget(m_DrawFramebuffer, m_RenderTarget, m_DepthStencil);
        m_FramebufferComplete = glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        m_Dirty &= ~kDirtyFramebuffer;
    }
    return m_FramebufferComplete;
}

HRESULT Device::Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z, DWORD Stencil)
{
    const DWORD known = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL;
    if (Flags == 0 || (Flags & ~known) || (Count && !pRects))
        return D3DERR_INVALIDCALL;
    if ((Flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !m_DepthStencil)
        return D3DERR_INVALIDCALL;
    if ((Flags & D3DCLEAR_STENCIL) && !m_DepthStencil->Format().stencil)
        return D3DERR_INVALIDCALL;
    if (!Drawable())
        return D3D_OK;
    MakeCurrent();
    if (!FlushFramebuffer())
        return D3DERR_INVALIDCALL;

    GLbitfield mask = 0;
    if (Flags & D3DCLEAR_TARGET)
    {
        float rgba[4];
        ColorToFloats(Color, rgba);
        glClearColor(rgba[0], rgba[1], rgba[2], rgba[3]);
        m_Gl.ColorMask(true, true, true, true);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (Flags & D3DCLEAR_ZBUFFER)
    {
        profile::ClearDepth(std::min(std::max(Z, 0.0f), 1.0f));
        m_Gl.DepthMask(true);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (Flags & D3DCLEAR_STENCIL)
    {
        glClearStencil(static_cast<GLint>(Stencil & 0xFF));
        m_Gl.StencilMask(0xFF);
        mask |= GL_STENCIL_BUFFER_BIT;
    }

    // A clear covers the viewport, within the scissor rectangle when that test is on.
    Region region{static_cast<LONG>(m_Viewport.X), static_cast<LONG>(m_Viewport.Y),
                  static_cast<LONG>(m_Viewport.X + m_Viewport.Width),
                  static_cast<LONG>(m_Viewport.Y + m_Viewport.Height)};
    if (m_RenderStates[D3DRS_SCISSORTESTENABLE])
        region = region.Intersect({m_Scissor.left, m_Scissor.top, m_Scissor.right, m_Scissor.bottom});
    m_Gl.Enable(GL_SCISSOR_TEST, true);
    const DWORD pieces = Count ? Count : 1;
    for (DWORD i = 0; i < pieces; ++i)
    {
        Region piece = region;
        if (Count)
            piece = region.Intersect({pRects[i].x1, pRects[i].y1, pRects[i].x2, pRects[i].y2});
        if (piece.Empty())
            continue;
        m_Gl.Scissor(piece.left, piece.top, piece.right - piece.left, piece.bottom - piece.top);
        glClear(mask);
    }
    m_Dirty |= kGroupRaster | kGroupDepth | kGroupStencil | kGroupScissor;
    return D3D_OK;
}
} // namespace d3d9
