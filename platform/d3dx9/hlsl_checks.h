// Checks on glslang's syntax tree for what a profile does not offer:
// glslang itself accepts shader-model-3 features in any profile.
#pragma once

#include "d3dx9/diagnostics.h"
#include "d3dx9/hlsl_profile.h"

#include <map>
#include <string>

namespace glslang
{
class TIntermediate;
}

namespace d3dx9
{
// For a shader model 2 (or 1) profile, in the functions that the entry point
// reaches: explicit-LOD and gradient sampling, derivatives, and loops whose
// exit depends on a constant, a texture or a shader input (they could not be
// unrolled).
void CheckProfileFeatures(const glslang::TIntermediate& ast, const ShaderProfile& profile,
                          const std::string& defaultFile, Diagnostics& out);

// Where each global constant is declared, by name, for messages that the
// later stages give about registers.
struct SourcePosition
{
    std::string file;
    int line = 0;
    int column = 0;
};
std::map<std::string, SourcePosition> GlobalConstantPositions(const glslang::TIntermediate& ast,
                                                              const std::string& defaultFile);

// Where the entry point is defined, for messages about the whole shader; the
// file alone when it cannot be found.
SourcePosition EntryPointPosition(const glslang::TIntermediate& ast, const std::string& defaultFile);
} // namespace d3dx9
