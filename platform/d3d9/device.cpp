#include "d3d9/device.h"

#include "d3d9/buffer.h"
#include "d3d9/declaration.h"
#include "d3d9/direct3d.h"
#include "d3d9/gl_profile.h"
#include "d3d9/object.h"
#include "d3d9/shader.h"
#include "d3d9/surface.h"
#include "d3d9/texture.h"
#include "win32/internal.h"

namespace d3d9
{
namespace
{
// The device whose context is current on this thread.
Device* g_Current = nullptr;

bool BackBufferFormatOk(D3DFORMAT format)
{
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8 || format == D3DFMT_UNKNOWN;
}

bool AutoDepthFormatOk(D3DFORMAT format)
{
    return format == D3DFMT_D24S8 || format == D3DFMT_D24X8 || format == D3DFMT_D16 || format == D3DFMT_D32;
}

template <class T>
void ReleaseBinding(T*& slot)
{
    if (slot)
    {
        slot->ReleasePrivateRef();
        slot = nullptr;
    }
}
} // namespace

bool Device::ProgramKey::operator<(const ProgramKey& other) const
{
    if (vs != other.vs)
        return vs < other.vs;
    if (ps != other.ps)
        return ps < other.ps;
    return sprite < other.sprite;
}

HRESULT Device::Create(Direct3D9* d3d, HWND focusWindow, DWORD behaviorFlags, D3DPRESENT_PARAMETERS* params,
                       IDirect3DDevice9** device)
{
    HRESULT hr = CheckParameters(*params);
    if (FAILED(hr))
        return hr;
    if (!params->hDeviceWindow && !focusWindow)
        return D3DERR_INVALIDCALL;
    Device* created = new Device(d3d, focusWindow, behaviorFlags);
    hr = created->Initialise(*params);
    if (FAILED(hr))
    {
        created->Release();
        return hr;
    }
    *params = created->m_Params; // Direct3D writes the sizes and formats it chose back
    *device = created;
    return D3D_OK;
}

Device::Device(Direct3D9* d3d, HWND focusWindow, DWORD behaviorFlags)
    : m_D3D(d3d), m_FocusWindow(focusWindow), m_BehaviorFlags(behaviorFlags)
{
    m_D3D->AddRef();
    CountObject(1);
}

Device::~Device()
{
    if (m_Context)
    {
        MakeCurrent();
        ReleaseBindings();
        ReleaseBinding(m_BackBuffer);
        ReleaseBinding(m_AutoDepth);
        for (auto& entry : m_Programs)
            DestroyProgram(entry.second);
        m_Programs.clear();
        glDeleteSamplers(kMaxSamplers, m_Samplers);
        const GLuint framebuffers[] = {m_DrawFramebuffer, m_ReadFramebuffer, m_ResolveFramebuffer};
        glDeleteFramebuffers(3, framebuffers);
        glDeleteRenderbuffers(1, &m_ResolveRenderbuffer);
        const GLuint buffers[] = {m_UpVertexBuffer, m_UpIndexBuffer};
        glDeleteBuffers(2, buffers);
        glDeleteVertexArrays(1, &m_VertexArray);
        SDL_GL_MakeCurrent(m_SdlWindow, nullptr);
        SDL_GL_DeleteContext(m_Context);
        if (m_StandInWindow)
            SDL_DestroyWindow(m_StandInWindow);
        else
            Win32SetDestroyHook(m_Window, nullptr, nullptr);
    }
    if (g_Current == this)
        g_Current = nullptr;
    m_D3D->Release();
    CountObject(-1);
}

HRESULT Device::CheckParameters(const D3DPRESENT_PARAMETERS& params)
{
    if (!BackBufferFormatOk(params.BackBufferFormat) || params.BackBufferCount > 3)
        return D3DERR_INVALIDCALL;
    if (!params.Windowed &&
        (params.BackBufferWidth == 0 || params.BackBufferHeight == 0 || params.BackBufferFormat == D3DFMT_UNKNOWN))
        return D3DERR_INVALIDCALL;
    if (params.EnableAutoDepthStencil && !AutoDepthFormatOk(params.AutoDepthStencilFormat))
        return D3DERR_INVALIDCALL;
    if (params.SwapEffect < D3DSWAPEFFECT_DISCARD || params.SwapEffect > D3DSWAPEFFECT_COPY)
        return D3DERR_INVALIDCALL;
    if (params.MultiSampleType > D3DMULTISAMPLE_16_SAMPLES)
        return D3DERR_INVALIDCALL;
    // Multisampled back buffers need the discard swap effect.
    if (params.MultiSampleType != D3DMULTISAMPLE_NONE && params.SwapEffect != D3DSWAPEFFECT_DISCARD)
        return D3DERR_INVALIDCALL;
    if (params.MultiSampleType == D3DMULTISAMPLE_NONMASKABLE)
        return D3DERR_NOTAVAILABLE;
    return D3D_OK;
}

HRESULT Device::Initialise(const D3DPRESENT_PARAMETERS& params)
{
    m_Window = params.hDeviceWindow ? params.hDeviceWindow : m_FocusWindow;
    m_SdlWindow = Win32GetSdlWindow(m_Window);
    if (!m_SdlWindow)
        return D3DERR_INVALIDCALL;

    profile::RequestContext();
    m_Context = SDL_GL_CreateContext(m_SdlWindow);
    if (!m_Context)
        return D3DERR_NOTAVAILABLE;
    g_Current = this;
    // Direct3D lets the device outlive its window; the context must too.
    Win32SetDestroyHook(m_Window, &Device::OnWindowDestroyed, this);

    glGetIntegerv(GL_MAX_SAMPLES, &m_MaxSamples);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &m_MaxTextureSize);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &m_MaxRenderbufferSize);
    m_Anisotropy = profile::InitialiseContext();
    glGenVertexArrays(1, &m_VertexArray);
    glGenFramebuffers(1, &m_DrawFramebuffer);
    glGenFramebuffers(1, &m_ReadFramebuffer);
    glGenFramebuffers(1, &m_ResolveFramebuffer);
    glGenSamplers(kMaxSamplers, m_Samplers);
    glGenBuffers(1, &m_UpVertexBuffer);
    glGenBuffers(1, &m_UpIndexBuffer);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    m_Gl.Reset();
    m_Gl.BindVertexArray(m_VertexArray);

    m_Params = params;
    CompleteParameters(m_Params);

    const HRESULT hr = CreateSwapSurfaces(m_Params);
    if (FAILED(hr))
        return hr;
    ApplyPresentMode(m_Params);
    ResetStates();
    m_FocusSeen = Win32WindowHasFocus(m_Window);
    return D3D_OK;
}

