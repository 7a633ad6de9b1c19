// The image loader behind the texture resource, as the resource calls it, on
// a device whose textures are plain memory of the exact size of each level.
#include "fuzz_scratch.h"
#include "support/null_d3d9.h"

#include <d3dx9.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace
{
class MemoryTexture : public NullD3D9::Direct3DTexture9
{
public:
    MemoryTexture(UINT width, UINT height, UINT levels)
    {
        for (UINT level = 0; level < levels; ++level)
        {
            pitches.push_back(width * 4);
            pixels.emplace_back(size_t(width) * height * 4);
            width = width > 1 ? width / 2 : 1;
            height = height > 1 ? height / 2 : 1;
        }
    }

    DWORD STDMETHODCALLTYPE GetLevelCount() override { return static_cast<DWORD>(pixels.size()); }

    HRESULT STDMETHODCALLTYPE LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD) override
    {
        if (level >= pixels.size() || !locked || rect)
            return D3DERR_INVALIDCALL;
        locked->Pitch = static_cast<INT>(pitches[level]);
        locked->pBits = pixels[level].data();
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE UnlockRect(UINT level) override
    {
        return level < pixels.size() ? D3D_OK : D3DERR_INVALIDCALL;
    }

    std::vector<UINT> pitches;
    std::vector<std::vector<unsigned char>> pixels;
};

class MemoryDevice : public NullD3D9::Direct3DDevice9
{
public:
    HRESULT STDMETHODCALLTYPE CreateTexture(UINT width, UINT height, UINT levels, DWORD, D3DFORMAT, D3DPOOL,
                                            IDirect3DTexture9** texture, HANDLE*) override
    {
        // Direct3D 9 hardware stops at 8192 texels a side; a larger request fails.
        if (!texture || width == 0 || height == 0 || width > 8192 || height > 8192 || levels == 0)
            return D3DERR_INVALIDCALL;
        *texture = new MemoryTexture(width, height, levels);
        return D3D_OK;
    }
};

const uint64_t kMostTexels = 2048 * 2048;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static MemoryDevice device;
    const std::string path = Fuzz::WriteScratch("image", data, size);

    // A few header bytes can claim a picture of thousands of texels a side,
    // which then takes tens of seconds to stretch and mip under the
    // sanitizers: time spent on arithmetic, not on parsing.
    D3DXIMAGE_INFO claimed = {};
    if (SUCCEEDED(D3DXGetImageInfoFromFileA(path.c_str(), &claimed)) &&
        uint64_t(claimed.Width) * claimed.Height > kMostTexels)
        return 0;

    IDirect3DTexture9* texture = nullptr;
    if (SUCCEEDED(D3DXCreateTextureFromFileA(&device, path.c_str(), &texture)))
    {
        D3DXIMAGE_INFO info = {};
        // The texture resource reads the picture's own size after loading it.
        if (FAILED(D3DXGetImageInfoFromFileA(path.c_str(), &info)) || info.Width == 0 || info.Height == 0)
            std::abort();
        texture->Release();
    }
    return 0;
}
