// Mesh resources on the Direct3D layer: loaded by name, shared, and drawn
// subset by subset through the renderer.
#include "app/demo.h"
#include "support/d3d9_fixture.h"
#include "render/d3dx_mesh.h"
#include "support/temp_dir.h"

#include <optional>

namespace
{
using namespace d3d9test;

// Two bands, left and right, each its own material.
const char kTwoBands[] = R"(xof 0303txt 0032
Mesh {
 8;
 -1.0;1.0;0.5;, -0.5;1.0;0.5;, -0.5;-1.0;0.5;, -1.0;-1.0;0.5;,
 0.5;1.0;0.5;, 1.0;1.0;0.5;, 1.0;-1.0;0.5;, 0.5;-1.0;0.5;;
 4;
 3;4,5,6;,
 3;0,1,2;,
 3;4,6,7;,
 3;0,2,3;;
 MeshMaterialList {
  2;
  4;
  1,0,1,0;;
  Material { 1.0;0.0;0.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }
  Material { 0.0;1.0;0.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }
 }
}
)";

class MeshResourceTest : public D3D9PixelTest
{
protected:
    void SetUp() override
    {
        D3D9PixelTest::SetUp();
        CreateDevice();
        m_Files.Write("data/models/bands.x", kTwoBands);
        m_Files.Write("data/models/broken.x", "xof 0303txt 0032\nMesh {\n 8;\n");
        // The renderer lets go of the device it holds when the demo ends.
        m_Device->AddRef();
        m_Demo->m_Renderer.device = m_Device;
        m_VS = MakeVertexShader(m_Device, {{D3DDECLUSAGE_POSITION, 0}}, 0, "pos = vec4(in_0.xyz, 1.0);");
        m_PS = MakePixelShader(m_Device, {}, 0, "color = vec4(1.0);");
        ASSERT_NE(m_VS, nullptr);
        ASSERT_NE(m_PS, nullptr);
        m_Device->SetVertexShader(m_VS);
        m_Device->SetPixelShader(m_PS);
        m_Device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    }

    void TearDown() override
    {
        m_Demo.reset();
        if (m_VS)
            m_VS->Release();
        if (m_PS)
            m_PS->Release();
        D3D9PixelTest::TearDown();
    }

    void ExpectBands(bool left, bool right, const char* where)
    {
        const std::vector<uint32_t> pixels = BackBuffer();
        EXPECT_TRUE(SameColor(At(pixels, 4, 16), left ? 0xFFFFFFFF : 0xFF000000)) << where << ": left";
        EXPECT_TRUE(SameColor(At(pixels, 28, 16), right ? 0xFFFFFFFF : 0xFF000000)) << where << ": right";
        EXPECT_TRUE(SameColor(At(pixels, 16, 16), 0xFF000000)) << where << ": middle";
    }

    TempDir m_Files;
    std::optional<C_Demo> m_Demo{std::in_place};
    IDirect3DVertexShader9* m_VS = nullptr;
    IDirect3DPixelShader9* m_PS = nullptr;
};

TEST_F(MeshResourceTest, IsLoadedOnceByNameAndDrawsEverySubset)
{
    ScopedCurrentDir cwd(m_Files.Path());
    const int index = m_Demo->m_Resources.Acquire("bands.x", Resource::Mesh);
    ASSERT_GE(index, 0);
    EXPECT_EQ(m_Demo->m_Resources.Acquire("bands.x", Resource::Mesh), index);
    EXPECT_EQ(m_Demo->m_Resources.GetCount(), 1);

    I_Mesh* mesh = static_cast<I_Mesh*>(m_Demo->m_Resources.At(index)->GetObject());
    ASSERT_NE(mesh, nullptr);
    IDirect3DVertexBuffer9* vb = mesh->GetVertexBuffer();
    IDirect3DIndexBuffer9* ib = mesh->GetIndexBuffer();
    ASSERT_NE(vb, nullptr);
    ASSERT_NE(ib, nullptr);
    vb->Release();
    ib->Release();

    EXPECT_TRUE(m_Demo->m_Renderer.DrawMesh(index));
    ExpectBands(true, true, "both subsets");
}

