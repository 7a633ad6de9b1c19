// The shaders and the quad mesh that ship in data/, drawn on the Direct3D
// layer with the register contents that the quad and particle effects send.
#include "d3dx9/hlsl_compiler.h"
#include "support/d3d9_fixture.h"
#include "support/temp_dir.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <d3dx9.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace
{
using namespace d3d9test;

const UINT kWidth = 64, kHeight = 48;
const uint32_t kBlack = 0xFF000000;

struct SpriteVertex
{
    float x, y, z;
    D3DCOLOR colour;
    float size;
};

const D3DVERTEXELEMENT9 kSpriteElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
    {0, 16, D3DDECLTYPE_FLOAT1, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_PSIZE, 0},
    D3DDECL_END()};

// Compiles a shipped shader as the shader resources do; the error text on failure.
ID3DXBuffer* Compile(const std::string& path, std::string* errors)
{
    const bool vertex = path.size() > 4 && path.compare(path.size() - 4, 4, ".vsh") == 0;
    ID3DXBuffer *code = nullptr, *messages = nullptr;
    D3DXCompileShaderFromFileA(path.c_str(), nullptr, nullptr, vertex ? "MainVS" : "MainPS",
                               vertex ? "vs_2_0" : "ps_2_0", 0, &code, &messages, nullptr);
    if (messages)
    {
        *errors = static_cast<const char*>(messages->GetBufferPointer());
        messages->Release();
    }
    return code;
}

class ShippedShadersTest : public D3D9PixelTest
{
protected:
    void SetUp() override
    {
        D3D9PixelTest::SetUp();
        m_Params.BackBufferWidth = kWidth;
        m_Params.BackBufferHeight = kHeight;
        CreateDevice();
        m_Device->SetRenderState(D3DRS_ZENABLE, FALSE);
    }

    void TearDown() override
    {
        if (m_Device)
        {
            m_Device->SetVertexShader(nullptr);
            m_Device->SetPixelShader(nullptr);
            m_Device->SetTexture(0, nullptr);
            m_Device->SetStreamSource(0, nullptr, 0, 0);
            m_Device->SetIndices(nullptr);
            m_Device->SetVertexDeclaration(nullptr);
        }
        for (auto object = m_Objects.rbegin(); object != m_Objects.rend(); ++object)
            (*object)->Release();
        D3D9PixelTest::TearDown();
    }

    template <class T>
    T* Keep(T* object)
    {
        if (object)
            m_Objects.push_back(object);
        return object;
    }

    // Compiles a shipped shader and makes the device object with create.
    template <class Create>
    void CompileAndCreate(const char* name, Create create)
    {
        std::string errors;
        ID3DXBuffer* code = Compile(std::string("data\\shaders\\") + name, &errors);
        ASSERT_NE(code, nullptr) << name << ": " << errors;
        EXPECT_EQ(create(static_cast<const DWORD*>(code->GetBufferPointer())), D3D_OK) << name;
        code->Release();
    }

    IDirect3DVertexShader9* VertexShader(const char* name)
    {
        IDirect3DVertexShader9* shader = nullptr;
        CompileAndCreate(name, [&](const DWORD* code) { return m_Device->CreateVertexShader(code, &shader); });
        return Keep(shader);
    }

    IDirect3DPixelShader9* PixelShader(const char* name)
    {
        IDirect3DPixelShader9* shader = nullptr;
        CompileAndCreate(name, [&](const DWORD* code) { return m_Device->CreatePixelShader(code, &shader); });
        return Keep(shader);
    }

