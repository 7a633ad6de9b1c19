#include "app/demo.h"
#include "resource/render_target.h"
#include "support/recording_d3d9.h"
#include "support/temp_dir.h"
#include "timeline/script_loader.h"

#include <gtest/gtest.h>

#include <optional>

namespace
{
class ScriptTargets : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RecordingD3D9::Reset();
        ASSERT_TRUE(demo->m_Renderer.Create(1024, 768, 0, false, false));
    }

    void TearDown() override
    {
        demo.reset();
        EXPECT_EQ(RecordingD3D9::Get().liveObjects, 0);
    }

    bool Load(const std::string& resources)
    {
        dir.Write("data/demo.xml", "<demo start_time=\"0\" end_time=\"1\" music=\"m\"><resources>" + resources +
                                       "</resources><events/></demo>");
        ScopedCurrentDir cwd(dir.Path());
        return LoadScript(*demo, "data\\demo.xml");
    }

    RenderTargetSurfaces* Target(const std::string& name)
    {
        int index = demo->m_Resources.FindRenderTarget(name);
        return index < 0 ? nullptr : static_cast<RenderTargetSurfaces*>(demo->m_Resources.At(index)->GetObject());
    }

    TempDir dir;
    std::optional<C_Demo> demo{std::in_place};
};

TEST_F(ScriptTargets, RegistersEachNamedTargetOnceWithItsSize)
{
    ASSERT_TRUE(Load(R"(<render_target name="half" width="-2" height="-2"/>
                        <texture name="ignored"/>
                        <render_target name="half" width="16" height="16"/>
                        <render_target name="small" width=" 128" height="64px"/>
                        <render_target name="broken" width="0" height="64"/>)"));
    EXPECT_EQ(demo->m_Resources.GetCount(), 2);
    ASSERT_NE(Target("half"), nullptr);
    EXPECT_EQ(Target("half")->width, 512) << "the first target of a name stays";
    EXPECT_EQ(Target("half")->height, 384);
    ASSERT_NE(Target("small"), nullptr);
    EXPECT_EQ(Target("small")->width, 128);
    EXPECT_EQ(Target("small")->height, 64);
    EXPECT_EQ(Target("broken"), nullptr) << "a target that cannot be made is not registered";
}

TEST_F(ScriptTargets, ATargetWithoutItsSizeOrNameFailsTheLoad)
{
    EXPECT_FALSE(Load(R"(<render_target name="a" width="4"/>)"));
    EXPECT_FALSE(Load(R"(<render_target width="4" height="4"/>)"));
    EXPECT_TRUE(Load(""));
}
} // namespace
