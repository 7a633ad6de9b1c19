#include <d3dx9.h>

#include "d3d9/shader_blob.h"
#include "d3dx9/helper.h"
#include "support/temp_dir.h"

#include <SDL.h>
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace
{
struct Result
{
    HRESULT hr = E_FAIL;
    bool hasCode = false;
    d3d9::ShaderBlob blob;
    std::string errors;
};

Result CompileFile(const std::string& path, const char* entry, const char* profile, DWORD flags = 0,
                   const D3DXMACRO* defines = nullptr)
{
    Result result;
    LPD3DXBUFFER code = nullptr, errors = nullptr;
    result.hr =
        D3DXCompileShaderFromFileA(path.c_str(), defines, nullptr, entry, profile, flags, &code, &errors, nullptr);
    if (errors)
    {
        const char* text = static_cast<const char*>(errors->GetBufferPointer());
        EXPECT_EQ(errors->GetBufferSize(), std::char_traits<char>::length(text) + 1) << "NUL-terminated";
        result.errors = text;
        errors->Release();
    }
    if (code)
    {
        result.hasCode = true;
        EXPECT_TRUE(d3d9::ParseShaderBlob(code->GetBufferPointer(), code->GetBufferSize(), result.blob));
        EXPECT_EQ(d3d9::ShaderBlobLength(code->GetBufferPointer()), code->GetBufferSize());
        code->Release();
    }
    return result;
}

class HlslCompiler : public ::testing::Test
{
protected:
    Result Compile(const std::string& source, const char* entry, const char* profile)
    {
        std::string name = std::string(profile).compare(0, 2, "vs") == 0 ? "shader.vsh" : "shader.psh";
        m_Dir.Write(name, source);
        return CompileFile((m_Dir.Path() / name).string(), entry, profile);
    }

    TempDir m_Dir;
};

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

const char* const kVertexShader = R"(
float4x4 m : register(c0);
float4 tint : register(c4);
struct VS_OUT
{
    float4 pos : POSITION;
    float4 col : COLOR0;
    float2 uv : TEXCOORD0;
    float size : PSIZE;
};
VS_OUT MainVS(float3 p : POSITION, float4 c : COLOR, float2 uv : TEXCOORD0, float s : PSIZE)
{
    VS_OUT o;
    o.pos = mul(float4(p, 1), m);
    o.col = c * tint;
    o.uv = uv;
    o.size = s;
    return o;
}
)";

const char* const kPixelShader = R"(
sampler2D tex : register(s0);
float4 c : register(c2);
float4 MainPS(float2 uv : TEXCOORD0, float4 col : COLOR0) : COLOR
{
    return tex2D(tex, uv) * c * col;
}
)";

TEST_F(HlslCompiler, VertexShaderBlobFollowsTheConventions)
{
    Result r = Compile(kVertexShader, "MainVS", "vs_2_0");
    ASSERT_EQ(r.hr, S_OK) << r.errors;
    ASSERT_TRUE(r.hasCode);
    const d3d9::ShaderBlob& blob = r.blob;
    EXPECT_EQ(blob.stage, d3d9::ShaderStage::Vertex);
    EXPECT_EQ(blob.profile, "vs_2_0");
    EXPECT_EQ(blob.registerCount, 5u);
    EXPECT_TRUE(blob.samplers.empty());
    EXPECT_TRUE(blob.spriteGlsl.empty());

    ASSERT_EQ(blob.inputs.size(), 4u);
    auto find = [&](uint32_t usage)
    {
        return std::find_if(blob.inputs.begin(), blob.inputs.end(),
                            [&](const d3d9::ShaderInput& in) { return in.usage == usage && in.usageIndex == 0; });
    };
    for (uint32_t usage : {D3DDECLUSAGE_POSITION, D3DDECLUSAGE_COLOR, D3DDECLUSAGE_TEXCOORD, D3DDECLUSAGE_PSIZE})
    {
        auto input = find(usage);
        ASSERT_NE(input, blob.inputs.end()) << "usage " << usage;
        EXPECT_TRUE(Contains(blob.glsl, "layout(location = " + std::to_string(input->location) + ") in vec4 "));
    }

    const std::string& glsl = blob.glsl;
    EXPECT_TRUE(Contains(glsl, "#version 330"));
    EXPECT_TRUE(Contains(glsl, "uniform vec4 vs_c[5];"));
    EXPECT_TRUE(Contains(glsl, "vs_c[4]"));
    EXPECT_TRUE(Contains(glsl, "uniform vec2 quorl_PixelOffset;"));
    EXPECT_TRUE(Contains(glsl, "gl_PointSize = "));
    EXPECT_TRUE(Contains(glsl, "gl_Position.y = -gl_Position.y;"));
    EXPECT_TRUE(Contains(glsl, "gl_Position.xy += quorl_PixelOffset * gl_Position.w;"));
    // Every varying a pixel shader may read, written even when the shader does not.
    for (const char* varying : {"v_COLOR0", "v_COLOR1", "v_TEXCOORD0", "v_TEXCOORD7"})
        EXPECT_TRUE(Contains(glsl, std::string("out vec4 ") + varying + ";")) << varying;
    EXPECT_TRUE(Contains(glsl, "v_COLOR1 = vec4(1.0);"));
    EXPECT_TRUE(Contains(glsl, "v_TEXCOORD1 = vec4(0.0);"));
    EXPECT_FALSE(Contains(glsl, "#extension")) << "plain GLSL 330";
    EXPECT_FALSE(Contains(glsl, "binding"));
}

