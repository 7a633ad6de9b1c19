// Vertex and index buffers: a GL buffer object and a copy in memory that
// Lock hands out; Unlock uploads the locked range. A discarding lock of a
// dynamic buffer gives the GL buffer fresh storage first, so the GPU may still
// read the old contents.
#pragma once

#include "d3d9/object.h"

#include "d3d9/gl.h"

#include <vector>

namespace d3d9
{
class BufferStore
{
public:
    BufferStore(Device* device, UINT size, DWORD usage, D3DPOOL pool, bool indices);
    ~BufferStore();
    bool Allocate();

    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags);
    HRESULT Unlock();

    GLuint Name() const { return m_Name; }
    UINT Size() const { return m_Size; }
    DWORD Usage() const { return m_Usage; }
    D3DPOOL Pool() const { return m_Pool; }

private:
    Device* m_Device;
    UINT m_Size;
    DWORD m_Usage;
    D3DPOOL m_Pool;
    bool m_Indices;
    GLuint m_Name = 0;
    std::vector<uint8_t> m_Memory;
    bool m_Locked = false;
    UINT m_LockOffset = 0;
    UINT m_LockSize = 0;
    DWORD m_LockFlags = 0;
};

class VertexBuffer final : public ResourceChild<IDirect3DVertexBuffer9>
{
public:
    VertexBuffer(Device* device, UINT size, DWORD usage, DWORD fvf, D3DPOOL pool);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObj) override;
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
    HRESULT STDMETHODCALLTYPE Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) override;
    HRESULT STDMETHODCALLTYPE Unlock() override;
    HRESULT STDMETHODCALLTYPE GetDesc(D3DVERTEXBUFFER_DESC* pDesc) override;

    BufferStore& Store() { return m_Store; }

private:
    BufferStore m_Store;
    DWORD m_Fvf;
};

class IndexBuffer final : public ResourceChild<IDirect3DIndexBuffer9>
{
public:
    IndexBuffer(Device* device, UINT size, DWORD usage, D3DFORMAT format, D3DPOOL pool);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObj) override;
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
    HRESULT STDMETHODCALLTYPE Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) override;
    HRESULT STDMETHODCALLTYPE Unlock() override;
    HRESULT STDMETHODCALLTYPE GetDesc(D3DINDEXBUFFER_DESC* pDesc) override;

    BufferStore& Store() { return m_Store; }
    D3DFORMAT Format() const { return m_Format; }

private:
    BufferStore m_Store;
    D3DFORMAT m_Format;
};
} // namespace d3d9
