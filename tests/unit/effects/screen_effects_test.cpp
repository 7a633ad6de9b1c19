// The screen-space effects against a recording Direct3D: the registers each
// hands its shaders, what it binds on which stage, and what it restores.
#include "app/demo.h"
#include "effects/bubbles.h"
#include "effects/clear.h"
#include "effects/env_model.h"
#include "effects/fractal.h"
#include "effects/moopy.h"
#include "effects/particles.h"
#include "effects/postprocess.h"
#include "effects/pqtorus.h"
#include "effects/quad2d.h"
#include "effects/radial_blur.h"
#include "effects/shape_grid.h"
#include "effects/text.h"
#include "effects/tunnel.h"
#include "effects/window2d.h"
#include "resource/render_target.h"
#include "resource/texture.h"
#include "support/d3d9_names.h"
#include "support/held_resource.h"
#include "support/effect_test.h"
#include "support/recording_d3d9.h"
#include "timeline/effect_factory.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <typeinfo>

namespace
{
std::string Sampler(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value)
{
    return "SetSamplerState " + std::to_string(sampler) + " " + d3d9names::SamplerStateName(type) + " " +
           d3d9names::SamplerStateValueName(type, value);
}

class ScreenEffects : public EffectTest
{
protected:
    void SetUp() override
    {
        RecordingD3D9::Reset();
        ASSERT_TRUE(demo->m_Renderer.Create(1024, 768, 0, false, true));
        C_ResourceRegistry& resources = demo->m_Resources;
        resources.Add("quad2d.x", new HeldResource(Resource::Mesh, &quad));
        resources.Add("border.x", new HeldResource(Resource::Mesh, &border));
        AddStandIns({}, {"quad2d.vsh", "border.vsh", "moopy.vsh"},
                    {"quad2d.psh", "radial_blur.psh", "fractal.psh", "moopy.psh", "grade.psh"});
        title = AddImage("title.png", 512, 384);
        for (const char* name : {"noise.png", "blob.bmp", "sincosnoise.bmp", "border.png"})
            AddImage(name, 256, 128);
        target = new Resource::C_RenderTarget;
        ASSERT_TRUE(target->Create(320, 200, D3DFMT_A8R8G8B8));
        targetIndex = resources.Add("scene", target);
    }

    // An image resource of a given file size, standing in for a loaded file.
    int AddImage(const char* name, UINT width, UINT height)
    {
        auto* texture = new Resource::C_Texture;
        texture->m_Info.Width = width;
        texture->m_Info.Height = height;
        return demo->m_Resources.Add(name, texture);
    }

    // Renders with fresh records of calls and registers.
    void Rendered(C_FXEffect& effect, float progress, float eventSeconds = 2.0f, float frameSeconds = 0.02f)
    {
        RecordingD3D9::Script& script = RecordingD3D9::Get();
        script.calls.clear();
        script.vertexConstants.clear();
        script.pixelConstants.clear();
        EXPECT_TRUE(effect.Render(progress, eventSeconds, frameSeconds));
    }

    C_Renderer& Renderer() { return demo->m_Renderer; }
    std::array<int, 4> Bound(const char* vs, const char* ps, const char* stage0, const char* stage1 = "")
    {
        C_ResourceRegistry& r = demo->m_Resources;
        return {r.Find(vs), r.Find(ps), r.Find(stage0), r.Find(stage1)};
    }

