#include "d3d9/device.h"
#include "d3d9/gl_profile.h"

#include "d3d9/surface.h"
#include "d3d9/texture.h"

#include <algorithm>
#include <cstring>

namespace d3d9
{
namespace
{
bool StageInRange(DWORD stage)
{
    return stage < Device::kMaxSamplers;
}
} // namespace

void Device::ResetStates()
{
    const bool autoDepth = m_Params.EnableAutoDepthStencil != FALSE;
    for (UINT state = 0; state < kRenderStateCount; ++state)
        m_RenderStates[state] = DefaultRenderState(static_cast<D3DRENDERSTATETYPE>(state), autoDepth);
    for (UINT stage = 0; stage < kMaxSamplers; ++stage)
        for (UINT type = 0; type < kSamplerStateCount; ++type)
            m_SamplerStates[stage][type] = DefaultSamplerState(static_cast<D3DSAMPLERSTATETYPE>(type));
    std::memset(m_VertexConstants, 0, sizeof m_VertexConstants);
    std::memset(m_PixelConstants, 0, sizeof m_PixelConstants);
    ++m_VertexConstantsVersion;
    ++m_PixelConstantsVersion;

    // A fresh or reset device draws into its back buffer and automatic depth buffer.
    SetRenderTarget(0, m_BackBuffer);
    SetDepthStencilSurface(m_AutoDepth);
    ResetViewportToTarget();
    m_SamplerDirty = (1u << kMaxSamplers) - 1;
    m_Dirty = kDirtyAll;
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value)
{
    if (static_cast<UINT>(State) >= kRenderStateCount)
        return D3DERR_INVALIDCALL;
    if (m_RenderStates[State] == Value)
        return D3D_OK;
    m_RenderStates[State] = Value;
    m_Dirty |= RenderStateGroup(State);
    return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue)
{
    if (!pValue || static_cast<UINT>(State) >= kRenderStateCount)
        return D3DERR_INVALIDCALL;
    *pValue = m_RenderStates[State];
    return D3D_OK;
}

HRESULT Device::SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value)
{
    // Vertex-texture and displacement-map samplers are not provided.
    if (!StageInRange(Sampler) || Type == 0 || static_cast<UINT>(Type) >= kSamplerStateCount)
        return D3DERR_INVALIDCALL;
    if (m_SamplerStates[Sampler][Type] == Value)
        return D3D_OK;
    m_SamplerStates[Sampler][Type] = Value;
    m_SamplerDirty |= 1u << Sampler;
    return D3D_OK;
}

HRESULT Device::GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue)
{
    if (!pValue || !StageInRange(Sampler) || Type == 0 || static_cast<UINT>(Type) >= kSamplerStateCount)
        return D3DERR_INVALIDCALL;
    *pValue = m_SamplerStates[Sampler][Type];
    return D3D_OK;
}

HRESULT Device::SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture)
{
    if (!StageInRange(Stage))
        return D3DERR_INVALIDCALL;
    // The layer makes 2D textures only, so every base texture here is one.
    Texture* texture = static_cast<Texture*>(static_cast<IDirect3DTexture9*>(pTexture));
    if (m_Textures[Stage] == texture)
        return D3D_OK;
    if (texture)
        texture->AddPrivateRef();
    if (m_Textures[Stage])
        m_Textures[Stage]->ReleasePrivateRef();
    m_Textures[Stage] = texture;
    return D3D_OK;
}

HRESULT Device::GetTexture(DWORD Stage, IDirect3DBaseTexture9** ppTexture)
{
    if (!ppTexture || !StageInRange(Stage))
        return D3DERR_INVALIDCALL;
    Texture* texture = m_Textures[Stage];
    if (texture)
        texture->AddRef();
    *ppTexture = texture;
    return D3D_OK;
}