    IDirect3DTexture9* Texture(UINT width, UINT height, const std::function<uint32_t(UINT, UINT)>& texel)
    {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(m_Device->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
                  D3D_OK);
        D3DLOCKED_RECT locked;
        EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < height; ++y)
            for (UINT x = 0; x < width; ++x)
                reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch)[x] = texel(x, y);
        texture->UnlockRect(0);
        return Keep(texture);
    }

    // The quad effect's draw: its mesh, shaders and constants, every subset.
    void DrawQuad(const float (&colour)[4], const float (&placement)[4], float screenspace, float untextured)
    {
        if (!m_Mesh)
        {
            DWORD materials = 0;
            ASSERT_EQ(D3DXLoadMeshFromXA("data\\models\\quad2d.x", D3DXMESH_MANAGED, m_Device, nullptr, nullptr,
                                         nullptr, &materials, &m_Mesh),
                      D3D_OK);
            Keep(m_Mesh);
            m_Subsets = materials;
            m_QuadVS = VertexShader("quad2d.vsh");
            m_QuadPS = PixelShader("quad2d.psh");
            ASSERT_TRUE(m_QuadVS && m_QuadPS);
        }
        // c2's other components carry other effects' values: they must not matter.
        const float options[4] = {screenspace, 7, -3, 100};
        const float n[4] = {untextured, untextured, untextured, untextured};
        m_Device->SetVertexShader(m_QuadVS);
        m_Device->SetPixelShader(m_QuadPS);
        m_Device->SetVertexShaderConstantF(0, colour, 1);
        m_Device->SetVertexShaderConstantF(1, placement, 1);
        m_Device->SetVertexShaderConstantF(2, options, 1);
        m_Device->SetPixelShaderConstantF(0, n, 1);
        m_Device->Clear(0, nullptr, D3DCLEAR_TARGET, kBlack, 1.0f, 0);
        for (DWORD subset = 0; subset < m_Subsets; ++subset)
            ASSERT_EQ(m_Mesh->DrawSubset(subset), D3D_OK);
    }

    // Every pixel: `inside` within [left, right) x [top, bottom), black elsewhere.
    void ExpectRectangle(UINT left, UINT top, UINT right, UINT bottom, uint32_t inside, const char* dump)
    {
        const std::vector<uint32_t> pixels = BackBuffer(dump);
        int wrong = 0;
        for (UINT y = 0; y < kHeight; ++y)
            for (UINT x = 0; x < kWidth; ++x)
            {
                const bool in = x >= left && x < right && y >= top && y < bottom;
                if (!SameColor(At(pixels, x, y, kWidth), in ? inside : kBlack, 1) && wrong++ < 4)
                    ADD_FAILURE() << dump << ": pixel " << x << "," << y << " "
                                  << SameColor(At(pixels, x, y, kWidth), in ? inside : kBlack).message();
            }
        EXPECT_EQ(wrong, 0) << dump;
    }

    // Draws one point sprite with the particle shaders and gives the lit
    // extent through its centre pixel: width, then height.
    std::pair<int, int> DrawSprite(const D3DXMATRIX& projection, const SpriteVertex& vertex, UINT centreX, UINT centreY,
                                   const char* dump)
    {
        if (!m_SpriteVS)
        {
            m_SpriteVS = VertexShader("particle.vsh");
            m_SpritePS = PixelShader("particle.psh");
            EXPECT_EQ(m_Device->CreateVertexDeclaration(kSpriteElements, &m_SpriteDeclaration), D3D_OK);
            Keep(m_SpriteDeclaration);
            m_White = Texture(4, 4, [](UINT, UINT) { return 0xFFFFFFFFu; });
        }
        if (!m_SpriteVS || !m_SpritePS)
            return {-1, -1};
        D3DXMATRIX transposed;
        D3DXMatrixTranspose(&transposed, &projection);
        const float screen[4] = {float(kWidth), float(kHeight), 0, 0};
        m_Device->SetVertexShaderConstantF(0, &transposed._11, 4);
        m_Device->SetVertexShaderConstantF(4, screen, 1);
        m_Device->SetVertexDeclaration(m_SpriteDeclaration);
        m_Device->SetVertexShader(m_SpriteVS);
        m_Device->SetPixelShader(m_SpritePS);
        m_Device->SetTexture(0, m_White);
        m_Device->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
        m_Device->SetRenderState(D3DRS_POINTSCALEENABLE, TRUE);
        m_Device->Clear(0, nullptr, D3DCLEAR_TARGET, kBlack, 1.0f, 0);
        EXPECT_EQ(m_Device->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &vertex, sizeof vertex), D3D_OK);
        const std::vector<uint32_t> pixels = BackBuffer(dump);
        EXPECT_TRUE(SameColor(At(pixels, centreX, centreY, kWidth), 0xFF000000 | vertex.colour, 1))
            << dump << ": the texture times the vertex colour";
        int width = 0, height = 0;
        for (UINT x = 0; x < kWidth; ++x)
            width += At(pixels, x, centreY, kWidth) != kBlack;
        for (UINT y = 0; y < kHeight; ++y)
            height += At(pixels, centreX, y, kWidth) != kBlack;
        return {width, height};
    }

    ScopedCurrentDir m_InSources{QUORL_SOURCE_DIR};
    std::vector<IUnknown*> m_Objects;
    ID3DXMesh* m_Mesh = nullptr;
    DWORD m_Subsets = 0;
    IDirect3DVertexShader9* m_QuadVS = nullptr;
    IDirect3DPixelShader9* m_QuadPS = nullptr;
    IDirect3DVertexShader9* m_SpriteVS = nullptr;
    IDirect3DPixelShader9* m_SpritePS = nullptr;
    IDirect3DVertexDeclaration9* m_SpriteDeclaration = nullptr;
    IDirect3DTexture9* m_White = nullptr;
};

