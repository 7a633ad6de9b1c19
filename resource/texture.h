// A texture made from an image file under data\textures\ when first acquired.
// It lives in the managed pool, so a device reset leaves it be.
#pragma once

#include "resource/resource.h"

#include <d3d9.h>
#include <d3dx9.h>

namespace Resource
{
class C_Texture : public I_Resource
{
public:
    ~C_Texture() override;
    int GetKind() override { return Texture; }
    void* GetObject() override { return m_Texture; }
    bool Load(const std::string& name) override;
    bool OnDeviceReset() override { return true; }
    bool OnDeviceLost() override { return true; }

    IDirect3DTexture9* m_Texture = nullptr;
    // The file's own size and format: the texture may be larger, its sides
    // rounded up to powers of two.
    D3DXIMAGE_INFO m_Info{};
};
} // namespace Resource