HRESULT Device::SetViewport(const D3DVIEWPORT9* pViewport)
{
    if (!pViewport || !m_RenderTarget)
        return D3DERR_INVALIDCALL;
    const D3DSURFACE_DESC& target = m_RenderTarget->Desc();
    const D3DVIEWPORT9& v = *pViewport;
    if (v.Width == 0 || v.Height == 0 || v.X >= target.Width || v.Y >= target.Height || v.Width > target.Width - v.X ||
        v.Height > target.Height - v.Y)
        return D3DERR_INVALIDCALL;
    if (!(v.MinZ >= 0.0f && v.MinZ <= 1.0f && v.MaxZ >= 0.0f && v.MaxZ <= 1.0f))
        return D3DERR_INVALIDCALL;
    m_Viewport = v;
    m_Dirty |= kDirtyViewport;
    return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT9* pViewport)
{
    if (!pViewport)
        return D3DERR_INVALIDCALL;
    *pViewport = m_Viewport;
    return D3D_OK;
}

HRESULT Device::SetScissorRect(const RECT* pRect)
{
    if (!pRect || pRect->left > pRect->right || pRect->top > pRect->bottom)
        return D3DERR_INVALIDCALL;
    m_Scissor = *pRect;
    m_Dirty |= kGroupScissor;
    return D3D_OK;
}

HRESULT Device::GetScissorRect(RECT* pRect)
{
    if (!pRect)
        return D3DERR_INVALIDCALL;
    *pRect = m_Scissor;
    return D3D_OK;
}

void Device::FlushRenderStates()
{
    const DWORD* rs = m_RenderStates;
    if (m_Dirty & kGroupDepth)
    {
        // Without depth testing Direct3D writes no depth either, as GL does.
        m_Gl.Enable(GL_DEPTH_TEST, rs[D3DRS_ZENABLE] != D3DZB_FALSE);
        m_Gl.DepthFunc(TranslateCompare(rs[D3DRS_ZFUNC]));
        m_Gl.DepthMask(rs[D3DRS_ZWRITEENABLE] != FALSE);
    }
    if (m_Dirty & kGroupBlend)
    {
        m_Gl.Enable(GL_BLEND, rs[D3DRS_ALPHABLENDENABLE] != FALSE);
        GLenum src, dest, srcAlpha, destAlpha;
        TranslateBlendPair(rs[D3DRS_SRCBLEND], rs[D3DRS_DESTBLEND], src, dest);
        GLenum op = TranslateBlendOp(rs[D3DRS_BLENDOP]);
        GLenum opAlpha = op;
        if (rs[D3DRS_SEPARATEALPHABLENDENABLE])
        {
            TranslateBlendPair(rs[D3DRS_SRCBLENDALPHA], rs[D3DRS_DESTBLENDALPHA], srcAlpha, destAlpha);
            opAlpha = TranslateBlendOp(rs[D3DRS_BLENDOPALPHA]);
        }
        else
        {
            srcAlpha = src;
            destAlpha = dest;
        }
        m_Gl.BlendFunc(src, dest, srcAlpha, destAlpha);
        m_Gl.BlendEquation(op, opAlpha);
        float factor[4];
        ColorToFloats(rs[D3DRS_BLENDFACTOR], factor);
        m_Gl.BlendColor(factor);
    }
    if (m_Dirty & kGroupRaster)
    {
        const CullState cull = TranslateCull(rs[D3DRS_CULLMODE]);
        m_Gl.Enable(GL_CULL_FACE, cull.enabled);
        m_Gl.CullFace(cull.face);
        m_Gl.PolygonMode(TranslateFillMode(rs[D3DRS_FILLMODE]));
        const DWORD mask = rs[D3DRS_COLORWRITEENABLE];
        m_Gl.ColorMask(mask & D3DCOLORWRITEENABLE_RED, mask & D3DCOLORWRITEENABLE_GREEN,
                       mask & D3DCOLORWRITEENABLE_BLUE, mask & D3DCOLORWRITEENABLE_ALPHA);
        // Direct3D's bias is a fraction of the depth range; GL counts steps of a 24-bit buffer.
        const float bias = DwordToFloat(rs[D3DRS_DEPTHBIAS]);
        const float slope = DwordToFloat(rs[D3DRS_SLOPESCALEDEPTHBIAS]);
        m_Gl.Enable(GL_POLYGON_OFFSET_FILL, bias != 0.0f || slope != 0.0f);
        m_Gl.PolygonOffset(slope, bias * 16777216.0f);
    }
    if (m_Dirty & kGroupStencil)
    {
        m_Gl.Enable(GL_STENCIL_TEST, rs[D3DRS_STENCILENABLE] != FALSE);
        m_Gl.StencilFunc(TranslateCompare(rs[D3DRS_STENCILFUNC]), static_cast<GLint>(rs[D3DRS_STENCILREF]),
                         rs[D3DRS_STENCILMASK]);
        m_Gl.StencilOp(TranslateStencilOp(rs[D3DRS_STENCILFAIL]), TranslateStencilOp(rs[D3DRS_STENCILZFAIL]),
                       TranslateStencilOp(rs[D3DRS_STENCILPASS]));
        m_Gl.StencilMask(rs[D3DRS_STENCILWRITEMASK]);
    }
    if (m_Dirty & kGroupScissor)
    {
        m_Gl.Enable(GL_SCISSOR_TEST, rs[D3DRS_SCISSORTESTENABLE] != FALSE);
        const LONG left = std::max<LONG>(m_Scissor.left, 0);
        const LONG top = std::max<LONG>(m_Scissor.top, 0);
        m_Gl.Scissor(left, top, std::max<LONG>(m_Scissor.right - left, 0), std::max<LONG>(m_Scissor.bottom - top, 0));
    }
    m_Dirty &= ~(kGroupDepth | kGroupBlend | kGroupRaster | kGroupStencil | kGroupScissor);
}

