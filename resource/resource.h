// Named, shared things that effects draw with: each reports its kind and hands
// out the object it holds.
#pragma once

// Windows' headers rename GetObject to GetObjectA; seeing them here keeps every
// declaration and call of it under the same name.
#include <windows.h>

#include <string>

namespace Resource
{
enum ResourceKind
{
    Texture = 0,
    RenderTarget = 1,
    Mesh = 2,
    VertexShader = 3,
    PixelShader = 4,
};

class I_Resource
{
public:
    virtual ~I_Resource() {}
    virtual int GetKind() = 0;
    // The texture, render-target record, mesh or shader; null when empty.
    virtual void* GetObject() = 0;
    virtual bool Load(const std::string& name) = 0;
    // Default-pool objects are made again after a reset and given up before it.
    virtual bool OnDeviceReset() = 0;
    virtual bool OnDeviceLost() = 0;
};
} // namespace Resource
