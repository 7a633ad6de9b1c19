#include "support/d3d9_test_shaders.h"

namespace d3d9test
{
namespace
{
std::string Constants(const char* name, uint32_t registers)
{
    return registers ? "uniform vec4 " + std::string(name) + "[" + std::to_string(registers) + "];\n" : "";
}

std::string PixelText(const std::vector<uint32_t>& samplers, uint32_t registers, const std::string& body, bool sprite)
{
    std::string text = "#version 330\n" + Constants("ps_c", registers);
    for (uint32_t sampler : samplers)
        text += "uniform sampler2D s" + std::to_string(sampler) + ";\n";
    text += sprite ? "vec4 v_TEXCOORD0;\n" : "in vec4 v_TEXCOORD0;\n";
    text += "in vec4 v_COLOR0;\n"
            "layout(location = 0) out vec4 out_COLOR0;\n"
            "void main()\n"
            "{\n";
    if (sprite)
        text += "    v_TEXCOORD0 = vec4(gl_PointCoord, 0.0, 0.0);\n";
    text += "    vec4 color = vec4(0.0);\n" + body +
            "\n"
            "    out_COLOR0 = color;\n"
            "}\n";
    return text;
}
} // namespace

std::vector<uint8_t> VertexBlob(const std::vector<VertexInput>& inputs, uint32_t registers, const std::string& body)
{
    d3d9::ShaderBlob blob;
    blob.stage = d3d9::ShaderStage::Vertex;
    blob.profile = "vs_2_0";
    blob.registerCount = registers;
    std::string text = "#version 330\n" + Constants("vs_c", registers) + "uniform vec2 quorl_PixelOffset;\n";
    for (size_t i = 0; i < inputs.size(); ++i)
    {
        text += "layout(location = " + std::to_string(i) + ") in vec4 in_" + std::to_string(i) + ";\n";
        blob.inputs.push_back({inputs[i].usage, inputs[i].usageIndex, static_cast<uint32_t>(i)});
    }
    text += "out vec4 v_TEXCOORD0;\n"
            "out vec4 v_COLOR0;\n"
            "void main()\n"
            "{\n"
            "    vec4 pos = vec4(0.0, 0.0, 0.0, 1.0);\n"
            "    v_TEXCOORD0 = vec4(0.0);\n"
            "    v_COLOR0 = vec4(1.0);\n" +
            body +
            "\n"
            "    gl_Position = pos;\n"
            "    gl_Position.y = -gl_Position.y;\n"
            "    gl_Position.z = gl_Position.z * 2.0 - gl_Position.w;\n"
            "    gl_Position.xy += quorl_PixelOffset * gl_Position.w;\n"
            "}\n";
    blob.glsl = text;
    return d3d9::SerializeShaderBlob(blob);
}

std::vector<uint8_t> PixelBlob(const std::vector<uint32_t>& samplers, uint32_t registers, const std::string& body)
{
    d3d9::ShaderBlob blob;
    blob.stage = d3d9::ShaderStage::Pixel;
    blob.profile = "ps_2_0";
    blob.registerCount = registers;
    blob.samplers = samplers;
    blob.glsl = PixelText(samplers, registers, body, false);
    blob.spriteGlsl = PixelText(samplers, registers, body, true);
    return d3d9::SerializeShaderBlob(blob);
}

IDirect3DVertexShader9* MakeVertexShader(IDirect3DDevice9* device, const std::vector<VertexInput>& inputs,
                                         uint32_t registers, const std::string& body)
{
    const std::vector<uint8_t> blob = VertexBlob(inputs, registers, body);
    IDirect3DVertexShader9* shader = nullptr;
    if (FAILED(device->CreateVertexShader(reinterpret_cast<const DWORD*>(blob.data()), &shader)))
        return nullptr;
    return shader;
}

IDirect3DPixelShader9* MakePixelShader(IDirect3DDevice9* device, const std::vector<uint32_t>& samplers,
                                       uint32_t registers, const std::string& body)
{
    const std::vector<uint8_t> blob = PixelBlob(samplers, registers, body);
    IDirect3DPixelShader9* shader = nullptr;
    if (FAILED(device->CreatePixelShader(reinterpret_cast<const DWORD*>(blob.data()), &shader)))
        return nullptr;
    return shader;
}
} // namespace d3d9test
