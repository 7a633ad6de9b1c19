#include "render/d3dx_mesh.h"

#include "app/demo.h"

C_D3DXMesh::C_D3DXMesh() : mesh(NULL), materials(NULL), materialCount(0) {}

C_D3DXMesh::~C_D3DXMesh()
{
    if (materials)
        materials->Release();
    if (mesh)
        mesh->Release();
}

bool C_D3DXMesh::LoadFromFile(const char* path)
{
    IDirect3DDevice9* device = C_Demo::GetInstance()->m_Renderer.device;
    return !FAILED(D3DXLoadMeshFromXA(path, D3DXMESH_MANAGED, device, NULL, &materials, NULL, &materialCount, &mesh));
}

bool C_D3DXMesh::Draw()
{
    for (DWORD i = 0; i < materialCount; ++i)
        if (mesh && FAILED(mesh->DrawSubset(i)))
            return false;
    return true;
}

IDirect3DVertexBuffer9* C_D3DXMesh::GetVertexBuffer()
{
    IDirect3DVertexBuffer9* buffer = NULL;
    if (mesh)
        mesh->GetVertexBuffer(&buffer);
    return buffer;
}

IDirect3DIndexBuffer9* C_D3DXMesh::GetIndexBuffer()
{
    IDirect3DIndexBuffer9* buffer = NULL;
    if (mesh)
        mesh->GetIndexBuffer(&buffer);
    return buffer;
}
