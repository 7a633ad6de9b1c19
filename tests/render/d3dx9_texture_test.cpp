// Image files through D3DX onto the device: sizes, mip chains, formats and
// orientation as the picture is drawn.
#include "support/d3d9_fixture.h"
#include "support/temp_dir.h"

#include <d3dx9.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <fstream>

namespace
{
using namespace d3d9test;

// Red, green / blue, white quadrants, rows top first, RGB or RGBA.
std::vector<uint8_t> QuadrantPicture(int width, int height, int channels)
{
    std::vector<uint8_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const bool right = x >= width / 2, bottom = y >= height / 2;
            const uint8_t r = right == bottom ? 0xFF : 0;
            const uint8_t g = right ? 0xFF : 0;
            const uint8_t b = bottom ? 0xFF : 0;
            pixels.insert(pixels.end(), {r, g, b});
            if (channels == 4)
                pixels.push_back(0xFF);
        }
    return pixels;
}

class D3DXTextureTest : public D3D9PixelTest
{
protected:
    std::string PathOf(const char* name) const { return (m_Dir.Path() / name).string(); }

    IDirect3DTexture9* Load(const std::string& path)
    {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(D3DXCreateTextureFromFileA(m_Device, path.c_str(), &texture), D3D_OK) << path;
        return texture;
    }

    // Draws the texture over the whole back buffer, texel centres on pixel centres.
    void ExpectDrawnUpright(IDirect3DTexture9* texture, const char* where)
    {
        ASSERT_NE(texture, nullptr) << where;
        UseTexture(texture);
        m_Device->SetRenderState(D3DRS_ZENABLE, FALSE);
        m_Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        ASSERT_EQ(TexelQuad(kSize, kSize), D3D_OK);
        ExpectQuadrants(BackBuffer(where), kSize, where);
        m_Device->SetTexture(0, nullptr);
    }

    TempDir m_Dir;
};

TEST_F(D3DXTextureTest, PngKeepsItsSizeInTheInfoAndFillsAPowerOfTwoTextureWithAFullMipChain)
{
    CreateDevice();
    const std::vector<uint8_t> rgba = QuadrantPicture(300, 200, 4);
    ASSERT_TRUE(stbi_write_png(PathOf("wide.png").c_str(), 300, 200, 4, rgba.data(), 300 * 4));

    D3DXIMAGE_INFO info{};
    ASSERT_EQ(D3DXGetImageInfoFromFileA(PathOf("wide.png").c_str(), &info), D3D_OK);
    EXPECT_EQ(info.Width, 300u);
    EXPECT_EQ(info.Height, 200u);
    EXPECT_EQ(info.Depth, 1u);
    EXPECT_EQ(info.MipLevels, 1u);
    EXPECT_EQ(info.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(info.ResourceType, D3DRTYPE_TEXTURE);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_PNG);

    IDirect3DTexture9* texture = Load(PathOf("wide.png"));
    ASSERT_NE(texture, nullptr);
    ASSERT_EQ(texture->GetLevelCount(), 10u);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 512u);
    EXPECT_EQ(desc.Height, 256u);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    ASSERT_EQ(texture->GetLevelDesc(9, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 1u);
    EXPECT_EQ(desc.Height, 1u);

    // The last level is the mean of the four quadrants.
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(9, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_TRUE(SameColor(*static_cast<uint32_t*>(locked.pBits), 0xFF808080, 3));
    texture->UnlockRect(9);

    ExpectDrawnUpright(texture, "png");
    texture->Release();
}

TEST_F(D3DXTextureTest, TgaIsUprightWhetherStoredBottomUpOrTopDown)
{
    CreateDevice();
    const std::vector<uint8_t> rgb = QuadrantPicture(64, 32, 3);
    // stb writes run-length encoded rows from the bottom up.
    ASSERT_TRUE(stbi_write_tga(PathOf("bottom_up.tga").c_str(), 64, 32, 3, rgb.data()));

    // Uncompressed, origin at the top left, BGR.
    std::vector<uint8_t> file = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 64, 0, 32, 0, 24, 0x20};
    for (size_t i = 0; i < rgb.size(); i += 3)
        file.insert(file.end(), {rgb[i + 2], rgb[i + 1], rgb[i]});
    std::ofstream(PathOf("top_down.tga"), std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), file.size());

    for (const char* name : {"bottom_up.tga", "top_down.tga"})
    {
        D3DXIMAGE_INFO info{};
        ASSERT_EQ(D3DXGetImageInfoFromFileA(PathOf(name).c_str(), &info), D3D_OK) << name;
        EXPECT_EQ(info.ImageFileFormat, D3DXIFF_TGA);
        EXPECT_EQ(info.Width, 64u);
        EXPECT_EQ(info.Height, 32u);
        IDirect3DTexture9* texture = Load(PathOf(name));
        ExpectDrawnUpright(texture, name);
        if (texture)
            texture->Release();
    }
}

