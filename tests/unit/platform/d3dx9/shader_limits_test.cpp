// Shader model 2 slot counts of small shaders whose cost Direct3D's compiler
// makes plain, and the limits that refuse a shader for its profile.
#include "d3dx9/hlsl_compiler.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
using d3dx9::ShaderCost;

struct CostCase
{
    const char* what;
    const char* profile;
    std::string source;
    uint32_t arithmetic;
    uint32_t texture;
    uint32_t readLevels;
    const char* error; // part of the error text; null: compiles
};

void PrintTo(const CostCase& c, std::ostream* out)
{
    *out << c.what;
}

// One texture read of sampler s(i) at uv, into t(i).
std::string Reads(int count, const char* coordinate)
{
    std::string code;
    for (int i = 0; i < count; ++i)
        code += "    float4 t" + std::to_string(i) + " = tex2D(s" + std::to_string(i) + ", " + coordinate + ");\n";
    return code;
}

std::string Samplers(int count)
{
    std::string code;
    for (int i = 0; i < count; ++i)
        code += "sampler2D s" + std::to_string(i) + " : register(s" + std::to_string(i) + ");\n";
    return code;
}

// reads texture reads, each at the coordinate that the one before gave.
std::string Chain(int reads)
{
    std::string code = "sampler2D s : register(s0);\n"
                       "float4 MainPS(float2 uv : TEXCOORD0) : COLOR\n{\n    float4 c = tex2D(s, uv);\n";
    for (int i = 1; i < reads; ++i)
        code += "    c = tex2D(s, c.xy);\n";
    return code + "    return c;\n}\n";
}

// count independent reads, all held until their sum is known.
std::string HeldReads(int count)
{
    std::string code = Samplers(count) + "float4 MainPS(float2 uv : TEXCOORD0) : COLOR\n{\n" + Reads(count, "uv") +
                       "    float4 sum = t0";
    for (int i = 1; i < count; ++i)
        code += " + t" + std::to_string(i);
    code += ";\n    return t0 * sum.x";
    for (int i = 1; i < count; ++i)
        code += " + t" + std::to_string(i) + " * sum." + "xyzw"[i % 4];
    return code + ";\n}\n";
}

// count reads of sixteen samplers at eight interpolated coordinates, summed.
std::string SummedReads(int count)
{
    std::string code = Samplers(16) + "float4 MainPS(";
    for (int i = 0; i < 8; ++i)
        code += std::string(i ? ", " : "") + "float2 u" + std::to_string(i) + " : TEXCOORD" + std::to_string(i);
    code += ") : COLOR\n{\n    float4 r = tex2D(s0, u0);\n";
    for (int i = 1; i < count; ++i)
        code += "    r += tex2D(s" + std::to_string(i % 16) + ", u" + std::to_string(i / 16) + ");\n";
    return code + "    return r;\n}\n";
}

std::string Squares(int count)
{
    return "float4 MainPS(float4 a : TEXCOORD0) : COLOR\n{\n    float4 r = a;\n    for (int i = 0; i < " +
           std::to_string(count) + "; i++)\n        r = r * r;\n    return r;\n}\n";
}

const char* const kPixelInputs = "float4 MainPS(float4 a : TEXCOORD0, float4 b : TEXCOORD1) : COLOR\n";

bool Compile(const std::string& source, const char* profile, ShaderCost& cost, std::string& text)
{
    d3dx9::HlslRequest request;
    request.source = source;
    request.file = "shader.fx";
    request.entryPoint = profile[0] == 'v' ? "MainVS" : "MainPS";
    if (!d3dx9::ParseProfile(profile, request.profile))
        return false;
    d3d9::ShaderBlob blob;
    d3dx9::Diagnostics messages;
    const bool compiled = d3dx9::CompileHlsl(request, blob, messages, &cost);
    text = d3dx9::FormatDiagnostics(messages);
    return compiled;
}

class ShaderCostTable : public ::testing::TestWithParam<CostCase>
{
};

TEST_P(ShaderCostTable, CountsSlotsAndRefusesPastTheProfile)
{
    const CostCase& c = GetParam();
    ShaderCost cost;
    std::string text;
    const bool compiled = Compile(c.source, c.profile, cost, text);
    EXPECT_EQ(cost.arithmetic, c.arithmetic) << text;
    EXPECT_EQ(cost.texture, c.texture);
    EXPECT_EQ(cost.readLevels, c.readLevels);
    if (!c.error)
    {
        EXPECT_TRUE(compiled) << text;
        return;
    }
    EXPECT_FALSE(compiled);
    // At the entry point, as the Windows compiler places it.
    EXPECT_NE(text.find(std::string(": error: ") + c.error), std::string::npos) << text;
    EXPECT_EQ(text.compare(0, 10, "shader.fx("), 0) << text;
}

