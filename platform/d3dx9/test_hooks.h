// Entry points for tests only: the product never calls them.
#pragma once

// Compiles HLSL in this process instead of the helper (on by default). For
// fuzzing the compiler with coverage of what follows glslang's parse, and for
// callers whose shaders are known not to crash glslang.
void D3DXTest_CompileInHelper(bool inHelper);