void Device::FlushViewport()
{
    if (!(m_Dirty & kDirtyViewport))
        return;
    m_Gl.Viewport(m_Viewport.X, m_Viewport.Y, m_Viewport.Width, m_Viewport.Height);
    m_Gl.DepthRange(m_Viewport.MinZ, m_Viewport.MaxZ);
    m_Dirty &= ~kDirtyViewport;
}

void Device::UpdateSamplerObject(UINT stage)
{
    const DWORD* ss = m_SamplerStates[stage];
    const GLuint sampler = m_Samplers[stage];
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER,
                        TranslateMinFilter(ss[D3DSAMP_MINFILTER], ss[D3DSAMP_MIPFILTER]));
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, TranslateMagFilter(ss[D3DSAMP_MAGFILTER]));
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, TranslateAddress(ss[D3DSAMP_ADDRESSU]));
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, TranslateAddress(ss[D3DSAMP_ADDRESSV]));
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_R, TranslateAddress(ss[D3DSAMP_ADDRESSW]));
    profile::SetSamplerExtras(sampler, ss);
    // MAXMIPLEVEL names the most detailed level that may be used.
    glSamplerParameterf(sampler, GL_TEXTURE_MIN_LOD, static_cast<float>(ss[D3DSAMP_MAXMIPLEVEL]));
    if (m_Anisotropy)
    {
        const bool anisotropic =
            ss[D3DSAMP_MINFILTER] == D3DTEXF_ANISOTROPIC || ss[D3DSAMP_MAGFILTER] == D3DTEXF_ANISOTROPIC;
        const float amount = anisotropic ? static_cast<float>(std::max<DWORD>(ss[D3DSAMP_MAXANISOTROPY], 1)) : 1.0f;
        glSamplerParameterf(sampler, GL_TEXTURE_MAX_ANISOTROPY_EXT, amount);
    }
}

void Device::FlushSamplers()
{
    if (!m_SamplerDirty)
        return;
    for (UINT stage = 0; stage < kMaxSamplers; ++stage)
        if (m_SamplerDirty & (1u << stage))
        {
            UpdateSamplerObject(stage);
            m_Gl.BindSampler(static_cast<int>(stage), m_Samplers[stage]);
        }
    m_SamplerDirty = 0;
}
} // namespace d3d9
