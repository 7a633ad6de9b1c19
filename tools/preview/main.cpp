// quorl-preview: plays a show in a window with the player's own demo object,
// renderer, registry, loader and effects, for the people who make shows:
// pause, seek, step, loop, and see the script, the shaders and the assets
// change the moment they are saved.
#include "command_line.h"
#include "app/demo.h"
#include "d3d9/test_hooks.h"
#include "d3dx9/helper.h"
#include "effects/particles/random.h"
#include "installed_show.h"
#include "preview/effect_names.h"
#include "preview/music_clock.h"
#include "preview/overlay.h"
#include "preview/reload.h"
#include "preview/time_control.h"
#include "preview/watcher.h"
#include "step_effects.h"
#include "tool_window.h"

#include <stb/stb_image_write.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace
{
const char kUsage[] = "Usage: quorl-preview [options]\n"
                      "Plays a demo script in a window and reloads it when the script or anything\n"
                      "under data/ is saved.\n"
                      "\n"
                      "  --script PATH   demo script, relative to the working directory (default data/demo.xml;\n"
                      "                  where the working directory has none, the installed show's)\n"
                      "  --root DIR      change to DIR first: the folder that holds data/\n"
                      "  --start MS      time to open the show at (default the script's start)\n"
                      "  --size WxH      window size (default 1280x720)\n"
                      "  --bpm N         tempo of the overlay's bar grid (default 120)\n"
                      "  --beats N       beats per bar (default 4)\n"
                      "  --paused        open paused\n"
                      "  --mute          no sound: the music's position still runs the clock\n"
                      "  --shots DIR     folder for S screenshots (default: the folder it was started in)\n"
                      "  --version       print the version and end\n"
                      "\n"
                      "Keys: Space pause/play; Left/Right -/+1 s, with Shift 10 s; Home/End the script's\n"
                      "start/end; while paused . and , step a frame (1/60 s), with Ctrl a beat; [ and ]\n"
                      "set the loop's in and out at the nearest beat, L turns the loop on and off; F5\n"
                      "reloads; S writes a screenshot without the overlay; H hides the overlay; Esc quits.\n";

const char kWindowClass[] = "QuorlPreview";

struct Options
{
    std::string script = "data/demo.xml";
    std::string root;
    std::string shots;
    int width = 1280;
    int height = 720;
    bool hasStart = false;
    uint32_t start = 0;
    Preview::Grid grid;
    bool paused = false;
    bool mute = false;
};

int Fail(const std::string& message)
{
    std::fprintf(stderr, "quorl-preview: %s\n", message.c_str());
    return 1;
}

// 0 to go on, 1 on a bad command line, 2 after --help or --version.
int ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i)
    {
        std::string option = argv[i];
        if (option == "--help" || option == "-h")
        {
            std::fputs(kUsage, stdout);
            return 2;
        }
        if (option == "--version")
        {
            std::puts("quorl-preview " QUORL_VERSION);
            return 2;
        }
        if (option == "--paused" || option == "--mute")
        {
            (option == "--paused" ? options.paused : options.mute) = true;
            continue;
        }
        if (i + 1 >= argc)
        {
            Fail("missing value after " + option + " (see --help)");
            return 1;
        }
        std::string value = argv[++i];
        bool ok = true;
        uint32_t number = 0;
        if (option == "--script")
            options.script = value;
        else if (option == "--root")
            options.root = value;
        else if (option == "--shots")
            options.shots = value;
        else if (option == "--size")
            ok = ParseSize(value, options.width, options.height, 64);
        else if (option == "--start")
            ok = options.hasStart = ParseUnsigned(value, options.start);
        else if (option == "--bpm")
        {
            char* end = nullptr;
            options.grid.bpm = std::strtod(value.c_str(), &end);
            ok = end && *end == '\0' && options.grid.bpm >= 1.0 && options.grid.bpm <= 1000.0;
        }
        else if (option == "--beats")
        {
            ok = ParseUnsigned(value, number) && number >= 1 && number <= 64;
            options.grid.beatsPerBar = static_cast<int>(number);
        }
        else
        {
            Fail("unknown option " + option + " (see --help)");
            return 1;
        }
        if (!ok)
        {
            Fail("bad value for " + option + ": " + value);
            return 1;
        }
    }
    return 0;
}

