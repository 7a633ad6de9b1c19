#include "resource/registry.h"

#include "resource/resource_factory.h"

C_ResourceRegistry::~C_ResourceRegistry()
{
    for (Resource::I_Resource* resource : m_Resources)
        delete resource;
    m_Resources.clear();
    m_Names.clear();
}

int C_ResourceRegistry::Acquire(const std::string& name, int kind)
{
    auto found = m_Names.find(name);
    if (found != m_Names.end())
    {
        int index = found->second;
        if (index < 0 || index >= GetCount())
            return -1;
        if (!m_Resources[index] || m_Resources[index]->GetKind() != kind)
            return -1;
        return index;
    }

    Resource::I_Resource* resource = Resource::MakeResource(kind);
    if (!resource)
        return -1;
    if (!resource->Load(name))
    {
        delete resource;
        return -1;
    }
    int index = GetCount();
    m_Resources.push_back(resource);
    m_Names[name] = index;
    return index;
}

int C_ResourceRegistry::Find(const std::string& name) const
{
    auto found = m_Names.find(name);
    if (found == m_Names.end())
        return -1;
    int index = found->second;
    if (index < 0 || index >= GetCount())
        return -1;
    return index;
}

int C_ResourceRegistry::FindRenderTarget(const std::string& name) const
{
    int index = Find(name);
    if (index < 0 || !m_Resources[index] || m_Resources[index]->GetKind() != Resource::RenderTarget)
        return -1;
    return index;
}

int C_ResourceRegistry::Add(const std::string& name, Resource::I_Resource* resource)
{
    if (m_Names.count(name))
        return -1;
    int index = GetCount();
    m_Resources.push_back(resource);
    m_Names[name] = index;
    return index;
}

Resource::I_Resource* C_ResourceRegistry::At(int index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return m_Resources[index];
}

void C_ResourceRegistry::Swap(C_ResourceRegistry& other)
{
    m_Resources.swap(other.m_Resources);
    m_Names.swap(other.m_Names);
}

void C_ResourceRegistry::OnDeviceLost()
{
    for (Resource::I_Resource* resource : m_Resources)
        if (resource)
            resource->OnDeviceLost();
}

void C_ResourceRegistry::OnDeviceReset()
{
    for (Resource::I_Resource* resource : m_Resources)
        if (resource)
            resource->OnDeviceReset();
}
