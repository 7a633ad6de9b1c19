#include "d3d9/direct3d.h"

#include "d3d9/device.h"
#include "d3d9/object.h"
#include "win32/internal.h"

#include <SDL.h>

namespace d3d9
{
namespace
{
bool DisplayFormat(D3DFORMAT format)
{
    return format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8;
}
} // namespace

Direct3D9::Direct3D9()
{
    CountObject(1);
}

Direct3D9::~Direct3D9()
{
    CountObject(-1);
}

HRESULT Direct3D9::QueryInterface(REFIID riid, void** ppvObj)
{
    static const IID* const kIds[] = {&IID_IUnknown, &IID_IDirect3D9};
    return QueryAmong(this, riid, ppvObj, kIds, 2);
}

ULONG Direct3D9::AddRef()
{
    return ++m_RefCount;
}

ULONG Direct3D9::Release()
{
    const ULONG count = --m_RefCount;
    if (count == 0)
        delete this;
    return count;
}

HRESULT Direct3D9::RegisterSoftwareDevice(void*)
{
    return E_NOTIMPL;
}

UINT Direct3D9::GetAdapterCount()
{
    return 1;
}

HRESULT Direct3D9::GetAdapterIdentifier(UINT, DWORD, D3DADAPTER_IDENTIFIER9*)
{
    return E_NOTIMPL;
}

UINT Direct3D9::GetAdapterModeCount(UINT Adapter, D3DFORMAT Format)
{
    if (Adapter != D3DADAPTER_DEFAULT || !DisplayFormat(Format))
        return 0;
    const int modes = SDL_GetNumDisplayModes(0);
    return modes > 0 ? static_cast<UINT>(modes) : 0;
}

HRESULT Direct3D9::EnumAdapterModes(UINT Adapter, D3DFORMAT Format, UINT Mode, D3DDISPLAYMODE* pMode)
{
    if (!pMode || Adapter != D3DADAPTER_DEFAULT || !DisplayFormat(Format))
        return D3DERR_INVALIDCALL;
    SDL_DisplayMode mode;
    if (Mode >= GetAdapterModeCount(Adapter, Format) || SDL_GetDisplayMode(0, static_cast<int>(Mode), &mode) != 0)
        return D3DERR_INVALIDCALL;
    *pMode = {static_cast<UINT>(mode.w), static_cast<UINT>(mode.h), static_cast<UINT>(mode.refresh_rate), Format};
    return D3D_OK;
}

HRESULT Direct3D9::GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode)
{
    if (!pMode || Adapter != D3DADAPTER_DEFAULT)
        return D3DERR_INVALIDCALL;
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0)
        return D3DERR_NOTAVAILABLE;
    *pMode = {static_cast<UINT>(mode.w), static_cast<UINT>(mode.h), static_cast<UINT>(mode.refresh_rate),
              D3DFMT_X8R8G8B8};
    return D3D_OK;
}

HRESULT Direct3D9::CheckDeviceType(UINT Adapter, D3DDEVTYPE DevType, D3DFORMAT AdapterFormat,
                                   D3DFORMAT BackBufferFormat, BOOL)
{
    if (Adapter != D3DADAPTER_DEFAULT)
        return D3DERR_INVALIDCALL;
    if (DevType != D3DDEVTYPE_HAL || !DisplayFormat(AdapterFormat) || !DisplayFormat(BackBufferFormat))
        return D3DERR_NOTAVAILABLE;
    return D3D_OK;
}

HRESULT Direct3D9::CheckDeviceFormat(UINT, D3DDEVTYPE, D3DFORMAT, DWORD, D3DRESOURCETYPE, D3DFORMAT)
{
    return E_NOTIMPL;
}

HRESULT Direct3D9::CheckDeviceMultiSampleType(UINT, D3DDEVTYPE, D3DFORMAT, BOOL, D3DMULTISAMPLE_TYPE, DWORD*)
{
    // The sample counts are known only once a GL context exists: CreateDevice answers.
    return E_NOTIMPL;
}

HRESULT Direct3D9::CheckDepthStencilMatch(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT)
{
    return E_NOTIMPL;
}

HRESULT Direct3D9::CheckDeviceFormatConversion(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT)
{
    return E_NOTIMPL;
}

HRESULT Direct3D9::GetDeviceCaps(UINT, D3DDEVTYPE, D3DCAPS9*)
{
    return E_NOTIMPL;
}

HMONITOR Direct3D9::GetAdapterMonitor(UINT)
{
    return nullptr;
}

HRESULT Direct3D9::CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                                D3DPRESENT_PARAMETERS* pPresentationParameters,
                                IDirect3DDevice9** ppReturnedDeviceInterface)
{
    if (!ppReturnedDeviceInterface)
        return D3DERR_INVALIDCALL;
    *ppReturnedDeviceInterface = nullptr;
    if (Adapter != D3DADAPTER_DEFAULT || !pPresentationParameters)
        return D3DERR_INVALIDCALL;
    if (DeviceType != D3DDEVTYPE_HAL)
        return D3DERR_NOTAVAILABLE;
    return Device::Create(this, hFocusWindow, BehaviorFlags, pPresentationParameters, ppReturnedDeviceInterface);
}
} // namespace d3d9

IDirect3D9* WINAPI Direct3DCreate9(UINT SDKVersion)
{
    if (SDKVersion != D3D_SDK_VERSION || !win32::EnsureVideo())
        return nullptr;
    return new d3d9::Direct3D9();
}