const float kWhite[4] = {1, 1, 1, 1};

TEST_F(ShippedShadersTest, QuadPlacesItsCentreOrItsCornerInTargetFractions)
{
    DWORD cull = 0;
    m_Device->GetRenderState(D3DRS_CULLMODE, &cull);
    ASSERT_EQ(cull, static_cast<DWORD>(D3DCULL_CCW)) << "both triangles must face the viewer";

    DrawQuad(kWhite, {0.5f, 0.5f, 0.5f, 0.5f}, 0, 1);
    ExpectRectangle(16, 12, 48, 36, 0xFFFFFFFF, "quad_centred");
    DrawQuad(kWhite, {0.5f, 0.5f, 1, 1}, 0, 1);
    ExpectRectangle(0, 0, kWidth, kHeight, 0xFFFFFFFF, "quad_full");
    DrawQuad(kWhite, {0.25f, 0.5f, 0.25f, 0.25f}, 1, 1);
    ExpectRectangle(16, 24, 32, 36, 0xFFFFFFFF, "quad_screenspace");
    DrawQuad(kWhite, {0.25f, 0.5f, 0.25f, 0.25f}, 0.75f, 1);
    ExpectRectangle(16, 24, 32, 36, 0xFFFFFFFF, "quad_screenspace_above_half");
}

