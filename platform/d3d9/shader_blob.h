// The "shader code" that CreateVertexShader / CreatePixelShader take on this
// platform: what the HLSL compiler (D3DXCompileShaderFromFileA) produces, and
// all the device needs to link and feed an OpenGL program.
//
// Conventions of the GLSL 330 texts inside:
// - Constants: one `uniform vec4 vs_c[N]` (vertex) or `uniform vec4 ps_c[N]`
//   (pixel) array, register cK being element K; N = registerCount (omitted
//   when 0). The device uploads its register file with one glUniform4fv.
// - Samplers: `uniform sampler2D s<K>` for sampler register sK; the device
//   sets each one's unit to K.
// - Vertex inputs: `layout(location = L) in vec4 ...` per entry of `inputs`,
//   which names the declaration usage and usage index that feeds location L.
// - Varyings: `vec4 v_<SEMANTIC><index>` (e.g. v_TEXCOORD0, v_COLOR0) on both
//   sides; the vertex stage writes every varying the pixel stage of the
//   program may read (missing ones as (0,0,0,0), COLOR as (1,1,1,1)).
// - Vertex epilogue (already in the text): y mirrored (every target is an
//   FBO shown mirrored at Present), depth mapped from Direct3D's 0..1 to GL's
//   -1..1, then `gl_Position.xy += quorl_PixelOffset * gl_Position.w;` with
//   `uniform vec2 quorl_PixelOffset` set by the device per draw from the
//   bound target's size, so that pixel centres land where Direct3D 9 puts them.
//   PSIZE output goes to gl_PointSize.
// - Pixel output: `layout(location = 0) out vec4` from COLOR0.
// - spriteGlsl: pixel shaders only, the same shader with its TEXCOORD0 input
//   taken from gl_PointCoord (for draws with D3DRS_POINTSPRITEENABLE on);
//   empty for vertex shaders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace d3d9
{
enum class ShaderStage : uint32_t
{
    Vertex = 0,
    Pixel = 1,
};

struct ShaderInput
{
    uint32_t usage; // D3DDECLUSAGE_*
    uint32_t usageIndex;
    uint32_t location; // GLSL attribute location
};

struct ShaderBlob
{
    ShaderStage stage = ShaderStage::Vertex;
    std::string profile; // "vs_2_0", "ps_2_0", ...
    std::string glsl;
    std::string spriteGlsl;
    uint32_t registerCount = 0;     // float4 constant registers the shader reads (highest + 1)
    std::vector<uint32_t> samplers; // sampler registers used
    std::vector<ShaderInput> inputs;
};

// Self-describing byte form: a header with a magic number, the total length
// and a version, then the fields above. Parse fails on anything else.
std::vector<uint8_t> SerializeShaderBlob(const ShaderBlob& blob);
bool ParseShaderBlob(const void* data, size_t size, ShaderBlob& blob);

// The length a blob declares in its header, for callers that get only a
// pointer (CreateVertexShader); 0 when data does not start like a blob.
size_t ShaderBlobLength(const void* data);
} // namespace d3d9
