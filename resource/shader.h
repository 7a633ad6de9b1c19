// Vertex and pixel shaders compiled from HLSL files under data\shaders\ when
// first acquired. They live outside any pool, so a device reset leaves them be.
#pragma once

#include "resource/resource.h"

#include <d3d9.h>

namespace Resource
{
class C_VertexShader : public I_Resource
{
public:
    ~C_VertexShader() override;
    int GetKind() override;
    void* GetObject() override;
    bool Load(const std::string& name) override;
    bool OnDeviceReset() override { return true; }
    bool OnDeviceLost() override { return true; }

private:
    IDirect3DVertexShader9* m_Shader = nullptr;
};

class C_PixelShader : public I_Resource
{
public:
    ~C_PixelShader() override;
    int GetKind() override;
    void* GetObject() override;
    bool Load(const std::string& name) override;
    bool OnDeviceReset() override { return true; }
    bool OnDeviceLost() override { return true; }

private:
    IDirect3DPixelShader9* m_Shader = nullptr;
};
} // namespace Resource
