#include "render/renderer.h"

#include "app/demo.h"
#include "app/log.h"
#include "render/mesh.h"
#include "resource/render_target.h"

#include <string>

namespace
{
template <class T>
void ReleaseAndClear(T*& object)
{
    if (object)
    {
        object->Release();
        object = nullptr;
    }
}

// A registry entry of the given kind, or null.
Resource::I_Resource* ResourceOfKind(int index, int kind)
{
    Resource::I_Resource* resource = C_Demo::GetInstance()->m_Resources.At(index);
    if (!resource || resource->GetKind() != kind)
        return nullptr;
    return resource;
}
// A shader slot takes only a shader of its own kind; anything else would hand
// the device an object of the wrong type. A bad index keeps the bound shader.
template <class Shader>
bool BindShader(IDirect3DDevice9* device, int index, int kind, int& bound,
                HRESULT (STDMETHODCALLTYPE IDirect3DDevice9::*set)(Shader*))
{
    if (index == bound)
        return true;
    Resource::I_Resource* resource = ResourceOfKind(index, kind);
    if (!resource)
        return false;
    bound = index;
    (device->*set)(static_cast<Shader*>(resource->GetObject()));
    return true;
}
} // namespace

C_Renderer::C_Renderer()
    : d3d(nullptr), device(nullptr), backBufferSurface(nullptr), backBufferDepthSurface(nullptr),
      dynamicVertexBuffer(nullptr), dynamicIndexBuffer(nullptr), presentParameters(), backBufferWidth(0),
      backBufferHeight(0), targetWidth(0), targetHeight(0), boundRenderTarget(-1), boundVertexShader(-1),
      boundPixelShader(-1)
{
    for (int& index : boundTextures)
        index = -1;
}

C_Renderer::~C_Renderer()
{
    ReleaseAndClear(dynamicIndexBuffer);
    ReleaseAndClear(dynamicVertexBuffer);
    ReleaseAndClear(backBufferSurface);
    ReleaseAndClear(backBufferDepthSurface);
    ReleaseAndClear(device);
    ReleaseAndClear(d3d);
}

bool C_Renderer::Create(int width, int height, int multiSampleType, bool vsync, bool windowed)
{
    d3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (!d3d)
        return false;

    backBufferWidth = targetWidth = width;
    backBufferHeight = targetHeight = height;
    HWND window = C_Demo::GetInstance()->m_Window;

    presentParameters = D3DPRESENT_PARAMETERS();
    presentParameters.BackBufferWidth = width;
    presentParameters.BackBufferHeight = height;
    presentParameters.BackBufferFormat = D3DFMT_A8R8G8B8;
    presentParameters.BackBufferCount = 2;
    presentParameters.MultiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(multiSampleType);
    presentParameters.MultiSampleQuality = 0;
    presentParameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    presentParameters.hDeviceWindow = window;
    presentParameters.Windowed = windowed ? TRUE : FALSE;
    presentParameters.EnableAutoDepthStencil = TRUE;
    presentParameters.AutoDepthStencilFormat = D3DFMT_D24S8;
    presentParameters.Flags = 0;
    presentParameters.FullScreen_RefreshRateInHz = 0;
    presentParameters.PresentationInterval = vsync ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_IMMEDIATE;

    if (FAILED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                 &presentParameters, &device)))
        return false;

    device->GetDepthStencilSurface(&backBufferDepthSurface);
    device->GetRenderTarget(0, &backBufferSurface);

    if (!CreateDynamicBuffers())
        return false;
    ApplyDefaultSamplerStates();
    return true;
}

bool C_Renderer::CreateDynamicBuffers()
{
    if (FAILED(device->CreateVertexBuffer(kDynamicVertexBufferSize, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0,
                                          D3DPOOL_DEFAULT, &dynamicVertexBuffer, NULL)))
    {
        Diagnostic("Failed to create dynamic vertex buffer");
        return false;
    }
    if (FAILED(device->CreateIndexBuffer(kDynamicIndexBufferSize, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                         D3DPOOL_DEFAULT, &dynamicIndexBuffer, NULL)))
    {
        Diagnostic("Failed to create dynamic index buffer");
        return false;
    }
    return true;
}

