#include "app/demo.h"
#include "support/scripted_bass.h"
#include "support/temp_dir.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include "win32/internal.h"

namespace
{
const char* kScript = R"(<demo start_time="2000" end_time="9000" music="data\song.ogg">
  <resources/>
  <events/>
</demo>)";

class DemoLifetime : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ScriptedBass::Reset();
        ScriptedBass::Get().openableFiles = {"data\\song.ogg"};
        dir.Write("data/demo.xml", kScript);
    }

    TempDir dir;
};

TEST(DemoSingleton, PointsAtTheLiveObjectOnly)
{
    EXPECT_EQ(C_Demo::GetInstance(), nullptr);
    {
        C_Demo demo;
        EXPECT_EQ(C_Demo::GetInstance(), &demo);
        EXPECT_STREQ(demo.GetWindowClassName(), "Quorl");
        EXPECT_STREQ(demo.GetWindowTitle(), "Dravik's Quorl");
    }
    EXPECT_EQ(C_Demo::GetInstance(), nullptr);
}

TEST_F(DemoLifetime, InitOpensAFullScreenPopupReadsTheScriptAndCreatesTheStream)
{
    ScopedCurrentDir cwd(dir.Path());
    C_Demo demo;
    ASSERT_TRUE(demo.Init());

    EXPECT_EQ(demo.m_Instance, GetModuleHandleA(NULL));
    RECT rect;
    ASSERT_TRUE(GetWindowRect(demo.m_Window, &rect));
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, 1024);
    EXPECT_EQ(rect.bottom, 768);
    SDL_Window* sdlWindow = Win32GetSdlWindow(demo.m_Window);
    ASSERT_NE(sdlWindow, nullptr);
    EXPECT_STREQ(SDL_GetWindowTitle(sdlWindow), "Dravik's Quorl");

    // The cursor was hidden once: showing it again brings the counter back to 0.
    EXPECT_EQ(ShowCursor(TRUE), 0);
    ShowCursor(FALSE);

    EXPECT_EQ(demo.m_StartTime, 2000u);
    EXPECT_EQ(demo.m_EndTime, 9000u);
    EXPECT_EQ(demo.m_MusicFile, "data\\song.ogg");
    EXPECT_EQ(demo.m_Stream, 100u);
    std::vector<std::string> calls = {"Init -1 44100 0", "StreamCreateFile data\\song.ogg"};
    EXPECT_EQ(ScriptedBass::Get().calls, calls);
    EXPECT_EQ(ScriptedBass::Get().initWindow, demo.m_Window);

    EXPECT_TRUE(demo.Shutdown());
    EXPECT_FALSE(IsWindow(demo.m_Window));
    calls.insert(calls.end(), {"StreamFree 100", "Free"});
    EXPECT_EQ(ScriptedBass::Get().calls, calls);
    // The class is gone, so a second run in the process can register it again.
    WNDCLASSA again = {};
    again.lpfnWndProc = WndProc;
    again.hInstance = demo.m_Instance;
    again.lpszClassName = "Quorl";
    EXPECT_NE(RegisterClassA(&again), 0);
    UnregisterClassA("Quorl", demo.m_Instance);
}

TEST_F(DemoLifetime, InitTakesTheSettingsFromItsOwnRecordNotFromEarlierValues)
{
    ScopedCurrentDir cwd(dir.Path());
    C_Demo demo;
    demo.m_Settings.windowed = true;
    demo.m_Settings.width = 320;
    ASSERT_TRUE(demo.Init());
    EXPECT_FALSE(demo.m_Settings.windowed);
    RECT client;
    ASSERT_TRUE(GetClientRect(demo.m_Window, &client));
    EXPECT_EQ(client.right - client.left, 1024);
    EXPECT_EQ(client.bottom - client.top, 768);
    demo.Shutdown();
}

TEST_F(DemoLifetime, AMissingMusicFileLeavesStreamZeroAndInitSucceeds)
{
    ScriptedBass::Get().openableFiles.clear();
    ScopedCurrentDir cwd(dir.Path());
    C_Demo demo;
    ASSERT_TRUE(demo.Init());
    EXPECT_EQ(demo.m_Stream, 0u);
    EXPECT_TRUE(demo.m_Music.GetStreams().empty());
    demo.Shutdown();
    EXPECT_EQ(ScriptedBass::Get().calls.back(), "Free");
}

TEST_F(DemoLifetime, InitFailsWhenTheScriptIsMissingOrTheAudioLibraryCannotStart)
{
    {
        TempDir empty;
        ScopedCurrentDir cwd(empty.Path());
        C_Demo demo;
        EXPECT_FALSE(demo.Init());
        // The audio library is never touched when the script cannot be read.
        EXPECT_TRUE(ScriptedBass::Get().calls.empty());
        DestroyWindow(demo.m_Window);
        UnregisterClassA("Quorl", demo.m_Instance);
    }
    {
        ScriptedBass::Get().initSucceeds = false;
        ScopedCurrentDir cwd(dir.Path());
        C_Demo demo;
        EXPECT_FALSE(demo.Init());
        std::vector<std::string> calls = {"Init -1 44100 0"};
        EXPECT_EQ(ScriptedBass::Get().calls, calls);
        DestroyWindow(demo.m_Window);
        UnregisterClassA("Quorl", demo.m_Instance);
    }
}

TEST_F(DemoLifetime, InitFailsWhenTheWindowClassIsTaken)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "Quorl";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    ScopedCurrentDir cwd(dir.Path());
    C_Demo demo;
    EXPECT_FALSE(demo.Init());
    EXPECT_EQ(demo.m_Window, nullptr);
    UnregisterClassA("Quorl", windowClass.hInstance);
}

TEST(Music, ChoosesTheDeviceFromTheMusicSettingAndFreesStreamsInOrder)
{
    ScriptedBass::Reset();
    ScriptedBass::Get().openableFiles = {"a.ogg", "b.ogg"};
    C_Demo demo;
    C_Music music;
    ASSERT_TRUE(music.Init(false));
    EXPECT_EQ(music.GetDevice(), 0);
    EXPECT_EQ(music.CreateStream("a.ogg"), 100u);
    EXPECT_EQ(music.CreateStream("missing.ogg"), 0u);
    EXPECT_EQ(music.CreateStream("b.ogg"), 101u);
    EXPECT_TRUE(music.Shutdown());

    std::vector<std::string> calls = {"Init 0 44100 0",
                                      "StreamCreateFile a.ogg",
                                      "StreamCreateFile missing.ogg",
                                      "StreamCreateFile b.ogg",
                                      "StreamFree 100",
                                      "StreamFree 101",
                                      "Free"};
    EXPECT_EQ(ScriptedBass::Get().calls, calls);
    std::vector<HSTREAM> kept = {100, 101};
    EXPECT_EQ(music.GetStreams(), kept);

    C_Music audible;
    ScriptedBass::Get().initSucceeds = false;
    EXPECT_FALSE(audible.Init(true));
    EXPECT_EQ(audible.GetDevice(), -1);
}
} // namespace
