// .x meshes loaded onto the Direct3D layer: what the buffers hold and what
// each subset draws.
#include "support/d3d9_fixture.h"
#include "support/temp_dir.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <d3dx9.h>

namespace
{
using namespace d3d9test;

// Two triangles over four vertices that no symmetry maps onto each other.
const char kAsymmetric[] = R"(xof 0303txt 0032
Mesh {
 4;
 0.1;0.2;0.3;,
 1.5;-0.25;0.75;,
 -2.0;3.0;4.0;,
 0.5;0.5;-1.0;;
 2;
 3;0,1,2;,
 3;0,2,3;;
 MeshNormals {
  1;
  0.0;0.0;-1.0;;
  2;
  3;0,0,0;,
  3;0,0,0;;
 }
 MeshTextureCoords {
  4;
  0.125;0.25;,
  0.875;0.0625;,
  0.5;1.0;,
  0.0;0.75;;
 }
}
)";

const float kPositions[4][3] = {{0.1f, 0.2f, 0.3f}, {1.5f, -0.25f, 0.75f}, {-2, 3, 4}, {0.5f, 0.5f, -1}};
const float kUVs[4][2] = {{0.125f, 0.25f}, {0.875f, 0.0625f}, {0.5f, 1}, {0, 0.75f}};
const int kFaces[2][3] = {{0, 1, 2}, {0, 2, 3}};

// Three vertical bands in clip space, one per material, their faces listed
// out of material order; a fourth material has no faces.
const char kBands[] = R"(xof 0303txt 0032
Material Red { 1.0;0.0;0.0;1.0;; 8.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { "red.png"; } }
Mesh {
 12;
 -1.0;1.0;0.5;, -0.5;1.0;0.5;, -0.5;-1.0;0.5;, -1.0;-1.0;0.5;,
 -0.25;1.0;0.5;, 0.25;1.0;0.5;, 0.25;-1.0;0.5;, -0.25;-1.0;0.5;,
 0.5;1.0;0.5;, 1.0;1.0;0.5;, 1.0;-1.0;0.5;, 0.5;-1.0;0.5;;
 6;
 3;8,9,10;,
 3;0,1,2;,
 3;4,5,6;,
 3;0,2,3;,
 3;8,10,11;,
 3;4,6,7;;
 MeshMaterialList {
  4;
  6;
  2,0,1,0,2,1;;
  {Red}
  Material { 0.0;1.0;0.0;0.5;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }
  Material { 0.0;0.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }
  Material { 1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }
 }
}
)";

// A triangle under two frames: scaled by 2 in the inner one, then moved.
const char kFrames[] = R"(xof 0302txt 0032
Frame Outer {
 FrameTransformMatrix { 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 10.0,20.0,30.0,1.0;; }
 Frame Inner {
  FrameTransformMatrix { 2.0,0.0,0.0,0.0, 0.0,2.0,0.0,0.0, 0.0,0.0,2.0,0.0, 0.0,0.0,0.0,1.0;; }
  Mesh {
   3;
   1.0;0.0;0.0;,
   0.0;1.0;0.0;,
   0.0;0.0;1.0;;
   1;
   3;0,1,2;;
  }
 }
}
)";

class D3DXMeshTest : public D3D9PixelTest
{
protected:
    void SetUp() override
    {
        D3D9PixelTest::SetUp();
        CreateDevice();
    }

    void TearDown() override
    {
        if (m_Materials)
            m_Materials->Release();
        if (m_Mesh)
            m_Mesh->Release();
        D3D9PixelTest::TearDown();
    }

    HRESULT Load(const std::string& name, const std::string& contents)
    {
        m_Files.Write(name, contents);
        return LoadPath((m_Files.Path() / name).string());
    }

    HRESULT LoadPath(const std::string& path)
    {
        return D3DXLoadMeshFromXA(path.c_str(), D3DXMESH_MANAGED, m_Device, nullptr, &m_Materials, nullptr,
                                  &m_MaterialCount, &m_Mesh);
    }

