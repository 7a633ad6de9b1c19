// IDirect3DSurface9: a level of a texture (its references are the texture's,
// as in Direct3D 9), or a surface of its own in a renderbuffer (back buffer,
// depth-stencil surfaces, plain render targets).
#pragma once

#include "d3d9/object.h"

#include "d3d9/translate.h"

namespace d3d9
{
class Texture;

class Surface final : public ResourceChild<IDirect3DSurface9>
{
public:
    Surface(Device* device, Texture* container, UINT level, const D3DSURFACE_DESC& desc);
    // Creates a renderbuffer surface with no reference counted yet.
    static HRESULT CreateRenderbuffer(Device* device, UINT width, UINT height, D3DFORMAT format, DWORD usage,
                                      D3DMULTISAMPLE_TYPE multiSample, Surface** surface);
    ~Surface() override;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObj) override;
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_SURFACE; }
    HRESULT STDMETHODCALLTYPE GetContainer(REFIID riid, void** ppContainer) override;
    HRESULT STDMETHODCALLTYPE GetDesc(D3DSURFACE_DESC* pDesc) override;
    HRESULT STDMETHODCALLTYPE LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect() override;
    HRESULT STDMETHODCALLTYPE GetDC(HDC* phdc) override;
    HRESULT STDMETHODCALLTYPE ReleaseDC(HDC hdc) override;

    ULONG AddPublicRef() override;
    ULONG ReleasePublicRef() override;
    void AddPrivateRef() override;
    void ReleasePrivateRef() override;

    const D3DSURFACE_DESC& Desc() const { return m_Desc; }
    const FormatInfo& Format() const { return m_Format; }
    Texture* Container() const { return m_Container; }
    UINT Level() const { return m_Level; }
    GLuint Renderbuffer() const { return m_Renderbuffer; }
    bool IsDepth() const { return m_Format.depth; }
    // Attaches the surface to the bound draw framebuffer.
    void Attach() const;

private:
    Surface(Device* device, const D3DSURFACE_DESC& desc, const FormatInfo& format);

    Texture* m_Container = nullptr;
    UINT m_Level = 0;
    GLuint m_Renderbuffer = 0;
    D3DSURFACE_DESC m_Desc;
    FormatInfo m_Format;
};
} // namespace d3d9
