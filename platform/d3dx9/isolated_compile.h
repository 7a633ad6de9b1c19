// The HLSL compile in the helper process: glslang's HLSL front end crashes on
// some malformed sources, where Direct3D's compiler reports an error. A
// compile that does not come back is an error here. #include files are read
// by this process, which has the caller's handler and working directory.
#pragma once

#include "d3dx9/hlsl_compiler.h"

namespace d3dx9
{
bool CompileHlslIsolated(const HlslRequest& request, d3d9::ShaderBlob& blob, Diagnostics& messages);
} // namespace d3dx9