// Counts as Direct3D's compiler gives them: every pixel shader ends with a
// mov to oC0, a vertex shader writes its outputs from its last instructions.
INSTANTIATE_TEST_SUITE_P(
    ShaderLimits, ShaderCostTable,
    ::testing::Values(
        CostCase{"Add", "ps_2_0", std::string(kPixelInputs) + "{ return a + b; }", 2, 0, 0, nullptr},
        CostCase{"TextureRead", "ps_2_0",
                 Samplers(1) + "float4 MainPS(float2 uv : TEXCOORD0) : COLOR\n{\n" + Reads(1, "uv") +
                     "    return t0;\n}\n",
                 1, 1, 1, nullptr},
        CostCase{"SineIsOneSincos", "ps_2_0", std::string(kPixelInputs) + "{ return sin(a.x) + cos(a.x); }", 10, 0, 0,
                 nullptr},
        CostCase{
            "RepeatedReadIsOneTexld", "ps_2_0",
            "sampler2D s : register(s0);\n"
            "float4 MainPS(float2 uv : TEXCOORD0) : COLOR { return tex2D(s, uv) * tex2D(s, uv) + tex2D(s, uv).x; }\n",
            2, 1, 1, nullptr},
        CostCase{"SquareIsAMultiply", "ps_2_0", std::string(kPixelInputs) + "{ return pow(a, 2.0); }", 2, 0, 0,
                 nullptr},
        CostCase{"Normalize", "ps_2_0", std::string(kPixelInputs) + "{ return normalize(a); }", 4, 0, 0, nullptr},
        CostCase{"DivideIsRcpAndMul", "ps_2_0", std::string(kPixelInputs) + "{ return a / b.x; }", 3, 0, 0, nullptr},
        CostCase{"MultiplyAddIsMad", "ps_2_0", std::string(kPixelInputs) + "{ return a * b + b; }", 2, 0, 0, nullptr},
        CostCase{"PowerPerComponent", "ps_2_0", std::string(kPixelInputs) + "{ return pow(a.xy, b.xy).xyxy; }", 7, 0, 0,
                 nullptr},
        CostCase{"LerpAndSaturate", "ps_2_0", std::string(kPixelInputs) + "{ return saturate(lerp(a, b, b.w)); }", 3, 0,
                 0, nullptr},
        CostCase{
            "ClipIsATexkill", "ps_2_0",
            "sampler2D s : register(s0);\n"
            "float4 MainPS(float2 uv : TEXCOORD0) : COLOR { float4 c = tex2D(s, uv); clip(c.a - 0.5); return c; }\n",
            3, 2, 1, nullptr},
        CostCase{"BothSidesOfABranch", "ps_2_0",
                 "float4 k : register(c0);\n" + std::string(kPixelInputs) +
                     "{ float4 r; if (a.x > k.x) r = a * k; else r = a + k; return r; }",
                 5, 0, 0, nullptr},
        CostCase{"PassedThroughInputsAreMoves", "vs_2_0",
                 "struct O { float4 p : POSITION; float4 c : COLOR0; float2 t : TEXCOORD0; };\n"
                 "O MainVS(float4 p : POSITION, float4 c : COLOR0, float2 t : TEXCOORD0)\n"
                 "{ O o; o.p = p; o.c = c; o.t = t; return o; }\n",
                 3, 0, 0, nullptr},
        CostCase{"MatrixProductIsFourDp4", "vs_2_0",
                 "float4x4 m : register(c0);\n"
                 "float4 MainVS(float4 p : POSITION) : POSITION { return mul(p, m); }\n",
                 4, 0, 0, nullptr},
        CostCase{"SelectIsCmp", "ps_2_0", std::string(kPixelInputs) + "{ return a.x > b.x ? a : b; }", 3, 0, 0,
                 nullptr},
        CostCase{"FourDependentReads", "ps_2_0", Chain(4), 1, 4, 4, nullptr},
        CostCase{"FiveDependentReads", "ps_2_0", Chain(5), 1, 5, 5, "texture reads depend on each other 5 levels"},
        CostCase{"ComputedCoordinateIsALevel", "ps_2_0",
                 "sampler2D s : register(s0);\n"
                 "float4 MainPS(float2 uv : TEXCOORD0) : COLOR { return tex2D(s, uv * 2); }\n",
                 2, 1, 2, nullptr},
        CostCase{"UnrolledLoopFillsTheSlots", "ps_2_0", Squares(63), 64, 0, 0, nullptr},
        CostCase{"UnrolledLoopPastTheSlots", "ps_2_0", Squares(64), 65, 0, 0,
                 "compiled shader code uses too many arithmetic instruction slots (65); ps_2_0 allows 64"},
        CostCase{"ThirtyTwoReads", "ps_2_0", SummedReads(32), 32, 32, 1, nullptr},
        CostCase{"ThirtyThreeReads", "ps_2_0", SummedReads(33), 33, 33, 1,
                 "compiled shader code uses too many texture instruction slots (33); ps_2_0 allows 32"},
        CostCase{"ElevenHeldReads", "ps_2_0", HeldReads(11), 22, 11, 1, nullptr},
        CostCase{"ThirteenHeldReads", "ps_2_0", HeldReads(13), 26, 13, 1,
                 "compiled shader code needs at least 14 temporary registers; ps_2_0 has 12 (r0-r11)"}),
    [](const ::testing::TestParamInfo<CostCase>& info) { return std::string(info.param.what); });
// A vertex shader keeps a long loop as rep ... endrep: the body counts once.
TEST(ShaderLimits, VertexLoopCountsOnceAsRep)
{
    ShaderCost cost;
    std::string text;
    EXPECT_TRUE(
        Compile("float4 MainVS(float4 p : POSITION) : POSITION\n"
                "{\n    float4 r = p;\n    for (int i = 0; i < 200; i++)\n        r = r * r;\n    return r;\n}\n",
                "vs_2_0", cost, text))
        << text;
    EXPECT_GE(cost.arithmetic, 6u) << "the body, rep and endrep";
    EXPECT_LT(cost.arithmetic, 16u);
}

// Shader model 3 profiles are not held to shader model 2's limits.
TEST(ShaderLimits, ShaderModel3IsNotLimited)
{
    ShaderCost cost;
    std::string text;
    EXPECT_TRUE(Compile(Squares(100), "ps_3_0", cost, text)) << text;
    EXPECT_EQ(cost.arithmetic, 101u);
}
} // namespace
