// A check of the global declarations in preprocessed HLSL that glslang 12
// does not survive: a constant declared under the name of an earlier
// sampler, texture or structure crashes its parser, where Direct3D's
// compiler reports a redefinition.
#pragma once

#include <string>

namespace d3dx9
{
struct Redefinition
{
    std::string name; // empty: none found
    int line = 0;     // in the preprocessed text, from 1
    int column = 0;   // from 1
};

Redefinition FindGlobalRedefinition(const std::string& preprocessed);
} // namespace d3dx9