// Keys as the window procedure saw them, handled once per pass.
struct Key
{
    WPARAM code;
    bool shift;
    bool control;
};

std::deque<Key> g_Keys;
bool g_Shift = false;
bool g_Control = false;
bool g_Quit = false;

LRESULT CALLBACK PreviewWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_DESTROY: PostQuitMessage(0); break;
    case WM_CLOSE: g_Quit = true; return 0;
    case WM_KEYDOWN:
        if (wParam == VK_SHIFT)
            g_Shift = true;
        else if (wParam == VK_CONTROL)
            g_Control = true;
        else
            g_Keys.push_back({wParam, g_Shift, g_Control});
        return 0;
    case WM_KEYUP:
        if (wParam == VK_SHIFT)
            g_Shift = false;
        else if (wParam == VK_CONTROL)
            g_Control = false;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

using Preview::MusicClock;
using Preview::NowMs;

class Session
{
public:
    Session(const Options& options, C_Demo& demo) : m_Options(options), m_Demo(demo), m_Loader(demo, options.script) {}

    int Run();

private:
    uint32_t Start() const { return m_Loader.HasShow() ? m_Demo.m_StartTime : 0; }
    uint32_t End() const { return m_Loader.HasShow() ? std::max(m_Demo.m_EndTime, m_Demo.m_StartTime) : 0; }
    void SeekTo(uint32_t time);
    void HandleKey(const Key& key);
    void Reload(bool forced);
    void OpenMusic();
    void CloseMusic();
    void Screenshot();
    std::vector<Preview::OverlayLine> TopLines() const;
    std::vector<Preview::OverlayLine> BottomLines() const;

    const Options& m_Options;
    C_Demo& m_Demo;
    Preview::ShowLoader m_Loader;
    Preview::FileWatcher m_Watcher;
    Preview::Overlay m_Overlay;
    MusicClock m_Clock;
    Preview::Loop m_Loop;
    uint32_t m_Time = 0;
    std::string m_MusicFile;
    bool m_ShowOverlay = true;
    bool m_ScreenshotWanted = false;
    std::string m_Notice;
    int64_t m_NoticeUntil = 0;
    double m_Fps = 0;
    int m_FrameCount = 0;
    int64_t m_FpsSince = 0;
    int m_ShotCount = 0;
    uint32_t m_RandomAtLoad = 1;
};

void Session::SeekTo(uint32_t time)
{
    m_Time = Preview::Clamp(time, Start(), End());
    // The same draws on every seek to a time: the picture there does not
    // depend on what was played before.
    SetRandomState(m_RandomAtLoad);
    m_Demo.m_PreviousTime = m_Loader.HasShow() ? Stepping::StepTo(m_Demo, m_Time, Preview::kStepFps) : m_Time;
    // After the stepping, which can take a while: the music must not run on
    // meanwhile, or the next frame would jump by that much.
    m_Clock.Seek(m_Time);
}

void Session::OpenMusic()
{
    m_MusicFile = m_Demo.m_MusicFile;
    m_Clock.SetStream(m_Demo.m_Music.CreateStream(m_MusicFile));
}

void Session::CloseMusic()
{
    if (m_Clock.Stream())
        BASS_StreamFree(m_Clock.Stream());
    m_Clock.SetStream(0);
}

