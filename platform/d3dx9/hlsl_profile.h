// Shader profiles that the HLSL compiler accepts, and the register files and
// features each one offers.
#pragma once

#include "d3d9/shader_blob.h"

#include <cstdint>
#include <string>

namespace d3dx9
{
struct ShaderProfile
{
    std::string name;
    d3d9::ShaderStage stage = d3d9::ShaderStage::Vertex;
    int major = 0;
    int minor = 0;
    uint32_t constantRegisters = 0; // float4 registers c0 .. c(N-1)
    uint32_t samplerRegisters = 0;  // s0 .. s(N-1)
    // Shader model 1 and 2 limits; 0 where the profile sets none here.
    uint32_t arithmeticSlots = 0;     // all slots of a vertex shader
    uint32_t textureSlots = 0;        // pixel shaders
    uint32_t temporaryRegisters = 0;  // r0 .. r(N-1)
    uint32_t dependentReadLevels = 0; // reads in one dependent chain

    // Shader model 3 lifts the limits that the earlier models impose on
    // sampling, derivatives and loops.
    bool ShaderModel3() const { return major >= 3; }
};

// vs_1_1, vs_2_0, vs_3_0, ps_2_0 and ps_3_0; false for any other name. The
// ps_1_x models are refused: their texture addressing has no counterpart here.
bool ParseProfile(const char* name, ShaderProfile& profile);
} // namespace d3dx9
