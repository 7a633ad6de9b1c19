// Owns every resource; an index, once handed out, names the same resource for
// the whole run. Index -1 means no resource.
#pragma once

#include "resource/resource.h"

#include <map>
#include <string>
#include <vector>

class C_ResourceRegistry
{
public:
    C_ResourceRegistry() = default;
    ~C_ResourceRegistry();

    // The resource of that kind under that name, loaded on first use; -1 when
    // loading fails or the name belongs to another kind.
    int Acquire(const std::string& name, int kind);

    // -1 for an unknown name, whatever the kind otherwise.
    int Find(const std::string& name) const;
    // As Find, but -1 also for a resource that is not a render target.
    int FindRenderTarget(const std::string& name) const;

    // Registers a resource the caller made; -1 when the name is taken, and the
    // object then stays with the caller.
    int Add(const std::string& name, Resource::I_Resource* resource);

    Resource::I_Resource* At(int index) const;
    int GetCount() const { return static_cast<int>(m_Resources.size()); }

    // Exchanges the contents with another registry, so that a tool can load a
    // second set of resources while the first stays alive.
    void Swap(C_ResourceRegistry& other);

    void OnDeviceLost();
    void OnDeviceReset();

    C_ResourceRegistry(const C_ResourceRegistry&) = delete;
    C_ResourceRegistry& operator=(const C_ResourceRegistry&) = delete;

private:
    std::vector<Resource::I_Resource*> m_Resources;
    std::map<std::string, int> m_Names;
};
