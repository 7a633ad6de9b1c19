// Texture resources on the Direct3D layer: loaded by name from the texture
// folder, shared, bound by the renderer, and sized by the file's own info.
#include "app/demo.h"
#include "support/d3d9_fixture.h"
#include "resource/texture.h"
#include "support/temp_dir.h"

#include <optional>

namespace
{
using namespace d3d9test;

class TextureResourceTest : public D3D9PixelTest
{
protected:
    void SetUp() override
    {
        D3D9PixelTest::SetUp();
        CreateDevice();
        // Left half red, right half green.
        std::vector<uint8_t> rgba;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 300; ++x)
                rgba.insert(rgba.end(), {uint8_t(x < 150 ? 0xFF : 0), uint8_t(x < 150 ? 0 : 0xFF), 0, 0xFF});
        std::filesystem::create_directories(m_Files.Path() / "data" / "textures");
        ASSERT_TRUE(stbi_write_png((m_Files.Path() / "data/textures/halves.png").string().c_str(), 300, 200, 4,
                                   rgba.data(), 300 * 4));
        m_Files.Write("data/textures/readme.txt", "words\n");
        // The renderer lets go of the device it holds when the demo ends.
        m_Device->AddRef();
        m_Demo->m_Renderer.device = m_Device;
    }

    void TearDown() override
    {
        m_Demo.reset();
        D3D9PixelTest::TearDown();
    }

    TempDir m_Files;
    std::optional<C_Demo> m_Demo{std::in_place};
};

TEST_F(TextureResourceTest, IsLoadedOnceByNameKeepsTheFileSizeAndIsBoundForDrawing)
{
    ScopedCurrentDir cwd(m_Files.Path());
    const int index = m_Demo->m_Resources.Acquire("halves.png", Resource::Texture);
    ASSERT_GE(index, 0);
    EXPECT_EQ(m_Demo->m_Resources.Acquire("halves.png", Resource::Texture), index);
    EXPECT_EQ(m_Demo->m_Resources.GetCount(), 1);

    Resource::I_Resource* resource = m_Demo->m_Resources.At(index);
    ASSERT_EQ(resource->GetKind(), Resource::Texture);
    const D3DXIMAGE_INFO& info = static_cast<Resource::C_Texture*>(resource)->m_Info;
    EXPECT_EQ(info.Width, 300u);
    EXPECT_EQ(info.Height, 200u);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_PNG);
    EXPECT_TRUE(resource->OnDeviceLost());
    EXPECT_TRUE(resource->OnDeviceReset());

    auto* texture = static_cast<IDirect3DTexture9*>(resource->GetObject());
    ASSERT_NE(texture, nullptr);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 512u);
    EXPECT_EQ(desc.Height, 256u);

    ASSERT_TRUE(m_Demo->m_Renderer.BindTexture(0, index));
    m_Device->SetVertexDeclaration(m_Declaration);
    m_Device->SetVertexShader(m_VertexShader);
    m_Device->SetPixelShader(m_TextureShader);
    m_Device->SetRenderState(D3DRS_ZENABLE, FALSE);
    ASSERT_EQ(TexelQuad(kSize, kSize), D3D_OK);
    const std::vector<uint32_t> pixels = BackBuffer();
    EXPECT_TRUE(SameColor(At(pixels, 2, 16), 0xFFFF0000));
    EXPECT_TRUE(SameColor(At(pixels, 29, 16), 0xFF00FF00));
    m_Device->SetTexture(0, nullptr);
}

TEST_F(TextureResourceTest, MissingOrNonImageFilesAreNotRegistered)
{
    ScopedCurrentDir cwd(m_Files.Path());
    EXPECT_EQ(m_Demo->m_Resources.Acquire("absent.png", Resource::Texture), -1);
    EXPECT_EQ(m_Demo->m_Resources.Acquire("readme.txt", Resource::Texture), -1);
    EXPECT_EQ(m_Demo->m_Resources.Acquire("", Resource::Texture), -1);
    EXPECT_EQ(m_Demo->m_Resources.GetCount(), 0);
}
} // namespace
