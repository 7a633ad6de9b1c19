// Entry points for tests only: the product never calls them.
#pragma once

// Compiles HLSL in this process instead of a child (on by default). For
// callers whose shaders are known not to crash glslang, such as fuzzing the
// script with the shipped shaders, where a child per compile costs most.
void D3DXTest_CompileInChild(bool inChild);
