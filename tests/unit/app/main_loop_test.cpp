#include "app/demo.h"
#include "support/recording_d3d9.h"
#include "support/scripted_bass.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

namespace
{
class RecordingDemo : public C_Demo
{
public:
    bool RenderFrame(uint32_t time, uint32_t delta) override
    {
        frames.push_back({time, delta});
        if (onFrame)
            onFrame(*this);
        return true;
    }

    std::vector<std::pair<uint32_t, uint32_t>> frames;
    std::function<void(RecordingDemo&)> onFrame;
};

class MainLoop : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ScriptedBass::Reset();
        RecordingD3D9::Reset();
        Prepare(demo);
    }

    // A stream to read and a device to draw on, for a demo that skips Init.
    static void Prepare(RecordingDemo& demo)
    {
        demo.m_Stream = 100;
        ASSERT_TRUE(demo.m_Renderer.Create(64, 64, 0, false, true));
    }

    void TearDown() override
    {
        if (window)
            DestroyWindow(window);
        UnregisterClassA("QuorlLoopTest", GetModuleHandleA(NULL));
        // Drain what the window's destruction posted.
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
        {
        }
    }

    // A window served by the demo's own window procedure.
    void OpenWindow()
    {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = WndProc;
        windowClass.hInstance = GetModuleHandleA(NULL);
        windowClass.lpszClassName = "QuorlLoopTest";
        ASSERT_NE(RegisterClassA(&windowClass), 0);
        window = CreateWindowExA(0, "QuorlLoopTest", "loop", WS_POPUP | WS_VISIBLE, 0, 0, 64, 64, NULL, NULL,
                                 windowClass.hInstance, NULL);
        ASSERT_NE(window, nullptr);
    }

    void Positions(std::initializer_list<float> seconds)
    {
        ScriptedBass::Get().positions.assign(seconds.begin(), seconds.end());
    }

    RecordingDemo demo;
    HWND window = NULL;
};

// After the seek the stream reports its own position, which already holds the
// start time: the demo time is the position heard, not the start time twice.
// The first pass follows the start: its delta is 0, not the whole start time.
TEST_F(MainLoop, TimeIsThePositionHeardInTruncatedMillisecondsAndDeltaFollowsThePreviousPass)
{
    demo.m_StartTime = 60000;
    demo.m_EndTime = 60100;
    // Seconds are floats: at 60 s a step is 4 µs, so 60.05 reads as 60.0499992 and truncates to 60049.
    Positions({0.0f, 0.0105f, 0.05f, 0.0999f, 0.1005f});
    demo.Run();

    std::vector<std::pair<uint32_t, uint32_t>> expected = {
        {60000, 0}, {60010, 10}, {60049, 39}, {60099, 50}, {60100, 1}};
    EXPECT_EQ(demo.frames, expected);
    EXPECT_EQ(demo.m_ExitCode, 0);
}

TEST_F(MainLoop, SeeksToTheStartTimeAndPlaysBeforeTheFirstPassAndStopsAfterTheLast)
{
    demo.m_StartTime = 1500;
    demo.m_EndTime = 0;
    demo.Run();

    std::vector<std::string> expected = {"Seconds2Bytes 100 1.500000", "SetPosition 100 1500000", "Play 100 0",
                                         "Stop 100"};
    EXPECT_EQ(ScriptedBass::Get().calls, expected);
}

// With no music to follow the time runs on from its last value on the
// performance counter (its first reading is taken at the seek).
TEST_F(MainLoop, WithoutAStreamAfterAFailedSeekOrPastTheMusicsEndTheCounterCarriesTheTimeToTheEnd)
{
    struct Case
    {
        const char* what;
        HSTREAM stream;
        bool seeks;
        float musicEnd;
    } cases[] = {{"no stream", 0, true, 1e30f}, {"failed seek", 100, false, 1e30f}, {"music ends", 100, true, 0.5f}};
    const std::vector<std::pair<uint32_t, uint32_t>> expected = {
        {1000, 0}, {1250, 250}, {1500, 250}, {1550, 50}, {1600, 50}};
    for (const Case& c : cases)
    {
        ScriptedBass::Reset();
        ScriptedBass::Get().seekSucceeds = c.seeks;
        ScriptedBass::Get().end = c.musicEnd;
        Positions({0.0f, 0.25f, 0.5f, 0.5f, 0.5f});
        ScriptedBass::Get().counter = {7.0, 7.0, 7.25, 7.5, 7.55, 7.6};
        RecordingDemo run;
        Prepare(run);
        run.m_Stream = c.stream;
        run.m_StartTime = 1000;
        run.m_EndTime = 1600;
        run.onFrame = [](RecordingDemo& self) { self.m_QuitRequested |= self.frames.size() == 10; };
        run.Run();
        EXPECT_EQ(run.frames, expected) << c.what;
        for (const std::string& call : ScriptedBass::Get().calls)
            EXPECT_TRUE(c.seeks || call.rfind("Play", 0) != 0) << c.what << ": " << call;
    }
}

