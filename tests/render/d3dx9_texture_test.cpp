// Image files through D3DX onto the device: sizes, mip chains, formats and
// orientation as the picture is drawn.
#include "render/d3d9_fixture.h"
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
        EXPECT_EQ(D3DXCreateTextureFromFileA(m_Device, PathOf(name).c_str(), &texture), D3DXERR_INVALIDDATA)
            << name;
        EXPECT_EQ(texture, nullptr);
    }
}
} // namespace
