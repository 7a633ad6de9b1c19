// quorl-capture: renders a demo script headless at fixed frame times and
// writes the frames as PNG files. It runs the player's own C_Demo, window and
// device set-up, renderer, registry, factory, loader, effects and frame step;
// only the clock is replaced, by frame times stepped at a fixed rate, so every
// run writes the same pictures. With --video the frames go to an H.264 file
// with the script's music instead.
#include "app/demo.h"
#include "capture/frame_writer.h"
#include "capture/interrupt.h"
#include "capture/options.h"
#include "d3d9/test_hooks.h"
#include "d3dx9/helper.h"
#include "installed_show.h"
#include "timeline/script_loader.h"
#include "tool_window.h"
#include "video_writer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <unistd.h>

namespace
{
using namespace Capture;

int Fail(const std::string& message)
{
    std::fprintf(stderr, "quorl-capture: %s\n", message.c_str());
    return 1;
}

class Progress
{
public:
    Progress(bool quiet, size_t total) : m_Show(!quiet && isatty(STDERR_FILENO)), m_Total(total) {}

    void Update(size_t done, uint32_t time, double seconds)
    {
        if (!m_Show)
            return;
        // Whole percents only: redrawing every frame would cost more than a small frame.
        int percent = m_Total ? static_cast<int>(done * 100 / m_Total) : 100;
        if (percent == m_Percent && done != m_Total)
            return;
        m_Percent = percent;
        const int width = 30;
        int filled = percent * width / 100;
        std::string bar(static_cast<size_t>(filled), '#');
        bar.append(static_cast<size_t>(width - filled), '.');
        double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0.0;
        std::fprintf(stderr, "\r[%s] %3d%%  %zu/%zu  t=%u ms  %.1f frames/s ", bar.c_str(), percent, done, m_Total,
                     time, rate);
        std::fflush(stderr);
    }

