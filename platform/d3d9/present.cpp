#include "d3d9/device.h"

#include "d3d9/gl_profile.h"
#include "d3d9/surface.h"

namespace d3d9
{
HRESULT Device::CreateSwapSurfaces(const D3DPRESENT_PARAMETERS& params)
{
    // An adapter without the sample count fails the call; there is no fallback.
    const GLint samples = params.MultiSampleType;
    if (samples > m_MaxSamples)
        return D3DERR_NOTAVAILABLE;

    Surface* backBuffer = nullptr;
    HRESULT hr =
        Surface::CreateRenderbuffer(this, params.BackBufferWidth, params.BackBufferHeight, params.BackBufferFormat,
                                    D3DUSAGE_RENDERTARGET, params.MultiSampleType, &backBuffer);
    if (FAILED(hr))
        return hr;
    backBuffer->AddPrivateRef();
    m_BackBuffer = backBuffer;

    if (params.EnableAutoDepthStencil)
    {
        Surface* depth = nullptr;
        hr = Surface::CreateRenderbuffer(this, params.BackBufferWidth, params.BackBufferHeight,
                                         params.AutoDepthStencilFormat, D3DUSAGE_DEPTHSTENCIL, params.MultiSampleType,
                                         &depth);
        if (FAILED(hr))
            return hr;
        depth->AddPrivateRef();
        m_AutoDepth = depth;
    }

    if (samples > 0)
    {
        if (!m_ResolveRenderbuffer)
            glGenRenderbuffers(1, &m_ResolveRenderbuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, m_ResolveRenderbuffer);
        // The resolve target has the back buffer's format: GL ES resolves only between equal formats.
        glRenderbufferStorage(GL_RENDERBUFFER, backBuffer->Format().internalFormat, params.BackBufferWidth,
                              params.BackBufferHeight);
        m_Gl.BindReadFramebuffer(m_ResolveFramebuffer);
        glFramebufferRenderbuffer(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_ResolveRenderbuffer);
    }
    return D3D_OK;
}

void Device::ApplyPresentMode(const D3DPRESENT_PARAMETERS& params)
{
    // Not every driver lets the interval change (headless EGL does not); the
    // frames then come as fast as the driver gives them.
    SDL_GL_SetSwapInterval(SwapInterval(params.PresentationInterval));
    if (!params.Windowed)
    {
        profile::EnterFullscreen(m_SdlWindow, params);
        m_MadeFullscreen = true;
    }
    else if (m_MadeFullscreen)
    {
        profile::LeaveFullscreen(m_SdlWindow);
        m_MadeFullscreen = false;
    }
}

GLuint Device::ResolveBackBuffer()
{
    const UINT width = m_Params.BackBufferWidth;
    const UINT height = m_Params.BackBufferHeight;
    m_Gl.BindReadFramebuffer(m_ReadFramebuffer);
    glFramebufferRenderbuffer(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_BackBuffer->Renderbuffer());
    if (m_Params.MultiSampleType == D3DMULTISAMPLE_NONE)
        return m_ReadFramebuffer;
    // A multisampled source may only be blitted unscaled and unmirrored.
    m_Gl.Enable(GL_SCISSOR_TEST, false);
    m_Gl.BindDrawFramebuffer(m_ResolveFramebuffer);
    glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    m_Gl.BindReadFramebuffer(m_ResolveFramebuffer);
    m_Dirty |= kDirtyFramebuffer | kGroupScissor;
    return m_ResolveFramebuffer;
}

HRESULT Device::Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                        const RGNDATA* pDirtyRegion)
{
    if (pSourceRect || pDestRect || pDirtyRegion || (hDestWindowOverride && hDestWindowOverride != m_Window))
        return E_NOTIMPL;
    UpdateLoss();
    if (m_Loss != Loss::None)
        return D3DERR_DEVICELOST;
    MakeCurrent();
    ResolveBackBuffer();
    m_Gl.BindDrawFramebuffer(0);
    m_Gl.Enable(GL_SCISSOR_TEST, false);
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(m_SdlWindow, &width, &height);
    const GLint bufferWidth = static_cast<GLint>(m_Params.BackBufferWidth);
    const GLint bufferHeight = static_cast<GLint>(m_Params.BackBufferHeight);
    const GLenum filter = width == bufferWidth && height == bufferHeight ? GL_NEAREST : GL_LINEAR;
    // The back buffer is stored top row first; the window wants the bottom row first.
    glBlitFramebuffer(0, 0, bufferWidth, bufferHeight, 0, height, width, 0, GL_COLOR_BUFFER_BIT, filter);
    profile::SwapWindow(m_SdlWindow);
    m_Dirty |= kDirtyFramebuffer | kGroupScissor;
    return D3D_OK;
}

HRESULT Device::GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                              IDirect3DSurface9** ppBackBuffer)
{
    if (!ppBackBuffer)
        return D3DERR_INVALIDCALL;
    *ppBackBuffer = nullptr;
    if (iSwapChain != 0 || iBackBuffer >= m_Params.BackBufferCount || Type != D3DBACKBUFFER_TYPE_MONO)
        return D3DERR_INVALIDCALL;
    // Every back buffer of the chain is the one surface drawn into.
    m_BackBuffer->AddRef();
    *ppBackBuffer = m_BackBuffer;
    return D3D_OK;
}
} // namespace d3d9
