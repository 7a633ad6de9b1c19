#include "app/demo.h"
#include "resource/render_target.h"
#include "support/recording_d3d9.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace
{
struct Drawn
{
    std::string label;
    float progress;
    float eventSeconds;
    float frameSeconds;
    int target;
};
std::vector<Drawn> g_Drawn;

class Probe : public C_FXEffect
{
public:
    Probe(const std::string& label, int start, int duration, int z = 0, const std::string& target = "",
          bool succeeds = true)
        : m_Label(label), m_Succeeds(succeeds)
    {
        m_StartTime.value = start;
        m_Duration.value = duration;
        m_Z.value = z;
        m_Target.text = target;
    }

    bool Render(float progress, float eventSeconds, float frameSeconds) override
    {
        g_Drawn.push_back(
            {m_Label, progress, eventSeconds, frameSeconds, C_Demo::GetInstance()->m_Renderer.boundRenderTarget});
        return m_Succeeds;
    }

private:
    std::string m_Label;
    bool m_Succeeds;
};

class FrameComposition : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RecordingD3D9::Reset();
        g_Drawn.clear();
        ASSERT_TRUE(demo->m_Renderer.Create(320, 240, 0, false, true));
    }

    void TearDown() override
    {
        demo.reset();
        EXPECT_EQ(RecordingD3D9::Get().liveObjects, 0);
    }

    void Event(Probe* probe) { demo->AddEvent(boost::shared_ptr<C_FXEffect>(probe)); }

    std::vector<std::string> Frame(uint32_t time, uint32_t delta = 20)
    {
        g_Drawn.clear();
        demo->RenderFrame(time, delta);
        std::vector<std::string> labels;
        for (const Drawn& drawn : g_Drawn)
            labels.push_back(drawn.label);
        return labels;
    }

    std::optional<C_Demo> demo{std::in_place};
};

using Labels = std::vector<std::string>;

TEST_F(FrameComposition, GivesEachActiveEffectItsTimes)
{
    Event(new Probe("a", 2000, 4000, 1));
    RecordingD3D9::Get().calls.clear();
    EXPECT_EQ(Frame(3000, 20), Labels{"a"});
    EXPECT_EQ(RecordingD3D9::Get().calls.front(),
              "Clear 0 D3DCLEAR_TARGET|D3DCLEAR_ZBUFFER|D3DCLEAR_STENCIL 0x0 1.000000 0");
    EXPECT_FLOAT_EQ(g_Drawn[0].progress, 0.25f);
    EXPECT_FLOAT_EQ(g_Drawn[0].eventSeconds, 1.0f);
    EXPECT_FLOAT_EQ(g_Drawn[0].frameSeconds, 0.02f);
    EXPECT_EQ(Frame(6000), Labels{}) << "retired before drawing at start + duration";
    EXPECT_EQ(Frame(3000), Labels{}) << "never activated twice";
}

TEST_F(FrameComposition, StartsAtZeroProgressAndNeverDrawsAZeroDuration)
{
    Event(new Probe("never", 100, 0));
    Event(new Probe("a", 100, 50));
    EXPECT_EQ(Frame(100), Labels{"a"});
    EXPECT_EQ(g_Drawn[0].progress, 0.0f);
    EXPECT_EQ(g_Drawn[0].eventSeconds, 0.0f);
    EXPECT_EQ(Frame(149), Labels{"a"});
    EXPECT_LT(g_Drawn[0].progress, 1.0f);
}

TEST_F(FrameComposition, DrawsByZThenActivationOrder)
{
    Event(new Probe("z1 first", 0, 1000, 1));
    Event(new Probe("z0", 0, 1000, 0));
    Event(new Probe("z1 second", 0, 1000, 1));
    Event(new Probe("negative", 0, 1000, -5));
    Event(new Probe("late z0", 50, 1000, 0));
    EXPECT_EQ(Frame(10), (Labels{"negative", "z0", "z1 first", "z1 second"}));
    EXPECT_EQ(Frame(60), (Labels{"negative", "z0", "late z0", "z1 first", "z1 second"}));
}

