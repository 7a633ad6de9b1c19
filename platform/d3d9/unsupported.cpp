// Device methods the layer does not provide: fixed-function state, patches,
// palettes, swap chains, state blocks, queries and surface copies. Each
// answers with Direct3D's documented failure instead of pretending to work.
#include "d3d9/device.h"

namespace d3d9
{
UINT Device::GetAvailableTextureMem()
{
    // OpenGL core has no portable answer; 0 says "unknown".
    return 0;
}

HRESULT Device::EvictManagedResources()
{
    return E_NOTIMPL;
}
HRESULT Device::GetDeviceCaps(D3DCAPS9*)
{
    return E_NOTIMPL;
}
HRESULT Device::SetCursorProperties(UINT, UINT, IDirect3DSurface9*)
{
    return E_NOTIMPL;
}
void Device::SetCursorPosition(int, int, DWORD) {}
BOOL Device::ShowCursor(BOOL)
{
    return FALSE;
}
HRESULT Device::CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS*, IDirect3DSwapChain9**)
{
    return E_NOTIMPL;
}
HRESULT Device::GetSwapChain(UINT, IDirect3DSwapChain9**)
{
    return E_NOTIMPL;
}
HRESULT Device::GetRasterStatus(UINT, D3DRASTER_STATUS*)
{
    return E_NOTIMPL;
}
HRESULT Device::SetDialogBoxMode(BOOL)
{
    return E_NOTIMPL;
}
void Device::SetGammaRamp(UINT, DWORD, const D3DGAMMARAMP*) {}

void Device::GetGammaRamp(UINT, D3DGAMMARAMP* pRamp)
{
    // The ramp is never changed, so it is the identity.
    if (!pRamp)
        return;
    for (int i = 0; i < 256; ++i)
        pRamp->red[i] = pRamp->green[i] = pRamp->blue[i] = static_cast<WORD>(i * 257);
}

HRESULT Device::CreateVolumeTexture(UINT, UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DVolumeTexture9**,
                                    HANDLE*)
{
    return E_NOTIMPL;
}

HRESULT Device::CreateCubeTexture(UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DCubeTexture9**, HANDLE*)
{
    return E_NOTIMPL;
}

HRESULT Device::UpdateSurface(IDirect3DSurface9*, const RECT*, IDirect3DSurface9*, const POINT*)
{
    return E_NOTIMPL;
}
HRESULT Device::UpdateTexture(IDirect3DBaseTexture9*, IDirect3DBaseTexture9*)
{
    return E_NOTIMPL;
}
HRESULT Device::GetRenderTargetData(IDirect3DSurface9*, IDirect3DSurface9*)
{
    return E_NOTIMPL;
}
HRESULT Device::GetFrontBufferData(UINT, IDirect3DSurface9*)
{
    return E_NOTIMPL;
}

HRESULT Device::StretchRect(IDirect3DSurface9*, const RECT*, IDirect3DSurface9*, const RECT*, D3DTEXTUREFILTERTYPE)
{
    return E_NOTIMPL;
}

HRESULT Device::ColorFill(IDirect3DSurface9*, const RECT*, D3DCOLOR)
{
    return E_NOTIMPL;
}

HRESULT Device::CreateOffscreenPlainSurface(UINT, UINT, D3DFORMAT, D3DPOOL, IDirect3DSurface9**, HANDLE*)
{
    return E_NOTIMPL;
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*)
{
    return E_NOTIMPL;
}
HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX*)
{
    return E_NOTIMPL;
}
HRESULT Device::MultiplyTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*)
{
    return E_NOTIMPL;
}
HRESULT Device::SetMaterial(const D3DMATERIAL9*)
{
    return E_NOTIMPL;
}
HRESULT Device::GetMaterial(D3DMATERIAL9*)
{
    return E_NOTIMPL;
}
HRESULT Device::SetLight(DWORD, const D3DLIGHT9*)
{
    return E_NOTIMPL;
}
HRESULT Device::GetLight(DWORD, D3DLIGHT9*)
{
    return E_NOTIMPL;
}
HRESULT Device::LightEnable(DWORD, BOOL)
{
    return E_NOTIMPL;
}
HRESULT Device::GetLightEnable(DWORD, BOOL*)
{
    return E_NOTIMPL;
}
HRESULT Device::SetClipPlane(DWORD, const float*)
{
    return E_NOTIMPL;
}
HRESULT Device::GetClipPlane(DWORD, float*)
{
    return E_NOTIMPL;
}
HRESULT Device::CreateStateBlock(D3DSTATEBLOCKTYPE, IDirect3DStateBlock9**)
{
    return E_NOTIMPL;
}
HRESULT Device::BeginStateBlock()
{
    return E_NOTIMPL;
}
HRESULT Device::EndStateBlock(IDirect3DStateBlock9**)
{
    return E_NOTIMPL;
}
HRESULT Device::SetClipStatus(const D3DCLIPSTATUS9*)
{
    return E_NOTIMPL;
}
HRESULT Device::GetClipStatus(D3DCLIPSTATUS9*)
{
    return E_NOTIMPL;
}
HRESULT Device::GetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD*)
{
    return E_NOTIMPL;
}
HRESULT Device::SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD)
{
    return E_NOTIMPL;
}
HRESULT Device::ValidateDevice(DWORD*)
{
    return E_NOTIMPL;
}
HRESULT Device::SetPaletteEntries(UINT, const PALETTEENTRY*)
{
    return E_NOTIMPL;
}
HRESULT Device::GetPaletteEntries(UINT, PALETTEENTRY*)
{
    return E_NOTIMPL;
}
HRESULT Device::SetCurrentTexturePalette(UINT)
{
    return E_NOTIMPL;
}
HRESULT Device::GetCurrentTexturePalette(UINT*)
{
    return E_NOTIMPL;
}