TEST_F(D3DXTextureTest, Bmp24LoadsOpaqueThroughAWindowsPath)
{
    CreateDevice();
    const std::vector<uint8_t> rgb = QuadrantPicture(40, 24, 3);
    ASSERT_TRUE(stbi_write_bmp(PathOf("plain.bmp").c_str(), 40, 24, 3, rgb.data()));
    ScopedCurrentDir cwd(m_Dir.Path());

    D3DXIMAGE_INFO info{};
    ASSERT_EQ(D3DXGetImageInfoFromFileA(".\\plain.bmp", &info), D3D_OK);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_BMP);
    EXPECT_EQ(info.Format, D3DFMT_R8G8B8);
    EXPECT_EQ(info.Width, 40u);

    IDirect3DTexture9* texture = Load(".\\plain.bmp");
    ASSERT_NE(texture, nullptr);
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 64u);
    EXPECT_EQ(desc.Height, 32u);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(texture->GetLevelCount(), 7u);
    ExpectDrawnUpright(texture, "bmp");
    texture->Release();
}

TEST_F(D3DXTextureTest, MissingAndNonImageFilesFail)
{
    CreateDevice();
    m_Dir.Write("notes.txt", "not a picture\n");
    m_Dir.Write("empty.png", "");
    for (const char* name : {"missing.png", "notes.txt", "empty.png"})
    {
        D3DXIMAGE_INFO info{};
        EXPECT_EQ(D3DXGetImageInfoFromFileA(PathOf(name).c_str(), &info), D3DXERR_INVALIDDATA) << name;
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(D3DXCreateTextureFromFileA(m_Device, PathOf(name).c_str(), &texture), D3DXERR_INVALIDDATA) << name;
        EXPECT_EQ(texture, nullptr);
    }
}
// D3DX's default filter copies a side that needs no stretch and stretches the
// other with a triangle filter: an 8x6 picture of black and white columns over
// a black top half and a white bottom half becomes 8x8.
TEST_F(D3DXTextureTest, AStretchKeepsAnExactAxisAndFiltersTheOtherLinearly)
{
    CreateDevice();
    std::vector<uint8_t> rgb;
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            rgb.insert(rgb.end(), {uint8_t(x % 2 ? 0xFF : 0), uint8_t(y >= 3 ? 0xFF : 0), 0x40});
    ASSERT_TRUE(stbi_write_png(PathOf("columns.png").c_str(), 8, 6, 3, rgb.data(), 8 * 3));
    IDirect3DTexture9* texture = Load(PathOf("columns.png"));
    ASSERT_NE(texture, nullptr);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
    ASSERT_EQ(desc.Width, 8u);
    ASSERT_EQ(desc.Height, 8u);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    auto texel = [&](int x, int y)
    { return reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch)[x]; };
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
        {
            EXPECT_EQ((texel(x, y) >> 16) & 0xFF, x % 2 ? 0xFFu : 0u) << "column " << x << ", row " << y;
            EXPECT_EQ(texel(x, y) & 0xFF, 0x40u) << "column " << x << ", row " << y;
        }
    // Row j samples the picture at (j + 0.5) * 6 / 8 - 0.5, between its two nearest rows.
    const int rows[8] = {0, 0, 0, 32, 223, 255, 255, 255};
    for (int y = 0; y < 8; ++y)
        EXPECT_NEAR(int((texel(0, y) >> 8) & 0xFF), rows[y], 2) << "row " << y;
    texture->UnlockRect(0);
    texture->Release();
}

// The fourth byte of a plain 32-bit BMP is padding to D3DX: the texture is
// X8R8G8B8 and draws opaque under alpha blending.
TEST_F(D3DXTextureTest, Bmp32WithoutAnAlphaMaskIsOpaque)
{
    CreateDevice();
    const int side = 4;
    std::vector<uint8_t> file = {'B', 'M'};
    auto le = [&file](uint32_t value, int bytes)
    {
        for (int i = 0; i < bytes; ++i)
            file.push_back(uint8_t(value >> (8 * i)));
    };
    le(54 + side * side * 4, 4);
    le(0, 4);
    le(54, 4);
    le(40, 4); // BITMAPINFOHEADER: no masks
    le(side, 4);
    le(side, 4);
    le(1, 2);
    le(32, 2);
    le(0, 4); // BI_RGB
    le(side * side * 4, 4);
    le(2835, 4);
    le(2835, 4);
    le(0, 4);
    le(0, 4);
    for (int i = 0; i < side * side; ++i)
        file.insert(file.end(), {0xFF, 0x00, 0x00, 0x40}); // blue, with 0x40 in the unused byte
    std::ofstream(PathOf("x8.bmp"), std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());

    D3DXIMAGE_INFO info{};
    ASSERT_EQ(D3DXGetImageInfoFromFileA(PathOf("x8.bmp").c_str(), &info), D3D_OK);
    EXPECT_EQ(info.Format, D3DFMT_X8R8G8B8);
    IDirect3DTexture9* texture = Load(PathOf("x8.bmp"));
    ASSERT_NE(texture, nullptr);
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);

    UseTexture(texture);
    m_Device->SetRenderState(D3DRS_ZENABLE, FALSE);
    m_Device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    m_Device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    m_Device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    m_Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
    ASSERT_EQ(TexelQuad(kSize, kSize), D3D_OK);
    EXPECT_TRUE(SameColor(At(BackBuffer("bmp32"), 16, 16) | 0xFF000000, 0xFF0000FF));
    m_Device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    m_Device->SetTexture(0, nullptr);
    texture->Release();
}
} // namespace
