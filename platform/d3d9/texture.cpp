#include "d3d9/texture.h"

#include "d3d9/device.h"
#include "d3d9/gl_profile.h"
#include "d3d9/surface.h"

#include <algorithm>

namespace d3d9
{
namespace
{
UINT LevelSize(UINT size, UINT level)
{
    const UINT scaled = size >> level;
    return scaled ? scaled : 1;
}
} // namespace

Texture::Texture(Device* device, DWORD usage, D3DPOOL pool, const FormatInfo& info)
    : ResourceChild(device, pool == D3DPOOL_DEFAULT), m_Usage(usage), m_Pool(pool), m_Info(info)
{
}

HRESULT Texture::Create(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                        D3DPOOL pool, Texture** texture)
{
    FormatInfo info;
    if (width == 0 || height == 0 || !TranslateFormat(format, info) || info.depth)
        return D3DERR_INVALIDCALL;
    if (!device->FitsTexture(width, height))
        return D3DERR_INVALIDCALL;
    if ((usage & D3DUSAGE_DEPTHSTENCIL) || pool > D3DPOOL_SCRATCH)
        return D3DERR_INVALIDCALL;
    if ((usage & D3DUSAGE_RENDERTARGET) && (pool != D3DPOOL_DEFAULT || !info.renderable))
        return D3DERR_INVALIDCALL;
    if ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED)
        return D3DERR_INVALIDCALL;
    const UINT fullChain = FullMipCount(width, height);
    if (levels > fullChain)
        return D3DERR_INVALIDCALL;
    // An automatically generated chain shows the application one level.
    const bool autoGen = (usage & D3DUSAGE_AUTOGENMIPMAP) != 0;
    if (autoGen && levels > 1)
        return D3DERR_INVALIDCALL;
    const UINT glLevels = levels == 0 || autoGen ? fullChain : levels;
    const UINT visibleLevels = autoGen ? 1 : glLevels;

    Texture* created = new Texture(device, usage, pool, info);
    created->m_GlLevels = glLevels;
    device->MakeCurrent();
    while (glGetError() != GL_NO_ERROR)
    {
    }
    glGenTextures(1, &created->m_Name);
    device->Gl().BindTexture(0, created->m_Name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(glLevels - 1));
    profile::SetSwizzle(info);
    std::vector<uint8_t> zeros;
    for (UINT level = 0; level < glLevels; ++level)
    {
        const UINT w = LevelSize(width, level);
        const UINT h = LevelSize(height, level);
        if (info.bytesPerBlock)
        {
            zeros.assign(LevelPitch(info, w) * LevelRows(info, h), 0);
            glCompressedTexImage2D(GL_TEXTURE_2D, level, info.internalFormat, w, h, 0,
                                   static_cast<GLsizei>(zeros.size()), zeros.data());
        }
        else
        {
            glTexImage2D(GL_TEXTURE_2D, level, info.internalFormat, w, h, 0, info.format, info.type, nullptr);
        }
    }
    created->m_Levels.resize(visibleLevels);
    for (UINT level = 0; level < visibleLevels; ++level)
    {
        Level& entry = created->m_Levels[level];
        entry.width = LevelSize(width, level);
        entry.height = LevelSize(height, level);
        if (created->Lockable())
            entry.memory.assign(LevelPitch(info, entry.width) * LevelRows(info, entry.height), 0);
        const D3DSURFACE_DESC desc{format, D3DRTYPE_SURFACE, usage,       pool, D3DMULTISAMPLE_NONE,
                                   0,      entry.width,      entry.height};
        entry.surface = new Surface(device, created, level, desc);
    }
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR)
    {
        delete created;
        return error == GL_OUT_OF_MEMORY ? D3DERR_OUTOFVIDEOMEMORY : D3DERR_INVALIDCALL;
    }
    created->AddPublicRef();
    *texture = created;
    return D3D_OK;
}

Texture::~Texture()
{
    for (Level& level : m_Levels)
        delete level.surface;
    m_Device->MakeCurrent();
    glDeleteTextures(1, &m_Name);
    m_Device->Gl().ForgetTexture(m_Name);
}

bool Texture::Lockable() const
{
    return m_Pool != D3DPOOL_DEFAULT || (m_Usage & D3DUSAGE_DYNAMIC);
}

HRESULT Texture::QueryInterface(REFIID riid, void** ppvObj)
{
    static const IID* const kIds[] = {&IID_IUnknown, &IID_IDirect3DResource9, &IID_IDirect3DBaseTexture9,
                                      &IID_IDirect3DTexture9};
    return QueryAmong(this, riid, ppvObj, kIds, 4);
}

DWORD Texture::SetLOD(DWORD LODNew)
{
    // Only managed textures have a level of detail to set.
    if (m_Pool != D3DPOOL_MANAGED)
        return 0;
    const DWORD old = m_Lod;
    m_Lod = std::min<DWORD>(LODNew, m_GlLevels - 1);
    m_Device->MakeCurrent();
    m_Device->Gl().BindTexture(0, m_Name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, static_cast<GLint>(m_Lod));
    return old;
}

DWORD Texture::GetLOD()
{
    return m_Pool == D3DPOOL_MANAGED ? m_Lod : 0;
}

