// IDirect3DVertexDeclaration9: the elements up to D3DDECL_END, with each
// element's GL attribute format worked out once.
#pragma once

#include "d3d9/object.h"
#include "d3d9/translate.h"

#include <vector>

namespace d3d9
{
class VertexDeclaration final : public Child<IDirect3DVertexDeclaration9>
{
public:
    struct Element
    {
        D3DVERTEXELEMENT9 element;
        AttribFormat format;
    };

    static HRESULT Create(Device* device, const D3DVERTEXELEMENT9* elements, VertexDeclaration** declaration);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObj) override;
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** ppDevice) override { return GetDeviceRef(ppDevice); }
    HRESULT STDMETHODCALLTYPE GetDeclaration(D3DVERTEXELEMENT9* pElement, UINT* pNumElements) override;

    // The element feeding a usage and usage index, or null.
    const Element* Find(BYTE usage, BYTE usageIndex) const;

private:
    explicit VertexDeclaration(Device* device) : Child(device, false) {}
    std::vector<Element> m_Elements;
};
} // namespace d3d9