void Session::Reload(bool forced)
{
    bool hadShow = m_Loader.HasShow();
    bool playing = m_Clock.Playing();
    uint32_t time = m_Clock.Now();
    m_Clock.Pause();
    if (m_Loader.Load())
    {
        if (!hadShow || m_Demo.m_MusicFile != m_MusicFile)
        {
            CloseMusic();
            OpenMusic();
        }
        m_RandomAtLoad = GetRandomState();
        if (!hadShow)
            time = m_Options.hasStart ? m_Options.start : m_Demo.m_StartTime;
        SeekTo(time);
        m_Notice = !hadShow ? "loaded" : forced ? "reloaded (F5)" : "reloaded";
    }
    else
    {
        m_Clock.Seek(time);
        m_Notice = m_Loader.HasShow() ? "reload failed: showing the last good show" : "the show does not load";
    }
    m_NoticeUntil = NowMs() + 3000;
    if (playing)
        m_Clock.Play();
}

void Session::HandleKey(const Key& key)
{
    const Preview::Grid& grid = m_Options.grid;
    bool paused = !m_Clock.Playing();
    uint32_t now = m_Clock.Now();
    switch (key.code)
    {
    case VK_ESCAPE: g_Quit = true; break;
    case VK_SPACE:
        if (paused)
        {
            // Playing on from the end would stop at once: start over instead.
            if (now >= End() && End() > Start())
                SeekTo(m_Loop.enabled && m_Loop.Valid() ? m_Loop.in : Start());
            m_Clock.Play();
        }
        else
        {
            m_Clock.Pause();
            m_Time = m_Clock.Now();
        }
        break;
    case VK_LEFT:
    case VK_RIGHT:
        SeekTo(Preview::SeekBy(now, (key.code == VK_LEFT ? -1 : 1) * (key.shift ? 10000 : 1000), Start(), End()));
        break;
    case VK_HOME: SeekTo(Start()); break;
    case VK_END: SeekTo(End()); break;
    case VK_OEM_PERIOD:
        if (paused)
        {
            uint32_t next = key.control ? Preview::NextBeat(now, grid) : Preview::NextFrame(now, Start());
            next = Preview::Clamp(next, Start(), End());
            if (key.control)
                SeekTo(next);
            else
            {
                // One frame on: the effects step as they would in play.
                m_Time = next;
                m_Clock.Seek(next);
            }
        }
        break;
    case VK_OEM_COMMA:
        if (paused)
            SeekTo(key.control ? Preview::PreviousBeat(now, grid) : Preview::PreviousFrame(now, Start()));
        break;
    case VK_OEM_4: m_Loop.in = Preview::SnapToBeat(now, grid); break;
    case VK_OEM_6: m_Loop.out = Preview::SnapToBeat(now, grid); break;
    case 'L':
        m_Loop.enabled = !m_Loop.enabled;
        if (m_Loop.enabled && m_Loop.Valid() && (now < m_Loop.in || now >= m_Loop.out))
            SeekTo(m_Loop.in);
        break;
    case 'H': m_ShowOverlay = !m_ShowOverlay; break;
    case 'S': m_ScreenshotWanted = true; break;
    case VK_F1 + 4:
        Reload(true);
        m_Watcher.Rebase();
        break;
    }
}

void Session::Screenshot()
{
    std::vector<uint32_t> argb;
    UINT width = 0, height = 0;
    if (!D3D9Test_ReadBackBuffer(m_Demo.m_Renderer.device, argb, &width, &height))
    {
        m_Notice = "screenshot failed: cannot read the picture";
        m_NoticeUntil = NowMs() + 3000;
        return;
    }
    std::vector<unsigned char> rgb(argb.size() * 3);
    for (size_t i = 0; i < argb.size(); ++i)
    {
        rgb[i * 3] = static_cast<unsigned char>(argb[i] >> 16);
        rgb[i * 3 + 1] = static_cast<unsigned char>(argb[i] >> 8);
        rgb[i * 3 + 2] = static_cast<unsigned char>(argb[i]);
    }
    std::filesystem::path folder(m_Options.shots);
    char name[64];
    std::filesystem::path path;
    do
    {
        std::snprintf(name, sizeof name, "preview_t%06u_%03d.png", m_Time, ++m_ShotCount);
        path = folder / name;
    } while (std::filesystem::exists(path));
    bool ok = stbi_write_png(path.c_str(), static_cast<int>(width), static_cast<int>(height), 3, rgb.data(),
                             static_cast<int>(width) * 3) != 0;
    m_Notice = ok ? "wrote " + path.string() : "cannot write " + path.string();
    m_NoticeUntil = NowMs() + 3000;
    std::printf("%s %s\n", ok ? "screenshot" : "screenshot-failed", path.c_str());
    std::fflush(stdout);
}