TEST_F(HlslCompiler, PixelShaderHasSamplersByRegisterAndASpriteVariant)
{
    Result r = Compile(kPixelShader, "MainPS", "ps_2_0");
    ASSERT_EQ(r.hr, S_OK) << r.errors;
    const d3d9::ShaderBlob& blob = r.blob;
    EXPECT_EQ(blob.stage, d3d9::ShaderStage::Pixel);
    EXPECT_EQ(blob.registerCount, 3u);
    EXPECT_EQ(blob.samplers, std::vector<uint32_t>{0});
    EXPECT_TRUE(blob.inputs.empty());
    EXPECT_TRUE(Contains(blob.glsl, "uniform vec4 ps_c[3];"));
    EXPECT_TRUE(Contains(blob.glsl, "uniform sampler2D s0;"));
    EXPECT_TRUE(Contains(blob.glsl, "in vec4 v_TEXCOORD0;"));
    EXPECT_TRUE(Contains(blob.glsl, "in vec4 v_COLOR0;"));
    EXPECT_TRUE(Contains(blob.glsl, "layout(location = 0) out vec4 "));
    EXPECT_FALSE(Contains(blob.glsl, "gl_PointCoord"));

    EXPECT_TRUE(Contains(blob.spriteGlsl, "gl_PointCoord"));
    EXPECT_FALSE(Contains(blob.spriteGlsl, "in vec4 v_TEXCOORD0;"));
    EXPECT_TRUE(Contains(blob.spriteGlsl, "in vec4 v_COLOR0;"));
}

TEST_F(HlslCompiler, SamplersWithoutRegisterTakeFreeUnitsAndSourceNamesCannotCollide)
{
    Result r = Compile(R"(
sampler2D a : register(s1);
sampler2D b;
samplerCUBE sky : register(s3);
float4 MainPS(float2 uv : TEXCOORD0) : COLOR
{
    float4 s0 = tex2D(a, uv);
    float4 vs_c = tex2D(b, uv);
    return s0 + vs_c + texCUBE(sky, uv.xyy);
}
)",
                       "MainPS", "ps_2_0");
    ASSERT_EQ(r.hr, S_OK) << r.errors;
    EXPECT_EQ(r.blob.samplers, (std::vector<uint32_t>{0, 1, 3}));
    EXPECT_TRUE(Contains(r.blob.glsl, "uniform sampler2D s1;"));
    EXPECT_TRUE(Contains(r.blob.glsl, "uniform sampler2D s0;"));
    EXPECT_TRUE(Contains(r.blob.glsl, "uniform samplerCube s3;"));
    EXPECT_FALSE(Contains(r.blob.glsl, "vec4 s0 ="));
    EXPECT_FALSE(Contains(r.blob.glsl, "vec4 vs_c"));
}