TEST_F(MeshResourceTest, MissingOrBrokenFilesAreNotRegistered)
{
    ScopedCurrentDir cwd(m_Files.Path());
    EXPECT_EQ(m_Demo->m_Resources.Acquire("absent.x", Resource::Mesh), -1);
    EXPECT_EQ(m_Demo->m_Resources.Acquire("broken.x", Resource::Mesh), -1);
    EXPECT_EQ(m_Demo->m_Resources.GetCount(), 0);
}

TEST_F(MeshResourceTest, DrawsAsManySubsetsAsItHasMaterials)
{
    ScopedCurrentDir cwd(m_Files.Path());
    C_D3DXMesh mesh;
    EXPECT_TRUE(mesh.Draw()) << "nothing loaded draws nothing";
    EXPECT_EQ(mesh.GetVertexBuffer(), nullptr);
    EXPECT_EQ(mesh.GetIndexBuffer(), nullptr);
    ExpectBands(false, false, "unloaded");

    ASSERT_TRUE(mesh.LoadFromFile("data\\models\\bands.x"));
    EXPECT_EQ(mesh.materialCount, 2u);
    ASSERT_NE(mesh.materials, nullptr);

    mesh.materialCount = 1;
    EXPECT_TRUE(mesh.Draw());
    ExpectBands(true, false, "first subset only");
    mesh.materialCount = 2;

    m_Device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    EXPECT_TRUE(mesh.Draw());
    ExpectBands(true, true, "both subsets");
}
// Records the subsets asked for and fails the ones it is told to.
class ScriptedMesh final : public ID3DXMesh
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE DrawSubset(DWORD AttribId) override
    {
        drawn.push_back(AttribId);
        return AttribId == failing ? D3DERR_INVALIDCALL : D3D_OK;
    }
    DWORD STDMETHODCALLTYPE GetNumFaces() override { return 0; }
    DWORD STDMETHODCALLTYPE GetNumVertices() override { return 0; }
    DWORD STDMETHODCALLTYPE GetFVF() override { return 0; }
    HRESULT STDMETHODCALLTYPE GetDeclaration(D3DVERTEXELEMENT9*) override { return D3DERR_INVALIDCALL; }
    DWORD STDMETHODCALLTYPE GetNumBytesPerVertex() override { return 0; }
    DWORD STDMETHODCALLTYPE GetOptions() override { return 0; }
    HRESULT STDMETHODCALLTYPE GetDevice(LPDIRECT3DDEVICE9*) override { return D3DERR_INVALIDCALL; }
    HRESULT STDMETHODCALLTYPE GetVertexBuffer(LPDIRECT3DVERTEXBUFFER9*) override { return D3DERR_INVALIDCALL; }
    HRESULT STDMETHODCALLTYPE GetIndexBuffer(LPDIRECT3DINDEXBUFFER9*) override { return D3DERR_INVALIDCALL; }

    ULONG references = 1;
    DWORD failing = ~0u;
    std::vector<DWORD> drawn;
};

TEST(D3DXMeshDraw, StopsAtTheFirstFailingSubsetAndReleasesTheMesh)
{
    ScriptedMesh scripted;
    {
        C_D3DXMesh mesh;
        mesh.mesh = &scripted;
        mesh.materialCount = 3;
        EXPECT_TRUE(mesh.Draw());
        EXPECT_EQ(scripted.drawn, (std::vector<DWORD>{0, 1, 2}));
        scripted.drawn.clear();
        scripted.failing = 0;
        EXPECT_FALSE(mesh.Draw());
        EXPECT_EQ(scripted.drawn, (std::vector<DWORD>{0})) << "later subsets stay undrawn";
    }
    EXPECT_EQ(scripted.references, 0u);
}
} // namespace