DWORD Texture::GetLevelCount()
{
    return static_cast<DWORD>(m_Levels.size());
}

HRESULT Texture::SetAutoGenFilterType(D3DTEXTUREFILTERTYPE FilterType)
{
    if (!(m_Usage & D3DUSAGE_AUTOGENMIPMAP) || FilterType == D3DTEXF_NONE)
        return D3DERR_INVALIDCALL;
    m_AutoGenFilter = FilterType;
    return D3D_OK;
}

D3DTEXTUREFILTERTYPE Texture::GetAutoGenFilterType()
{
    return m_AutoGenFilter;
}

void Texture::GenerateMipSubLevels()
{
    if (!(m_Usage & D3DUSAGE_AUTOGENMIPMAP))
        return;
    m_Device->MakeCurrent();
    m_Device->Gl().BindTexture(0, m_Name);
    glGenerateMipmap(GL_TEXTURE_2D);
}

HRESULT Texture::GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc)
{
    if (!pDesc || Level >= m_Levels.size())
        return D3DERR_INVALIDCALL;
    *pDesc = m_Levels[Level].surface->Desc();
    return D3D_OK;
}

HRESULT Texture::GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel)
{
    if (!ppSurfaceLevel || Level >= m_Levels.size())
        return D3DERR_INVALIDCALL;
    Surface* surface = m_Levels[Level].surface;
    surface->AddRef();
    *ppSurfaceLevel = surface;
    return D3D_OK;
}

HRESULT Texture::LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags)
{
    if (!pLockedRect || Level >= m_Levels.size() || !Lockable())
        return D3DERR_INVALIDCALL;
    auto& level = m_Levels[Level];
    if (level.locked)
        return D3DERR_INVALIDCALL;
    RECT rect{0, 0, static_cast<LONG>(level.width), static_cast<LONG>(level.height)};
    if (pRect)
    {
        if (pRect->left < 0 || pRect->top < 0 || pRect->left >= pRect->right || pRect->top >= pRect->bottom ||
            pRect->right > rect.right || pRect->bottom > rect.bottom)
            return D3DERR_INVALIDCALL;
        if (m_Info.bytesPerBlock && ((pRect->left | pRect->top) & 3))
            return D3DERR_INVALIDCALL;
        rect = *pRect;
    }
    const UINT pitch = LevelPitch(m_Info, level.width);
    size_t offset;
    if (m_Info.bytesPerBlock)
        offset = static_cast<size_t>(rect.top / 4) * pitch + static_cast<size_t>(rect.left / 4) * m_Info.bytesPerBlock;
    else
        offset = static_cast<size_t>(rect.top) * pitch + static_cast<size_t>(rect.left) * m_Info.bytesPerPixel;
    pLockedRect->Pitch = static_cast<INT>(pitch);
    pLockedRect->pBits = level.memory.data() + offset;
    level.locked = true;
    level.lockRect = rect;
    level.lockFlags = Flags;
    return D3D_OK;
}

HRESULT Texture::UnlockRect(UINT Level)
{
    if (Level >= m_Levels.size() || !m_Levels[Level].locked)
        return D3DERR_INVALIDCALL;
    auto& level = m_Levels[Level];
    level.locked = false;
    if (level.lockFlags & D3DLOCK_READONLY)
        return D3D_OK;
    Upload(Level, level.lockRect.top, level.lockRect.bottom);
    if (Level == 0 && (m_Usage & D3DUSAGE_AUTOGENMIPMAP))
        glGenerateMipmap(GL_TEXTURE_2D);
    return D3D_OK;
}

void Texture::Upload(UINT levelIndex, LONG top, LONG bottom)
{
    const Level& level = m_Levels[levelIndex];
    m_Device->MakeCurrent();
    m_Device->Gl().BindTexture(0, m_Name);
    if (m_Info.bytesPerBlock)
    {
        glCompressedTexSubImage2D(GL_TEXTURE_2D, levelIndex, 0, 0, level.width, level.height, m_Info.internalFormat,
                                  static_cast<GLsizei>(level.memory.size()), level.memory.data());
        return;
    }
    // Rows go up top row first, so texture coordinate (0, 0) is the top-left texel.
    const UINT pitch = LevelPitch(m_Info, level.width);
    const void* pixels = profile::UploadPixels(m_Info, level.memory.data() + static_cast<size_t>(top) * pitch,
                                               level.width, static_cast<UINT>(bottom - top), m_Device->Scratch());
    glTexSubImage2D(GL_TEXTURE_2D, levelIndex, 0, top, level.width, bottom - top, m_Info.format, m_Info.type, pixels);
}

HRESULT Texture::AddDirtyRect(const RECT*)
{
    // Every unlock uploads at once; there is nothing left to mark.
    return D3D_OK;
}

HRESULT Device::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                              IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle)
{
    if (!ppTexture || pSharedHandle)
        return D3DERR_INVALIDCALL;
    *ppTexture = nullptr;
    Texture* texture = nullptr;
    const HRESULT hr = Texture::Create(this, Width, Height, Levels, Usage, Format, Pool, &texture);
    if (SUCCEEDED(hr))
        *ppTexture = texture;
    return hr;
}
} // namespace d3d9
