#include "d3d9/buffer.h"

#include "d3d9/device.h"
#include "d3d9/gl_profile.h"

namespace d3d9
{
namespace
{
GLenum GlUsage(DWORD usage)
{
    return (usage & D3DUSAGE_DYNAMIC) ? GL_STREAM_DRAW : GL_STATIC_DRAW;
}
} // namespace

BufferStore::BufferStore(Device* device, UINT size, DWORD usage, D3DPOOL pool, bool indices)
    : m_Device(device), m_Size(size), m_Usage(usage), m_Pool(pool), m_Indices(indices)
{
}

BufferStore::~BufferStore()
{
    if (m_Name)
    {
        m_Device->MakeCurrent();
        glDeleteBuffers(1, &m_Name);
        m_Device->Gl().ForgetBuffer(m_Name);
    }
}

bool BufferStore::Allocate()
{
    m_Device->MakeCurrent();
    while (glGetError() != GL_NO_ERROR)
    {
    }
    m_Memory.assign(m_Size, 0);
    glGenBuffers(1, &m_Name);
    const GLenum target = profile::BindForUpload(m_Device->Gl(), m_Name, m_Indices);
    glBufferData(target, m_Size, m_Memory.data(), GlUsage(m_Usage));
    return glGetError() == GL_NO_ERROR;
}

HRESULT BufferStore::Lock(UINT offset, UINT size, void** data, DWORD flags)
{
    if (!data)
        return D3DERR_INVALIDCALL;
    *data = nullptr;
    // Size 0 locks everything from the offset on; nothing past the end is handed out.
    if (m_Locked || offset > m_Size || size > m_Size - offset)
        return D3DERR_INVALIDCALL;
    if (size == 0)
        size = m_Size - offset;
    m_Locked = true;
    m_LockOffset = offset;
    m_LockSize = size;
    m_LockFlags = (m_Usage & D3DUSAGE_DYNAMIC) ? flags : (flags & ~(D3DLOCK_DISCARD | D3DLOCK_NOOVERWRITE));
    *data = m_Memory.data() + offset;
    return D3D_OK;
}

HRESULT BufferStore::Unlock()
{
    if (!m_Locked)
        return D3DERR_INVALIDCALL;
    m_Locked = false;
    if (m_LockFlags & D3DLOCK_READONLY)
        return D3D_OK;
    m_Device->MakeCurrent();
    const GLenum target = profile::BindForUpload(m_Device->Gl(), m_Name, m_Indices);
    if (m_LockFlags & D3DLOCK_DISCARD)
        glBufferData(target, m_Size, nullptr, GlUsage(m_Usage));
    if (m_LockSize)
        glBufferSubData(target, m_LockOffset, m_LockSize, m_Memory.data() + m_LockOffset);
    return D3D_OK;
}

VertexBuffer::VertexBuffer(Device* device, UINT size, DWORD usage, DWORD fvf, D3DPOOL pool)
    : ResourceChild(device, pool == D3DPOOL_DEFAULT), m_Store(device, size, usage, pool, false), m_Fvf(fvf)
{
}

HRESULT VertexBuffer::QueryInterface(REFIID riid, void** ppvObj)
{
    static const IID* const kIds[] = {&IID_IUnknown, &IID_IDirect3DResource9, &IID_IDirect3DVertexBuffer9};
    return QueryAmong(this, riid, ppvObj, kIds, 3);
}

HRESULT VertexBuffer::Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags)
{
    return m_Store.Lock(OffsetToLock, SizeToLock, ppbData, Flags);
}

HRESULT VertexBuffer::Unlock()
{
    return m_Store.Unlock();
}

HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* pDesc)
{
    if (!pDesc)
        return D3DERR_INVALIDCALL;
    *pDesc = {D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, m_Store.Usage(), m_Store.Pool(), m_Store.Size(), m_Fvf};
    return D3D_OK;
}

IndexBuffer::IndexBuffer(Device* device, UINT size, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : ResourceChild(device, pool == D3DPOOL_DEFAULT), m_Store(device, size, usage, pool, true), m_Format(format)
{
}

HRESULT IndexBuffer::QueryInterface(REFIID riid, void** ppvObj)
{
    static const IID* const kIds[] = {&IID_IUnknown, &IID_IDirect3DResource9, &IID_IDirect3DIndexBuffer9};
    return QueryAmong(this, riid, ppvObj, kIds, 3);
}

HRESULT IndexBuffer::Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags)
{
    return m_Store.Lock(OffsetToLock, SizeToLock, ppbData, Flags);
}

HRESULT IndexBuffer::Unlock()
{
    return m_Store.Unlock();
}

HRESULT IndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* pDesc)
{
    if (!pDesc)
        return D3DERR_INVALIDCALL;
    *pDesc = {m_Format, D3DRTYPE_INDEXBUFFER, m_Store.Usage(), m_Store.Pool(), m_Store.Size()};
    return D3D_OK;
}

HRESULT Device::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                   IDirect3DVertexBuffer9** ppVertexBuffer, HANDLE* pSharedHandle)
{
    if (!ppVertexBuffer || pSharedHandle)
        return D3DERR_INVALIDCALL;
    *ppVertexBuffer = nullptr;
    if (Length == 0 || Pool > D3DPOOL_SCRATCH || ((Usage & D3DUSAGE_DYNAMIC) && Pool == D3DPOOL_MANAGED))
        return D3DERR_INVALIDCALL;
    VertexBuffer* buffer = new VertexBuffer(this, Length, Usage, FVF, Pool);
    if (!buffer->Store().Allocate())
    {
        delete static_cast<ChildBase*>(buffer);
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    buffer->AddRef();
    *ppVertexBuffer = buffer;
    return D3D_OK;
}

HRESULT Device::CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                  IDirect3DIndexBuffer9** ppIndexBuffer, HANDLE* pSharedHandle)
{
    if (!ppIndexBuffer || pSharedHandle)
        return D3DERR_INVALIDCALL;
    *ppIndexBuffer = nullptr;
    if (Length == 0 || Pool > D3DPOOL_SCRATCH || (Format != D3DFMT_INDEX16 && Format != D3DFMT_INDEX32) ||
        ((Usage & D3DUSAGE_DYNAMIC) && Pool == D3DPOOL_MANAGED))
        return D3DERR_INVALIDCALL;
    IndexBuffer* buffer = new IndexBuffer(this, Length, Usage, Format, Pool);
    if (!buffer->Store().Allocate())
    {
        delete static_cast<ChildBase*>(buffer);
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    buffer->AddRef();
    *ppIndexBuffer = buffer;
    return D3D_OK;
}
} // namespace d3d9
