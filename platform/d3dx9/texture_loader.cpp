#include <d3dx9.h>

#include "host/host_file.h"

#include <stb/stb_image.h>
#include <stb/stb_image_resize.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<unsigned char>;

UINT Le16(const Bytes& data, size_t at)
{
    return data[at] | (data[at + 1] << 8);
}

// TGA files carry no signature: the header's fields must hold values that
// the format allows, so that other files are not taken for one.
bool LooksLikeTga(const Bytes& data)
{
    if (data.size() < 18)
        return false;
    const unsigned colorMapType = data[1], imageType = data[2], depth = data[16];
    const bool knownType =
        imageType == 1 || imageType == 2 || imageType == 3 || imageType == 9 || imageType == 10 || imageType == 11;
    const bool knownDepth = depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
    return colorMapType <= 1 && knownType && knownDepth && Le16(data, 12) > 0 && Le16(data, 14) > 0;
}

bool FileFormat(const Bytes& data, D3DXIMAGE_FILEFORMAT* format)
{
    static const unsigned char png[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (data.size() >= sizeof png && std::memcmp(data.data(), png, sizeof png) == 0)
        *format = D3DXIFF_PNG;
    else if (data.size() >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF)
        *format = D3DXIFF_JPG;
    else if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M')
        *format = D3DXIFF_BMP;
    else if (LooksLikeTga(data))
        *format = D3DXIFF_TGA;
    else
        return false;
    return true;
}

UINT Le32(const Bytes& data, size_t at)
{
    return Le16(data, at) | (Le16(data, at + 2) << 16);
}

// D3DX takes a 32-bit BMP's fourth byte as alpha only where the header gives
// an alpha mask; a plain BITMAPINFOHEADER file is X8R8G8B8.
bool BmpHasAlphaMask(const Bytes& data)
{
    const size_t header = 14, alphaMask = header + 52;
    return data.size() >= alphaMask + 4 && Le32(data, header) >= 56 && Le32(data, alphaMask) != 0;
}

bool HasAlpha(const Bytes& data, D3DXIMAGE_FILEFORMAT format, int channels)
{
    if (format == D3DXIFF_BMP && !BmpHasAlphaMask(data))
        return false;
    return channels == 2 || channels == 4;
}

HRESULT Probe(const char* path, Bytes& data, D3DXIMAGE_INFO* info)
{
    if (!path || !info)
        return D3DERR_INVALIDCALL;
    D3DXIMAGE_FILEFORMAT format;
    int width, height, channels;
    if (!host::ReadHostFile(path, data) || !FileFormat(data, &format) ||
        !stbi_info_from_memory(data.data(), static_cast<int>(data.size()), &width, &height, &channels))
        return D3DXERR_INVALIDDATA;
    // stb_image reports some broken headers as pictures without rows.
    if (width <= 0 || height <= 0)
        return D3DXERR_INVALIDDATA;
    info->Width = width;
    info->Height = height;
    info->Depth = 1;
    info->MipLevels = 1;
    if (channels == 1)
        info->Format = D3DFMT_L8;
    else if (channels == 3)
        info->Format = D3DFMT_R8G8B8;
    else if (!HasAlpha(data, format, channels))
        info->Format = D3DFMT_X8R8G8B8;
    else
        info->Format = D3DFMT_A8R8G8B8;
    info->ResourceType = D3DRTYPE_TEXTURE;
    info->ImageFileFormat = format;
    return D3D_OK;
}

UINT PowerOfTwoAbove(UINT size)
{
    UINT power = 1;
    while (power < size)
        power <<= 1;
    return power;
}

// RGBA bytes, rows top first.
struct Picture
{
    UINT width = 0;
    UINT height = 0;
    Bytes rgba;
};

// Each texel the rounded mean of the 2x2 block above it (1x2 or 2x1 once
// a side is down to one texel).
Picture HalfSize(const Picture& source)
{
    Picture half;
    half.width = source.width > 1 ? source.width / 2 : 1;
    half.height = source.height > 1 ? source.height / 2 : 1;
    half.rgba.resize(size_t(half.width) * half.height * 4);
    const UINT stepX = source.width > 1 ? 1 : 0, stepY = source.height > 1 ? 1 : 0;
    for (UINT y = 0; y < half.height; ++y)
        for (UINT x = 0; x < half.width; ++x)
        {
            const UINT x0 = x * 2, y0 = y * 2;
            const UINT x1 = x0 + stepX, y1 = y0 + stepY;
            for (int c = 0; c < 4; ++c)
            {
                auto at = [&](UINT sx, UINT sy) { return source.rgba[(size_t(sy) * source.width + sx) * 4 + c]; };
                const UINT sum = at(x0, y0) + at(x1, y0) + at(x0, y1) + at(x1, y1);
                half.rgba[(size_t(y) * half.width + x) * 4 + c] = static_cast<unsigned char>((sum + 2) / 4);
            }
        }
    return half;
}

// D3DX's default filter: a side that needs no stretch is copied exactly, the
// other is stretched with a triangle filter on the stored values.
bool Stretch(const stbi_uc* pixels, int width, int height, Picture& picture)
{
    if (picture.width == UINT(width) && picture.height == UINT(height))
    {
        std::memcpy(picture.rgba.data(), pixels, picture.rgba.size());
        return true;
    }
    const stbir_filter horizontal = picture.width == UINT(width) ? STBIR_FILTER_BOX : STBIR_FILTER_TRIANGLE;
    const stbir_filter vertical = picture.height == UINT(height) ? STBIR_FILTER_BOX : STBIR_FILTER_TRIANGLE;
    return stbir_resize(pixels, width, height, 0, picture.rgba.data(), picture.width, picture.height, 0,
                        STBIR_TYPE_UINT8, 4, STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP, STBIR_EDGE_CLAMP,
                        horizontal, vertical, STBIR_COLORSPACE_LINEAR, nullptr);
}

HRESULT Fill(IDirect3DTexture9* texture, UINT level, const Picture& picture, bool opaque)
{
    D3DLOCKED_RECT locked;
    HRESULT hr = texture->LockRect(level, &locked, nullptr, 0);
    if (FAILED(hr))
        return hr;
    for (UINT y = 0; y < picture.height; ++y)
    {
        uint32_t* row = reinterpret_cast<uint32_t*>(static_cast<unsigned char*>(locked.pBits) + y * locked.Pitch);
        const unsigned char* in = &picture.rgba[size_t(y) * picture.width * 4];
        for (UINT x = 0; x < picture.width; ++x, in += 4)
            row[x] = (uint32_t(opaque ? 0xFF : in[3]) << 24) | (uint32_t(in[0]) << 16) | (uint32_t(in[1]) << 8) | in[2];
    }
    return texture->UnlockRect(level);
}
} // namespace

