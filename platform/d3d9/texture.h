// IDirect3DTexture9 on a GL_TEXTURE_2D. Lockable textures (managed,
// system-memory-like and dynamic) keep a copy of every level in memory, as the
// managed pool does; an unlock uploads the rows it covered.
#pragma once

#include "d3d9/object.h"

#include "d3d9/gl.h"
#include "d3d9/translate.h"

#include <vector>

namespace d3d9
{
class Surface;

class Texture final : public ResourceChild<IDirect3DTexture9>
{
public:
    static HRESULT Create(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, Texture** texture);
    ~Texture() override;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObj) override;
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD STDMETHODCALLTYPE SetLOD(DWORD LODNew) override;
    DWORD STDMETHODCALLTYPE GetLOD() override;
    DWORD STDMETHODCALLTYPE GetLevelCount() override;
    HRESULT STDMETHODCALLTYPE SetAutoGenFilterType(D3DTEXTUREFILTERTYPE FilterType) override;
    D3DTEXTUREFILTERTYPE STDMETHODCALLTYPE GetAutoGenFilterType() override;
    void STDMETHODCALLTYPE GenerateMipSubLevels() override;
    HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) override;
    HRESULT STDMETHODCALLTYPE GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel) override;
    HRESULT STDMETHODCALLTYPE LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect,
                                       DWORD Flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect(UINT Level) override;
    HRESULT STDMETHODCALLTYPE AddDirtyRect(const RECT* pDirtyRect) override;

    GLuint Name() const { return m_Name; }
    Surface* LevelSurface(UINT level) const { return m_Levels[level].surface; }

private:
    struct Level
    {
        UINT width = 0;
        UINT height = 0;
        std::vector<uint8_t> memory;
        bool locked = false;
        RECT lockRect{};
        DWORD lockFlags = 0;
        Surface* surface = nullptr;
    };

    Texture(Device* device, DWORD usage, D3DPOOL pool, const FormatInfo& info);
    bool Lockable() const;
    void Upload(UINT level, LONG top, LONG bottom);

    DWORD m_Usage;
    D3DPOOL m_Pool;
    FormatInfo m_Info;
    GLuint m_Name = 0;
    std::vector<Level> m_Levels;
    UINT m_GlLevels = 0;
    DWORD m_Lod = 0;
    D3DTEXTUREFILTERTYPE m_AutoGenFilter = D3DTEXF_LINEAR;
};
} // namespace d3d9
