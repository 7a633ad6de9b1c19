// Vertex and pixel shaders compiled from HLSL files under data\shaders\ when
// first acquired. They live outside any pool, so a device reset leaves them be.
#pragma once

#include "resource/resource.h"

#include <d3d9.h>

namespace Resource
{
// What the two shader kinds share: the object held, its kind, its release.
template <class Shader, int Kind>
class C_CompiledShader : public I_Resource
{
public:
    ~C_CompiledShader() override
    {
        if (m_Shader)
            m_Shader->Release();
    }
    int GetKind() override { return Kind; }
    void* GetObject() override { return m_Shader; }
    bool OnDeviceReset() override { return true; }
    bool OnDeviceLost() override { return true; }

protected:
    Shader* m_Shader = nullptr;
};

class C_VertexShader : public C_CompiledShader<IDirect3DVertexShader9, VertexShader>
{
public:
    bool Load(const std::string& name) override;
};

class C_PixelShader : public C_CompiledShader<IDirect3DPixelShader9, PixelShader>
{
public:
    bool Load(const std::string& name) override;
};
} // namespace Resource
