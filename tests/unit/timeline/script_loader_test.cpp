#include "app/demo.h"
#include "support/temp_dir.h"
#include "timeline/script_loader.h"

#include <gtest/gtest.h>

namespace
{
// Records what the loader does to it.
class ProbeEffect : public C_FXEffect
{
public:
    static std::string TypeName() { return "probe"; }

    ProbeEffect() { RegisterVariable("label", &label); }

    bool Init() override
    {
        initCallsBeforeMe = initCount++;
        labelAtInit = label.text;
        return label.text != "fails";
    }

    C_VarString label;
    int initCallsBeforeMe = -1;
    std::string labelAtInit;
    static int initCount;
};
int ProbeEffect::initCount = 0;

class ScriptLoader : public ::testing::Test
{
protected:
    bool Load(const std::string& script)
    {
        dir.Write("data/demo.xml", script);
        ScopedCurrentDir cwd(dir.Path());
        return LoadScript(demo, "data\\demo.xml");
    }

    TempDir dir;
    C_Demo demo;
};

TEST_F(ScriptLoader, ReadsTheDemoElementsTimesAndMusic)
{
    ASSERT_TRUE(Load("<?xml version=\"1.0\"?>\r\n<!-- demo -->\r\n"
                     "<demo start_time=\" 1500\" end_time=\"250ms\" music=\"data\\tune 1.ogg\">\r\n"
                     "<events/><resources/></demo>"));
    EXPECT_EQ(demo.m_StartTime, 1500u);
    EXPECT_EQ(demo.m_EndTime, 250u);
    EXPECT_EQ(demo.m_MusicFile, "data\\tune 1.ogg");
}

struct NumberCase
{
    const char* text;
    uint32_t expected;
};

class ScriptNumbers : public ScriptLoader, public ::testing::WithParamInterface<NumberCase>
{
};

TEST_P(ScriptNumbers, FollowTheIntegerRule)
{
    ASSERT_TRUE(Load(std::string("<demo start_time=\"") + GetParam().text +
                     "\" end_time=\"1\" music=\"m\"><resources/><events/></demo>"));
    EXPECT_EQ(demo.m_StartTime, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, ScriptNumbers,
                         ::testing::Values(NumberCase{"1500", 1500}, NumberCase{"1.5e3", 1}, NumberCase{"abc", 0},
                                           NumberCase{"", 0}, NumberCase{"-256", 0xFFFFFF00u}, NumberCase{"+42", 42},
                                           NumberCase{"2147483647", 2147483647u}, NumberCase{"4294967296", 0},
                                           NumberCase{"0x10", 0}));

TEST_F(ScriptLoader, TakesTheFirstDemoElementAmongOtherTopLevelNodes)
{
    ASSERT_TRUE(Load("<show start_time=\"5\"/><demo start_time=\"7\" end_time=\"8\" music=\"a\"><resources/><events/>"
                     "</demo><demo start_time=\"9\" end_time=\"9\" music=\"b\"><resources/><events/></demo>"));
    EXPECT_EQ(demo.m_StartTime, 7u);
    EXPECT_EQ(demo.m_MusicFile, "a");
}

TEST_F(ScriptLoader, FailsOnAMissingFileBrokenXmlOrAnIncompleteScript)
{
    {
        ScopedCurrentDir cwd(dir.Path());
        EXPECT_FALSE(LoadScript(demo, "data\\demo.xml"));
    }
    EXPECT_FALSE(Load(""));
    EXPECT_FALSE(Load("<demo start_time=\"0\" end_time=\"1\" music=\"m\"><resources/><events/>"));
    EXPECT_FALSE(Load("<Demo start_time=\"0\" end_time=\"1\" music=\"m\"><resources/><events/></Demo>"));
    EXPECT_FALSE(Load("<demo start_time=\"0\" end_time=\"1\" music=\"m\"><events/></demo>"));
    EXPECT_FALSE(Load("<demo start_time=\"0\" end_time=\"1\" music=\"m\"><resources/></demo>"));
    EXPECT_FALSE(Load("<demo start_time=\"0\" end_time=\"1\"><resources/><events/></demo>"));
    EXPECT_FALSE(Load("<demo end_time=\"1\" music=\"m\"><resources/><events/></demo>"));
    EXPECT_FALSE(Load("<demo start_time=\"0\" music=\"m\"><resources/><events/></demo>"));
}

TEST_F(ScriptLoader, TurnsEventsIntoInitialisedEffectsOrderedByStartTime)
{
    demo.m_Factory.Register<ProbeEffect>();
    ProbeEffect::initCount = 0;
    ASSERT_TRUE(Load(R"(<demo start_time="0" end_time="1" music="m"><resources/><events>
        <probe label="late" start_time="900"/>
        <Clear start_time="0"/>
        <probe label="first" start_time="100" colour="ignored"><probe label="nested"/></probe>
        <probe label="second" start_time=" 100"/>
        <probe label="wraps" start_time="-1"/>
        <unknown/>
        <probe label="fails" start_time="50"/>
        <!-- probe -->
        </events></demo>)"));

    std::vector<std::string> order;
    for (const auto& event : demo.m_Events)
        order.push_back(static_cast<ProbeEffect&>(*event).label.text);
    // "-1" is the largest unsigned start; equal starts keep document order.
    std::vector<std::string> expected = {"fails", "first", "second", "late", "wraps"};
    EXPECT_EQ(order, expected);
    for (const auto& event : demo.m_Events)
    {
        const auto& probe = static_cast<ProbeEffect&>(*event);
        EXPECT_EQ(probe.labelAtInit, probe.label.text) << "attributes are applied before Init";
        EXPECT_GE(probe.initCallsBeforeMe, 0);
    }
    EXPECT_EQ(ProbeEffect::initCount, 5);
}

TEST_F(ScriptLoader, OpensTheWindowsPathFromAnyWorkingDirectory)
{
    dir.Write("show/scripts/demo.xml",
              "<demo start_time=\"3\" end_time=\"4\" music=\"m\"><resources/><events/></demo>");
    ScopedCurrentDir cwd(dir.Path() / "show");
    ASSERT_TRUE(LoadScript(demo, "scripts\\demo.xml"));
    EXPECT_EQ(demo.m_StartTime, 3u);
}
} // namespace