void C_Renderer::ApplyDefaultSamplerStates()
{
    for (DWORD sampler = 0; sampler < kSamplerStages; ++sampler)
    {
        device->SetSamplerState(sampler, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(sampler, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(sampler, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    }
}

bool C_Renderer::CheckDevice()
{
    HRESULT result = device->TestCooperativeLevel();
    if (result == D3D_OK)
        return true;

    if (result == D3DERR_DEVICELOST)
    {
        Sleep(100);
        return false;
    }

    if (result == D3DERR_DEVICENOTRESET)
    {
        ReleaseDeviceObjects();
        HRESULT reset = device->Reset(&presentParameters);
        if (reset == D3DERR_DRIVERINTERNALERROR)
        {
            Diagnostic("Driver internal error");
            RequestQuit();
            return false;
        }
        if (reset == D3DERR_OUTOFVIDEOMEMORY)
        {
            Diagnostic("Out of video memory");
            RequestQuit();
            return false;
        }
        if (reset == D3D_OK)
            RestoreDeviceObjects();
        return false;
    }

    if (result == D3DERR_DRIVERINTERNALERROR)
    {
        Diagnostic("Driver internal error");
        RequestQuit();
        return false;
    }

    RequestQuit();
    return false;
}

void C_Renderer::ReleaseDeviceObjects()
{
    C_Demo::GetInstance()->m_Resources.OnDeviceLost();
    ReleaseAndClear(dynamicIndexBuffer);
    ReleaseAndClear(dynamicVertexBuffer);
    ReleaseAndClear(backBufferSurface);
    ReleaseAndClear(backBufferDepthSurface);
}

bool C_Renderer::RestoreDeviceObjects()
{
    device->GetRenderTarget(0, &backBufferSurface);
    device->GetDepthStencilSurface(&backBufferDepthSurface);
    // A buffer that cannot be made again leaves its pointer null; the effects
    // that stream through it then fail their locks and draw nothing.
    bool buffers = CreateDynamicBuffers();
    ApplyDefaultSamplerStates();
    ResetCaches();
    C_Demo::GetInstance()->m_Resources.OnDeviceReset();
    return buffers;
}

void C_Renderer::ResetCaches()
{
    renderStateCache.clear();
    for (int& index : boundTextures)
        index = -1;
    boundRenderTarget = -1;
    boundVertexShader = -1;
    boundPixelShader = -1;
    targetWidth = backBufferWidth;
    targetHeight = backBufferHeight;
}

void C_Renderer::RequestQuit()
{
    C_Demo::GetInstance()->m_QuitRequested = true;
}

bool C_Renderer::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    auto cached = renderStateCache.find(static_cast<DWORD>(state));
    if (cached != renderStateCache.end() && cached->second == value)
        return true;
    renderStateCache[static_cast<DWORD>(state)] = value;
    device->SetRenderState(state, value);
    return true;
}

bool C_Renderer::SetBlendMode(int mode)
{
    switch (mode)
    {
    case Opaque: SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE); break;
    case Alpha:
        SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        break;
    case AlphaAdditive:
        SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        break;
    case Additive:
        SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
        SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        break;
    }
    return true;
}

bool C_Renderer::BindTexture(int stage, int index)
{
    if (stage < 0 || stage >= kSamplerStages)
        return false;
    if (boundTextures[stage] == index)
        return true;

    Resource::I_Resource* resource = C_Demo::GetInstance()->m_Resources.At(index);
    if (!resource)
    {
        device->SetTexture(stage, NULL);
        boundTextures[stage] = -1;
        return true;
    }

    IDirect3DTexture9* texture;
    switch (resource->GetKind())
    {
    case Resource::Texture: texture = static_cast<IDirect3DTexture9*>(resource->GetObject()); break;
    case Resource::RenderTarget:
    {
        RenderTargetSurfaces* surfaces = static_cast<RenderTargetSurfaces*>(resource->GetObject());
        if (!surfaces)
            return false;
        texture = surfaces->texture;
        break;
    }
    default: return false;
    }
    device->SetTexture(stage, texture);
    boundTextures[stage] = index;
    return true;
}

bool C_Renderer::BindVertexShader(int index)
{
    return BindShader(device, index, Resource::VertexShader, boundVertexShader, &IDirect3DDevice9::SetVertexShader);
}

bool C_Renderer::BindPixelShader(int index)
{
    return BindShader(device, index, Resource::PixelShader, boundPixelShader, &IDirect3DDevice9::SetPixelShader);
}

bool C_Renderer::BindRenderTarget(int index)
{
    if (index == boundRenderTarget)
        return true;
    if (index == -1)
        return BindBackBuffer();

    Resource::I_Resource* resource = ResourceOfKind(index, Resource::RenderTarget);
    if (!resource)
        return false;
    RenderTargetSurfaces* surfaces = static_cast<RenderTargetSurfaces*>(resource->GetObject());
    if (!surfaces)
        return false;
    device->SetRenderTarget(0, surfaces->surface);
    device->SetDepthStencilSurface(surfaces->depthSurface);
    targetWidth = surfaces->width;
    targetHeight = surfaces->height;
    boundRenderTarget = index;
    return true;
}

bool C_Renderer::BindBackBuffer()
{
    if (boundRenderTarget == -1)
        return true;
    device->SetRenderTarget(0, backBufferSurface);
    device->SetDepthStencilSurface(backBufferDepthSurface);
    boundRenderTarget = -1;
    targetWidth = backBufferWidth;
    targetHeight = backBufferHeight;
    return true;
}

bool C_Renderer::DrawMesh(int index)
{
    Resource::I_Resource* resource = ResourceOfKind(index, Resource::Mesh);
    if (!resource)
        return true;
    if (I_Mesh* mesh = static_cast<I_Mesh*>(resource->GetObject()))
        mesh->Draw();
    return true;
}
