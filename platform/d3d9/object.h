// Reference counting shared by the objects a device makes. Direct3D 9 keeps
// two counts: the application's (AddRef/Release) and the device's own, taken
// while an object is bound. An object lives while either is non-zero; only
// the application's count keeps a default-pool object "alive" for Reset, and
// while it is non-zero the object holds a reference on its device.
#pragma once

#include <d3d9.h>

namespace d3d9
{
class Device;

// Every COM object of the layer counts itself here (tests check for leaks).
void CountObject(int delta);
int LiveObjectCount();

class ChildBase
{
public:
    ChildBase(Device* device, bool losable);
    virtual ~ChildBase();

    virtual ULONG AddPublicRef();
    virtual ULONG ReleasePublicRef();
    virtual void AddPrivateRef();
    virtual void ReleasePrivateRef();

    Device* OwnerDevice() const { return m_Device; }

    ChildBase(const ChildBase&) = delete;
    ChildBase& operator=(const ChildBase&) = delete;

protected:
    HRESULT GetDeviceRef(IDirect3DDevice9** ppDevice);

    Device* m_Device;

private:
    ULONG m_Public = 0;
    ULONG m_Private = 0;
    bool m_Losable;
};

// Points a device binding at another object, moving the device's reference.
template <class T>
void Rebind(T*& slot, T* object)
{
    if (object)
        object->AddPrivateRef();
    if (slot)
        slot->ReleasePrivateRef();
    slot = object;
}

// QueryInterface over a fixed list of identifiers the object answers to.
HRESULT QueryAmong(IUnknown* self, REFIID riid, void** ppv, const IID* const* ids, int count);

template <class Interface>
class Child : public Interface, public ChildBase
{
public:
    Child(Device* device, bool losable) : ChildBase(device, losable) {}
    ULONG STDMETHODCALLTYPE AddRef() override { return AddPublicRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleasePublicRef(); }
};

// Resource methods that no object of the layer supports.
template <class Interface>
class ResourceChild : public Child<Interface>
{
public:
    using Child<Interface>::Child;
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** ppDevice) override { return this->GetDeviceRef(ppDevice); }
    HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID, const void*, DWORD, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID, void*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FreePrivateData(REFGUID) override { return E_NOTIMPL; }
    DWORD STDMETHODCALLTYPE SetPriority(DWORD) override { return 0; }
    DWORD STDMETHODCALLTYPE GetPriority() override { return 0; }
    void STDMETHODCALLTYPE PreLoad() override {}
};
} // namespace d3d9
