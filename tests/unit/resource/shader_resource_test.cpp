#include "app/demo.h"
#include "support/recording_d3d9.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <optional>

namespace
{
const char* kVertexShader = R"(
float4x4 transform : register(c0);
struct Output { float4 position : POSITION; float2 uv : TEXCOORD0; };
Output MainVS(float3 position : POSITION, float2 uv : TEXCOORD0)
{
    Output o;
    o.position = mul(float4(position, 1), transform);
    o.uv = uv;
    return o;
}
)";

const char* kPixelShader = R"(
sampler2D image : register(s0);
float4 tint : register(c0);
float4 MainPS(float2 uv : TEXCOORD0) : COLOR0 { return tex2D(image, uv) * tint; }
)";

class ShaderResources : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RecordingD3D9::Reset();
        dir.Write("data/shaders/plain.vsh", kVertexShader);
        dir.Write("data/shaders/plain.psh", kPixelShader);
        dir.Write("data/shaders/wrong_entry.vsh", "float4 Main() : POSITION { return 0; }");
        ASSERT_TRUE(demo->m_Renderer.Create(640, 480, 0, false, true));
        RecordingD3D9::Get().calls.clear();
    }

    void TearDown() override
    {
        demo.reset();
        EXPECT_EQ(RecordingD3D9::Get().liveObjects, 0);
    }

    int CountCalls(const std::string& prefix)
    {
        int count = 0;
        for (const std::string& call : RecordingD3D9::Get().calls)
            count += call.rfind(prefix, 0) == 0;
        return count;
    }

    TempDir dir;
    std::optional<C_Demo> demo{std::in_place};
};

TEST_F(ShaderResources, AreCompiledOnceAndSharedByName)
{
    ScopedCurrentDir cwd(dir.Path());
    int vertex = demo->m_Resources.Acquire("plain.vsh", Resource::VertexShader);
    int pixel = demo->m_Resources.Acquire("plain.psh", Resource::PixelShader);
    ASSERT_GE(vertex, 0);
    ASSERT_GE(pixel, 0);
    EXPECT_EQ(demo->m_Resources.Acquire("plain.vsh", Resource::VertexShader), vertex);
    EXPECT_EQ(demo->m_Resources.Acquire("plain.vsh", Resource::PixelShader), -1);
    EXPECT_EQ(CountCalls("CreateVertexShader"), 1);
    EXPECT_EQ(CountCalls("CreatePixelShader"), 1);
    EXPECT_NE(demo->m_Resources.At(vertex)->GetObject(), nullptr);
    EXPECT_TRUE(demo->m_Renderer.BindVertexShader(vertex));
    EXPECT_TRUE(demo->m_Renderer.BindPixelShader(pixel));
}

TEST_F(ShaderResources, AShaderThatDoesNotCompileIsNotRegisteredAndIsTriedAgain)
{
    ScopedCurrentDir cwd(dir.Path());
    EXPECT_EQ(demo->m_Resources.Acquire("wrong_entry.vsh", Resource::VertexShader), -1);
    EXPECT_EQ(demo->m_Resources.Acquire("missing.psh", Resource::PixelShader), -1);
    EXPECT_EQ(demo->m_Resources.Acquire("plain.vsh", Resource::PixelShader), -1) << "no MainPS in it";
    EXPECT_EQ(demo->m_Resources.GetCount(), 0);
    EXPECT_EQ(CountCalls("Create"), 0);
}
} // namespace