    // The corners of every face, in index-buffer order: floats per vertex each.
    std::vector<std::vector<float>> Corners()
    {
        std::vector<std::vector<float>> corners;
        IDirect3DVertexBuffer9* vb = nullptr;
        IDirect3DIndexBuffer9* ib = nullptr;
        EXPECT_EQ(m_Mesh->GetVertexBuffer(&vb), D3D_OK);
        EXPECT_EQ(m_Mesh->GetIndexBuffer(&ib), D3D_OK);
        D3DINDEXBUFFER_DESC desc;
        EXPECT_EQ(ib->GetDesc(&desc), D3D_OK);
        EXPECT_EQ(desc.Format, D3DFMT_INDEX16) << "few vertices take 16-bit indices";
        EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
        void* vertices = nullptr;
        void* indices = nullptr;
        EXPECT_EQ(vb->Lock(0, 0, &vertices, D3DLOCK_READONLY), D3D_OK);
        EXPECT_EQ(ib->Lock(0, 0, &indices, D3DLOCK_READONLY), D3D_OK);
        const UINT floats = m_Mesh->GetNumBytesPerVertex() / sizeof(float);
        for (DWORD i = 0; i < m_Mesh->GetNumFaces() * 3; ++i)
        {
            const WORD index = static_cast<const WORD*>(indices)[i];
            EXPECT_LT(index, m_Mesh->GetNumVertices());
            const float* v = static_cast<const float*>(vertices) + index * floats;
            corners.emplace_back(v, v + floats);
        }
        vb->Unlock();
        ib->Unlock();
        vb->Release();
        ib->Release();
        return corners;
    }

    TempDir m_Files;
    ID3DXMesh* m_Mesh = nullptr;
    ID3DXBuffer* m_Materials = nullptr;
    DWORD m_MaterialCount = 0;
};

TEST_F(D3DXMeshTest, KeepsPositionsWindingAndTextureCoordinatesAsWritten)
{
    ASSERT_EQ(Load("asymmetric.x", kAsymmetric), D3D_OK);
    ASSERT_NE(m_Mesh, nullptr);
    EXPECT_EQ(m_Mesh->GetNumFaces(), 2u);
    EXPECT_EQ(m_Mesh->GetFVF(), static_cast<DWORD>(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1));
    EXPECT_EQ(m_Mesh->GetNumBytesPerVertex(), 32u);
    D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE];
    ASSERT_EQ(m_Mesh->GetDeclaration(declaration), D3D_OK);
    EXPECT_EQ(declaration[0].Usage, D3DDECLUSAGE_POSITION);
    EXPECT_EQ(declaration[1].Usage, D3DDECLUSAGE_NORMAL);
    EXPECT_EQ(declaration[1].Offset, 12);
    EXPECT_EQ(declaration[2].Usage, D3DDECLUSAGE_TEXCOORD);
    EXPECT_EQ(declaration[2].Offset, 24);
    EXPECT_EQ(declaration[3].Stream, 0xFF);

    const std::vector<std::vector<float>> corners = Corners();
    ASSERT_EQ(corners.size(), 6u);
    for (int f = 0; f < 2; ++f)
        for (int k = 0; k < 3; ++k)
        {
            const std::vector<float>& v = corners[f * 3 + k];
            const int written = kFaces[f][k];
            EXPECT_FLOAT_EQ(v[0], kPositions[written][0]) << "face " << f << " corner " << k;
            EXPECT_FLOAT_EQ(v[1], kPositions[written][1]) << "face " << f << " corner " << k;
            EXPECT_FLOAT_EQ(v[2], kPositions[written][2]) << "face " << f << " corner " << k;
            EXPECT_NEAR(v[3], 0, 1e-6);
            EXPECT_NEAR(v[4], 0, 1e-6);
            EXPECT_NEAR(v[5], -1, 1e-6);
            EXPECT_FLOAT_EQ(v[6], kUVs[written][0]) << "face " << f << " corner " << k;
            EXPECT_FLOAT_EQ(v[7], kUVs[written][1]) << "face " << f << " corner " << k;
        }
    ASSERT_EQ(m_MaterialCount, 1u) << "a file without materials gets one default";
}