// The postprocess effect's pass of scanlines.psh over a flat grey image, into
// targets of the four sizes the Settings dialog offers, each named as the
// pass's texture: every row is darker or lighter than both its neighbours.
TEST_F(ShippedShadersTest, ScanLinesAlternateRowByRowAtEverySize)
{
    DrawQuad(kWhite, {0.5f, 0.5f, 1, 1}, 0, 1); // loads the quad mesh and quad2d.vsh
    IDirect3DPixelShader9* scanlines = PixelShader("scanlines.psh");
    ASSERT_TRUE(m_Mesh && scanlines);
    IDirect3DSurface9 *backBuffer = nullptr, *depth = nullptr;
    ASSERT_EQ(m_Device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
    ASSERT_EQ(m_Device->GetDepthStencilSurface(&depth), D3D_OK);
    Keep(backBuffer);
    Keep(depth);
    m_Device->SetDepthStencilSurface(nullptr);
    m_Device->SetPixelShader(scanlines);
    m_Device->SetTexture(0, Texture(4, 4, [](UINT, UINT) { return 0xFF808080u; }));
    for (const auto& [width, height] : {std::pair<UINT, UINT>{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}})
    {
        IDirect3DTexture9* target = nullptr;
        IDirect3DSurface9* surface = nullptr;
        ASSERT_EQ(m_Device->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                          &target, nullptr),
                  D3D_OK);
        Keep(target);
        ASSERT_EQ(target->GetSurfaceLevel(0, &surface), D3D_OK);
        Keep(surface);
        ASSERT_EQ(m_Device->SetRenderTarget(0, surface), D3D_OK);
        const float placement[4] = {0.5f - 0.25f / width, 0.5f - 0.25f / height, 1, 1};
        const float texel[4] = {1.0f / width, 1.0f / height, 1, 1}, time[4] = {2.5f, 0.1f, 0, 0};
        m_Device->SetVertexShaderConstantF(1, placement, 1);
        m_Device->SetPixelShaderConstantF(0, texel, 1);
        m_Device->SetPixelShaderConstantF(1, time, 1);
        ASSERT_EQ(m_Mesh->DrawSubset(0), D3D_OK);
        const std::vector<uint32_t> pixels = Pixels(surface, "scanlines");
        std::vector<double> means(height);
        for (UINT y = 0; y < height; ++y)
            for (UINT x = 0; x < width; ++x)
                means[y] += double((At(pixels, x, y, width) >> 8) & 0xFF) / width;
        // Neighbouring rows differ by about 28 levels, in turn up and down; the
        // grain and the rolling bar move a row's mean by about 1.
        int wrong = 0;
        for (UINT y = 1; y + 1 < height; ++y)
        {
            const double up = means[y] - means[y - 1], down = means[y + 1] - means[y];
            if (!(std::abs(up) > 20 && std::abs(down) > 20 && up * down < 0) && wrong++ < 4)
                ADD_FAILURE() << width << "x" << height << ": rows " << y - 1 << " to " << y + 1 << ": " << means[y - 1]
                              << ", " << means[y] << ", " << means[y + 1];
        }
        EXPECT_EQ(wrong, 0) << width << "x" << height;
    }
    m_Device->SetRenderTarget(0, backBuffer);
    m_Device->SetDepthStencilSurface(depth);
}

// One subset for both faces: the mesh draws the same through every loader.
TEST_F(ShippedShadersTest, QuadMeshIsOneSubsetOfTwoFacesFacingTheViewer)
{
    DrawQuad(kWhite, {0.5f, 0.5f, 1, 1}, 0, 1);
    ASSERT_NE(m_Mesh, nullptr);
    EXPECT_EQ(m_Subsets, 1u);
    EXPECT_EQ(m_Mesh->GetNumFaces(), 2u);
    EXPECT_EQ(m_Mesh->GetNumVertices(), 4u);
    EXPECT_EQ(m_Mesh->GetFVF(), static_cast<DWORD>(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1));
}

TEST_F(ShippedShadersTest, QuadColourAloneOrTimesTheTextureUpright)
{
    // Red, green / blue, half-transparent white.
    const uint32_t quadrants[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x80FFFFFF};
    m_Device->SetTexture(0, Texture(2, 2, [&](UINT x, UINT y) { return quadrants[y * 2 + x]; }));
    // Bound, but n = 1 says there is none.
    DrawQuad({0.25f, 0.5f, 0.75f, 1}, {0.5f, 0.5f, 1, 1}, 0, 1);
    ExpectRectangle(0, 0, kWidth, kHeight, 0xFF4080BF, "quad_untextured");

    DrawQuad(kWhite, {0.5f, 0.5f, 1, 1}, 0, 0);
    std::vector<uint32_t> pixels = BackBuffer("quad_textured");
    EXPECT_TRUE(SameColor(At(pixels, 16, 12, kWidth), quadrants[0])) << "top left";
    EXPECT_TRUE(SameColor(At(pixels, 48, 12, kWidth), quadrants[1])) << "top right";
    EXPECT_TRUE(SameColor(At(pixels, 16, 36, kWidth), quadrants[2])) << "bottom left";
    EXPECT_TRUE(SameColor(At(pixels, 48, 36, kWidth), quadrants[3])) << "bottom right, its alpha kept";

    DrawQuad({1, 0.5f, 1, 0.5f}, {0.5f, 0.5f, 1, 1}, 0, 0);
    EXPECT_TRUE(SameColor(At(BackBuffer(), 48, 36, kWidth), 0x40FF80FF, 1)) << "the colour multiplies";
}

