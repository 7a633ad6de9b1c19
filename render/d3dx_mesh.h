// The mesh of a .x file as D3DX loads it: its materials only count the
// subsets to draw and are never applied to the device.
#pragma once

#include "render/mesh.h"

#include <d3dx9.h>

class C_D3DXMesh : public I_Mesh
{
public:
    C_D3DXMesh();
    ~C_D3DXMesh() override;

    bool LoadFromFile(const char* path);
    bool Draw() override;
    IDirect3DVertexBuffer9* GetVertexBuffer() override;
    IDirect3DIndexBuffer9* GetIndexBuffer() override;

    ID3DXMesh* mesh;
    ID3DXBuffer* materials;
    DWORD materialCount;
};
