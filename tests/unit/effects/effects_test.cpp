// The first effects against a recording Direct3D: the constants they hand the
// shaders, the order of their device work, and what they restore.
#include "app/demo.h"
#include "effects/bubbles.h"
#include "effects/clear.h"
#include "effects/particles.h"
#include "effects/particles/random.h"
#include "effects/quad2d.h"
#include "resource/render_target.h"
#include "support/effect_test.h"
#include "support/recording_d3d9.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>

namespace
{
class Effects : public EffectTest
{
protected:
    void SetUp() override
    {
        RecordingD3D9::Reset();
        SetRandomState(1);
        ASSERT_TRUE(demo->m_Renderer.Create(800, 600, 0, false, true));
        AddStandIns({"quad2d.x"}, {"quad2d.vsh", "particle.vsh"}, {"quad2d.psh", "particle.psh"});
        Calls().clear();
    }
};

TEST_F(Effects, ClearFlagsFollowTheSwitchesAndTheColourIsAlwaysTransparentBlack)
{
    auto& none = Made<C_FXClear>({});
    auto& colour = Made<C_FXClear>({{"colour", "true"}});
    auto& depth = Made<C_FXClear>({{"zbuffer", "true"}});
    auto& both = Made<C_FXClear>({{"colour", "true"}, {"zbuffer", "true"}});
    for (C_FXEffect* effect : {&none, &colour, &depth, &both})
        EXPECT_TRUE(effect->Render(0.5f, 1.0f, 0.016f));
    std::vector<std::string> expected = {"Clear 0 0 0x0 1.000000 0", "Clear 0 D3DCLEAR_TARGET 0x0 1.000000 0",
                                         "Clear 0 D3DCLEAR_ZBUFFER|D3DCLEAR_STENCIL 0x0 1.000000 0",
                                         "Clear 0 D3DCLEAR_TARGET|D3DCLEAR_ZBUFFER|D3DCLEAR_STENCIL 0x0 1.000000 0"};
    EXPECT_EQ(Calls(), expected);
}

TEST_F(Effects, QuadHandsItsShaderTheFadedColourRectangleAndSwitches)
{
    auto& quad = Made<C_FXQuad2D>({{"start_colour", "0xFF000000"},
                                   {"end_colour", "0x00FF8000"},
                                   {"x", "0.25"},
                                   {"y", "0.75"},
                                   {"width", "0.5"},
                                   {"height", "0.125"},
                                   {"screenspace", "true"}});
    EXPECT_EQ(quad.m_TextureIndex, -1) << "no texture named";
    EXPECT_TRUE(quad.Render(0.5f, 2.0f, 0.016f));

    EXPECT_FLOAT_EQ(VS(0)[0], 0.5f);
    EXPECT_FLOAT_EQ(VS(0)[1], 0.5f * 128.0f / 255.0f);
    EXPECT_FLOAT_EQ(VS(0)[2], 0.0f);
    EXPECT_FLOAT_EQ(VS(0)[3], 0.5f);
    EXPECT_EQ(VS(1), (std::array<float, 4>{0.25f, 0.75f, 0.5f, 0.125f}));
    EXPECT_EQ(VS(2)[0], 1.0f);
    EXPECT_EQ(PS(0), (std::array<float, 4>{1.0f, 1.0f, 1.0f, 1.0f})) << "untextured";

    quad.Render(0.0f, 0.0f, 0.016f);
    EXPECT_EQ(VS(0), (std::array<float, 4>{0.0f, 0.0f, 0.0f, 1.0f})) << "start colour exactly at progress 0";
}

TEST_F(Effects, QuadSetsStatesInOrderAndTurnsTheDepthTestBackOn)
{
    auto& quad = Made<C_FXQuad2D>({});
    demo->m_Renderer.SetRenderState(D3DRS_ZENABLE, FALSE);
    Calls().clear();
    quad.Render(0.5f, 1.0f, 0.016f);
    ExpectInOrder({State(D3DRS_ALPHABLENDENABLE, TRUE), State(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA),
                   State(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA), "SetVertexShader shader", "SetPixelShader shader",
                   "SetVertexShaderConstantF 0 1", "SetVertexShaderConstantF 1 1", "SetVertexShaderConstantF 2 1",
                   "SetPixelShaderConstantF 0 1", "BeginScene", "Draw mesh", "EndScene",
                   State(D3DRS_ALPHABLENDENABLE, FALSE), State(D3DRS_ZENABLE, TRUE)});
    EXPECT_EQ(demo->m_Renderer.renderStateCache[D3DRS_ZENABLE], static_cast<DWORD>(TRUE));
    EXPECT_EQ(VS(2)[0], 0.0f);
}

TEST_F(Effects, QuadDrawsARenderTargetOfTheScriptAsItsTexture)
{
    auto* target = new Resource::C_RenderTarget;
    ASSERT_TRUE(target->Create(64, 32, D3DFMT_A8R8G8B8));
    int index = demo->m_Resources.Add("overlay", target);
    auto& quad = Made<C_FXQuad2D>({{"texture", "overlay"}});
    EXPECT_EQ(quad.m_TextureIndex, index);

    Calls().clear();
    quad.Render(0.5f, 1.0f, 0.016f);
    EXPECT_EQ(PS(0), (std::array<float, 4>{0.0f, 0.0f, 0.0f, 0.0f}));
    ExpectInOrder({"SetTexture 0 rt1", "BeginScene", "Draw mesh", "EndScene", "SetTexture 0 null"});
}

TEST_F(Effects, QuadWhoseSceneCannotBeginDrawsNothingButRestoresAllTheSame)
{
    auto& quad = Made<C_FXQuad2D>({});
    RecordingD3D9::Get().beginSceneFails = true;
    EXPECT_TRUE(quad.Render(0.5f, 1.0f, 0.016f));
    EXPECT_FALSE(Called("Draw mesh"));
    EXPECT_FALSE(Called("EndScene"));
    ExpectInOrder({"BeginScene", State(D3DRS_ALPHABLENDENABLE, FALSE), State(D3DRS_ZENABLE, TRUE)});
}

TEST_F(Effects, ParticlesWithNoneAliveReturnWithoutTouchingTheDevice)
{
    auto& empty = Made<C_FXParticles>({{"count", "0"}});
    auto& stillborn = Made<C_FXParticles>({{"count", "50"}, {"age", "0"}});
    Calls().clear();
    EXPECT_TRUE(empty.Render(0.0f, 0.0f, 0.016f));
    EXPECT_TRUE(stillborn.Render(0.0f, 0.0f, 0.016f));
    EXPECT_EQ(stillborn.m_System->GetLiveCount(), 0) << "life 0 ends at the first update";
    EXPECT_TRUE(Calls().empty());
}

TEST_F(Effects, ParticlesWriteTheLiveOnesAndDrawThemAsAdditiveSprites)
{
    auto& particles = Made<C_FXParticles>({{"count", "10"},
                                           {"spawn_pos", "0 0 10"},
                                           {"age", "5"},
                                           {"size_start", "0.5"},
                                           {"size_end", "0.5"},
                                           {"colour_start", "0xFFFFFFFF"},
                                           {"colour_end", "0xFFFFFFFF"},
                                           {"rejuvinate", "true"}});
    EXPECT_TRUE(Called("CreateVertexDeclaration"
                       " 0:D3DDECLTYPE_FLOAT3:D3DDECLUSAGE_POSITION:0"
                       " 12:D3DDECLTYPE_D3DCOLOR:D3DDECLUSAGE_COLOR:0"
                       " 16:D3DDECLTYPE_FLOAT1:D3DDECLUSAGE_PSIZE:0"));
    EXPECT_EQ(particles.m_Batch.vertexSize, 20u);
    Calls().clear();
    particles.Render(0.1f, 0.5f, 0.016f);

    ExpectInOrder({"Lock vb 0 200 D3DLOCK_DISCARD",
                   "Unlock vb",
                   State(D3DRS_ALPHABLENDENABLE, TRUE),
                   State(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA),
                   State(D3DRS_DESTBLEND, D3DBLEND_ONE),
                   State(D3DRS_POINTSPRITEENABLE, TRUE),
                   State(D3DRS_POINTSCALEENABLE, TRUE),
                   State(D3DRS_ZENABLE, FALSE),
                   "SetVertexShader shader",
                   "SetPixelShader shader",
                   "SetVertexShaderConstantF 0 4",
                   "SetVertexShaderConstantF 4 1",
                   "BeginScene",
                   "SetVertexDeclaration decl",
                   "SetStreamSource 0 vb 0 20",
                   "DrawPrimitive D3DPT_POINTLIST 0 10",
                   "EndScene",
                   State(D3DRS_ZENABLE, TRUE),
                   State(D3DRS_POINTSCALEENABLE, FALSE),
                   State(D3DRS_POINTSPRITEENABLE, FALSE),
                   State(D3DRS_ALPHABLENDENABLE, FALSE)});

    // The transposed perspective of an 800 x 600 target.
    float yScale = 1.0f / std::tan(1.0471976f / 2.0f);
    EXPECT_FLOAT_EQ(VS(0)[0], yScale / 1.3333334f);
    EXPECT_FLOAT_EQ(VS(1)[1], yScale);
    EXPECT_FLOAT_EQ(VS(2)[2], 100.0f / 99.0f);
    EXPECT_FLOAT_EQ(VS(2)[3], -100.0f / 99.0f);
    EXPECT_EQ(VS(3), (std::array<float, 4>{0.0f, 0.0f, 1.0f, 0.0f}));
    EXPECT_EQ(VS(4), (std::array<float, 4>{800.0f, 600.0f, 0.0f, 0.0f}));

    const std::vector<unsigned char>& data = RecordingD3D9::Get().unlockedData;
    ASSERT_EQ(data.size(), 200u);
    Particles::Vertex first;
    std::memcpy(&first, data.data(), sizeof first);
    EXPECT_EQ(first.x, particles.m_System->GetParticles()[0].position.x);
    EXPECT_EQ(first.colour, 0xFFFFFFFFu);
    EXPECT_EQ(first.size, 0.5f);
}

TEST_F(Effects, ACountBeyondTheDynamicBufferIsClampedToWhatItHolds)
{
    auto& huge = Made<C_FXParticles>({{"count", "30000"}, {"age", "5"}});
    auto& negative = Made<C_FXParticles>({{"count", "-1"}, {"age", "5"}});
    EXPECT_EQ(huge.m_System->GetCount(), 26214u);
    EXPECT_EQ(negative.m_System->GetCount(), 26214u);
    Calls().clear();
    huge.Render(0.0f, 0.0f, 0.016f);
    ExpectInOrder({"Lock vb 0 524280 D3DLOCK_DISCARD", "Unlock vb", "DrawPrimitive D3DPT_POINTLIST 0 26214"});
}

TEST_F(Effects, BubblesClearTheTargetFirstEvenWithNoBubbles)
{
    auto& bubbles = Made<C_FXBubbles>({{"count", "0"}, {"size", "0.05"}});
    EXPECT_EQ(bubbles.m_Batch.texture, -1) << "no bubble.tga beside the test";
    Calls().clear();
    EXPECT_TRUE(bubbles.Render(0.0f, 0.0f, 0.016f));
    ExpectInOrder({"Clear 0 D3DCLEAR_TARGET|D3DCLEAR_ZBUFFER|D3DCLEAR_STENCIL 0x0 1.000000 0",
                   "Lock vb 0 0 D3DLOCK_DISCARD", "Unlock vb", State(D3DRS_ALPHABLENDENABLE, TRUE),
                   State(D3DRS_SRCBLEND, D3DBLEND_ONE), State(D3DRS_DESTBLEND, D3DBLEND_ONE),
                   "DrawPrimitive D3DPT_POINTLIST 0 0", State(D3DRS_ZENABLE, TRUE),
                   State(D3DRS_ALPHABLENDENABLE, FALSE)});
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    for (UINT r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(VS(r)[c], identity.m[r][c]);
}

TEST_F(Effects, BubblesTakeTheirRangeFromTheColoursAndSize)
{
    auto& bubbles =
        Made<C_FXBubbles>({{"count", "8"}, {"size", "0.1"}, {"colour1", "0xFFFF0000"}, {"colour2", "0xFFFF0000"}});
    const Particles::Settings& s = bubbles.m_Settings;
    EXPECT_EQ(s.velocity.y, 0.75f);
    EXPECT_EQ(s.spray, 0.35f);
    EXPECT_TRUE(s.rejuvenate);
    for (uint32_t i = 0; i < 8; ++i)
    {
        const Particles::Particle& p = bubbles.m_System->GetParticles()[i];
        EXPECT_EQ(Particles::PackColour(p.colour), 0xFFFF0000u) << "equal colours give that colour";
        EXPECT_GE(p.size, 0.1f);
        EXPECT_LE(p.size, 0.2f);
    }
    Calls().clear();
    bubbles.Render(0.0f, 0.0f, 0.016f);
    EXPECT_TRUE(Called("Lock vb 0 160 D3DLOCK_DISCARD"));
    EXPECT_TRUE(Called("DrawPrimitive D3DPT_POINTLIST 0 8"));
}
} // namespace