// Includes are read by the calling process, in its working directory of the
// moment, though the compile runs in a helper started before it changed.
TEST_F(HlslCompiler, WindowsPathsIncludesAndDefines)
{
    m_Dir.Write("shaders/common.h", "float4x4 m : register(c0);\n");
    m_Dir.Write("shaders/t.vsh", "#include \"common.h\"\n"
                                 "float4 MainVS(float4 p : POSITION) : POSITION { return mul(p, m) * SCALE; }\n");
    d3dx9::StartHelper();
    ScopedCurrentDir current(m_Dir.Path());
    D3DXMACRO defines[] = {{"SCALE", "2.0"}, {nullptr, nullptr}};
    Result r = CompileFile("shaders\\t.vsh", "MainVS", "vs_2_0", 0, defines);
    ASSERT_EQ(r.hr, S_OK) << r.errors;
    EXPECT_EQ(r.blob.registerCount, 4u);
    EXPECT_TRUE(Contains(r.blob.glsl, "2.0"));
}

// Files from memory; each Open records the name and the parent data it got.
class MemoryIncludes : public ID3DXInclude
{
public:
    std::map<std::string, std::string> files;
    std::vector<std::pair<std::string, LPCVOID>> opened;
    std::vector<LPCVOID> closed;

    HRESULT STDMETHODCALLTYPE Open(D3DXINCLUDE_TYPE, LPCSTR name, LPCVOID parent, LPCVOID* data, UINT* bytes) override
    {
        auto file = files.find(name);
        if (file == files.end())
            return E_FAIL;
        opened.emplace_back(name, parent);
        *data = file->second.data();
        *bytes = static_cast<UINT>(file->second.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Close(LPCVOID data) override
    {
        closed.push_back(data);
        return S_OK;
    }
};

TEST_F(HlslCompiler, IncludeHandlerGivesNestedFilesWithTheirParentsData)
{
    MemoryIncludes handler;
    handler.files["outer.h"] = "#include \"inner.h\"\n";
    handler.files["inner.h"] = "float4x4 m : register(c0);\n";
    m_Dir.Write("t.vsh", "#include \"outer.h\"\n"
                         "float4 MainVS(float4 p : POSITION) : POSITION { return mul(p, m); }\n");
    LPD3DXBUFFER code = nullptr;
    const HRESULT hr = D3DXCompileShaderFromFileA((m_Dir.Path() / "t.vsh").c_str(), nullptr, &handler, "MainVS",
                                                  "vs_2_0", 0, &code, nullptr, nullptr);
    ASSERT_EQ(hr, S_OK);
    code->Release();
    ASSERT_FALSE(handler.opened.empty());
    EXPECT_EQ(handler.opened[0], std::make_pair(std::string("outer.h"), LPCVOID(nullptr)));
    const std::pair<std::string, LPCVOID> inner("inner.h", handler.files["outer.h"].data());
    EXPECT_NE(std::find(handler.opened.begin(), handler.opened.end(), inner), handler.opened.end());
    EXPECT_EQ(handler.closed.size(), handler.opened.size()) << "every file given is closed again";
}

TEST_F(HlslCompiler, RowMajorPackingFlagTurnsTheProduct)
{
    m_Dir.Write("t.vsh", "float4x4 m : register(c0);\n"
                         "float4 MainVS(float4 p : POSITION) : POSITION { return mul(p, m); }\n");
    std::string path = (m_Dir.Path() / "t.vsh").string();
    Result columns = CompileFile(path, "MainVS", "vs_2_0");
    Result rows = CompileFile(path, "MainVS", "vs_2_0", D3DXSHADER_PACKMATRIX_ROWMAJOR);
    ASSERT_EQ(columns.hr, S_OK) << columns.errors;
    ASSERT_EQ(rows.hr, S_OK) << rows.errors;
    EXPECT_TRUE(Contains(columns.blob.glsl, "quorl_in_POSITION0 * mat4("));
    EXPECT_TRUE(Contains(rows.blob.glsl, ") * quorl_in_POSITION0"));
}

TEST_F(HlslCompiler, MissingEntryPointIsAnErrorNamingIt)
{
    Result r = Compile(kPixelShader, "MainVS", "vs_2_0");
    EXPECT_LT(r.hr, 0);
    EXPECT_FALSE(r.hasCode);
    EXPECT_TRUE(Contains(r.errors, "'MainVS'")) << r.errors;
    EXPECT_TRUE(Contains(r.errors, "shader.vsh: error: ")) << r.errors;
}

TEST_F(HlslCompiler, SyntaxErrorNamesFileAndLine)
{
    Result r =
        Compile("float4 c : register(c2);\n\nfloat4 MainPS() : COLOR\n{\n    return c * ;\n}\n", "MainPS", "ps_2_0");
    EXPECT_LT(r.hr, 0);
    EXPECT_FALSE(r.hasCode);
    EXPECT_TRUE(Contains(r.errors, "shader.psh(5")) << r.errors;
    EXPECT_TRUE(Contains(r.errors, ": error: ")) << r.errors;
    EXPECT_FALSE(Contains(r.errors, "ERROR:")) << "glslang's own prefix is rewritten";
}

// glslang's parser crashes on this text; the compile runs apart and fails.
TEST_F(HlslCompiler, ASourceThatCrashesTheParserIsAnError)
{
    Result r = Compile("float\noat[l\noat", "MainVS", "vs_2_0");
    EXPECT_LT(r.hr, 0);
    EXPECT_FALSE(r.hasCode);
    EXPECT_TRUE(Contains(r.errors, "the compiler failed on this source")) << r.errors;
}

TEST_F(HlslCompiler, MissingFileFailsWithText)
{
    Result r = CompileFile((m_Dir.Path() / "none.vsh").string(), "MainVS", "vs_2_0");
    EXPECT_EQ(r.hr, D3DXERR_INVALIDDATA);
    EXPECT_TRUE(Contains(r.errors, "none.vsh")) << r.errors;
}

TEST_F(HlslCompiler, ProfilesOutsideTheProvidedSetAreRefused)
{
    for (const char* profile : {"ps_1_4", "vs_4_0", "ps_2_a", ""})
    {
        Result r = Compile(kPixelShader, "MainPS", profile);
        EXPECT_LT(r.hr, 0) << profile;
        EXPECT_TRUE(Contains(r.errors, "profile")) << profile << ": " << r.errors;
    }
    Result wrongStage = Compile(kVertexShader, "MainVS", "ps_2_0");
    EXPECT_LT(wrongStage.hr, 0) << "a vertex shader's outputs are not pixel outputs";
}

TEST_F(HlslCompiler, ConstantTableIsNotProvided)
{
    m_Dir.Write("t.psh", kPixelShader);
    LPD3DXBUFFER code = nullptr, errors = nullptr;
    LPD3DXCONSTANTTABLE table = reinterpret_cast<LPD3DXCONSTANTTABLE>(1);
    HRESULT hr = D3DXCompileShaderFromFileA((m_Dir.Path() / "t.psh").c_str(), nullptr, nullptr, "MainPS", "ps_2_0", 0,
                                            &code, &errors, &table);
    EXPECT_EQ(hr, E_NOTIMPL);
    EXPECT_EQ(code, nullptr);
    EXPECT_EQ(table, nullptr);
    ASSERT_NE(errors, nullptr);
    errors->Release();
}

struct ProfileCase
{
    const char* what;
    const char* profile;
    const char* source;
    const char* message; // part of the error; null: compiles
    int line;
};

void PrintTo(const ProfileCase& c, std::ostream* out)
{
    *out << c.what;
}

class ProfileRules : public HlslCompiler, public ::testing::WithParamInterface<ProfileCase>
{
};

TEST_P(ProfileRules, AcceptOrRejectWithPosition)
{
    const ProfileCase& c = GetParam();
    const char* entry = c.profile[0] == 'v' ? "MainVS" : "MainPS";
    Result r = Compile(c.source, entry, c.profile);
    if (!c.message)
    {
        EXPECT_EQ(r.hr, S_OK) << r.errors;
        return;
    }
    EXPECT_LT(r.hr, 0);
    EXPECT_FALSE(r.hasCode);
    EXPECT_TRUE(Contains(r.errors, c.message)) << r.errors;
    EXPECT_TRUE(Contains(r.errors, "(" + std::to_string(c.line) + ",")) << r.errors;
}

const char* const kLod = "sampler2D t : register(s0);\n"
                         "float4 MainPS(float2 uv : TEXCOORD0) : COLOR\n"
                         "{\n"
                         "    return tex2Dlod(t, float4(uv, 0, 0));\n"
                         "}\n";
const char* const kGrad = "sampler2D t : register(s0);\n"
                          "float4 MainPS(float2 uv : TEXCOORD0) : COLOR\n"
                          "{\n"
                          "    return tex2Dgrad(t, uv, uv, uv);\n"
                          "}\n";
const char* const kDerivative = "float4 MainPS(float2 uv : TEXCOORD0) : COLOR\n"
                                "{\n"
                                "    return ddx(uv).xyxy;\n"
                                "}\n";
const char* const kUniformLoop = "float4 n : register(c0);\n"
                                 "float4 MainPS(float2 uv : TEXCOORD0) : COLOR\n"
                                 "{\n"
                                 "    float4 r = 0;\n"
                                 "    float k = n.x;\n"
                                 "    for (int i = 0; i < k; i++) r += 0.1;\n"
                                 "    return r;\n"
                                 "}\n";
const char* const kInputBreakLoop = "float4 MainPS(float2 uv : TEXCOORD0) : COLOR\n"
                                    "{\n"
                                    "    float4 r = 0;\n"
                                    "    for (int i = 0; i < 8; i++)\n"
                                    "    {\n"
                                    "        if (uv.x * 8 < i) break;\n"
                                    "        r += 0.1;\n"
                                    "    }\n"
                                    "    return r;\n"
                                    "}\n";
const char* const kHelperLoop = "float4 n : register(c0);\n"
                                "float4 Sum(float count)\n"
                                "{\n"
                                "    float4 r = 0;\n"
                                "    for (float i = 0; i < count; i += 1) r += 0.1;\n"
                                "    return r;\n"
                                "}\n"
                                "float4 MainVS(float4 p : POSITION) : POSITION { return p + Sum(n.y); }\n";
const char* const kConstantLoops = "float4 n : register(c0);\n"
                                   "sampler2D t : register(s0);\n"
                                   "float4 Early(float4 v) { if (v.x > 0.5) return v; return v * 2; }\n"
                                   "float4 Unused(float2 uv) { return ddx(uv).xyxy; }\n"
                                   "float4 MainPS(float2 uv : TEXCOORD0) : COLOR\n"
                                   "{\n"
                                   "    float4 r = tex2D(t, uv);\n"
                                   "    if (n.x > 0)\n"
                                   "        for (int i = 0; i < 4; i++) r += n * 0.1;\n"
                                   "    return Early(r);\n"
                                   "}\n";
const char* const kHighConstant = "float4 c : register(c40);\n"
                                  "float4 MainPS() : COLOR { return c; }\n";
const char* const kMatrixOverEnd = "float4x4 m : register(c30);\n"
                                   "float4 MainPS(float4 t : TEXCOORD0) : COLOR { return mul(t, m); }\n";
const char* const kHighSampler = "sampler2D t : register(s16);\n"
                                 "float4 MainPS(float2 uv : TEXCOORD0) : COLOR { return tex2D(t, uv); }\n";
// glslang's parser crashes on these; Windows' compiler reports a redefinition.
const char* const kConstantAfterSampler = "sampler2D t : register(s0);\n"
                                          "#define SAME t\n"
                                          "float4 SAME : register(c0);\n"
                                          "float4 MainPS() : COLOR { return 0; }\n";
const char* const kConstantAfterStruct = "struct S { float4 x; };\n"
                                         "float4 a : register(c0), S;\n"
                                         "float4 MainPS() : COLOR { return a; }\n";
const char* const kDistinctGlobals = "struct S { float4 x; };\n"
                                     "sampler2D t : register(s0);\n"
                                     "float4 a : register(c0), b : register(c1);\n"
                                     "static const float4 k = float4(1, 2, 3, 4);\n"
                                     "float4 Twice(S s) { return s.x * 2; }\n"
                                     "float4 MainPS(float2 uv : TEXCOORD0) : COLOR\n"
                                     "{\n"
                                     "    S s;\n"
                                     "    s.x = tex2D(t, uv);\n"
                                     "    return Twice(s) + a + b + k;\n"
                                     "}\n";
const char* const kIntConstant = "int count : register(c1);\n"
                                 "float4 MainPS() : COLOR { return count; }\n";

INSTANTIATE_TEST_SUITE_P(
    HlslCompiler, ProfileRules,
    ::testing::Values(
        ProfileCase{"Tex2DlodInPs20", "ps_2_0", kLod, "explicit level of detail", 4},
        ProfileCase{"Tex2DgradInPs20", "ps_2_0", kGrad, "gradients", 4},
        ProfileCase{"DdxInPs20", "ps_2_0", kDerivative, "derivatives", 3},
        ProfileCase{"LoopOnConstantInPs20", "ps_2_0", kUniformLoop, "loop cannot be unrolled", 6},
        ProfileCase{"BreakOnInputInPs20", "ps_2_0", kInputBreakLoop, "loop cannot be unrolled", 4},
        ProfileCase{"LoopOnConstantThroughCallInVs20", "vs_2_0", kHelperLoop, "loop cannot be unrolled", 5},
        ProfileCase{"ConstantLoopsAndUnusedFunctionsInPs20", "ps_2_0", kConstantLoops, nullptr, 0},
        ProfileCase{"ConstantBeyondC31InPs20", "ps_2_0", kHighConstant, "beyond the registers", 1},
        ProfileCase{"MatrixCrossingC31InPs20", "ps_2_0", kMatrixOverEnd, "c30-c33", 1},
        ProfileCase{"SamplerBeyondS15", "ps_3_0", kHighSampler, "s16", 2},
        ProfileCase{"IntConstant", "ps_2_0", kIntConstant, "only float constants", 1},
        ProfileCase{"ConstantNamedAfterASampler", "ps_2_0", kConstantAfterSampler, "redefinition of 't'", 3},
        ProfileCase{"ConstantNamedAfterAStruct", "ps_2_0", kConstantAfterStruct, "redefinition of 'S'", 2},
        ProfileCase{"DistinctGlobalNames", "ps_2_0", kDistinctGlobals, nullptr, 0},
        ProfileCase{"Tex2DlodInPs30", "ps_3_0", kLod, nullptr, 0},
        ProfileCase{"DdxInPs30", "ps_3_0", kDerivative, nullptr, 0},
        ProfileCase{"LoopOnConstantInPs30", "ps_3_0", kUniformLoop, nullptr, 0},
        ProfileCase{"ConstantC40InPs30", "ps_3_0", kHighConstant, nullptr, 0}),
    [](const ::testing::TestParamInfo<ProfileCase>& info) { return std::string(info.param.what); });

TEST(D3DXGetDeclVertexSize, EndOfTheFurthestElementOfTheStream)
{
    const D3DVERTEXELEMENT9 decl[] = {{0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
                                      {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
                                      {0, 16, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
                                      {1, 0, D3DDECLTYPE_FLOAT4, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 1},
                                      {1, 16, D3DDECLTYPE_SHORT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 2},
                                      D3DDECL_END()};
    EXPECT_EQ(D3DXGetDeclVertexSize(decl, 0), 24u);
    EXPECT_EQ(D3DXGetDeclVertexSize(decl, 1), 20u);
    EXPECT_EQ(D3DXGetDeclVertexSize(decl, 2), 0u);

    const D3DVERTEXELEMENT9 points[] = {{0, 0, D3DDECLTYPE_FLOAT1, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
                                        {0, 12, D3DDECLTYPE_FLOAT1, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_PSIZE, 0},
                                        {0, 4, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 1},
                                        D3DDECL_END()};
    EXPECT_EQ(D3DXGetDeclVertexSize(points, 0), 16u) << "out of order";
}

TEST(D3DXCreateBuffer, ZeroFilledAndReferenceCounted)
{
    LPD3DXBUFFER buffer = nullptr;
    ASSERT_EQ(D3DXCreateBuffer(12, &buffer), S_OK);
    ASSERT_EQ(buffer->GetBufferSize(), 12u);
    const unsigned char* bytes = static_cast<const unsigned char*>(buffer->GetBufferPointer());
    EXPECT_TRUE(std::all_of(bytes, bytes + 12, [](unsigned char b) { return b == 0; }));
    void* same = nullptr;
    ASSERT_EQ(buffer->QueryInterface(IID_ID3DXBuffer, &same), S_OK);
    EXPECT_EQ(same, buffer);
    void* other = nullptr;
    EXPECT_EQ(buffer->QueryInterface(IID_IDirect3DTexture9, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(buffer->Release(), 1u);
    EXPECT_EQ(buffer->Release(), 0u);
}

// The texts link as one program with the real OpenGL (headless Mesa).
class GlslLink : public HlslCompiler
{
protected:
    void SetUp() override
    {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
            GTEST_SKIP() << SDL_GetError();
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        m_Window = SDL_CreateWindow("glsl", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        m_Context = m_Window ? SDL_GL_CreateContext(m_Window) : nullptr;
        if (!m_Context)
            GTEST_SKIP() << "no OpenGL 3.3 context: " << SDL_GetError();
    }
    void TearDown() override
    {
        if (m_Context)
            SDL_GL_DeleteContext(m_Context);
        if (m_Window)
            SDL_DestroyWindow(m_Window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    GLuint Stage(GLenum type, const std::string& text)
    {
        GLuint shader = glCreateShader(type);
        const char* source = text.c_str();
        glShaderSource(shader, 1, &source, nullptr);
        glCompileShader(shader);
        GLint ok = 0;
        glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
        char log[2048] = "";
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        EXPECT_TRUE(ok) << log << "\n" << text;
        return shader;
    }

    GLuint Link(const std::string& vertex, const std::string& pixel)
    {
        GLuint program = glCreateProgram();
        GLuint vs = Stage(GL_VERTEX_SHADER, vertex), ps = Stage(GL_FRAGMENT_SHADER, pixel);
        glAttachShader(program, vs);
        glAttachShader(program, ps);
        glLinkProgram(program);
        glDeleteShader(vs);
        glDeleteShader(ps);
        GLint ok = 0;
        glGetProgramiv(program, GL_LINK_STATUS, &ok);
        char log[2048] = "";
        glGetProgramInfoLog(program, sizeof log, nullptr, log);
        EXPECT_TRUE(ok) << log;
        return program;
    }

    SDL_Window* m_Window = nullptr;
    SDL_GLContext m_Context = nullptr;
};

TEST_F(GlslLink, VertexAndPixelShadersLinkWithTheDeclaredLocations)
{
    Result vs = Compile(kVertexShader, "MainVS", "vs_2_0");
    Result ps = Compile(kPixelShader, "MainPS", "ps_2_0");
    ASSERT_EQ(vs.hr, S_OK) << vs.errors;
    ASSERT_EQ(ps.hr, S_OK) << ps.errors;
    for (bool sprite : {false, true})
    {
        GLuint program = Link(vs.blob.glsl, sprite ? ps.blob.spriteGlsl : ps.blob.glsl);
        EXPECT_NE(glGetUniformLocation(program, "vs_c"), -1);
        EXPECT_NE(glGetUniformLocation(program, "ps_c"), -1);
        EXPECT_NE(glGetUniformLocation(program, "s0"), -1);
        EXPECT_NE(glGetUniformLocation(program, "quorl_PixelOffset"), -1);
        for (const d3d9::ShaderInput& input : vs.blob.inputs)
        {
            if (sprite)
                break; // TEXCOORD0 then goes unread, and GL drops its attribute
            std::string name = input.usage == D3DDECLUSAGE_POSITION ? "a_POSITION0"
                               : input.usage == D3DDECLUSAGE_COLOR  ? "a_COLOR0"
                               : input.usage == D3DDECLUSAGE_PSIZE  ? "a_PSIZE0"
                                                                    : "a_TEXCOORD0";
            EXPECT_EQ(glGetAttribLocation(program, name.c_str()), static_cast<GLint>(input.location)) << name;
        }
        glDeleteProgram(program);
    }
}

TEST_F(GlslLink, NarrowVaryingsAndUnwrittenOnesStillLink)
{
    Result vs = Compile("float4 MainVS(float4 p : POSITION, out float2 t : TEXCOORD1) : POSITION\n"
                        "{ t = p.xy; return p; }\n",
                        "MainVS", "vs_2_0");
    Result ps = Compile("float4 MainPS(float4 t : TEXCOORD1, float3 c : COLOR1, float t5 : TEXCOORD5) : COLOR\n"
                        "{ return t * float4(c, 1) + t5; }\n",
                        "MainPS", "ps_2_0");
    ASSERT_EQ(vs.hr, S_OK) << vs.errors;
    ASSERT_EQ(ps.hr, S_OK) << ps.errors;
    glDeleteProgram(Link(vs.blob.glsl, ps.blob.glsl));
}
} // namespace
