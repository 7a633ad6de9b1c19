#include "d3d9/object.h"

#include "d3d9/device.h"

namespace d3d9
{
namespace
{
int g_LiveObjects = 0;
} // namespace

void CountObject(int delta)
{
    g_LiveObjects += delta;
}

int LiveObjectCount()
{
    return g_LiveObjects;
}

ChildBase::ChildBase(Device* device, bool losable) : m_Device(device), m_Losable(losable)
{
    CountObject(1);
}

ChildBase::~ChildBase()
{
    CountObject(-1);
}

ULONG ChildBase::AddPublicRef()
{
    if (m_Public++ == 0)
    {
        m_Device->AddRef();
        if (m_Losable)
            m_Device->LosableChanged(1);
    }
    return m_Public;
}

ULONG ChildBase::ReleasePublicRef()
{
    if (m_Public == 0)
        return 0;
    if (--m_Public > 0)
        return m_Public;
    Device* device = m_Device;
    if (m_Losable)
        device->LosableChanged(-1);
    if (m_Private == 0)
        delete this;
    // The device goes last: destroying this object still needs its context.
    device->Release();
    return 0;
}

void ChildBase::AddPrivateRef()
{
    ++m_Private;
}

void ChildBase::ReleasePrivateRef()
{
    if (m_Private > 0 && --m_Private == 0 && m_Public == 0)
        delete this;
}

HRESULT ChildBase::GetDeviceRef(IDirect3DDevice9** ppDevice)
{
    if (!ppDevice)
        return D3DERR_INVALIDCALL;
    m_Device->AddRef();
    *ppDevice = m_Device;
    return D3D_OK;
}

HRESULT QueryAmong(IUnknown* self, REFIID riid, void** ppv, const IID* const* ids, int count)
{
    if (!ppv)
        return E_POINTER;
    for (int i = 0; i < count; ++i)
    {
        if (IsEqualGUID(riid, *ids[i]))
        {
            self->AddRef();
            *ppv = self;
            return S_OK;
        }
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}
} // namespace d3d9