    RecordedMesh quad{"quad2d.x"};
    RecordedMesh border{"border.x"};
    Resource::C_RenderTarget* target = nullptr;
    int targetIndex = -1;
    int title = -1;
};

TEST_F(ScreenEffects, TheFactoryMakesEachEffectByItsTypeName)
{
    EffectFactory factory;
    factory.RegisterAll();
    // Each name, and in the same place the class it makes.
    const char* names[] = {"clear",   "quad2d",  "particles",  "bubbles", "postprocess", "radial_blur", "env_model",
                           "fractal", "pqtorus", "shape_grid", "text",    "tunnel",      "window2d",    "moopy"};
    const std::type_info* classes[] = {&typeid(C_FXClear),     &typeid(C_FXQuad2D),      &typeid(C_FXParticles),
                                       &typeid(C_FXBubbles),   &typeid(C_FXPostProcess), &typeid(C_FXRadialBlur),
                                       &typeid(C_FXEnvModel),  &typeid(C_FXFractal),     &typeid(C_FXPQTorus),
                                       &typeid(C_FXShapeGrid), &typeid(C_FXText),        &typeid(C_FXTunnel),
                                       &typeid(C_FXWindow2D),  &typeid(C_FXMoopy)};
    for (int i = 0; i < 14; ++i)
    {
        std::unique_ptr<C_FXEffect> effect(factory.Create(names[i]));
        ASSERT_NE(effect, nullptr) << names[i];
        EXPECT_EQ(typeid(*effect), *classes[i]) << names[i];
    }
}

// Vertex c1 of the full-target passes: a quarter pixel up and left for
// postprocess, half a pixel for radial_blur, on a 1024 x 768 back buffer
// and on the 320 x 200 target.
TEST_F(ScreenEffects, FullTargetPassesAreOffsetByTheirFractionOfATargetPixel)
{
    auto& post = Made<C_FXPostProcess>({{"image", "scene"}, {"texture", "scene"}, {"pixel_shader", "grade.psh"}});
    auto& blur = Made<C_FXRadialBlur>({{"texture", "scene"}});
    struct Row
    {
        C_FXEffect* effect;
        int target; // -1: the back buffer
        Register placement;
    } table[] = {
        {&post, -1, {0.5f - 0.25f / 1024.0f, 0.5f - 0.25f / 768.0f, 1.0f, 1.0f}},
        {&post, targetIndex, {0.5f - 0.25f / 320.0f, 0.5f - 0.25f / 200.0f, 1.0f, 1.0f}},
        {&blur, -1, {0.5f - 0.5f / 1024.0f, 0.5f - 0.5f / 768.0f, 1.0f, 1.0f}},
        {&blur, targetIndex, {0.5f - 0.5f / 320.0f, 0.5f - 0.5f / 200.0f, 1.0f, 1.0f}},
    };
    for (const Row& row : table)
    {
        Renderer().BindRenderTarget(row.target);
        Rendered(*row.effect, 0.5f);
        EXPECT_EQ(VS(1), row.placement) << "target " << row.target;
    }
}

// The four full-target passes share quad2d's vertex shader and its draw. A
// screen-space quad leaves vertex c2.x at 1: each pass sets it back to 0, or
// it is placed by its corner and covers a quarter of the target. Each draws
// with the depth test off and turns it back on, even when its scene does not
// begin, and draws with the blend mode it finds.
TEST_F(ScreenEffects, FullTargetPassesAreCentredAndDrawWithoutTheDepthTest)
{
    auto& corner = Made<C_FXQuad2D>({{"screenspace", "true"}, {"width", "0.25"}, {"height", "0.25"}});
    C_FXEffect* passes[] = {&Made<C_FXPostProcess>({{"image", "scene"}, {"pixel_shader", "grade.psh"}}),
                            &Made<C_FXRadialBlur>({{"texture", "scene"}}), &Made<C_FXFractal>({}),
                            &Made<C_FXText>({{"texture", "title.png"}})};
    for (C_FXEffect* pass : passes)
    {
        SCOPED_TRACE(typeid(*pass).name());
        RecordingD3D9::Get().beginSceneFails = false;
        corner.Render(0.5f, 1.0f, 0.02f);
        ASSERT_EQ(VS(2)[0], 1.0f);
        Renderer().SetBlendMode(Additive);
        Rendered(*pass, 0.5f);
        EXPECT_EQ(VS(2)[0], 0.0f);
        for (D3DRENDERSTATETYPE b : {D3DRS_ALPHABLENDENABLE, D3DRS_SRCBLEND, D3DRS_DESTBLEND})
            EXPECT_FALSE(CalledStartingWith("SetRenderState " + d3d9names::RenderStateName(b) + " "));
        ExpectInOrder(
            {State(D3DRS_ZENABLE, FALSE), "BeginScene", "Draw quad2d.x", "EndScene", State(D3DRS_ZENABLE, TRUE)});

        Renderer().SetRenderState(D3DRS_ZENABLE, FALSE);
        RecordingD3D9::Get().beginSceneFails = true;
        Rendered(*pass, 0.5f);
        EXPECT_FALSE(Called("Draw quad2d.x"));
        EXPECT_FALSE(Called("EndScene"));
        EXPECT_EQ(Renderer().renderStateCache[D3DRS_ZENABLE], static_cast<DWORD>(D3DZB_TRUE));
    }
}

TEST_F(ScreenEffects, PostProcessHandsItsShaderTheTexelOfStageOneAndTheTime)
{
    struct Row
    {
        const char* texture;
        Register texel;
    } table[] = {
        {"noise.png", {1.0f / 256.0f, 1.0f / 128.0f, 1.0f, 1.0f}}, // the image file's own size
        {"scene", {1.0f / 320.0f, 1.0f / 200.0f, 1.0f, 1.0f}},     // a render target's size
        {"", {1.0f, 1.0f, 1.0f, 1.0f}},                            // nothing: 1 x 1, still drawn
        {"no such file.png", {1.0f, 1.0f, 1.0f, 1.0f}},
        {"grade.psh", {1.0f, 1.0f, 1.0f, 1.0f}}, // a shader is no texture
    };
    for (const Row& row : table)
    {
        auto& post =
            Made<C_FXPostProcess>({{"image", "scene"}, {"texture", row.texture}, {"pixel_shader", "grade.psh"}});
        Rendered(post, 0.25f, 3.5f, 0.016f);
        EXPECT_EQ(PS(0), row.texel) << row.texture;
        EXPECT_EQ(PS(1)[0], 3.5f);
        EXPECT_EQ(PS(1)[1], 0.016f);
        EXPECT_EQ(VS(0), (Register{1.0f, 1.0f, 1.0f, 1.0f}));
        EXPECT_TRUE(Called("Draw quad2d.x")) << row.texture;
    }
}

TEST_F(ScreenEffects, PostProcessBindsTheImageOnStageZeroAndTheTextureOnOneAndReleasesBoth)
{
    auto& post = Made<C_FXPostProcess>({{"image", "scene"}, {"texture", "noise.png"}, {"pixel_shader", "grade.psh"}});
    Rendered(post, 0.5f);
    ExpectInOrder({State(D3DRS_ZENABLE, FALSE), "SetVertexShader shader", "SetPixelShader shader", "SetTexture 0 rt1",
                   "SetTexture 1 null", "SetVertexShaderConstantF 0 1", "SetVertexShaderConstantF 1 1",
                   "SetVertexShaderConstantF 2 1", "SetPixelShaderConstantF 0 1", "SetPixelShaderConstantF 1 1",
                   "BeginScene", "Draw quad2d.x", "EndScene", State(D3DRS_ZENABLE, TRUE), "SetTexture 0 null",
                   "SetTexture 1 null"});
    EXPECT_EQ(quad.bound, Bound("quad2d.vsh", "grade.psh", "scene", "noise.png"));
    EXPECT_EQ(VS(2), (Register{0.0f, 0.0f, 0.0f, 0.0f}));
}

TEST_F(ScreenEffects, RadialBlurMovesColourAndAmountAndKeepsItsTextureBound)
{
    auto& blur = Made<C_FXRadialBlur>({{"texture", "scene"},
                                       {"start_colour", "0xFF000000"},
                                       {"end_colour", "0x00FF8000"},
                                       {"start_amount", "0.1"},
                                       {"end_amount", "0.5"}});
    struct Row
    {
        float progress;
        Register colour;
        float amount;
    } table[] = {
        {0.0f, {0.0f, 0.0f, 0.0f, 1.0f}, 0.1f},
        {0.5f, {0.5f, 0.5f * 128.0f / 255.0f, 0.0f, 0.5f}, 0.1f + 0.4f * 0.5f},
    };
    for (const Row& row : table)
    {
        Rendered(blur, row.progress);
        for (int i = 0; i < 4; ++i)
            EXPECT_FLOAT_EQ(VS(0)[i], row.colour[i]) << row.progress;
        EXPECT_FLOAT_EQ(PS(0)[0], row.amount);
    }
    EXPECT_EQ(Renderer().boundTextures[0], targetIndex) << "stage 0 keeps the texture";
}

TEST_F(ScreenEffects, FractalHandsOverZCAndZoom)
{
    auto& fractal = Made<C_FXFractal>({{"start_z", "0 1"},
                                       {"end_z", "1 3"},
                                       {"start_c", "-0.8 0.2"},
                                       {"end_c", "0.2 0.4"},
                                       {"start_zoom", "1"},
                                       {"end_zoom", "5"},
                                       {"texture", "noise.png"}});
    Rendered(fractal, 0.5f);
    EXPECT_EQ(VS(0), (Register{1.0f, 1.0f, 1.0f, 1.0f}));
    EXPECT_EQ(VS(1), (Register{0.5f, 0.5f, 1.0f, 1.0f}));
    EXPECT_EQ(VS(2)[0], 0.0f);
    EXPECT_EQ(VS(2)[2], 3.0f);
    EXPECT_FLOAT_EQ(PS(0)[0], 0.5f);
    EXPECT_FLOAT_EQ(PS(0)[1], 2.0f);
    EXPECT_FLOAT_EQ(PS(0)[2], -0.3f);
    EXPECT_FLOAT_EQ(PS(0)[3], 0.3f);
    EXPECT_EQ(PS(1), (Register{PS(0)[2], PS(0)[3], 1.0f, 1.0f}));
    EXPECT_EQ(PS(2)[0], 3.0f);
    EXPECT_EQ(PS(2)[2], PS(0)[0]);
    EXPECT_EQ(PS(2)[3], PS(0)[1]);

    Rendered(fractal, 0.0f);
    EXPECT_EQ(PS(0), (Register{0.0f, 1.0f, -0.8f, 0.2f})) << "start values exactly at progress 0";
}

// The fade: rises over start_length, falls over end_length, the rise first
// where the two overlap; lengths of 0 never fade.
TEST_F(ScreenEffects, TextFadesInAndOutOverItsLengths)
{
    struct Row
    {
        const char* start;
        const char* end;
        float progress;
        float fade;
    } table[] = {
        {"0.25", "0.25", 0.0f, 0.0f},
        {"0.25", "0.25", 0.125f, 0.5f},
        {"0.25", "0.25", 0.25f, 1.0f},
        {"0.25", "0.25", 0.5f, 1.0f},
        {"0.25", "0.25", 0.75f, 1.0f},
        {"0.25", "0.25", 0.875f, 0.5f},
        {"0", "0", 0.0f, 1.0f},
        {"0", "0", 0.999f, 1.0f},
        {"0.6", "0.6", 0.3f, 0.5f},
        {"0.6", "0.6", 0.59f, 0.59f / 0.6f},
        {"0.6", "0.6", 0.6f, 0.4f / 0.6f},
        {"0.6", "0.6", 0.9f, 0.1f / 0.6f},
    };
    for (const Row& row : table)
    {
        auto& text = Made<C_FXText>(
            {{"texture", "title.png"}, {"start_length", row.start}, {"end_length", row.end}, {"scale", "1"}});
        Rendered(text, row.progress);
        const float f = VS(0)[0];
        EXPECT_NEAR(f, row.fade, 1e-6f) << row.start << "/" << row.end << " at " << row.progress;
        EXPECT_EQ(VS(0), (Register{f, f, f, f}));
        EXPECT_EQ(VS(2), (Register{0.0f, f, f, f}));
    }
}

TEST_F(ScreenEffects, TextIsSizedByItsImageOnA1024By768Screen)
{
    struct Row
    {
        const char* texture;
        const char* scale;
        Register placement;
        float noTexture;
    } table[] = {
        {"title.png", "1", {0.25f, 0.75f, 0.5f, 0.5f}, 0.0f},
        {"title.png", "1.5", {0.25f, 0.75f, 0.75f, 0.75f}, 0.0f},
        {"title.png", "0", {0.25f, 0.75f, 0.0f, 0.0f}, 0.0f},
        {"scene", "1", {0.25f, 0.75f, 0.0f, 0.0f}, 1.0f}, // a render target is no image
        {"missing.png", "1", {0.25f, 0.75f, 0.0f, 0.0f}, 1.0f},
    };
    for (const Row& row : table)
    {
        auto& text = Made<C_FXText>({{"texture", row.texture}, {"scale", row.scale}, {"x", "0.25"}, {"y", "0.75"}});
        Rendered(text, 0.5f);
        EXPECT_EQ(VS(1), row.placement) << row.texture << " x " << row.scale;
        EXPECT_EQ(PS(0), (Register{row.noTexture, row.noTexture, row.noTexture, row.noTexture})) << row.texture;
    }
    EXPECT_EQ(Renderer().boundTextures[0], -1) << "the last one had no image";
}

TEST_F(ScreenEffects, WindowFliesInRestsAndFliesOut)
{
    struct Row
    {
        const char* start;
        const char* end;
        float progress;
        Register rectangle;
    } table[] = {
        // start (0.1, 0.2), middle (0.5, 0.5), end (0.9, 0.8); full size 0.4 x 0.3
        {"0.2", "0.2", 0.0f, {0.1f, 0.2f, 0.0f, 0.0f}},
        {"0.2", "0.2", 0.1f, {0.3f, 0.35f, 0.2f, 0.15f}},
        {"0.2", "0.2", 0.5f, {0.5f, 0.5f, 0.4f, 0.3f}},
        {"0.2", "0.2", 0.9f, {0.7f, 0.65f, 0.2f, 0.15f}},
        {"0", "0", 0.0f, {0.5f, 0.5f, 0.4f, 0.3f}},
        {"0.6", "0.6", 0.3f, {0.3f, 0.35f, 0.2f, 0.15f}},                                  // fly-in until 0.6...
        {"0.6", "0.6", 0.6f, {0.9f - 0.4f / 1.5f, 0.8f - 0.2f, 0.4f / 1.5f, 0.3f / 1.5f}}, // ...then fly-out
    };
    for (const Row& row : table)
    {
        auto& window = Made<C_FXWindow2D>({{"start_x", "0.1"},
                                           {"start_y", "0.2"},
                                           {"middle_x", "0.5"},
                                           {"middle_y", "0.5"},
                                           {"end_x", "0.9"},
                                           {"end_y", "0.8"},
                                           {"width", "0.4"},
                                           {"height", "0.3"},
                                           {"start_length", row.start},
                                           {"end_length", row.end},
                                           {"texture", "scene"}});
        Rendered(window, row.progress);
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(VS(1)[i], row.rectangle[i], 1e-6f) << row.start << "/" << row.end << " at " << row.progress;
    }
}

TEST_F(ScreenEffects, WindowDrawsThePictureBlendedThenTheFrameOpaque)
{
    auto& window = Made<C_FXWindow2D>({{"texture", "scene"}, {"screenspace", "true"}, {"width", "0.5"}});
    Renderer().SetRenderState(D3DRS_ZENABLE, FALSE);
    Rendered(window, 0.5f);
    ExpectInOrder({"BeginScene", State(D3DRS_ALPHABLENDENABLE, TRUE), State(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA),
                   State(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA), "SetTexture 0 rt1", "SetVertexShaderConstantF 0 1",
                   "SetVertexShaderConstantF 1 1", "SetVertexShaderConstantF 2 1", "SetPixelShaderConstantF 0 1",
                   "Draw quad2d.x", State(D3DRS_ALPHABLENDENABLE, FALSE), "SetTexture 0 null",
                   "SetVertexShaderConstantF 1 1", "SetPixelShaderConstantF 0 1", "Draw border.x", "EndScene"});
    EXPECT_EQ(quad.bound, Bound("quad2d.vsh", "quad2d.psh", "scene")) << "the picture";
    EXPECT_EQ(border.bound, Bound("border.vsh", "quad2d.psh", "border.png")) << "the frame";
    EXPECT_EQ(VS(0), (Register{1.0f, 1.0f, 1.0f, 1.0f}));
    EXPECT_EQ(VS(2)[0], 1.0f);
    EXPECT_EQ(PS(0), (Register{0.0f, 0.0f, 0.0f, 0.0f}));
    EXPECT_FALSE(Called(State(D3DRS_ZENABLE, TRUE))) << "the depth test is left as it was";
    EXPECT_EQ(Renderer().renderStateCache[D3DRS_ALPHABLENDENABLE], static_cast<DWORD>(FALSE));

    RecordingD3D9::Get().beginSceneFails = true;
    Rendered(window, 0.5f);
    EXPECT_EQ(Calls(), std::vector<std::string>{"BeginScene"}) << "nothing else when the scene cannot begin";
}

TEST_F(ScreenEffects, MoopyClampsStageZeroForItsDrawAndWrapsItAgainAfter)
{
    auto& moopy = Made<C_FXMoopy>({{"tiles", "3"}});
    for (bool fails : {false, true})
    {
        RecordingD3D9::Get().beginSceneFails = fails;
        Rendered(moopy, 0.5f, 4.25f, 0.02f);
        EXPECT_EQ(VS(0)[0], 3.0f);
        EXPECT_EQ(PS(0)[0], 4.25f);
        EXPECT_EQ(PS(0)[1], 0.02f);
        ExpectInOrder({State(D3DRS_ZENABLE, FALSE), "SetVertexShaderConstantF 0 1", "SetPixelShaderConstantF 0 1",
                       Sampler(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP), Sampler(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP),
                       "BeginScene", State(D3DRS_ZENABLE, TRUE), Sampler(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP),
                       Sampler(0, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP)});
        EXPECT_EQ(Called("Draw quad2d.x"), !fails);
        EXPECT_FALSE(Called(Sampler(1, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP))) << "sampler 1 is never touched";
    }
    EXPECT_EQ(quad.bound, Bound("moopy.vsh", "moopy.psh", "blob.bmp", "sincosnoise.bmp"));
}
} // namespace