void Device::CompleteParameters(D3DPRESENT_PARAMETERS& params) const
{
    // A windowed device takes its missing sizes from the client area.
    if (params.Windowed && (params.BackBufferWidth == 0 || params.BackBufferHeight == 0))
    {
        int width = 0, height = 0;
        SDL_GetWindowSize(m_SdlWindow, &width, &height);
        if (params.BackBufferWidth == 0)
            params.BackBufferWidth = width > 0 ? width : 1;
        if (params.BackBufferHeight == 0)
            params.BackBufferHeight = height > 0 ? height : 1;
    }
    if (params.BackBufferFormat == D3DFMT_UNKNOWN)
        params.BackBufferFormat = D3DFMT_X8R8G8B8;
    if (params.BackBufferCount == 0)
        params.BackBufferCount = 1;
}

void Device::OnWindowDestroyed(void* context)
{
    Device* device = static_cast<Device*>(context);
    device->m_StandInWindow = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    device->m_SdlWindow = device->m_StandInWindow;
    if (device->m_StandInWindow)
    {
        SDL_GL_MakeCurrent(device->m_StandInWindow, device->m_Context);
        g_Current = device;
    }
    else if (g_Current == device)
        g_Current = nullptr;
}

void Device::MakeCurrent()
{
    if (g_Current != this)
    {
        SDL_GL_MakeCurrent(m_SdlWindow, m_Context);
        g_Current = this;
    }
}

HRESULT Device::QueryInterface(REFIID riid, void** ppvObj)
{
    static const IID* const kIds[] = {&IID_IUnknown, &IID_IDirect3DDevice9};
    return QueryAmong(this, riid, ppvObj, kIds, 2);
}

ULONG Device::AddRef()
{
    return ++m_RefCount;
}

ULONG Device::Release()
{
    if (m_RefCount == 0)
        return 0;
    const ULONG count = --m_RefCount;
    if (count == 0)
        delete this;
    return count;
}

