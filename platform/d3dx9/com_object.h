// IUnknown for the objects D3DX hands out: one reference at creation, deleted
// at the last Release, answering IUnknown and the interface's own identifier
// where it is given one.
#pragma once

#include <d3dx9.h>

#include <atomic>

namespace d3dx9
{
template <class Interface>
class ComObject : public Interface
{
public:
    explicit ComObject(const IID* own = nullptr) : m_Own(own) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObj) override
    {
        if (!ppvObj)
            return E_POINTER;
        if (IsEqualGUID(riid, IID_IUnknown) || (m_Own && IsEqualGUID(riid, *m_Own)))
        {
            AddRef();
            *ppvObj = static_cast<IUnknown*>(this);
            return S_OK;
        }
        *ppvObj = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_References; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        ULONG left = --m_References;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    virtual ~ComObject() = default;

private:
    std::atomic<ULONG> m_References{1};
    const IID* m_Own;
};
} // namespace d3dx9