TEST_F(D3DXMeshTest, EachSubsetDrawsExactlyTheFacesOfItsMaterial)
{
    ASSERT_EQ(Load("bands.x", kBands), D3D_OK);
    ASSERT_EQ(m_MaterialCount, 4u);
    EXPECT_EQ(m_Mesh->GetFVF(), static_cast<DWORD>(D3DFVF_XYZ)) << "positions only";

    const D3DXMATERIAL* materials = static_cast<const D3DXMATERIAL*>(m_Materials->GetBufferPointer());
    EXPECT_FLOAT_EQ(materials[0].MatD3D.Diffuse.r, 1);
    EXPECT_FLOAT_EQ(materials[0].MatD3D.Diffuse.g, 0);
    ASSERT_NE(materials[0].pTextureFilename, nullptr);
    EXPECT_STREQ(materials[0].pTextureFilename, "red.png");
    EXPECT_FLOAT_EQ(materials[1].MatD3D.Diffuse.g, 1);
    EXPECT_FLOAT_EQ(materials[1].MatD3D.Diffuse.a, 0.5f);
    EXPECT_FLOAT_EQ(materials[0].MatD3D.Power, 8);
    EXPECT_EQ(materials[1].pTextureFilename, nullptr);
    EXPECT_FLOAT_EQ(materials[2].MatD3D.Diffuse.b, 1);

    IDirect3DVertexShader9* vs =
        MakeVertexShader(m_Device, {{D3DDECLUSAGE_POSITION, 0}}, 0, "pos = vec4(in_0.xyz, 1.0);");
    IDirect3DPixelShader9* ps = MakePixelShader(m_Device, {}, 0, "color = vec4(1.0);");
    ASSERT_NE(vs, nullptr);
    ASSERT_NE(ps, nullptr);
    m_Device->SetVertexShader(vs);
    m_Device->SetPixelShader(ps);

    // Band centres in pixels across the 32-pixel target.
    const UINT centres[3] = {4, 16, 28};
    for (DWORD subset = 0; subset < 4; ++subset)
    {
        m_Device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        ASSERT_EQ(m_Mesh->DrawSubset(subset), D3D_OK);
        const std::vector<uint32_t> pixels = BackBuffer();
        for (UINT band = 0; band < 3; ++band)
        {
            const uint32_t expected = band == subset ? 0xFFFFFFFF : 0xFF000000;
            EXPECT_TRUE(SameColor(At(pixels, centres[band], 8), expected)) << "subset " << subset << " band " << band;
            EXPECT_TRUE(SameColor(At(pixels, centres[band], 24), expected)) << "subset " << subset << " band " << band;
        }
        EXPECT_TRUE(SameColor(At(pixels, 10, 16), 0xFF000000)) << "between the bands";
    }
    vs->Release();
    ps->Release();
}

TEST_F(D3DXMeshTest, AppliesFrameTransforms)
{
    ASSERT_EQ(Load("frames.x", kFrames), D3D_OK);
    const std::vector<std::vector<float>> corners = Corners();
    ASSERT_EQ(corners.size(), 3u);
    const float expected[3][3] = {{12, 20, 30}, {10, 22, 30}, {10, 20, 32}};
    for (int k = 0; k < 3; ++k)
        for (int c = 0; c < 3; ++c)
            EXPECT_FLOAT_EQ(corners[k][c], expected[k][c]) << "corner " << k << " axis " << c;
}

TEST_F(D3DXMeshTest, AcceptsBackslashPaths)
{
    m_Files.Write("models/frames.x", kFrames);
    ScopedCurrentDir inFiles(m_Files.Path());
    ASSERT_EQ(LoadPath("models\\frames.x"), D3D_OK);
    EXPECT_EQ(m_Mesh->GetNumFaces(), 1u);
}

TEST_F(D3DXMeshTest, MissingAndMalformedFilesFail)
{
    EXPECT_TRUE(FAILED(LoadPath((m_Files.Path() / "absent.x").string())));
    EXPECT_TRUE(FAILED(LoadPath(m_Files.Path().string()))) << "a directory";
    EXPECT_TRUE(FAILED(Load("truncated.x", "xof 0303txt 0032\nMesh {\n 3;\n 1.0;0.0;")));
    EXPECT_TRUE(FAILED(Load("garbage.x", "xof 0303txt 0032\nMesh { this is not a mesh }\n")));
    EXPECT_TRUE(FAILED(Load("not_x.x", "solid cube\nendsolid cube\n")));
    EXPECT_TRUE(FAILED(Load("empty.x", "")));
    EXPECT_TRUE(FAILED(Load("crashes_assimp.x", "xof 0303txt 0032\n;"))) << "the importer crashes on it";
    EXPECT_EQ(m_Mesh, nullptr);
    EXPECT_EQ(m_Materials, nullptr);
    EXPECT_EQ(m_MaterialCount, 0u);
}
} // namespace