void Device::UpdateLoss()
{
    bool focusLost = false;
    if (!m_Params.Windowed)
    {
        // A full-screen device is lost from the moment its window loses the
        // focus it had until the focus comes back.
        const bool focus = Win32WindowHasFocus(m_Window);
        if (focus)
            m_FocusSeen = true;
        focusLost = m_FocusSeen && !focus;
    }
    const bool cause = m_ForcedLoss || focusLost;
    if (cause && m_Loss == Loss::None)
        m_Loss = Loss::Lost;
    else if (!cause && m_Loss == Loss::Lost)
        m_Loss = Loss::NotReset;
}

HRESULT Device::TestCooperativeLevel()
{
    UpdateLoss();
    switch (m_Loss)
    {
    case Loss::None: return D3D_OK;
    case Loss::Lost: return D3DERR_DEVICELOST;
    default: return D3DERR_DEVICENOTRESET;
    }
}

HRESULT Device::Reset(D3DPRESENT_PARAMETERS* pPresentationParameters)
{
    if (!pPresentationParameters)
        return D3DERR_INVALIDCALL;
    UpdateLoss();
    if (m_Loss == Loss::Lost)
        return D3DERR_DEVICELOST;
    // A Reset that fails leaves the device waiting for another one.
    HRESULT hr = CheckParameters(*pPresentationParameters);
    if (FAILED(hr) || m_LosableObjects > 0)
    {
        m_Loss = Loss::NotReset;
        return FAILED(hr) ? hr : D3DERR_INVALIDCALL;
    }
    MakeCurrent();
    ReleaseBindings();
    ReleaseBinding(m_BackBuffer);
    ReleaseBinding(m_AutoDepth);

    D3DPRESENT_PARAMETERS params = *pPresentationParameters;
    CompleteParameters(params);
    hr = CreateSwapSurfaces(params);
    if (FAILED(hr))
    {
        m_Loss = Loss::NotReset;
        return hr;
    }
    m_Params = params;
    *pPresentationParameters = params;
    ApplyPresentMode(m_Params);
    ResetStates();
    m_InScene = false;
    m_Loss = Loss::None;
    m_FocusSeen = Win32WindowHasFocus(m_Window);
    return D3D_OK;
}

void Device::ReleaseBindings()
{
    for (Texture*& texture : m_Textures)
        ReleaseBinding(texture);
    for (Stream& stream : m_Streams)
    {
        ReleaseBinding(stream.buffer);
        stream.offset = stream.stride = 0;
    }
    ReleaseBinding(m_Indices);
    ReleaseBinding(m_Declaration);
    ReleaseBinding(m_VertexShader);
    ReleaseBinding(m_PixelShader);
    ReleaseBinding(m_RenderTarget);
    ReleaseBinding(m_DepthStencil);
    if (m_AttachedColor || m_AttachedDepth)
    {
        AttachTarget(m_DrawFramebuffer, nullptr, nullptr);
        ReleaseBinding(m_AttachedColor);
        ReleaseBinding(m_AttachedDepth);
    }
    m_Program = nullptr;
    m_Dirty = kDirtyAll;
}

HRESULT Device::BeginScene()
{
    if (m_InScene)
        return D3DERR_INVALIDCALL;
    m_InScene = true;
    return D3D_OK;
}

HRESULT Device::EndScene()
{
    if (!m_InScene)
        return D3DERR_INVALIDCALL;
    m_InScene = false;
    return D3D_OK;
}

HRESULT Device::GetDirect3D(IDirect3D9** ppD3D9)
{
    if (!ppD3D9)
        return D3DERR_INVALIDCALL;
    m_D3D->AddRef();
    *ppD3D9 = m_D3D;
    return D3D_OK;
}

HRESULT Device::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* pParameters)
{
    if (!pParameters)
        return D3DERR_INVALIDCALL;
    *pParameters = {D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_FocusWindow, m_BehaviorFlags};
    return D3D_OK;
}

HRESULT Device::GetDisplayMode(UINT iSwapChain, D3DDISPLAYMODE* pMode)
{
    if (iSwapChain != 0 || !pMode)
        return D3DERR_INVALIDCALL;
    if (!m_Params.Windowed)
    {
        *pMode = {m_Params.BackBufferWidth, m_Params.BackBufferHeight, m_Params.FullScreen_RefreshRateInHz,
                  m_Params.BackBufferFormat};
        return D3D_OK;
    }
    return m_D3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, pMode);
}

UINT Device::GetNumberOfSwapChains()
{
    return 1;
}

void Device::ForceLost()
{
    m_ForcedLoss = true;
    UpdateLoss();
}

void Device::EndForcedLoss()
{
    m_ForcedLoss = false;
    UpdateLoss();
}
} // namespace d3d9
