#include <d3dx9.h>

#include <atomic>
#include <new>
#include <vector>

namespace
{
class Buffer final : public ID3DXBuffer
{
public:
    explicit Buffer(DWORD size) : m_Bytes(size, 0) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObj) override
    {
        if (!ppvObj)
            return E_POINTER;
        if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_ID3DXBuffer))
        {
            AddRef();
            *ppvObj = this;
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
    LPVOID STDMETHODCALLTYPE GetBufferPointer() override { return m_Bytes.empty() ? nullptr : m_Bytes.data(); }
    DWORD STDMETHODCALLTYPE GetBufferSize() override { return static_cast<DWORD>(m_Bytes.size()); }

private:
    ~Buffer() = default;

    std::atomic<ULONG> m_References{1};
    std::vector<unsigned char> m_Bytes;
};
} // namespace

HRESULT WINAPI D3DXCreateBuffer(DWORD NumBytes, LPD3DXBUFFER* ppBuffer)
{
    if (!ppBuffer)
        return D3DERR_INVALIDCALL;
    *ppBuffer = new (std::nothrow) Buffer(NumBytes);
    return *ppBuffer ? S_OK : E_OUTOFMEMORY;
}
