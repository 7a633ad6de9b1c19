// Effects that take a texture by name accept any resource of the script under
// that name (a render target draws its current picture), then an image file.
#pragma once

#include "resource/registry.h"

#include <string>

inline int FindOrAcquireTexture(C_ResourceRegistry& resources, const std::string& name)
{
    int index = resources.Find(name);
    if (index == -1)
        index = resources.Acquire(name, Resource::Texture);
    return index;
}