HRESULT WINAPI D3DXGetImageInfoFromFileA(LPCSTR pSrcFile, D3DXIMAGE_INFO* pSrcInfo)
{
    Bytes data;
    return Probe(pSrcFile, data, pSrcInfo);
}

HRESULT WINAPI D3DXCreateTextureFromFileA(LPDIRECT3DDEVICE9 pDevice, LPCSTR pSrcFile, LPDIRECT3DTEXTURE9* ppTexture)
{
    if (!pDevice || !ppTexture)
        return D3DERR_INVALIDCALL;
    Bytes data;
    D3DXIMAGE_INFO info;
    HRESULT hr = Probe(pSrcFile, data, &info);
    if (FAILED(hr))
        return hr;
    // Direct3D 9 adapters stop at 8192 texels a side. Larger pictures are
    // refused before they are decoded: stb_image_resize trips over sizes in
    // the millions, and a header alone can claim them.
    const UINT kLargestSide = 8192;
    if (info.Width > kLargestSide || info.Height > kLargestSide)
        return D3DXERR_INVALIDDATA;
    int width, height, channels;
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
        stbi_load_from_memory(data.data(), static_cast<int>(data.size()), &width, &height, &channels, 4),
        stbi_image_free);
    if (!pixels || width <= 0 || height <= 0)
        return D3DXERR_INVALIDDATA;

    Picture picture;
    picture.width = PowerOfTwoAbove(width);
    picture.height = PowerOfTwoAbove(height);
    picture.rgba.resize(size_t(picture.width) * picture.height * 4);
    if (!Stretch(pixels.get(), width, height, picture))
        return E_OUTOFMEMORY;
    pixels.reset();

    UINT levels = 1;
    for (UINT side = picture.width > picture.height ? picture.width : picture.height; side > 1; side >>= 1)
        ++levels;
    const bool opaque = !HasAlpha(data, info.ImageFileFormat, channels);
    IDirect3DTexture9* texture = nullptr;
    hr = pDevice->CreateTexture(picture.width, picture.height, levels, 0, opaque ? D3DFMT_X8R8G8B8 : D3DFMT_A8R8G8B8,
                                D3DPOOL_MANAGED, &texture, nullptr);
    if (FAILED(hr))
        return hr;
    for (UINT level = 0; level < levels && SUCCEEDED(hr); ++level)
    {
        if (level > 0)
            picture = HalfSize(picture);
        hr = Fill(texture, level, picture, opaque);
    }
    if (FAILED(hr))
    {
        texture->Release();
        return hr;
    }
    *ppTexture = texture;
    return D3D_OK;
}
