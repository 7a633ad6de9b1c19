// HLSL source to a shader blob: glslang's HLSL front end, the profile checks,
// SPIR-V with HLSL legalisation, then GLSL 330 through SPIRV-Cross.
#pragma once

#include "d3d9/shader_blob.h"
#include "d3dx9/diagnostics.h"
#include "d3dx9/hlsl_profile.h"
#include "d3dx9/shader_limits.h"

#include <glslang/Public/ShaderLang.h>

#include <string>

namespace d3dx9
{
struct HlslRequest
{
    std::string source;
    std::string file;       // the name that messages and relative includes use
    std::string entryPoint; // e.g. "MainVS"
    ShaderProfile profile;
    std::string preamble; // #define lines and pragmas that go before the source
    glslang::TShader::Includer* includer = nullptr;
};

// False with at least one error in messages; warnings may come either way.
// cost, when given, receives the shader model 2 cost of the code once it is
// counted, also when it is too much for the profile.
bool CompileHlsl(const HlslRequest& request, d3d9::ShaderBlob& blob, Diagnostics& messages, ShaderCost* cost = nullptr);

// glslang builds its built-in tables on the first compile of each stage in a
// process, the largest cost of a compile: this builds them once, in advance.
void WarmUpHlsl();
} // namespace d3dx9
