// quorl-capture: renders a demo script headless at fixed frame times and
// writes the frames as PNG files. It runs the player's own C_Demo, renderer,
// registry, factory, loader and effects; only the clock is replaced, by frame
// times stepped at a fixed rate, so every run writes the same pictures. With
// --video the frames go to an H.264 file with the script's music instead.
#include "command_line.h"
#include "app/demo.h"
#include "d3d9/test_hooks.h"
#include "timeline/script_loader.h"
#include "video_writer.h"

#include <stb/stb_image_write.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <unistd.h>

namespace
{
const char kUsage[] = "usage: quorl-capture [options]\n"
                      "Renders a demo script headless, frame by frame at a fixed rate, and writes PNG files\n"
                      "or a video.\n"
                      "\n"
                      "  --script PATH     demo script, relative to the working directory (default data/demo.xml)\n"
                      "  --root DIR        change to DIR first: the folder that holds data/\n"
                      "  --size WxH        back-buffer size (default 1024x768)\n"
                      "  --fps N           frames per second of the stepped clock (default 60)\n"
                      "  --from MS         first time written, in ms (default the script's start)\n"
                      "  --to MS           last time written, inclusive (default the script's end)\n"
                      "  --times T1,T2,... write only the frames at these times (ms); every frame from the\n"
                      "                    script's start is still stepped, with each listed time as a step\n"
                      "  --antialias N     multisample count (default 0, off)\n"
                      "  --jobs N          threads that encode and write the PNG files (default: cores - 1)\n"
                      "  --out DIR         output folder, created if missing, relative to the working\n"
                      "                    directory before --root (default capture)\n"
                      "  --video FILE      write the frames as H.264 video (yuv420p) with the script's music\n"
                      "                    as AAC, in the container the name asks for (MP4 by default),\n"
                      "                    instead of PNG files; not with --times; needs an even size\n"
                      "  --quiet           no progress bar and no summary\n"
                      "\n"
                      "Frame n is at time start + n * 1000 / fps (integer ms). Output names:\n"
                      "  frame_NNNNNN.png  without --times, numbered from 000000 in the order written\n"
                      "  t_NNNNNN.png      with --times, NNNNNN the time in ms\n"
                      "The exit status is non-zero when the script, the device or the output fails; a video\n"
                      "that cannot be finished is removed.\n";

struct Options
{
    std::string script = "data/demo.xml";
    std::string root;
    std::string out = "capture";
    std::string video;
    int width = 1024;
    int height = 768;
    int fps = 60;
    int antiAliasing = 0;
    int jobs = 0;
    bool hasFrom = false;
    bool hasTo = false;
    uint32_t from = 0;
    uint32_t to = 0;
    std::vector<uint32_t> times;
    bool quiet = false;
};

// Set by Ctrl+C or a kill: the capture stops as if Esc were pressed, so a
// video that is not finished is removed.
volatile std::sig_atomic_t g_Interrupted = 0;

void Interrupt(int)
{
    g_Interrupted = 1;
}

// One pass of the replaced clock; name is empty for a frame that is only stepped.
struct Step
{
    uint32_t time;
    std::string name;
};

int Fail(const std::string& message)
{
    std::fprintf(stderr, "quorl-capture: %s\n", message.c_str());
    return 1;
}

bool ParsePositive(const std::string& text, int limit, int& value)
{
    uint32_t parsed = 0;
    if (!ParseUnsigned(text, parsed) || parsed == 0 || parsed > static_cast<uint32_t>(limit))
        return false;
    value = static_cast<int>(parsed);
    return true;
}

bool ParseTimes(const std::string& text, std::vector<uint32_t>& times)
{
    size_t begin = 0;
    while (true)
    {
        size_t comma = text.find(',', begin);
        uint32_t time = 0;
        if (!ParseUnsigned(text.substr(begin, comma - begin), time))
            return false;
        times.push_back(time);
        if (comma == std::string::npos)
            return true;
        begin = comma + 1;
    }
}

// 0 to go on, 1 on a bad command line, 2 after --help.
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
        if (option == "--quiet")
        {
            options.quiet = true;
            continue;
        }
        if (i + 1 >= argc)
        {
            Fail("missing value after " + option + " (see --help)");
            return 1;
        }
        std::string value = argv[++i];
        bool ok = true;
        if (option == "--script")
            options.script = value;
        else if (option == "--root")
            options.root = value;
        else if (option == "--out")
            options.out = value;
        else if (option == "--video")
            ok = !(options.video = value).empty();
        else if (option == "--size")
            ok = ParseSize(value, options.width, options.height, 1);
        else if (option == "--fps")
            ok = ParsePositive(value, 1000, options.fps);
        else if (option == "--antialias")
        {
            uint32_t samples = 0;
            ok = ParseUnsigned(value, samples) && samples <= 16;
            options.antiAliasing = static_cast<int>(samples);
        }
        else if (option == "--jobs")
            ok = ParsePositive(value, 64, options.jobs);
        else if (option == "--from")
            ok = options.hasFrom = ParseUnsigned(value, options.from);
        else if (option == "--to")
            ok = options.hasTo = ParseUnsigned(value, options.to);
        else if (option == "--times")
            ok = ParseTimes(value, options.times);
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
    if (!options.times.empty() && (options.hasFrom || options.hasTo))
    {
        Fail("--times cannot be combined with --from or --to");
        return 1;
    }
    if (!options.times.empty() && !options.video.empty())
    {
        Fail("--times cannot be combined with --video");
        return 1;
    }
    return 0;
}

