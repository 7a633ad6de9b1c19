#include "resource/registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
std::vector<std::string> g_Events;

class FakeResource : public Resource::I_Resource
{
public:
    FakeResource(const std::string& label, int kind) : m_Label(label), m_Kind(kind) {}
    ~FakeResource() override { g_Events.push_back("destroy " + m_Label); }
    int GetKind() override { return m_Kind; }
    void* GetObject() override { return this; }
    bool Load(const std::string&) override { return true; }
    bool OnDeviceReset() override
    {
        g_Events.push_back("reset " + m_Label);
        return true;
    }
    bool OnDeviceLost() override
    {
        g_Events.push_back("lost " + m_Label);
        return true;
    }

private:
    std::string m_Label;
    int m_Kind;
};

class Registry : public ::testing::Test
{
protected:
    void SetUp() override { g_Events.clear(); }
};

TEST_F(Registry, AddGivesStableIndicesAndRefusesATakenName)
{
    C_ResourceRegistry registry;
    FakeResource* first = new FakeResource("a", Resource::RenderTarget);
    FakeResource* clash = new FakeResource("clash", Resource::RenderTarget);
    EXPECT_EQ(registry.Add("glow", first), 0);
    EXPECT_EQ(registry.Add("tex", new FakeResource("b", Resource::Texture)), 1);
    EXPECT_EQ(registry.Add("glow", clash), -1);
    EXPECT_EQ(registry.GetCount(), 2);
    EXPECT_EQ(registry.At(0), first);
    EXPECT_EQ(registry.At(2), nullptr);
    EXPECT_EQ(registry.At(-1), nullptr);
    delete clash; // refused, so still the caller's
}

TEST_F(Registry, FindLooksUpAnyKindAndFindRenderTargetOnlyTargets)
{
    C_ResourceRegistry registry;
    registry.Add("glow", new FakeResource("a", Resource::RenderTarget));
    registry.Add("wood.png", new FakeResource("b", Resource::Texture));
    EXPECT_EQ(registry.Find("glow"), 0);
    EXPECT_EQ(registry.Find("wood.png"), 1);
    EXPECT_EQ(registry.Find("Glow"), -1);
    EXPECT_EQ(registry.Find(""), -1);
    EXPECT_EQ(registry.FindRenderTarget("glow"), 0);
    EXPECT_EQ(registry.FindRenderTarget("wood.png"), -1);
    EXPECT_EQ(registry.FindRenderTarget(""), -1);
}

TEST_F(Registry, AcquireOfAKnownNameReturnsItOnlyForItsOwnKind)
{
    C_ResourceRegistry registry;
    registry.Add("glow", new FakeResource("a", Resource::RenderTarget));
    EXPECT_EQ(registry.Acquire("glow", Resource::RenderTarget), 0);
    EXPECT_EQ(registry.Acquire("glow", Resource::Texture), -1);
    EXPECT_EQ(registry.GetCount(), 1);
}

TEST_F(Registry, AcquireOfAnUnknownKindMakesNothing)
{
    C_ResourceRegistry registry;
    EXPECT_EQ(registry.Acquire("x", 7), -1);
    EXPECT_EQ(registry.Acquire("x", -1), -1);
    EXPECT_EQ(registry.GetCount(), 0);
}

TEST_F(Registry, BroadcastsAndDestructionGoInIndexOrder)
{
    {
        C_ResourceRegistry registry;
        registry.Add("one", new FakeResource("1", Resource::RenderTarget));
        registry.Add("two", new FakeResource("2", Resource::Texture));
        registry.OnDeviceLost();
        registry.OnDeviceReset();
    }
    std::vector<std::string> expected = {"lost 1", "lost 2", "reset 1", "reset 2", "destroy 1", "destroy 2"};
    EXPECT_EQ(g_Events, expected);
}
} // namespace

namespace
{
TEST_F(Registry, SwapExchangesResourcesAndNamesAndEachSideReleasesWhatItHolds)
{
    {
        C_ResourceRegistry shown;
        shown.Add("glow", new FakeResource("old", Resource::RenderTarget));
        {
            C_ResourceRegistry loading;
            shown.Swap(loading);
            EXPECT_EQ(shown.GetCount(), 0);
            EXPECT_EQ(shown.Find("glow"), -1);
            EXPECT_EQ(shown.Add("tex", new FakeResource("new", Resource::Texture)), 0);
            EXPECT_EQ(loading.Find("glow"), 0);
            EXPECT_TRUE(g_Events.empty());
        }
        EXPECT_EQ(g_Events, std::vector<std::string>{"destroy old"});
        EXPECT_EQ(shown.Find("tex"), 0);
    }
    EXPECT_EQ(g_Events, (std::vector<std::string>{"destroy old", "destroy new"}));
}
} // namespace
