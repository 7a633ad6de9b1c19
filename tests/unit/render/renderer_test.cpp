#include "app/demo.h"
#include "resource/render_target.h"
#include "support/held_resource.h"
#include "support/recording_d3d9.h"
#include "support/scripted_bass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace
{
class Renderer : public ::testing::Test
{
protected:
    void SetUp() override { RecordingD3D9::Reset(); }

    void TearDown() override
    {
        demo.reset();
        EXPECT_EQ(RecordingD3D9::Get().liveObjects, 0) << "every device object is released";
    }

    C_Renderer& Created(int width = 1024, int height = 768, int samples = 4, bool vsync = false, bool windowed = false)
    {
        EXPECT_TRUE(demo->m_Renderer.Create(width, height, samples, vsync, windowed));
        Calls().clear();
        return demo->m_Renderer;
    }

    std::vector<std::string>& Calls() { return RecordingD3D9::Get().calls; }

    int CountCalls(const std::string& prefix)
    {
        return static_cast<int>(std::count_if(Calls().begin(), Calls().end(),
                                              [&](const std::string& call) { return call.rfind(prefix, 0) == 0; }));
    }

    std::optional<C_Demo> demo{std::in_place};
};

TEST_F(Renderer, CreateMakesTheDeviceFromTheSettingsThenSurfacesBuffersAndSamplers)
{
    demo->m_Window = reinterpret_cast<HWND>(0x1234);
    ASSERT_TRUE(demo->m_Renderer.Create(800, 600, 6, true, true));

    const D3DPRESENT_PARAMETERS& p = RecordingD3D9::Get().presentParameters;
    EXPECT_EQ(p.BackBufferWidth, 800u);
    EXPECT_EQ(p.BackBufferHeight, 600u);
    EXPECT_EQ(p.BackBufferFormat, D3DFMT_A8R8G8B8);
    EXPECT_EQ(p.BackBufferCount, 2u);
    EXPECT_EQ(p.MultiSampleType, 6);
    EXPECT_EQ(p.SwapEffect, D3DSWAPEFFECT_DISCARD);
    EXPECT_EQ(p.hDeviceWindow, demo->m_Window);
    EXPECT_TRUE(p.Windowed);
    EXPECT_TRUE(p.EnableAutoDepthStencil);
    EXPECT_EQ(p.AutoDepthStencilFormat, D3DFMT_D24S8);
    EXPECT_EQ(p.PresentationInterval, static_cast<UINT>(D3DPRESENT_INTERVAL_ONE));

    std::vector<std::string> start(Calls().begin(), Calls().begin() + 6);
    std::vector<std::string> expected = {
        "Direct3DCreate9 32",
        "CreateDevice 0 D3DDEVTYPE_HAL D3DCREATE_HARDWARE_VERTEXPROCESSING",
        "GetDepthStencilSurface",
        "GetRenderTarget 0",
        "CreateVertexBuffer 524288 D3DUSAGE_DYNAMIC|D3DUSAGE_WRITEONLY 0 D3DPOOL_DEFAULT",
        "CreateIndexBuffer 655356 D3DUSAGE_DYNAMIC|D3DUSAGE_WRITEONLY D3DFMT_INDEX16 D3DPOOL_DEFAULT"};
    EXPECT_EQ(start, expected);
    // Then linear filtering for magnification, minification and mip levels on each of the 16 samplers.
    std::vector<std::string> samplers(Calls().begin() + 6, Calls().end());
    std::vector<std::string> linearEverywhere;
    for (int sampler = 0; sampler < 16; ++sampler)
        for (const char* filter : {"D3DSAMP_MAGFILTER", "D3DSAMP_MINFILTER", "D3DSAMP_MIPFILTER"})
            linearEverywhere.push_back("SetSamplerState " + std::to_string(sampler) + " " + filter + " D3DTEXF_LINEAR");
    EXPECT_EQ(samplers, linearEverywhere);
    EXPECT_EQ(demo->m_Renderer.targetWidth, 800);
    EXPECT_EQ(demo->m_Renderer.targetHeight, 600);
}

TEST_F(Renderer, VsyncOffPresentsImmediately)
{
    Created(640, 480, 0, false, false);
    EXPECT_EQ(RecordingD3D9::Get().presentParameters.PresentationInterval, D3DPRESENT_INTERVAL_IMMEDIATE);
    EXPECT_FALSE(RecordingD3D9::Get().presentParameters.Windowed);
}

TEST_F(Renderer, CreateFailsWithoutFallbackWhenTheDeviceOrABufferCannotBeMade)
{
    RecordingD3D9::Get().createDeviceFails = true;
    EXPECT_FALSE(demo->m_Renderer.Create(1024, 768, 6, false, false));
    EXPECT_EQ(CountCalls("CreateDevice"), 1);

    demo.reset();
    demo.emplace();
    RecordingD3D9::Reset();
    RecordingD3D9::Get().indexBufferFails = true;
    EXPECT_FALSE(demo->m_Renderer.Create(1024, 768, 0, false, false));
    EXPECT_EQ(CountCalls("SetSamplerState"), 0);

    demo.reset();
    demo.emplace();
    RecordingD3D9::Reset();
    RecordingD3D9::Get().direct3DFails = true;
    EXPECT_FALSE(demo->m_Renderer.Create(1024, 768, 0, false, false));
}

TEST_F(Renderer, RenderStatesAndBlendModesReachTheDeviceOnlyWhenTheyChange)
{
    C_Renderer& renderer = Created();
    renderer.SetRenderState(D3DRS_ZENABLE, FALSE);
    renderer.SetRenderState(D3DRS_ZENABLE, FALSE);
    renderer.SetRenderState(D3DRS_ZENABLE, TRUE);
    EXPECT_EQ(CountCalls("SetRenderState"), 2);

    Calls().clear();
    renderer.SetBlendMode(Additive);
    std::vector<std::string> additive = {"SetRenderState D3DRS_ALPHABLENDENABLE 1",
                                         "SetRenderState D3DRS_SRCBLEND D3DBLEND_ONE",
                                         "SetRenderState D3DRS_DESTBLEND D3DBLEND_ONE"};
    EXPECT_EQ(Calls(), additive);

    Calls().clear();
    renderer.SetBlendMode(Opaque);
    renderer.SetBlendMode(Alpha);
    std::vector<std::string> opaqueThenAlpha = {
        "SetRenderState D3DRS_ALPHABLENDENABLE 0", "SetRenderState D3DRS_ALPHABLENDENABLE 1",
        "SetRenderState D3DRS_SRCBLEND D3DBLEND_SRCALPHA", "SetRenderState D3DRS_DESTBLEND D3DBLEND_INVSRCALPHA"};
    EXPECT_EQ(Calls(), opaqueThenAlpha);

    Calls().clear();
    renderer.SetBlendMode(AlphaAdditive);
    std::vector<std::string> alphaAdditive = {"SetRenderState D3DRS_DESTBLEND D3DBLEND_ONE"};
    EXPECT_EQ(Calls(), alphaAdditive);
}

TEST_F(Renderer, BindTextureTakesTexturesAndRenderTargetsByIndexOnly)
{
    C_Renderer& renderer = Created();
    ASSERT_EQ(demo->m_Resources.Add("target", new Resource::C_RenderTarget), 0);
    static_cast<Resource::C_RenderTarget*>(demo->m_Resources.At(0))->Create(64, 32, D3DFMT_A8R8G8B8);
    demo->m_Resources.Add("mesh", new HeldResource(Resource::Mesh, nullptr));
    Calls().clear();

    EXPECT_TRUE(renderer.BindTexture(0, 0));
    EXPECT_TRUE(renderer.BindTexture(0, 0));
    EXPECT_EQ(Calls(), std::vector<std::string>{"SetTexture 0 rt1"});
    EXPECT_EQ(renderer.boundTextures[0], 0);

    Calls().clear();
    EXPECT_FALSE(renderer.BindTexture(0, 1));
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(renderer.boundTextures[0], 0);

    EXPECT_TRUE(renderer.BindTexture(0, -1));
    EXPECT_TRUE(renderer.BindTexture(1, 99));
    EXPECT_TRUE(renderer.BindTexture(1, -1));
    // The cache compares indices: 99 is not -1, so stage 1 is emptied once more.
    std::vector<std::string> emptied = {"SetTexture 0 null", "SetTexture 1 null"};
    EXPECT_EQ(Calls(), emptied);
    EXPECT_EQ(renderer.boundTextures[0], -1);
    EXPECT_EQ(renderer.boundTextures[1], -1);
}

TEST_F(Renderer, ShaderBindersKeepThePreviousShaderOnABadIndex)
{
    C_Renderer& renderer = Created();
    int shaderObject = 0;
    demo->m_Resources.Add("a.vsh", new HeldResource(Resource::VertexShader, &shaderObject));
    demo->m_Resources.Add("a.psh", new HeldResource(Resource::PixelShader, &shaderObject));

    EXPECT_TRUE(renderer.BindVertexShader(0));
    EXPECT_TRUE(renderer.BindVertexShader(0));
    EXPECT_FALSE(renderer.BindVertexShader(-1));
    EXPECT_FALSE(renderer.BindVertexShader(5));
    EXPECT_FALSE(renderer.BindVertexShader(1)) << "a pixel shader is not a vertex shader";
    EXPECT_EQ(renderer.boundVertexShader, 0);
    EXPECT_TRUE(renderer.BindPixelShader(1));
    EXPECT_FALSE(renderer.BindPixelShader(0));
    std::vector<std::string> expected = {"SetVertexShader shader", "SetPixelShader shader"};
    EXPECT_EQ(Calls(), expected);
}

TEST_F(Renderer, BindingARenderTargetSwitchesSurfacesAndTargetSize)
{
    C_Renderer& renderer = Created(1024, 768);
    auto* target = new Resource::C_RenderTarget;
    ASSERT_TRUE(target->Create(-4, -4, D3DFMT_A8R8G8B8));
    demo->m_Resources.Add("quarter", target);
    Calls().clear();

    EXPECT_TRUE(renderer.BindRenderTarget(-1));
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(renderer.BindRenderTarget(0));
    EXPECT_EQ(renderer.targetWidth, 256);
    EXPECT_EQ(renderer.targetHeight, 192);
    EXPECT_TRUE(renderer.BindRenderTarget(0));
    EXPECT_FALSE(renderer.BindRenderTarget(3));
    EXPECT_EQ(renderer.boundRenderTarget, 0);
    EXPECT_TRUE(renderer.BindRenderTarget(-1));
    EXPECT_EQ(renderer.targetWidth, 1024);
    EXPECT_EQ(renderer.targetHeight, 768);
    std::vector<std::string> expected = {"SetRenderTarget 0 rt1.level0", "SetDepthStencilSurface depth1",
                                         "SetRenderTarget 0 backbuffer", "SetDepthStencilSurface autodepth"};
    EXPECT_EQ(Calls(), expected);
}

TEST_F(Renderer, CheckDeviceWaitsWhileLostThenResetsAndStartsAfresh)
{
    C_Renderer& renderer = Created(800, 600);
    auto* target = new Resource::C_RenderTarget;
    ASSERT_TRUE(target->Create(-2, -2, D3DFMT_A8R8G8B8));
    demo->m_Resources.Add("half", target);
    renderer.SetRenderState(D3DRS_ZENABLE, FALSE);
    renderer.BindRenderTarget(0);
    Calls().clear();

    RecordingD3D9::Get().cooperativeLevels = {D3DERR_DEVICELOST, D3DERR_DEVICENOTRESET};
    EXPECT_FALSE(renderer.CheckDevice());
    EXPECT_TRUE(Calls().empty());
    EXPECT_FALSE(renderer.CheckDevice());
    EXPECT_FALSE(demo->m_QuitRequested);

    std::vector<std::string> reset(Calls().begin(), Calls().begin() + 7);
    std::vector<std::string> expected = {
        "Reset",
        "GetRenderTarget 0",
        "GetDepthStencilSurface",
        "CreateVertexBuffer 524288 D3DUSAGE_DYNAMIC|D3DUSAGE_WRITEONLY 0 D3DPOOL_DEFAULT",
        "CreateIndexBuffer 655356 D3DUSAGE_DYNAMIC|D3DUSAGE_WRITEONLY D3DFMT_INDEX16 D3DPOOL_DEFAULT",
        "SetSamplerState 0 D3DSAMP_MAGFILTER D3DTEXF_LINEAR",
        "SetSamplerState 0 D3DSAMP_MINFILTER D3DTEXF_LINEAR"};
    EXPECT_EQ(reset, expected);
    std::vector<std::string> recreated(Calls().end() - 2, Calls().end());
    std::vector<std::string> target2 = {"CreateTexture 400x300 1 D3DUSAGE_RENDERTARGET D3DFMT_A8R8G8B8 D3DPOOL_DEFAULT",
                                        "CreateDepthStencilSurface 400x300 D3DFMT_D24S8 D3DMULTISAMPLE_NONE 0 0"};
    EXPECT_EQ(recreated, target2);

    EXPECT_TRUE(renderer.renderStateCache.empty());
    EXPECT_EQ(renderer.boundRenderTarget, -1);
    EXPECT_EQ(renderer.targetWidth, 800);
    EXPECT_TRUE(renderer.CheckDevice());
    Calls().clear();
    renderer.SetRenderState(D3DRS_ZENABLE, FALSE);
    EXPECT_EQ(Calls().size(), 1u) << "the cache starts empty after a reset";
}

TEST_F(Renderer, FatalDeviceErrorsAskTheDemoToQuit)
{
    C_Renderer& renderer = Created();
    RecordingD3D9::Get().cooperativeLevels = {D3DERR_DEVICENOTRESET};
    RecordingD3D9::Get().resetResult = D3DERR_DRIVERINTERNALERROR;
    EXPECT_FALSE(renderer.CheckDevice());
    EXPECT_TRUE(demo->m_QuitRequested);

    demo->m_QuitRequested = false;
    RecordingD3D9::Get().cooperativeLevels = {D3DERR_DEVICENOTRESET, D3DERR_DEVICENOTRESET};
    RecordingD3D9::Get().resetResult = D3DERR_INVALIDCALL;
    EXPECT_FALSE(renderer.CheckDevice());
    EXPECT_FALSE(demo->m_QuitRequested) << "an ordinary failed reset is tried again";
    RecordingD3D9::Get().resetResult = D3D_OK;
    EXPECT_FALSE(renderer.CheckDevice());
    EXPECT_TRUE(renderer.CheckDevice());

    RecordingD3D9::Get().cooperativeLevels = {E_FAIL};
    EXPECT_FALSE(renderer.CheckDevice());
    EXPECT_TRUE(demo->m_QuitRequested);
}

TEST_F(Renderer, RenderTargetsFollowTheSizeRuleAndNeverMultisampleTheirDepth)
{
    Created(1024, 768, 4);
    Resource::C_RenderTarget third;
    ASSERT_TRUE(third.Create(-3, -3, D3DFMT_A8R8G8B8));
    auto* surfaces = static_cast<RenderTargetSurfaces*>(third.GetObject());
    EXPECT_EQ(surfaces->width, 341);
    EXPECT_EQ(surfaces->height, 256);
    EXPECT_EQ(Calls().back(), "CreateDepthStencilSurface 341x256 D3DFMT_D24S8 D3DMULTISAMPLE_NONE 0 0");

    Resource::C_RenderTarget full;
    ASSERT_TRUE(full.Load("ignored"));
    EXPECT_EQ(static_cast<RenderTargetSurfaces*>(full.GetObject())->width, 1024);

    Resource::C_RenderTarget empty;
    EXPECT_FALSE(empty.Create(0, 64, D3DFMT_A8R8G8B8));
    EXPECT_EQ(empty.GetKind(), Resource::RenderTarget);

    EXPECT_TRUE(third.OnDeviceLost());
    EXPECT_EQ(surfaces->texture, nullptr);
    EXPECT_EQ(surfaces->surface, nullptr);
    EXPECT_EQ(surfaces->depthSurface, nullptr);
    EXPECT_TRUE(third.OnDeviceReset());
    EXPECT_NE(surfaces->texture, nullptr);
    EXPECT_EQ(surfaces->width, 341);
}
} // namespace

namespace
{
class FrameRecorder : public C_Demo
{
public:
    bool RenderFrame(uint32_t time, uint32_t delta) override
    {
        frames.push_back({time, delta});
        return true;
    }
    std::vector<std::pair<uint32_t, uint32_t>> frames;
};

TEST(MainLoopWithDevice, APassTheDeviceSkipsStillMovesThePreviousTimeOn)
{
    RecordingD3D9::Reset();
    ScriptedBass::Reset();
    {
        FrameRecorder demo;
        ASSERT_TRUE(demo.m_Renderer.Create(640, 480, 0, false, true));
        demo.m_Stream = 100;
        demo.m_EndTime = 750;
        ScriptedBass::Get().positions = {0.25f, 0.5f, 0.75f};
        RecordingD3D9::Get().cooperativeLevels = {D3D_OK, D3DERR_DEVICELOST, D3D_OK};
        demo.Run();
        std::vector<std::pair<uint32_t, uint32_t>> expected = {{250, 250}, {750, 250}};
        EXPECT_EQ(demo.frames, expected);
    }
    EXPECT_EQ(RecordingD3D9::Get().liveObjects, 0);
}
} // namespace
