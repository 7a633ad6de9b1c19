// .x meshes through Assimp's X importer, merged into one vertex and one index
// buffer whose faces are grouped by material.
#include "d3dx9/byte_form.h"
#include "d3dx9/com_object.h"
#include "d3dx9/helper.h"
#include "host/host_file.h"

#include <d3dx9.h>

#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace
{
struct Range
{
    DWORD faceStart = 0;
    DWORD faceCount = 0;
};

class Mesh final : public d3dx9::ComObject<ID3DXMesh>
{
public:
    Mesh(IDirect3DDevice9* device, DWORD options, DWORD fvf, const std::vector<D3DVERTEXELEMENT9>& elements,
         UINT stride, DWORD vertices, DWORD faces, std::vector<Range> ranges)
        : m_Device(device), m_Options(options), m_FVF(fvf), m_Elements(elements), m_Stride(stride),
          m_Vertices(vertices), m_Faces(faces), m_Ranges(std::move(ranges))
    {
        m_Device->AddRef();
    }

    // Takes over the references of the caller.
    void Adopt(IDirect3DVertexBuffer9* vb, IDirect3DIndexBuffer9* ib, IDirect3DVertexDeclaration9* declaration)
    {
        m_VB = vb;
        m_IB = ib;
        m_Declaration = declaration;
    }

    HRESULT STDMETHODCALLTYPE DrawSubset(DWORD AttribId) override
    {
        if (AttribId >= m_Ranges.size() || m_Ranges[AttribId].faceCount == 0)
            return D3D_OK;
        const Range& range = m_Ranges[AttribId];
        HRESULT hr = m_Device->SetVertexDeclaration(m_Declaration);
        if (SUCCEEDED(hr))
            hr = m_Device->SetStreamSource(0, m_VB, 0, m_Stride);
        if (SUCCEEDED(hr))
            hr = m_Device->SetIndices(m_IB);
        if (SUCCEEDED(hr))
            hr = m_Device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, m_Vertices, range.faceStart * 3,
                                                range.faceCount);
        return hr;
    }
    DWORD STDMETHODCALLTYPE GetNumFaces() override { return m_Faces; }
    DWORD STDMETHODCALLTYPE GetNumVertices() override { return m_Vertices; }
    DWORD STDMETHODCALLTYPE GetFVF() override { return m_FVF; }
    HRESULT STDMETHODCALLTYPE GetDeclaration(D3DVERTEXELEMENT9 Declaration[MAX_FVF_DECL_SIZE]) override
    {
        if (!Declaration)
            return D3DERR_INVALIDCALL;
        std::copy(m_Elements.begin(), m_Elements.end(), Declaration);
        return D3D_OK;
    }
    DWORD STDMETHODCALLTYPE GetNumBytesPerVertex() override { return m_Stride; }
    DWORD STDMETHODCALLTYPE GetOptions() override { return m_Options; }
    HRESULT STDMETHODCALLTYPE GetDevice(LPDIRECT3DDEVICE9* ppDevice) override
    {
        if (!ppDevice)
            return D3DERR_INVALIDCALL;
        m_Device->AddRef();
        *ppDevice = m_Device;
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE GetVertexBuffer(LPDIRECT3DVERTEXBUFFER9* ppVB) override
    {
        if (!ppVB)
            return D3DERR_INVALIDCALL;
        m_VB->AddRef();
        *ppVB = m_VB;
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIndexBuffer(LPDIRECT3DINDEXBUFFER9* ppIB) override
    {
        if (!ppIB)
            return D3DERR_INVALIDCALL;
        m_IB->AddRef();
        *ppIB = m_IB;
        return D3D_OK;
    }

private:
    ~Mesh() override
    {
        if (m_Declaration)
            m_Declaration->Release();
        if (m_IB)
            m_IB->Release();
        if (m_VB)
            m_VB->Release();
        m_Device->Release();
    }

    IDirect3DDevice9* m_Device;
    DWORD m_Options;
    DWORD m_FVF;
    std::vector<D3DVERTEXELEMENT9> m_Elements;
    UINT m_Stride;
    DWORD m_Vertices;
    DWORD m_Faces;
    std::vector<Range> m_Ranges;
    IDirect3DVertexBuffer9* m_VB = nullptr;
    IDirect3DIndexBuffer9* m_IB = nullptr;
    IDirect3DVertexDeclaration9* m_Declaration = nullptr;
};

// One triangle of the merged geometry: its material and its merged indices.
struct Face
{
    unsigned material;
    uint32_t index[3];
};

struct Geometry
{
    bool normals = false;
    bool texcoords = false;
    std::vector<float> vertices; // interleaved in the final layout
    std::vector<Face> faces;
};

// What the importer's scene comes down to: plain data, so that it can come
// back from the helper process the import runs in.
struct ImportedMaterial
{
    D3DMATERIAL9 material;
    bool hasTexture;
    std::string texture;
};

struct Imported
{
    Geometry geometry;
    std::vector<ImportedMaterial> materials;
};

UINT FloatsPerVertex(const Geometry& g)
{
    return 3 + (g.normals ? 3 : 0) + (g.texcoords ? 2 : 0);
}

// The layout comes from what any of the meshes holds; meshes lacking an
// attribute contribute zeros for it.
void ScanLayout(const aiScene* scene, Geometry& g)
{
    for (unsigned i = 0; i < scene->mNumMeshes; ++i)
    {
        g.normals |= scene->mMeshes[i]->HasNormals();
        g.texcoords |= scene->mMeshes[i]->HasTextureCoords(0);
    }
}

void AppendNode(const aiScene* scene, const aiNode* node, const aiMatrix4x4& parent, Geometry& g)
{
    const aiMatrix4x4 world = parent * node->mTransformation;
    aiMatrix3x3 normalMatrix(world);
    normalMatrix.Inverse().Transpose();
    const UINT floats = FloatsPerVertex(g);
    for (unsigned m = 0; m < node->mNumMeshes; ++m)
    {
        const aiMesh* mesh = scene->mMeshes[node->mMeshes[m]];
        const size_t base = g.vertices.size() / floats;
        for (unsigned v = 0; v < mesh->mNumVertices; ++v)
        {
            const aiVector3D p = world * mesh->mVertices[v];
            g.vertices.insert(g.vertices.end(), {p.x, p.y, p.z});
            if (g.normals)
            {
                aiVector3D n = mesh->HasNormals() ? normalMatrix * mesh->mNormals[v] : aiVector3D();
                if (n.SquareLength() > 0)
                    n.Normalize();
                g.vertices.insert(g.vertices.end(), {n.x, n.y, n.z});
            }
            if (g.texcoords)
            {
                const aiVector3D t = mesh->HasTextureCoords(0) ? mesh->mTextureCoords[0][v] : aiVector3D();
                g.vertices.insert(g.vertices.end(), {t.x, t.y});
            }
        }
        for (unsigned f = 0; f < mesh->mNumFaces; ++f)
        {
            const aiFace& face = mesh->mFaces[f];
            // Points and lines have no place in a triangle mesh.
            if (face.mNumIndices != 3)
                continue;
            g.faces.push_back(
                {mesh->mMaterialIndex,
                 {static_cast<uint32_t>(base + face.mIndices[0]), static_cast<uint32_t>(base + face.mIndices[1]),
                  static_cast<uint32_t>(base + face.mIndices[2])}});
        }
    }
    for (unsigned c = 0; c < node->mNumChildren; ++c)
        AppendNode(scene, node->mChildren[c], world, g);
}

D3DCOLORVALUE Color(const aiMaterial* material, const char* key, unsigned type, unsigned index)
{
    aiColor4D c(0, 0, 0, 1);
    if (material->Get(key, type, index, c) != AI_SUCCESS)
        return {0, 0, 0, 0};
    return {c.r, c.g, c.b, c.a};
}

std::vector<ImportedMaterial> ReadMaterials(const aiScene* scene)
{
    std::vector<ImportedMaterial> materials(scene->mNumMaterials);
    for (unsigned i = 0; i < scene->mNumMaterials; ++i)
    {
        const aiMaterial* material = scene->mMaterials[i];
        D3DMATERIAL9& d3d = materials[i].material;
        d3d.Diffuse = Color(material, AI_MATKEY_COLOR_DIFFUSE);
        d3d.Ambient = Color(material, AI_MATKEY_COLOR_AMBIENT);
        d3d.Specular = Color(material, AI_MATKEY_COLOR_SPECULAR);
        d3d.Emissive = Color(material, AI_MATKEY_COLOR_EMISSIVE);
        d3d.Power = 0;
        material->Get(AI_MATKEY_SHININESS, d3d.Power);
        aiString path;
        materials[i].hasTexture =
            material->GetTexture(aiTextureType_DIFFUSE, 0, &path) == AI_SUCCESS && path.length > 0;
        if (materials[i].hasTexture)
            materials[i].texture = path.C_Str();
    }
    return materials;
}

// D3DXMATERIAL records followed by their NUL-terminated texture names.
HRESULT MakeMaterials(const std::vector<ImportedMaterial>& materials, LPD3DXBUFFER* out)
{
    const size_t count = materials.size();
    size_t size = sizeof(D3DXMATERIAL) * count;
    for (const ImportedMaterial& material : materials)
        if (material.hasTexture)
            size += material.texture.size() + 1;
    HRESULT hr = D3DXCreateBuffer(static_cast<DWORD>(size == 0 ? 1 : size), out);
    if (FAILED(hr))
        return hr;
    unsigned char* bytes = static_cast<unsigned char*>((*out)->GetBufferPointer());
    D3DXMATERIAL* records = reinterpret_cast<D3DXMATERIAL*>(bytes);
    char* text = reinterpret_cast<char*>(bytes + sizeof(D3DXMATERIAL) * count);
    for (size_t i = 0; i < count; ++i)
    {
        records[i].MatD3D = materials[i].material;
        records[i].pTextureFilename = nullptr;
        if (materials[i].hasTexture)
        {
            std::memcpy(text, materials[i].texture.c_str(), materials[i].texture.size() + 1);
            records[i].pTextureFilename = text;
            text += materials[i].texture.size() + 1;
        }
    }
    return D3D_OK;
}

bool Import(const std::string& bytes, Imported& imported)
{
    // No logger is attached, so the importer stays silent.
    Assimp::Importer importer;
    // ConvertToLeftHanded undoes the importer's own change of handedness, so
    // positions, texture coordinates and winding come out as written.
    const aiScene* scene = importer.ReadFileFromMemory(
        bytes.data(), bytes.size(),
        aiProcess_ConvertToLeftHanded | aiProcess_Triangulate | aiProcess_JoinIdenticalVertices, "x");
    if (!scene || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) || !scene->mRootNode)
        return false;
    ScanLayout(scene, imported.geometry);
    AppendNode(scene, scene->mRootNode, aiMatrix4x4(), imported.geometry);
    imported.materials = ReadMaterials(scene);
    return true;
}

std::string Encode(const Imported& imported)
{
    std::string out;
    const Geometry& g = imported.geometry;
    d3dx9::PutNumber(out, g.normals);
    d3dx9::PutNumber(out, g.texcoords);
    d3dx9::PutBytes(out, g.vertices.data(), g.vertices.size() * sizeof(float));
    d3dx9::PutBytes(out, g.faces.data(), g.faces.size() * sizeof(Face));
    d3dx9::PutNumber(out, static_cast<uint32_t>(imported.materials.size()));
    for (const ImportedMaterial& material : imported.materials)
    {
        d3dx9::PutBytes(out, &material.material, sizeof material.material);
        d3dx9::PutNumber(out, material.hasTexture);
        d3dx9::PutText(out, material.texture);
    }
    return out;
}

bool Decode(const std::string& in, Imported& imported)
{
    d3dx9::ByteReader reader{in};
    Geometry& g = imported.geometry;
    uint32_t normals, texcoords, size, count;
    if (!reader.Number(normals) || !reader.Number(texcoords))
        return false;
    g.normals = normals != 0;
    g.texcoords = texcoords != 0;
    std::string bytes;
    if (!reader.Text(bytes) || bytes.size() % sizeof(float) != 0)
        return false;
    g.vertices.resize(bytes.size() / sizeof(float));
    if (!bytes.empty())
        std::memcpy(g.vertices.data(), bytes.data(), bytes.size());
    if (!reader.Text(bytes) || bytes.size() % sizeof(Face) != 0)
        return false;
    g.faces.resize(bytes.size() / sizeof(Face));
    if (!bytes.empty())
        std::memcpy(g.faces.data(), bytes.data(), bytes.size());
    if (!reader.Number(count))
        return false;
    imported.materials.resize(count);
    for (ImportedMaterial& material : imported.materials)
    {
        if (!reader.Bytes(&material.material, sizeof material.material) || !reader.Number(size) ||
            !reader.Text(material.texture))
            return false;
        material.hasTexture = size != 0;
    }
    return reader.AtEnd();
}

std::string ImportJob(const std::string& bytes, const d3dx9::Ask&)
{
    Imported result;
    std::string out(1, Import(bytes, result) ? '\1' : '\0');
    return out + Encode(result);
}

// Assimp's X importer crashes on some malformed files (a header followed by
// a lone semicolon is one); the import runs in the helper process.
bool ImportInHelper(const std::string& bytes, Imported& imported)
{
    std::string reply;
    return d3dx9::RunInHelper(&ImportJob, bytes, reply) && !reply.empty() && reply[0] == '\1' &&
           Decode(reply.substr(1), imported);
}

template <class Index>
HRESULT FillIndices(IDirect3DIndexBuffer9* ib, const std::vector<Face>& faces)
{
    void* data = nullptr;
    HRESULT hr = ib->Lock(0, 0, &data, 0);
    if (FAILED(hr))
        return hr;
    Index* out = static_cast<Index*>(data);
    for (const Face& face : faces)
        for (uint32_t index : face.index)
            *out++ = static_cast<Index>(index);
    return ib->Unlock();
}

HRESULT BuildMesh(IDirect3DDevice9* device, DWORD options, const Imported& imported, LPD3DXMESH* out)
{
    const Geometry& g = imported.geometry;
    const unsigned materialCount = static_cast<unsigned>(imported.materials.size());
    if (g.faces.empty())
        return D3DXERR_LOADEDMESHASNODATA;
    // The importer does not check that faces name vertices the file has.
    const size_t vertexTotal = g.vertices.size() / FloatsPerVertex(g);
    for (const Face& face : g.faces)
        for (uint32_t index : face.index)
            if (index >= vertexTotal)
                return D3DXERR_INVALIDDATA;

    // Stable, so each material's faces keep the file's order.
    std::vector<Face> sorted;
    sorted.reserve(g.faces.size());
    std::vector<Range> ranges(materialCount);
    for (unsigned material = 0; material < materialCount; ++material)
    {
        ranges[material].faceStart = static_cast<DWORD>(sorted.size());
        for (const Face& face : g.faces)
            if (face.material == material)
                sorted.push_back(face);
        ranges[material].faceCount = static_cast<DWORD>(sorted.size()) - ranges[material].faceStart;
    }

    const UINT floats = FloatsPerVertex(g);
    const UINT stride = floats * sizeof(float);
    const DWORD vertexCount = static_cast<DWORD>(g.vertices.size() / floats);
    std::vector<D3DVERTEXELEMENT9> elements;
    DWORD fvf = D3DFVF_XYZ;
    elements.push_back({0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0});
    WORD offset = 12;
    if (g.normals)
    {
        elements.push_back({0, offset, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0});
        offset += 12;
        fvf |= D3DFVF_NORMAL;
    }
    if (g.texcoords)
    {
        elements.push_back({0, offset, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0});
        fvf |= D3DFVF_TEX1;
    }
    elements.push_back(D3DDECL_END());

    const bool wide = (options & D3DXMESH_32BIT) || vertexCount > 0xFFFF;
    const D3DPOOL pool = (options & D3DXMESH_MANAGED) == D3DXMESH_MANAGED ? D3DPOOL_MANAGED : D3DPOOL_DEFAULT;
    if (wide)
        options |= D3DXMESH_32BIT;

    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    IDirect3DVertexDeclaration9* declaration = nullptr;
    HRESULT hr = device->CreateVertexBuffer(vertexCount * stride, 0, fvf, pool, &vb, nullptr);
    if (SUCCEEDED(hr))
    {
        void* data = nullptr;
        hr = vb->Lock(0, 0, &data, 0);
        if (SUCCEEDED(hr))
        {
            std::memcpy(data, g.vertices.data(), g.vertices.size() * sizeof(float));
            hr = vb->Unlock();
        }
    }
    if (SUCCEEDED(hr))
        hr = device->CreateIndexBuffer(static_cast<UINT>(sorted.size() * 3 * (wide ? 4 : 2)), 0,
                                       wide ? D3DFMT_INDEX32 : D3DFMT_INDEX16, pool, &ib, nullptr);
    if (SUCCEEDED(hr))
        hr = wide ? FillIndices<uint32_t>(ib, sorted) : FillIndices<uint16_t>(ib, sorted);
    if (SUCCEEDED(hr))
        hr = device->CreateVertexDeclaration(elements.data(), &declaration);
    if (FAILED(hr))
    {
        if (vb)
            vb->Release();
        if (ib)
            ib->Release();
        return hr;
    }
    Mesh* mesh = new (std::nothrow)
        Mesh(device, options, fvf, elements, stride, vertexCount, static_cast<DWORD>(sorted.size()), std::move(ranges));
    if (!mesh)
    {
        vb->Release();
        ib->Release();
        declaration->Release();
        return E_OUTOFMEMORY;
    }
    mesh->Adopt(vb, ib, declaration);
    *out = mesh;
    return D3D_OK;
}
} // namespace

