#include "d3dx9/hlsl_profile.h"

#include <cstring>

namespace d3dx9
{
namespace
{
struct KnownProfile
{
    const char* name;
    d3d9::ShaderStage stage;
    int major;
    int minor;
    uint32_t constants;
    uint32_t samplers;
    uint32_t arithmeticSlots;
    uint32_t textureSlots;
    uint32_t temporaries;
    uint32_t readLevels;
};

// Vertex shaders of every model have 256 float registers here; vertex
// texture fetch is not provided, so they get no sampler registers. The slot,
// register and dependent-read limits are the published ones of each model;
// shader model 3's depend on the device and are not checked.
const KnownProfile kProfiles[] = {
    {"vs_1_1", d3d9::ShaderStage::Vertex, 1, 1, 256, 0, 128, 0, 12, 0},
    {"vs_2_0", d3d9::ShaderStage::Vertex, 2, 0, 256, 0, 256, 0, 12, 0},
    {"vs_3_0", d3d9::ShaderStage::Vertex, 3, 0, 256, 0, 0, 0, 0, 0},
    {"ps_2_0", d3d9::ShaderStage::Pixel, 2, 0, 32, 16, 64, 32, 12, 4},
    {"ps_3_0", d3d9::ShaderStage::Pixel, 3, 0, 224, 16, 0, 0, 0, 0},
};
} // namespace

bool ParseProfile(const char* name, ShaderProfile& profile)
{
    if (!name)
        return false;
    for (const KnownProfile& known : kProfiles)
    {
        if (std::strcmp(name, known.name) != 0)
            continue;
        profile.name = known.name;
        profile.stage = known.stage;
        profile.major = known.major;
        profile.minor = known.minor;
        profile.constantRegisters = known.constants;
        profile.samplerRegisters = known.samplers;
        profile.arithmeticSlots = known.arithmeticSlots;
        profile.textureSlots = known.textureSlots;
        profile.temporaryRegisters = known.temporaries;
        profile.dependentReadLevels = known.readLevels;
        return true;
    }
    return false;
}
} // namespace d3dx9