HRESULT Device::SetSoftwareVertexProcessing(BOOL bSoftware)
{
    // A hardware device has no software vertex processing to switch to.
    return bSoftware ? D3DERR_INVALIDCALL : D3D_OK;
}

BOOL Device::GetSoftwareVertexProcessing()
{
    return FALSE;
}
HRESULT Device::SetNPatchMode(float nSegments)
{
    return nSegments == 0.0f ? D3D_OK : E_NOTIMPL;
}
float Device::GetNPatchMode()
{
    return 0.0f;
}

HRESULT Device::ProcessVertices(UINT, UINT, UINT, IDirect3DVertexBuffer9*, IDirect3DVertexDeclaration9*, DWORD)
{
    return E_NOTIMPL;
}

HRESULT Device::SetFVF(DWORD FVF)
{
    // Layouts come from vertex declarations only.
    return FVF == 0 ? D3D_OK : E_NOTIMPL;
}

HRESULT Device::GetFVF(DWORD* pFVF)
{
    if (!pFVF)
        return D3DERR_INVALIDCALL;
    *pFVF = 0;
    return D3D_OK;
}

HRESULT Device::SetVertexShaderConstantI(UINT, const int*, UINT)
{
    return E_NOTIMPL;
}
HRESULT Device::GetVertexShaderConstantI(UINT, int*, UINT)
{
    return E_NOTIMPL;
}
HRESULT Device::SetVertexShaderConstantB(UINT, const BOOL*, UINT)
{
    return E_NOTIMPL;
}
HRESULT Device::GetVertexShaderConstantB(UINT, BOOL*, UINT)
{
    return E_NOTIMPL;
}

HRESULT Device::SetStreamSourceFreq(UINT StreamNumber, UINT Setting)
{
    // Instancing is not provided; the default frequency of 1 is.
    if (StreamNumber >= kMaxStreams)
        return D3DERR_INVALIDCALL;
    return Setting == 1 ? D3D_OK : E_NOTIMPL;
}

HRESULT Device::GetStreamSourceFreq(UINT StreamNumber, UINT* pSetting)
{
    if (StreamNumber >= kMaxStreams || !pSetting)
        return D3DERR_INVALIDCALL;
    *pSetting = 1;
    return D3D_OK;
}

HRESULT Device::SetPixelShaderConstantI(UINT, const int*, UINT)
{
    return E_NOTIMPL;
}
HRESULT Device::GetPixelShaderConstantI(UINT, int*, UINT)
{
    return E_NOTIMPL;
}
HRESULT Device::SetPixelShaderConstantB(UINT, const BOOL*, UINT)
{
    return E_NOTIMPL;
}
HRESULT Device::GetPixelShaderConstantB(UINT, BOOL*, UINT)
{
    return E_NOTIMPL;
}
HRESULT Device::DrawRectPatch(UINT, const float*, const D3DRECTPATCH_INFO*)
{
    return E_NOTIMPL;
}
HRESULT Device::DrawTriPatch(UINT, const float*, const D3DTRIPATCH_INFO*)
{
    return E_NOTIMPL;
}
HRESULT Device::DeletePatch(UINT)
{
    return E_NOTIMPL;
}
HRESULT Device::CreateQuery(D3DQUERYTYPE, IDirect3DQuery9**)
{
    return E_NOTIMPL;
}
} // namespace d3d9