TEST_F(MainLoop, EndAtOrBelowTheStartDrawsExactlyOneFrame)
{
    demo.m_StartTime = 5000;
    demo.m_EndTime = 5000;
    demo.Run();
    EXPECT_EQ(demo.frames.size(), 1u);

    RecordingDemo earlier;
    Prepare(earlier);
    earlier.m_StartTime = 5000;
    earlier.m_EndTime = 10;
    earlier.Run();
    EXPECT_EQ(earlier.frames.size(), 1u);
}

TEST_F(MainLoop, TimesWrapModuloTwoToThe32)
{
    demo.m_StartTime = static_cast<uint32_t>(-256); // a script's "-256"
    demo.m_EndTime = 0xFFFFFFFFu;
    Positions({0.0f, 1.0f});
    demo.onFrame = [](RecordingDemo& self)
    {
        if (self.frames.size() == 2)
            self.m_QuitRequested = true;
    };
    demo.Run();

    ASSERT_EQ(demo.frames.size(), 2u);
    EXPECT_EQ(demo.frames[0].first, 0xFFFFFF00u);
    EXPECT_EQ(demo.frames[1].first, 744u);
    EXPECT_EQ(demo.frames[1].second, 1000u);
}

TEST_F(MainLoop, EscapeAndCloseEndTheRunAfterTheCurrentFrame)
{
    OpenWindow();
    demo.m_EndTime = 1000; // five frames, were the key ignored
    Positions({0.0f, 0.25f, 0.5f, 0.75f, 1.0f});
    PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    demo.Run();
    EXPECT_EQ(demo.frames.size(), 1u);
    EXPECT_EQ(demo.m_ExitCode, 0);

    MSG translated; // the character that TranslateMessage made of the Esc key
    while (PeekMessageA(&translated, NULL, 0, 0, PM_REMOVE))
    {
    }
    RecordingDemo closing;
    Prepare(closing);
    closing.m_EndTime = 1000;
    Positions({0.0f, 0.25f, 0.5f, 0.75f, 1.0f});
    PostMessageA(window, WM_CLOSE, 0, 0);
    closing.Run();
    EXPECT_EQ(closing.frames.size(), 1u);
    // The window procedure keeps the window: it is destroyed by the shutdown.
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(MainLoop, OtherKeysAndMouseInputChangeNothing)
{
    OpenWindow();
    demo.m_EndTime = 750;
    PostMessageA(window, WM_KEYDOWN, 'A', 0);
    PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    Positions({0.0f, 0.25f, 0.5f, 0.75f});
    demo.Run();
    EXPECT_EQ(demo.frames.size(), 4u);
    EXPECT_EQ(demo.m_ExitCode, 0);
}

TEST_F(MainLoop, AQuitMessageEndsTheLoopAtOnceWithItsCode)
{
    demo.m_EndTime = 0xFFFFFFFFu;
    demo.onFrame = [](RecordingDemo& self)
    {
        if (self.frames.size() == 2)
            PostQuitMessage(7);
    };
    demo.Run();
    EXPECT_EQ(demo.frames.size(), 2u);
    EXPECT_EQ(demo.m_ExitCode, 7);
    EXPECT_EQ(ScriptedBass::Get().calls.back(), "Stop 100");
}

TEST_F(MainLoop, DestroyingTheWindowPostsQuitWithCodeZero)
{
    OpenWindow();
    demo.m_EndTime = 0xFFFFFFFFu;
    demo.onFrame = [this](RecordingDemo& self)
    {
        if (self.frames.size() == 1)
        {
            DestroyWindow(window);
            window = NULL;
        }
    };
    demo.Run();
    EXPECT_EQ(demo.frames.size(), 1u);
    EXPECT_EQ(demo.m_ExitCode, 0);
}

TEST_F(MainLoop, AMessageBurstIsSpreadOverOnePassEach)
{
    OpenWindow();
    demo.m_EndTime = 0xFFFFFFFFu;
    for (int i = 0; i < 3; ++i)
        PostMessageA(window, WM_KEYDOWN, 'B', 0);
    PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    demo.Run();
    // One pass per key: the characters translated from the 'B's queue up behind Esc.
    EXPECT_EQ(demo.frames.size(), 4u);
}
} // namespace