TEST_F(ShippedShadersTest, HalfPixelShiftedFullQuadCopiesTexelForTexel)
{
    const auto texel = [](UINT x, UINT y) { return (255 - 4 * y) << 24 | (x * 4) << 16 | (y * 5) << 8 | (x ^ y); };
    m_Device->SetTexture(0, Texture(kWidth, kHeight, texel));
    DrawQuad(kWhite, {0.5f - 0.5f / kWidth, 0.5f - 0.5f / kHeight, 1, 1}, 0, 0);
    const std::vector<uint32_t> pixels = BackBuffer("quad_texel_copy");
    int wrong = 0;
    for (UINT y = 0; y < kHeight; ++y)
        for (UINT x = 0; x < kWidth; ++x)
            if (At(pixels, x, y, kWidth) != texel(x, y) && wrong++ < 4)
                ADD_FAILURE() << "pixel " << x << "," << y << ": "
                              << SameColor(At(pixels, x, y, kWidth), texel(x, y)).message();
    EXPECT_EQ(wrong, 0);
}

TEST_F(ShippedShadersTest, PerspectiveSpritesCoverTheirWorldSizeAndHalveAtTwiceTheDepth)
{
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, 1.0471976f, float(kWidth) / kHeight, 1.0f, 100.0f);
    // Size 3 at depth 4: 3 * cot(30 degrees) / 4 of the half height, 31.2 pixels.
    const float expected = 3.0f * std::sqrt(3.0f) / 4.0f * (kHeight / 2.0f);
    const auto closer = DrawSprite(projection, {0, 0, 4, 0xFFFFFF80, 3}, 32, 24, "sprite_near");
    EXPECT_NEAR(closer.first, expected, 1.0);
    EXPECT_NEAR(closer.second, expected, 1.0);
    const auto farther = DrawSprite(projection, {0, 0, 8, 0xFF80FFFF, 3}, 32, 24, "sprite_far");
    EXPECT_NEAR(farther.first, expected / 2, 1.0);
    EXPECT_NEAR(farther.second, expected / 2, 1.0);
}

TEST_F(ShippedShadersTest, IdentitySpritesAreSizedInClipSpaceUnits)
{
    D3DXMATRIX identity(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    const auto centred = DrawSprite(identity, {0, 0, 0.5f, 0xFFFFFFFF, 0.5f}, 32, 24, "sprite_identity");
    EXPECT_NEAR(centred.first, 12, 1.0) << "0.5 times half of 48 pixels";
    EXPECT_NEAR(centred.second, 12, 1.0);
    const auto moved = DrawSprite(identity, {-0.5f, 0.5f, 0.5f, 0xFF40C0FF, 1}, 16, 12, "sprite_identity_moved");
    EXPECT_NEAR(moved.first, 24, 1.0);
    EXPECT_NEAR(moved.second, 24, 1.0);
}

// The sprite images load as 32-bit textures with alpha, upright: the glow is
// opaque at its centre and clear in its corners, the bubble's highlight is up
// and to the left.
TEST_F(ShippedShadersTest, SpriteImagesLoadUprightWithAlpha)
{
    for (const char* name : {"particle.png", "bubble.tga"})
    {
        const std::string path = std::string("data\\textures\\") + name;
        D3DXIMAGE_INFO info{};
        ASSERT_EQ(D3DXGetImageInfoFromFileA(path.c_str(), &info), D3D_OK) << name;
        EXPECT_EQ(info.Width, 64u) << name;
        EXPECT_EQ(info.Height, 64u) << name;
        EXPECT_EQ(info.Format, D3DFMT_A8R8G8B8) << name;
        IDirect3DTexture9* texture = nullptr;
        ASSERT_EQ(D3DXCreateTextureFromFileA(m_Device, path.c_str(), &texture), D3D_OK) << name;
        Keep(texture);
        D3DLOCKED_RECT locked;
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        const auto texel = [&](UINT x, UINT y)
        { return reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch)[x]; };
        EXPECT_EQ(texel(0, 0) >> 24, 0u) << name << ": clear outside the circle";
        if (name[0] == 'p')
            EXPECT_EQ(texel(32, 32), 0xFFFFFFFFu) << name << ": opaque white at the centre";
        else
            EXPECT_GT(texel(20, 20) >> 24, 4 * (texel(20, 43) >> 24)) << name << ": the highlight at the top";
        texture->UnlockRect(0);
    }
}

