#include <d3dx9.h>

namespace
{
UINT TypeSize(BYTE type)
{
    switch (type)
    {
    case D3DDECLTYPE_FLOAT1:
    case D3DDECLTYPE_D3DCOLOR:
    case D3DDECLTYPE_UBYTE4:
    case D3DDECLTYPE_SHORT2:
    case D3DDECLTYPE_UBYTE4N:
    case D3DDECLTYPE_SHORT2N:
    case D3DDECLTYPE_USHORT2N:
    case D3DDECLTYPE_UDEC3:
    case D3DDECLTYPE_DEC3N:
    case D3DDECLTYPE_FLOAT16_2: return 4;
    case D3DDECLTYPE_FLOAT2:
    case D3DDECLTYPE_SHORT4:
    case D3DDECLTYPE_SHORT4N:
    case D3DDECLTYPE_USHORT4N:
    case D3DDECLTYPE_FLOAT16_4: return 8;
    case D3DDECLTYPE_FLOAT3: return 12;
    case D3DDECLTYPE_FLOAT4: return 16;
    default: return 0;
    }
}
} // namespace

UINT WINAPI D3DXGetDeclVertexSize(const D3DVERTEXELEMENT9* pDecl, DWORD Stream)
{
    if (!pDecl)
        return 0;
    // Elements may leave gaps or come out of order: the vertex ends where
    // its furthest element does.
    UINT size = 0;
    for (const D3DVERTEXELEMENT9* element = pDecl; element->Stream != 0xFF && element - pDecl < MAXD3DDECLLENGTH;
         ++element)
    {
        if (element->Stream != Stream)
            continue;
        UINT end = element->Offset + TypeSize(element->Type);
        if (end > size)
            size = end;
    }
    return size;
}