    void Finish()
    {
        if (m_Show && m_Percent >= 0)
            std::fputc('\n', stderr);
    }

private:
    bool m_Show;
    size_t m_Total;
    int m_Percent = -1;
};

// Keeps the window answering; Esc or closing it ends the capture early.
void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

int Run(const Options& options, const std::filesystem::path& outDir)
{
    C_Demo demo;
    demo.m_Settings.width = options.width;
    demo.m_Settings.height = options.height;
    demo.m_Settings.antiAliasing = options.antiAliasing;
    demo.m_Settings.windowed = true;
    demo.m_Settings.vsync = false;
    demo.m_Settings.music = false;

    ToolWindow window(demo, WndProc, demo.GetWindowClassName());
    if (!window.Open(demo.GetWindowTitle()))
        return Fail("cannot create the window");
    const C_Settings& settings = demo.m_Settings;
    if (!demo.m_Renderer.Create(settings.width, settings.height, settings.antiAliasing, settings.vsync,
                                settings.windowed))
        return Fail("cannot create the Direct3D device at " + std::to_string(options.width) + "x" +
                    std::to_string(options.height) + " with anti-aliasing " + std::to_string(options.antiAliasing));
    demo.m_Factory.RegisterAll();
    if (!LoadScript(demo, options.script))
        return Fail("cannot load the script " + options.script +
                    " (missing, not well-formed, or without a complete demo element)");

    std::vector<Step> steps;
    std::string error;
    if (!PlanSteps(options, demo.m_StartTime, demo.m_EndTime, steps, error))
        return Fail(error);

    CatchInterrupts();
    // The video is opened before the first frame so that an unwritable path fails at once.
    VideoWriter video;
    if (!options.video.empty())
    {
        std::string music = demo.m_MusicFile;
        std::replace(music.begin(), music.end(), '\\', '/');
        uint32_t first = options.hasFrom ? std::max(options.from, demo.m_StartTime) : demo.m_StartTime;
        if (!video.Open(options.video, options.width, options.height, options.fps, music, first, error))
            return Fail(error);
        if (!video.HasAudio() && !options.quiet)
            std::fprintf(stderr, "quorl-capture: cannot read the music %s: the video has no sound\n", music.c_str());
    }
    UnfinishedFile unfinished(video.UnfinishedPath());

    int jobs = options.jobs;
    if (jobs == 0)
        jobs = std::max(1, static_cast<int>(std::thread::hardware_concurrency()) - 1);
    FrameWriter writer(options.video.empty() ? jobs : 0);
    Progress progress(options.quiet, steps.size());
    std::vector<uint32_t> argb;
    size_t written = 0;
    auto began = std::chrono::steady_clock::now();
    for (size_t i = 0; i < steps.size(); ++i)
    {
        const Step& step = steps[i];
        PumpMessages();
        if (demo.m_QuitRequested || Interrupted())
        {
            progress.Finish();
            return Fail("interrupted at " + std::to_string(step.time) + " ms");
        }
        // The frame is taken between drawing and presenting, where the back
        // buffer still holds it.
        std::string frameError;
        auto take = [&]
        {
            UINT width = 0, height = 0;
            if (!D3D9Test_ReadBackBuffer(demo.m_Renderer.device, argb, &width, &height))
                frameError = "cannot read the back buffer at " + std::to_string(step.time) + " ms";
            else if (!options.video.empty())
            {
                if (!video.WriteFrame(argb, frameError) && frameError.empty())
                    frameError = "cannot write the video at " + std::to_string(step.time) + " ms";
            }
            else if (!(frameError = writer.FirstFailure()).empty())
                frameError = "cannot write " + frameError;
            else
                writer.Write((outDir / step.name).string(), argb, width, height);
        };
        bool drawn = demo.StepFrame(step.time, step.name.empty() ? std::function<void()>() : take);
        // A frame the player would skip cannot be written: fail rather than leave a gap.
        if (!drawn && (!step.name.empty() || demo.m_QuitRequested))
            frameError = "device lost at " + std::to_string(step.time) + " ms";
        if (!frameError.empty())
        {
            progress.Finish();
            return Fail(frameError);
        }
        written += drawn && !step.name.empty();
        progress.Update(i + 1, step.time,
                        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count());
    }
    writer.Finish();
    progress.Finish();
    std::string failure = writer.FirstFailure();
    if (!failure.empty())
        return Fail("cannot write " + failure);
    if (!options.video.empty() && !video.Finish(error))
        return Fail(error);

    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    if (!options.quiet)
        std::fprintf(stderr, "quorl-capture: %zu frames stepped, %zu written to %s in %.2f s (%.1f frames/s)\n",
                     steps.size(), written, options.video.empty() ? outDir.string().c_str() : options.video.c_str(),
                     seconds, seconds > 0 ? static_cast<double>(steps.size()) / seconds : 0.0);
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    // As the player's own main() does, before the process grows.
    d3dx9::StartHelper();
    Options options;
    std::string error;
    switch (ParseOptions(argc, argv, options, error))
    {
    case Parsed::Bad: Fail(error); return 2;
    case Parsed::Help: std::fputs(kUsage, stdout); return 0;
    case Parsed::Version: std::puts("quorl-capture " QUORL_VERSION); return 0;
    case Parsed::Run: break;
    }

    // Headless unless the caller chose a video driver: no X server is needed.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);

    std::error_code failure;
    std::filesystem::path outDir = std::filesystem::absolute(options.out, failure);
    if (!options.video.empty())
    {
        // Relative to where the tool was started, as --out is.
        std::filesystem::path video = std::filesystem::absolute(options.video, failure);
        if (failure)
            return Fail("cannot write " + options.video + ": " + failure.message());
        options.video = video.string();
    }
    else
    {
        if (!failure)
            std::filesystem::create_directories(outDir, failure);
        if (failure || access(outDir.c_str(), W_OK) != 0)
            return Fail("output folder " + options.out + " is not writable" +
                        (failure ? ": " + failure.message() : std::string()));
    }

    if (options.root.empty() && options.script == Options().script)
        options.root = InstalledShowRoot();
    if (!options.root.empty() && chdir(options.root.c_str()) != 0)
        return Fail("cannot change to " + options.root + ": " + std::strerror(errno));

    return Run(options, outDir);
}
