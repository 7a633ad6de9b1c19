// Legalised SPIR-V from the HLSL front end to the GLSL 330 text of a shader
// blob, following the conventions of d3d9/shader_blob.h.
#pragma once

#include "d3d9/shader_blob.h"
#include "d3dx9/diagnostics.h"
#include "d3dx9/hlsl_checks.h"
#include "d3dx9/hlsl_profile.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace d3dx9
{
struct GlslSource
{
    std::vector<uint32_t> spirv;
    ShaderProfile profile;
    std::string file;                                // for messages without a position
    std::map<std::string, SourcePosition> constants; // declarations, for register messages
};

// Fills blob (stage, profile, texts, registers, samplers, inputs); false with
// errors for what the profile or the layer does not provide.
bool WriteGlsl(const GlslSource& source, d3d9::ShaderBlob& blob, Diagnostics& errors);
} // namespace d3dx9