std::string NumberedName(const char* prefix, uint64_t number)
{
    char name[32];
    std::snprintf(name, sizeof name, "%s%06llu.png", prefix, static_cast<unsigned long long>(number));
    return name;
}

// Time of frame n, from n itself so that no rounding accumulates.
uint64_t FrameTime(uint32_t start, uint64_t n, int fps)
{
    return start + n * 1000 / static_cast<uint64_t>(fps);
}

// Every frame from the script's start to the last time written, with the
// listed times as steps of their own: effects simulate frame by frame, so a
// frame looks as it would in a capture of the whole show.
bool PlanSteps(const Options& options, uint32_t scriptStart, uint32_t scriptEnd, std::vector<Step>& steps,
               std::string& error)
{
    if (!options.times.empty())
    {
        std::vector<uint32_t> times = options.times;
        std::sort(times.begin(), times.end());
        times.erase(std::unique(times.begin(), times.end()), times.end());
        if (times.front() < scriptStart)
        {
            error = "time " + std::to_string(times.front()) + " lies before the script's start " +
                    std::to_string(scriptStart);
            return false;
        }
        size_t next = 0;
        for (uint64_t n = 0; next < times.size(); ++n)
        {
            uint64_t time = FrameTime(scriptStart, n, options.fps);
            for (; next < times.size() && times[next] <= time; ++next)
                steps.push_back({times[next], NumberedName("t_", times[next])});
            if (time <= times.back() && (steps.empty() || steps.back().time != time))
                steps.push_back({static_cast<uint32_t>(time), std::string()});
        }
        return true;
    }

    uint32_t from = options.hasFrom ? std::max(options.from, scriptStart) : scriptStart;
    uint32_t to = options.hasTo ? options.to : scriptEnd;
    if (to < from)
    {
        error = "nothing to capture between " + std::to_string(from) + " and " + std::to_string(to) + " ms";
        return false;
    }
    uint64_t written = 0;
    for (uint64_t n = 0;; ++n)
    {
        uint64_t time = FrameTime(scriptStart, n, options.fps);
        if (time > to)
            break;
        std::string name = time >= from ? NumberedName("frame_", written++) : std::string();
        steps.push_back({static_cast<uint32_t>(time), name});
    }
    return true;
}

// Encodes and writes frames on worker threads: a PNG of a large frame costs
// several times what rendering it does, and frames encode independently.
class FrameWriter
{
public:
    explicit FrameWriter(int workers) : m_Limit(static_cast<size_t>(workers) * 2)
    {
        for (int i = 0; i < workers; ++i)
            m_Threads.emplace_back([this] { Work(); });
    }

    ~FrameWriter() { Finish(); }

    // The back buffer as rows of RGB: its alpha is never shown on screen.
    // Waits while the queue is full, so memory stays bounded.
    void Write(const std::string& path, const std::vector<uint32_t>& argb, UINT width, UINT height)
    {
        Job job;
        job.path = path;
        job.width = static_cast<int>(width);
        job.height = static_cast<int>(height);
        job.rgb.resize(argb.size() * 3);
        unsigned char* out = job.rgb.data();
        for (uint32_t pixel : argb)
        {
            *out++ = static_cast<unsigned char>(pixel >> 16);
            *out++ = static_cast<unsigned char>(pixel >> 8);
            *out++ = static_cast<unsigned char>(pixel);
        }
        std::unique_lock<std::mutex> lock(m_Mutex);
        m_Space.wait(lock, [this] { return m_Queue.size() < m_Limit; });
        m_Queue.push_back(std::move(job));
        m_Ready.notify_one();
    }

