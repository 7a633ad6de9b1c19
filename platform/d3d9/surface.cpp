#include "d3d9/surface.h"

#include "d3d9/device.h"
#include "d3d9/texture.h"

namespace d3d9
{
Surface::Surface(Device* device, Texture* container, UINT level, const D3DSURFACE_DESC& desc)
    : ResourceChild(device, false), m_Container(container), m_Level(level), m_Desc(desc)
{
    TranslateFormat(desc.Format, m_Format);
}

Surface::Surface(Device* device, const D3DSURFACE_DESC& desc, const FormatInfo& format)
    : ResourceChild(device, desc.Pool == D3DPOOL_DEFAULT), m_Desc(desc), m_Format(format)
{
}

HRESULT Surface::CreateRenderbuffer(Device* device, UINT width, UINT height, D3DFORMAT format, DWORD usage,
                                    D3DMULTISAMPLE_TYPE multiSample, Surface** surface)
{
    FormatInfo info;
    if (width == 0 || height == 0 || !TranslateFormat(format, info) || !device->FitsRenderbuffer(width, height))
        return D3DERR_INVALIDCALL;
    const bool depth = (usage & D3DUSAGE_DEPTHSTENCIL) != 0;
    if (depth ? !info.depth : (!info.renderable || info.depth))
        return D3DERR_INVALIDCALL;
    if (multiSample == D3DMULTISAMPLE_NONMASKABLE || multiSample > D3DMULTISAMPLE_16_SAMPLES)
        return D3DERR_INVALIDCALL;
    if (static_cast<GLint>(multiSample) > device->MaxSamples())
        return D3DERR_NOTAVAILABLE;

    D3DSURFACE_DESC desc{format, D3DRTYPE_SURFACE, usage, D3DPOOL_DEFAULT, multiSample, 0, width, height};
    Surface* created = new Surface(device, desc, info);
    device->MakeCurrent();
    while (glGetError() != GL_NO_ERROR)
    {
    }
    glGenRenderbuffers(1, &created->m_Renderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, created->m_Renderbuffer);
    if (multiSample == D3DMULTISAMPLE_NONE)
        glRenderbufferStorage(GL_RENDERBUFFER, info.internalFormat, width, height);
    else
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, multiSample, info.internalFormat, width, height);
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR)
    {
        delete created;
        return error == GL_OUT_OF_MEMORY ? D3DERR_OUTOFVIDEOMEMORY : D3DERR_NOTAVAILABLE;
    }
    *surface = created;
    return D3D_OK;
}

Surface::~Surface()
{
    if (m_Renderbuffer)
    {
        m_Device->MakeCurrent();
        glDeleteRenderbuffers(1, &m_Renderbuffer);
    }
}

HRESULT Surface::QueryInterface(REFIID riid, void** ppvObj)
{
    static const IID* const kIds[] = {&IID_IUnknown, &IID_IDirect3DResource9, &IID_IDirect3DSurface9};
    return QueryAmong(this, riid, ppvObj, kIds, 3);
}

ULONG Surface::AddPublicRef()
{
    return m_Container ? m_Container->AddRef() : ResourceChild::AddPublicRef();
}

ULONG Surface::ReleasePublicRef()
{
    return m_Container ? m_Container->Release() : ResourceChild::ReleasePublicRef();
}

void Surface::AddPrivateRef()
{
    if (m_Container)
        m_Container->AddPrivateRef();
    else
        ResourceChild::AddPrivateRef();
}

void Surface::ReleasePrivateRef()
{
    if (m_Container)
        m_Container->ReleasePrivateRef();
    else
        ResourceChild::ReleasePrivateRef();
}

HRESULT Surface::GetContainer(REFIID riid, void** ppContainer)
{
    if (!ppContainer)
        return D3DERR_INVALIDCALL;
    // A surface of its own has the device as its container.
    if (m_Container)
        return m_Container->QueryInterface(riid, ppContainer);
    return m_Device->QueryInterface(riid, ppContainer);
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* pDesc)
{
    if (!pDesc)
        return D3DERR_INVALIDCALL;
    *pDesc = m_Desc;
    return D3D_OK;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags)
{
    // Render targets and depth buffers made without a texture are not lockable here.
    if (!m_Container)
        return D3DERR_INVALIDCALL;
    return m_Container->LockRect(m_Level, pLockedRect, pRect, Flags);
}

HRESULT Surface::UnlockRect()
{
    if (!m_Container)
        return D3DERR_INVALIDCALL;
    return m_Container->UnlockRect(m_Level);
}

HRESULT Surface::GetDC(HDC*)
{
    return E_NOTIMPL;
}

HRESULT Surface::ReleaseDC(HDC)
{
    return E_NOTIMPL;
}

void Surface::Attach() const
{
    if (m_Container)
    {
        glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_Container->Name(),
                               static_cast<GLint>(m_Level));
        return;
    }
    GLenum attachment = GL_COLOR_ATTACHMENT0;
    if (m_Format.depth)
        attachment = m_Format.stencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT;
    glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, attachment, GL_RENDERBUFFER, m_Renderbuffer);
}

HRESULT Device::CreateRenderTarget(UINT Width, UINT Height, D3DFORMAT Format, D3DMULTISAMPLE_TYPE MultiSample,
                                   DWORD MultisampleQuality, BOOL, IDirect3DSurface9** ppSurface, HANDLE* pSharedHandle)
{
    if (!ppSurface || pSharedHandle || MultisampleQuality != 0)
        return D3DERR_INVALIDCALL;
    *ppSurface = nullptr;
    Surface* surface = nullptr;
    const HRESULT hr =
        Surface::CreateRenderbuffer(this, Width, Height, Format, D3DUSAGE_RENDERTARGET, MultiSample, &surface);
    if (FAILED(hr))
        return hr;
    surface->AddPublicRef();
    *ppSurface = surface;
    return D3D_OK;
}

HRESULT Device::CreateDepthStencilSurface(UINT Width, UINT Height, D3DFORMAT Format, D3DMULTISAMPLE_TYPE MultiSample,
                                          DWORD MultisampleQuality, BOOL, IDirect3DSurface9** ppSurface,
                                          HANDLE* pSharedHandle)
{
    if (!ppSurface || pSharedHandle || MultisampleQuality != 0)
        return D3DERR_INVALIDCALL;
    *ppSurface = nullptr;
    Surface* surface = nullptr;
    const HRESULT hr =
        Surface::CreateRenderbuffer(this, Width, Height, Format, D3DUSAGE_DEPTHSTENCIL, MultiSample, &surface);
    if (FAILED(hr))
        return hr;
    surface->AddPublicRef();
    *ppSurface = surface;
    return D3D_OK;
}
} // namespace d3d9