std::vector<Preview::OverlayLine> Session::TopLines() const
{
    const uint32_t white = 0xFFFFFFFF, grey = 0xFFB0B0B0, green = 0xFF80FF80;
    std::vector<Preview::OverlayLine> lines;
    Preview::BarBeat position = Preview::BarAndBeat(m_Time, m_Options.grid);
    char text[256];
    std::snprintf(text, sizeof text, "%s %s  bar %lld beat %d  (%g bpm, %d/bar)  %.1f fps",
                  m_Clock.Playing() ? "PLAY " : "PAUSE", Preview::FormatTime(m_Time).c_str(),
                  static_cast<long long>(position.bar), position.beat, m_Options.grid.bpm, m_Options.grid.beatsPerBar,
                  m_Fps);
    lines.push_back({text, white});
    std::string loop =
        "loop " + (m_Loop.in || m_Loop.out ? Preview::FormatTime(m_Loop.in) + " - " + Preview::FormatTime(m_Loop.out)
                                           : std::string("not set"));
    loop += m_Loop.enabled ? (m_Loop.Valid() ? "  on" : "  on (out must follow in)") : "  off";
    lines.push_back({loop, m_Loop.enabled && m_Loop.Valid() ? green : grey});
    lines.push_back(
        {m_Options.script + "  " + Preview::FormatTime(Start()) + " - " + Preview::FormatTime(End()), grey});
    for (const boost::shared_ptr<C_FXEffect>& effect : m_Demo.m_Active)
    {
        uint32_t local = m_Time - static_cast<uint32_t>(effect->m_StartTime.value);
        std::snprintf(text, sizeof text, "  %-12s z %-3d %7.2f s of %.2f s%s%s",
                      Preview::EffectTypeName(*effect).c_str(), effect->m_Z.value, local / 1000.0,
                      static_cast<uint32_t>(effect->m_Duration.value) / 1000.0,
                      effect->m_Target.text.empty() ? "" : "  -> ", effect->m_Target.text.c_str());
        lines.push_back({text, white});
    }
    if (NowMs() < m_NoticeUntil)
        lines.push_back({m_Notice, 0xFFFFE080});
    lines.push_back({"Space play/pause  <- -> 1 s (Shift 10 s)  Home End  . , frame (Ctrl beat)  [ ] L loop  "
                     "F5 reload  S shot  H hide",
                     grey});
    return lines;
}

std::vector<Preview::OverlayLine> Session::BottomLines() const
{
    std::vector<Preview::OverlayLine> lines;
    for (const std::string& error : m_Loader.Errors())
        lines.push_back({"error: " + error, 0xFFFF7070});
    for (const std::string& warning : m_Loader.Warnings())
        lines.push_back({"warning: " + warning, 0xFFFFD060});
    return lines;
}

