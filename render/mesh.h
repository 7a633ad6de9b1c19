// Geometry from a .x file, as the rest of the system sees it.
#pragma once

#include <d3d9.h>

class I_Mesh
{
public:
    virtual ~I_Mesh() {}
    // Every subset, in order; false at the first that fails.
    virtual bool Draw() = 0;
    // With a reference added for the caller.
    virtual IDirect3DVertexBuffer9* GetVertexBuffer() = 0;
    virtual IDirect3DIndexBuffer9* GetIndexBuffer() = 0;
};
