// A resource of any kind holding a given object, registered by tests in place
// of files.
#pragma once

#include "resource/resource.h"

class HeldResource : public Resource::I_Resource
{
public:
    HeldResource(int kind, void* object) : m_Kind(kind), m_Object(object) {}
    int GetKind() override { return m_Kind; }
    void* GetObject() override { return m_Object; }
    bool Load(const std::string&) override { return true; }
    bool OnDeviceReset() override { return true; }
    bool OnDeviceLost() override { return true; }

private:
    int m_Kind;
    void* m_Object;
};