int Session::Run()
{
    std::string error;
    if (!m_Overlay.Create(m_Demo.m_Renderer.device, 16, error))
        return Fail(error);
    if (!m_Demo.m_Music.Init(!m_Options.mute) && (m_Options.mute || !m_Demo.m_Music.Init(false)))
        return Fail("cannot start the audio library");

    if (!m_Watcher.Start({m_Options.script}, {"data"}, error))
        return Fail(error);

    Reload(false);
    if (!m_Options.paused)
        m_Clock.Play();
    m_FpsSince = NowMs();

    MSG message;
    while (!g_Quit && !m_Demo.m_QuitRequested)
    {
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
        {
            if (message.message == WM_QUIT)
                g_Quit = true;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        while (!g_Keys.empty())
        {
            Key key = g_Keys.front();
            g_Keys.pop_front();
            HandleKey(key);
        }
        if (m_Watcher.Poll(NowMs()))
            Reload(false);

        if (m_Clock.Playing())
        {
            // Just after play starts, the position heard can lag the one
            // seeked to: the picture never runs backwards without a seek,
            // which would hand the effects a huge frame time.
            uint32_t time = std::max(m_Clock.Now(), m_Time);
            if (Preview::PastLoopEnd(time, m_Loop))
                SeekTo(Preview::WrapLoop(time, m_Loop));
            else if (time >= End())
            {
                m_Clock.Pause();
                SeekTo(End());
            }
            else
                m_Time = time;
        }

        // Without a show the demo object has no events, and its frame is the clear alone.
        C_Renderer& renderer = m_Demo.m_Renderer;
        auto decorate = [&]
        {
            if (m_ScreenshotWanted)
            {
                m_ScreenshotWanted = false;
                Screenshot();
            }
            if (m_ShowOverlay || !m_Loader.Errors().empty())
                m_Overlay.Draw(renderer.backBufferSurface, renderer.backBufferWidth, renderer.backBufferHeight,
                               m_ShowOverlay ? TopLines() : std::vector<Preview::OverlayLine>(), BottomLines());
        };
        if (m_Demo.StepFrame(m_Time, decorate))
            ++m_FrameCount;

        int64_t now = NowMs();
        if (now - m_FpsSince >= 500)
        {
            m_Fps = m_FrameCount * 1000.0 / static_cast<double>(now - m_FpsSince);
            m_FrameCount = 0;
            m_FpsSince = now;
        }
        // Paused, the picture only needs to answer the keys and the files.
        if (!m_Clock.Playing())
            Sleep(10);
    }
    m_Clock.Pause();
    m_Demo.m_Music.Shutdown();
    return 0;
}

int OpenPreview(const Options& options)
{
    C_Demo demo;
    demo.m_Settings.width = options.width;
    demo.m_Settings.height = options.height;
    demo.m_Settings.antiAliasing = 0;
    demo.m_Settings.windowed = true;
    demo.m_Settings.vsync = true;
    demo.m_Settings.music = !options.mute;

    ToolWindow window(demo, PreviewWndProc, kWindowClass);
    if (!window.Open("quorl-preview: " + options.script))
        return Fail("cannot create the window");
    const C_Settings& settings = demo.m_Settings;
    if (!demo.m_Renderer.Create(settings.width, settings.height, settings.antiAliasing, settings.vsync,
                                settings.windowed))
        return Fail("cannot create the Direct3D device at " + std::to_string(settings.width) + "x" +
                    std::to_string(settings.height));
    demo.m_Factory.RegisterAll();
    Session session(options, demo);
    return session.Run();
}
} // namespace

int main(int argc, char** argv)
{
    // As the player's own main() does, before the process grows.
    d3dx9::StartHelper();
    Options options;
    switch (ParseOptions(argc, argv, options))
    {
    case 1: return 2;
    case 2: return 0;
    }
    // Screenshots go where the preview was started, not where --root or the
    // installed show moves it.
    std::error_code failure;
    std::filesystem::path shots = options.shots.empty() ? std::filesystem::current_path(failure)
                                                        : std::filesystem::absolute(options.shots, failure);
    if (!failure)
        std::filesystem::create_directories(shots, failure);
    if (failure)
        return Fail("cannot use the screenshot folder " + options.shots + ": " + failure.message());
    options.shots = shots.string();
    if (options.root.empty() && options.script == Options().script)
        options.root = InstalledShowRoot();
    if (!options.root.empty() && chdir(options.root.c_str()) != 0)
        return Fail("cannot change to " + options.root + ": " + std::strerror(errno));
    return OpenPreview(options);
}
