#include "d3d9/declaration.h"

#include "d3d9/device.h"

namespace d3d9
{
HRESULT VertexDeclaration::Create(Device* device, const D3DVERTEXELEMENT9* elements, VertexDeclaration** declaration)
{
    VertexDeclaration* created = new VertexDeclaration(device);
    for (UINT i = 0; i < MAXD3DDECLLENGTH; ++i)
    {
        const D3DVERTEXELEMENT9& element = elements[i];
        if (element.Stream == 0xFF)
        {
            created->AddPublicRef();
            *declaration = created;
            return D3D_OK;
        }
        Element entry{element, {}};
        if (element.Stream >= Device::kMaxStreams || !TranslateDeclType(element.Type, entry.format) ||
            element.Method != D3DDECLMETHOD_DEFAULT || created->Find(element.Usage, element.UsageIndex))
            break;
        created->m_Elements.push_back(entry);
    }
    delete created;
    return D3DERR_INVALIDCALL;
}

HRESULT VertexDeclaration::QueryInterface(REFIID riid, void** ppvObj)
{
    static const IID* const kIds[] = {&IID_IUnknown, &IID_IDirect3DVertexDeclaration9};
    return QueryAmong(this, riid, ppvObj, kIds, 2);
}

HRESULT VertexDeclaration::GetDeclaration(D3DVERTEXELEMENT9* pElement, UINT* pNumElements)
{
    if (!pNumElements)
        return D3DERR_INVALIDCALL;
    // The count includes the end marker, as Direct3D reports it.
    const UINT count = static_cast<UINT>(m_Elements.size()) + 1;
    if (pElement)
    {
        for (UINT i = 0; i + 1 < count; ++i)
            pElement[i] = m_Elements[i].element;
        pElement[count - 1] = D3DDECL_END();
    }
    *pNumElements = count;
    return D3D_OK;
}

const VertexDeclaration::Element* VertexDeclaration::Find(BYTE usage, BYTE usageIndex) const
{
    for (const Element& entry : m_Elements)
        if (entry.element.Usage == usage && entry.element.UsageIndex == usageIndex)
            return &entry;
    return nullptr;
}

HRESULT Device::CreateVertexDeclaration(const D3DVERTEXELEMENT9* pVertexElements, IDirect3DVertexDeclaration9** ppDecl)
{
    if (!pVertexElements || !ppDecl)
        return D3DERR_INVALIDCALL;
    *ppDecl = nullptr;
    VertexDeclaration* declaration = nullptr;
    const HRESULT hr = VertexDeclaration::Create(this, pVertexElements, &declaration);
    if (SUCCEEDED(hr))
        *ppDecl = declaration;
    return hr;
}
} // namespace d3d9
