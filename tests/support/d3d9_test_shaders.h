// Shader blobs from hand-written GLSL that follows the blob conventions, for
// tests of the Direct3D layer that must not depend on the HLSL compiler.
#pragma once

#include "d3d9/shader_blob.h"

#include <d3d9.h>

#include <string>
#include <vector>

namespace d3d9test
{
struct VertexInput
{
    uint32_t usage; // D3DDECLUSAGE_*
    uint32_t usageIndex;
};

// Input n arrives as `in_n` (vec4). The body sets `pos` (Direct3D clip
// space) and may set v_TEXCOORD0, v_COLOR0 and gl_PointSize; it may read
// vs_c[0 .. registers-1].
std::vector<uint8_t> VertexBlob(const std::vector<VertexInput>& inputs, uint32_t registers, const std::string& body);

// The body reads v_TEXCOORD0, v_COLOR0, ps_c[] and samplers s<K>, and sets
// `color`. The blob carries the point-sprite variant.
std::vector<uint8_t> PixelBlob(const std::vector<uint32_t>& samplers, uint32_t registers, const std::string& body);

// Shaders made on a device from such blobs; null on failure.
IDirect3DVertexShader9* MakeVertexShader(IDirect3DDevice9* device, const std::vector<VertexInput>& inputs,
                                         uint32_t registers, const std::string& body);
IDirect3DPixelShader9* MakePixelShader(IDirect3DDevice9* device, const std::vector<uint32_t>& samplers,
                                       uint32_t registers, const std::string& body);
} // namespace d3d9test