TEST_F(FrameComposition, AnEventBetweenTwoFramesIsNeverDrawn)
{
    Event(new Probe("brief", 110, 5));
    Event(new Probe("long", 100, 1000));
    EXPECT_EQ(Frame(100), Labels{"long"});
    EXPECT_EQ(Frame(120), Labels{"long"});
    // Only an activation moves the scan on; the missed event stays examined.
    EXPECT_EQ(demo->m_NextEvent, 1u);
}

TEST_F(FrameComposition, AFailedRenderCutsTheFrameShort)
{
    Event(new Probe("first", 0, 1000, 0));
    Event(new Probe("fails", 0, 1000, 1, "", false));
    Event(new Probe("after", 0, 1000, 2));
    g_Drawn.clear();
    EXPECT_FALSE(demo->RenderFrame(10, 10));
    EXPECT_EQ(g_Drawn.size(), 2u);
    EXPECT_EQ(Frame(20), (Labels{"first", "fails"})) << "the next frame starts over";
}

TEST_F(FrameComposition, EachEffectDrawsIntoItsNamedTargetAndTheLastOneStaysBound)
{
    auto* target = new Resource::C_RenderTarget;
    ASSERT_TRUE(target->Create(64, 64, D3DFMT_A8R8G8B8));
    ASSERT_EQ(demo->m_Resources.Add("glow", target), 0);
    Event(new Probe("back", 0, 1000, 0, ""));
    Event(new Probe("missing", 0, 1000, 1, "nothing"));
    Event(new Probe("into glow", 0, 1000, 2, "glow"));
    Frame(10);
    ASSERT_EQ(g_Drawn.size(), 3u);
    EXPECT_EQ(g_Drawn[0].target, -1);
    EXPECT_EQ(g_Drawn[1].target, -1);
    EXPECT_EQ(g_Drawn[2].target, 0);

    // The next frame's clear goes to the target that is still bound.
    RecordingD3D9::Get().calls.clear();
    Frame(20);
    std::vector<std::string> start(RecordingD3D9::Get().calls.begin(), RecordingD3D9::Get().calls.begin() + 2);
    std::vector<std::string> expected = {"Clear 0 D3DCLEAR_TARGET|D3DCLEAR_ZBUFFER|D3DCLEAR_STENCIL 0x0 1.000000 0",
                                         "SetRenderTarget 0 backbuffer"};
    EXPECT_EQ(start, expected);
}

TEST_F(FrameComposition, ATargetNamingAnotherKindOfResourceMeansTheBackBuffer)
{
    class Texture : public Resource::I_Resource
    {
    public:
        int GetKind() override { return Resource::Texture; }
        void* GetObject() override { return nullptr; }
        bool Load(const std::string&) override { return true; }
        bool OnDeviceReset() override { return true; }
        bool OnDeviceLost() override { return true; }
    };
    demo->m_Resources.Add("wood.png", new Texture);
    Event(new Probe("onto wood", 0, 1000, 0, "wood.png"));
    Frame(10);
    ASSERT_EQ(g_Drawn.size(), 1u);
    EXPECT_EQ(g_Drawn[0].target, -1);
}

TEST_F(FrameComposition, AnIntervalThatWrapsPastTheEndOfTimeIsNeverActive)
{
    // start + duration is taken modulo 2^32: 0xFFFFFF00 + 512 ends at 256.
    Event(new Probe("wraps", -256, 512));
    EXPECT_EQ(Frame(0xFFFFFF10u), Labels{});
    EXPECT_EQ(Frame(16), Labels{});
}

TEST_F(FrameComposition, AFrameWithNothingActiveOnlyClears)
{
    Event(new Probe("later", 5000, 10));
    RecordingD3D9::Get().calls.clear();
    EXPECT_TRUE(demo->RenderFrame(10, 10));
    EXPECT_EQ(RecordingD3D9::Get().calls.size(), 1u);
}
} // namespace
