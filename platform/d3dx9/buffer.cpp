#include "d3dx9/com_object.h"

#include <d3dx9.h>

#include <new>
#include <vector>

namespace
{
class Buffer final : public d3dx9::ComObject<ID3DXBuffer>
{
public:
    explicit Buffer(DWORD size) : ComObject(&IID_ID3DXBuffer), m_Bytes(size, 0) {}

    LPVOID STDMETHODCALLTYPE GetBufferPointer() override { return m_Bytes.empty() ? nullptr : m_Bytes.data(); }
    DWORD STDMETHODCALLTYPE GetBufferSize() override { return static_cast<DWORD>(m_Bytes.size()); }

private:
    ~Buffer() override = default;

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