// Every shipped shader compiles for the profile its name gives, and declares
// its constants and samplers at explicit float or sampler registers: unplaced
// globals would be packed differently by our compiler and by Direct3D's.
TEST(ShippedShaderFiles, CompileForTheirProfilesWithExplicitRegisters)
{
    ScopedCurrentDir inSources(QUORL_SOURCE_DIR);
    int shaders = 0;
    for (const auto& entry : std::filesystem::directory_iterator("data/shaders"))
    {
        const std::string name = entry.path().filename().string();
        const std::string extension = entry.path().extension().string();
        if (extension != ".vsh" && extension != ".psh")
            continue;
        ++shaders;
        std::string errors;
        ID3DXBuffer* code = Compile("data\\shaders\\" + name, &errors);
        EXPECT_NE(code, nullptr) << name << ": " << errors;
        if (code)
            code->Release();

        std::ifstream file(entry.path());
        std::string line;
        int depth = 0;
        for (int number = 1; std::getline(file, line); ++number)
        {
            line = line.substr(0, line.find("//"));
            const bool global =
                depth == 0 && line.find(';') != std::string::npos && line.find('}') == std::string::npos;
            const bool placed =
                line.find("register(c") != std::string::npos || line.find("register(s") != std::string::npos;
            EXPECT_TRUE(!global || placed) << name << ":" << number << ": " << line;
            for (char c : line)
                depth += c == '{' ? 1 : c == '}' ? -1 : 0;
        }
    }
    EXPECT_GE(shaders, 4);
}
// Every shipped shader fits its shader model 2 profile as Direct3D's own
// compiler counts it, with room to spare reported per file (the counts are
// in the test's XML properties).
TEST(ShippedShaderFiles, FitShaderModel2SlotsAndRegisters)
{
    ScopedCurrentDir inSources(QUORL_SOURCE_DIR);
    int shaders = 0;
    for (const auto& entry : std::filesystem::directory_iterator("data/shaders"))
    {
        const std::string extension = entry.path().extension().string();
        if (extension != ".vsh" && extension != ".psh")
            continue;
        ++shaders;
        const std::string name = entry.path().filename().string();
        d3dx9::HlslRequest request;
        request.file = entry.path().string();
        std::ifstream file(entry.path(), std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        request.source = text.str();
        request.entryPoint = extension == ".vsh" ? "MainVS" : "MainPS";
        ASSERT_TRUE(d3dx9::ParseProfile(extension == ".vsh" ? "vs_2_0" : "ps_2_0", request.profile));
        d3d9::ShaderBlob blob;
        d3dx9::Diagnostics messages;
        d3dx9::ShaderCost cost;
        EXPECT_TRUE(d3dx9::CompileHlsl(request, blob, messages, &cost))
            << name << ": " << d3dx9::FormatDiagnostics(messages);
        const d3dx9::ShaderProfile& profile = request.profile;
        EXPECT_LE(cost.arithmetic, profile.arithmeticSlots) << name;
        EXPECT_LE(cost.temporaries, profile.temporaryRegisters) << name;
        if (profile.stage == d3d9::ShaderStage::Pixel)
        {
            EXPECT_LE(cost.texture, profile.textureSlots) << name;
            EXPECT_LE(cost.readLevels, profile.dependentReadLevels) << name;
        }
        ::testing::Test::RecordProperty(
            name, std::to_string(cost.arithmetic) + " arithmetic, " + std::to_string(cost.texture) +
                      " texture slots, " + std::to_string(cost.readLevels) + " read levels, " +
                      std::to_string(cost.temporaries) + " temporaries" + (cost.estimated ? " (estimated)" : ""));
    }
    EXPECT_GE(shaders, 4);
}
} // namespace