    // The first file that could not be written, or empty.
    std::string FirstFailure()
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return m_Failure;
    }

    // Waits until every queued frame is on disk.
    void Finish()
    {
        {
            std::lock_guard<std::mutex> lock(m_Mutex);
            m_Closing = true;
        }
        m_Ready.notify_all();
        for (std::thread& thread : m_Threads)
            thread.join();
        m_Threads.clear();
    }

private:
    struct Job
    {
        std::string path;
        std::vector<unsigned char> rgb;
        int width = 0;
        int height = 0;
    };

    void Work()
    {
        while (true)
        {
            Job job;
            {
                std::unique_lock<std::mutex> lock(m_Mutex);
                m_Ready.wait(lock, [this] { return m_Closing || !m_Queue.empty(); });
                if (m_Queue.empty())
                    return;
                job = std::move(m_Queue.front());
                m_Queue.pop_front();
                m_Space.notify_one();
            }
            bool ok = stbi_write_png(job.path.c_str(), job.width, job.height, 3, job.rgb.data(), job.width * 3) != 0;
            if (!ok)
            {
                std::lock_guard<std::mutex> lock(m_Mutex);
                if (m_Failure.empty())
                    m_Failure = job.path;
            }
        }
    }

    size_t m_Limit;
    std::mutex m_Mutex;
    std::condition_variable m_Ready;
    std::condition_variable m_Space;
    std::deque<Job> m_Queue;
    bool m_Closing = false;
    std::string m_Failure;
    std::vector<std::thread> m_Threads;
};

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

// Torn down before the demo object, as in the player's shutdown: the window
// first, then the device and everything else with C_Demo.
class WindowScope
{
public:
    explicit WindowScope(C_Demo& demo) : m_Demo(demo) {}
    ~WindowScope()
    {
        if (m_Demo.m_Window)
            DestroyWindow(m_Demo.m_Window);
        UnregisterClassA(m_Demo.GetWindowClassName(), m_Demo.m_Instance);
    }

    bool Create()
    {
        m_Demo.m_Instance = GetModuleHandleA(NULL);
        return m_Demo.OpenWindow(WndProc, m_Demo.GetWindowClassName(), m_Demo.GetWindowTitle());
    }

private:
    C_Demo& m_Demo;
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

int Capture(const Options& options, const std::filesystem::path& outDir)
{
    C_Demo demo;
    demo.m_Settings.width = options.width;
    demo.m_Settings.height = options.height;
    demo.m_Settings.antiAliasing = options.antiAliasing;
    demo.m_Settings.windowed = true;
    demo.m_Settings.vsync = false;
    demo.m_Settings.music = false;

    WindowScope window(demo);
    if (!window.Create())
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

    std::signal(SIGINT, Interrupt);
    std::signal(SIGTERM, Interrupt);

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
        if (demo.m_QuitRequested || g_Interrupted)
        {
            progress.Finish();
            return Fail("interrupted at " + std::to_string(step.time) + " ms");
        }
        uint32_t delta = step.time - demo.m_PreviousTime;
        if (demo.m_Renderer.CheckDevice())
        {
            demo.RenderFrame(step.time, delta);
            if (!step.name.empty())
            {
                UINT width = 0, height = 0;
                if (!D3D9Test_ReadBackBuffer(demo.m_Renderer.device, argb, &width, &height))
                {
                    progress.Finish();
                    return Fail("cannot read the back buffer at " + std::to_string(step.time) + " ms");
                }
                if (!options.video.empty())
                {
                    if (!video.WriteFrame(argb, error))
                    {
                        progress.Finish();
                        return Fail(error);
                    }
                }
                else
                {
                    std::string failure = writer.FirstFailure();
                    if (!failure.empty())
                    {
                        progress.Finish();
                        return Fail("cannot write " + failure);
                    }
                    writer.Write((outDir / step.name).string(), argb, width, height);
                }
                ++written;
            }
            demo.m_Renderer.device->Present(NULL, NULL, NULL, NULL);
        }
        else if (!step.name.empty() || demo.m_QuitRequested)
        {
            // A frame the player would skip cannot be written: fail rather than leave a gap.
            progress.Finish();
            return Fail("device lost at " + std::to_string(step.time) + " ms");
        }
        demo.m_PreviousTime = step.time;
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
    Options options;
    switch (ParseOptions(argc, argv, options))
    {
    case 1: return 2;
    case 2: return 0;
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

    if (!options.root.empty() && chdir(options.root.c_str()) != 0)
        return Fail("cannot change to " + options.root + ": " + std::strerror(errno));

    return Capture(options, outDir);
}