HRESULT WINAPI D3DXLoadMeshFromXA(LPCSTR pFilename, DWORD Options, LPDIRECT3DDEVICE9 pD3DDevice,
                                  LPD3DXBUFFER* ppAdjacency, LPD3DXBUFFER* ppMaterials, LPD3DXBUFFER* ppEffectInstances,
                                  DWORD* pNumMaterials, LPD3DXMESH* ppMesh)
{
    if (!pFilename || !pD3DDevice || !ppMesh)
        return D3DERR_INVALIDCALL;
    *ppMesh = nullptr;
    if (ppAdjacency)
        *ppAdjacency = nullptr;
    if (ppMaterials)
        *ppMaterials = nullptr;
    if (ppEffectInstances)
        *ppEffectInstances = nullptr;
    if (pNumMaterials)
        *pNumMaterials = 0;

    std::string bytes;
    if (!host::ReadHostFile(pFilename, bytes))
        return D3DERR_NOTFOUND;
    // Only .x files: the importer would otherwise try every format it knows.
    if (bytes.compare(0, 4, "xof ") != 0)
        return D3DXERR_INVALIDDATA;

    Imported imported;
    if (!ImportInHelper(bytes, imported))
        return D3DXERR_INVALIDDATA;

    LPD3DXMESH mesh = nullptr;
    HRESULT hr = BuildMesh(pD3DDevice, Options, imported, &mesh);
    if (FAILED(hr))
        return hr;
    if (ppMaterials)
    {
        hr = MakeMaterials(imported.materials, ppMaterials);
        if (FAILED(hr))
        {
            mesh->Release();
            return hr;
        }
    }
    if (pNumMaterials)
        *pNumMaterials = static_cast<DWORD>(imported.materials.size());
    *ppMesh = mesh;
    return D3D_OK;
}
