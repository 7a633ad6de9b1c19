// What a compiled shader would cost in shader model 2's instruction slots
// and registers, counted on the legalised SPIR-V, and the checks that refuse
// a shader that Direct3D's own compiler would refuse for its profile.
#pragma once

#include "d3d9/shader_blob.h"
#include "d3dx9/diagnostics.h"
#include "d3dx9/hlsl_checks.h"
#include "d3dx9/hlsl_profile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace d3dx9
{
struct ShaderCost
{
    uint32_t arithmetic = 0;  // arithmetic, move and flow-control instruction slots
    uint32_t texture = 0;     // texld and texkill slots (pixel shaders)
    uint32_t readLevels = 0;  // texture reads in the longest dependent chain; 0 without reads
    uint32_t temporaries = 0; // r# registers that any schedule of the code needs at least
    bool estimated = false;   // a loop whose trip count was not known was counted once
};

// Each operation costs the slots that shader model 2 spends on it (sincos 8,
// pow 3, nrm 3, a division rcp + mul, a matrix product one dp4 or mad per
// row), after what Direct3D's compiler always does: multiplies folded into
// adds, saturation folded into the instruction, loops with a known count
// unrolled (in vertex shaders a rep loop is counted when that is shorter),
// constant expressions folded. Both sides of a branch are counted, as the
// flattened code runs both. The spirv must come from glslang's legalisation.
ShaderCost CountShaderCost(const std::vector<uint32_t>& spirv, d3d9::ShaderStage stage);

// Errors, placed at the entry point, for what exceeds the profile's slots,
// registers or dependent-read depth; nothing for shader model 3 profiles,
// whose limits depend on the device.
void CheckShaderLimits(const ShaderCost& cost, const ShaderProfile& profile, const SourcePosition& entryPoint,
                       Diagnostics& out);
} // namespace d3dx9
