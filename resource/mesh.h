// A .x mesh under data\models\, kept in the managed pool: a device reset
// leaves it be.
#pragma once

#include "resource/resource.h"

class I_Mesh;

namespace Resource
{
class C_Mesh : public I_Resource
{
public:
    ~C_Mesh() override;
    int GetKind() override { return Mesh; }
    void* GetObject() override { return m_Mesh; }
    bool Load(const std::string& name) override;
    bool OnDeviceReset() override { return true; }
    bool OnDeviceLost() override { return true; }

private:
    I_Mesh* m_Mesh = nullptr;
};
} // namespace Resource
