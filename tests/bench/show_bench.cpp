// The shipped show on the real device layer (headless llvmpipe): start-up
// from process start to the first finished frame, the whole show's frame
// rate beside a bare clear-and-present loop on the same device, each effect
// type alone, and the heap allocations our code makes per frame in steady
// state (counted by a replaced global operator new; the GL driver is C and
// allocates with malloc, which is not counted). Beside the start-up, what a
// fork costs on this machine for a process with 300 MB touched, as the layer
// once forked a process of that size per shader and mesh. Run from the
// repository root (--startup: the start-up and the fork only):
//   build/release/tests/bench/quorl_show_bench [--size WxH] [--fps N] [--startup]
#include "support/counting_allocator.h"
#include "app/demo.h"
#include "d3dx9/helper.h"
#include "timeline/script_loader.h"

#include <epoxy/gl.h>
#include <tinyxml.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <new>
#include <string>
#include <vector>

#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from)
{
    return std::chrono::duration<double>(Clock::now() - from).count();
}

// Seconds since this process started, from the kernel's record of its start.
double SinceProcessStart()
{
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    size_t field = text.rfind(')');
    unsigned long long startTicks = 0;
    for (int i = 2; field != std::string::npos && i <= 22; ++i)
    {
        field = text.find(' ', field + 1);
        if (i == 21 && field != std::string::npos)
            startTicks = std::strtoull(text.c_str() + field + 1, nullptr, 10);
    }
    timespec now = {};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return now.tv_sec + now.tv_nsec / 1e9 - static_cast<double>(startTicks) / sysconf(_SC_CLK_TCK);
}

// Milliseconds a fork takes (to the child's exit, reaped) for this process
// once it has `megabytes` touched: the mean of 20.
double ForkMilliseconds(size_t megabytes)
{
    const size_t size = megabytes << 20;
    void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        return -1.0;
    // Small pages, as a heap grown by many allocations has.
    madvise(memory, size, MADV_NOHUGEPAGE);
    std::memset(memory, 1, size);
    const int forks = 20;
    auto begin = Clock::now();
    for (int i = 0; i < forks; ++i)
    {
        const pid_t child = fork();
        if (child == 0)
            _exit(0);
        waitpid(child, nullptr, 0);
    }
    return 1000.0 * Seconds(begin) / forks;
}

// The same in a fresh process of this program, so that nothing of this one is copied.
std::string MeasureForkInFreshProcess()
{
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return "?";
    self[length] = '\0';
    FILE* out = popen(("exec '" + std::string(self) + "' --fork-cost").c_str(), "r");
    if (!out)
        return "?";
    char line[64] = "?";
    if (!std::fgets(line, sizeof line, out))
        std::strcpy(line, "?");
    pclose(out);
    std::string text = line;
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

// Seconds the calling thread has run, and has waited, runnable, for a CPU: on
// a shared machine most of that wait is other programs' and a quiet one saves it.
void ThreadTimes(double& ran, double& waited)
{
    std::ifstream stat("/proc/thread-self/schedstat");
    unsigned long long ranNs = 0, waitedNs = 0;
    stat >> ranNs >> waitedNs;
    ran = ranNs / 1e9;
    waited = waitedNs / 1e9;
}

struct Window
{
    C_Demo& demo;
    explicit Window(C_Demo& d) : demo(d) {}
    ~Window()
    {
        if (demo.m_Window)
            DestroyWindow(demo.m_Window);
        UnregisterClassA(demo.GetWindowClassName(), demo.m_Instance);
    }
    bool Create(int width, int height)
    {
        demo.m_Instance = GetModuleHandleA(NULL);
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = WndProc;
        windowClass.hInstance = demo.m_Instance;
        windowClass.lpszClassName = demo.GetWindowClassName();
        if (!RegisterClassA(&windowClass))
            return false;
        demo.m_Window = CreateWindowExA(0, demo.GetWindowClassName(), demo.GetWindowTitle(), WS_VISIBLE, 0, 0, width,
                                        height, NULL, NULL, demo.m_Instance, NULL);
        return demo.m_Window != NULL;
    }
};

// One demo object with its window and device, the script loaded.
struct Run
{
    C_Demo demo;
    Window window{demo};
    bool ok = false;

    Run(int width, int height, const std::string& script)
    {
        demo.m_Settings.width = width;
        demo.m_Settings.height = height;
        demo.m_Settings.antiAliasing = 0;
        demo.m_Settings.windowed = true;
        demo.m_Settings.vsync = false;
        ok = window.Create(width, height) && demo.m_Renderer.Create(width, height, 0, false, true);
        if (ok)
        {
            demo.m_Factory.RegisterAll();
            ok = LoadScript(demo, script);
        }
    }

    // The player's last start-up step: the music stream, on the silent device.
    double OpenMusic()
    {
        auto begin = Clock::now();
        if (demo.m_Music.Init(false))
        {
            demo.m_Stream = demo.m_Music.CreateStream(demo.m_MusicFile);
            music = true;
        }
        return Seconds(begin);
    }

    ~Run()
    {
        if (music)
            demo.m_Music.Shutdown();
    }

    bool music = false;

    // One pass of the main loop, finished by the driver before it returns.
    void Frame(uint32_t time)
    {
        demo.StepFrame(time);
        glFinish();
    }
};

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// A script of the show's render targets and the first event of each type,
// moved to time 0 and drawn to the screen, one file per type.
std::map<std::string, std::string> SingleEffectScripts(const std::string& show)
{
    std::map<std::string, std::string> scripts;
    TiXmlDocument document(show);
    if (!document.LoadFile())
        return scripts;
    TiXmlElement* root = document.RootElement();
    TiXmlElement* resources = root->FirstChildElement("resources");
    TiXmlElement* events = root->FirstChildElement("events");
    for (TiXmlElement* event = events ? events->FirstChildElement() : nullptr; event;
         event = event->NextSiblingElement())
    {
        std::string type = event->ValueStr();
        if (scripts.count(type))
            continue;
        TiXmlElement copy(*event);
        copy.SetAttribute("start_time", "0");
        copy.SetAttribute("duration", "1000000");
        copy.RemoveAttribute("target");
        TiXmlDocument single;
        TiXmlElement demo("demo");
        demo.SetAttribute("start_time", "0");
        demo.SetAttribute("end_time", "1000000");
        demo.SetAttribute("music", "data\\music.ogg");
        demo.InsertEndChild(*resources);
        TiXmlElement list("events");
        list.InsertEndChild(copy);
        demo.InsertEndChild(list);
        single.InsertEndChild(demo);
        std::string path = "/tmp/quorl_show_bench_" + type + ".xml";
        single.SaveFile(path);
        scripts[type] = path;
    }
    return scripts;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == "--fork-cost")
    {
        std::printf("%.2f\n", ForkMilliseconds(300));
        return 0;
    }
    // As the player's own main() does, before the process grows.
    d3dx9::StartHelper();
    int width = 1024, height = 768, fps = 10;
    bool startupOnly = false;
    for (int i = 1; i < argc; ++i)
    {
        std::string option = argv[i];
        if (option == "--startup")
            startupOnly = true;
        else if (option == "--size" && i + 1 < argc)
            std::sscanf(argv[++i], "%dx%d", &width, &height);
        else if (option == "--fps" && i + 1 < argc)
            fps = std::atoi(argv[++i]);
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    const std::string show = "data/demo.xml";
    if (ReadFile(show).empty())
    {
        std::fprintf(stderr, "quorl_show_bench: run it from the repository root (no %s here)\n", show.c_str());
        return 1;
    }

    std::printf("quorl_show_bench at %dx%d, the show stepped at %d frames/s\n", width, height, fps);
    {
        auto begin = Clock::now();
        Run run(width, height, show);
        double loaded = Seconds(begin);
        if (!run.ok)
        {
            std::fprintf(stderr, "quorl_show_bench: no device or no script\n");
            return 1;
        }
        double music = run.OpenMusic();
        auto frame = Clock::now();
        run.Frame(run.demo.m_StartTime);
        std::printf("start-up: %.3f s from process start to the first finished frame (window, device, script, "
                    "shaders, textures, meshes: %.3f s; music stream %.3f s; first frame %.3f s)\n",
                    SinceProcessStart(), loaded, music, Seconds(frame));
        double ran = 0, waited = 0;
        ThreadTimes(ran, waited);
        std::printf("  the main thread ran %.3f s and waited %.3f s, runnable, for a CPU\n", ran, waited);
        std::printf("fork on this machine: %s ms for a process with 300 MB touched\n",
                    MeasureForkInFreshProcess().c_str());
        if (startupOnly)
            return 0;

        // The whole show, every frame finished; allocations counted after the
        // first pass through each event, when every effect has begun once.
        const uint32_t start = run.demo.m_StartTime, end = run.demo.m_EndTime;
        long frames = 0, allocations = 0, counted = 0;
        std::string allocating;
        double rendering = 0.0;
        for (uint64_t n = 1;; ++n)
        {
            uint64_t time = start + n * 1000 / fps;
            if (time >= end)
                break;
            long before = g_Allocations;
            auto at = Clock::now();
            run.Frame(static_cast<uint32_t>(time));
            rendering += Seconds(at);
            ++frames;
            // The frame after each second mark is not steady: effects begin there.
            if (n % fps > 1)
            {
                long made = g_Allocations - before;
                if (made && allocating.size() < 200)
                    allocating += " " + std::to_string(time) + " ms (" + std::to_string(made) + ")";
                allocations += made;
                ++counted;
            }
        }
        std::printf("the show: %ld frames, %.1f frames/s (%.2f ms a frame)\n", frames, frames / rendering,
                    1000.0 * rendering / frames);
        std::printf("heap allocations (operator new) per frame away from the second marks: %.3f (%ld in %ld frames)\n",
                    counted ? static_cast<double>(allocations) / counted : 0.0, allocations, counted);
        if (!allocating.empty())
            std::printf("  the first frames that allocated:%s\n", allocating.c_str());

        // A bare clear-and-present loop on the same device.
        IDirect3DDevice9* device = run.demo.m_Renderer.device;
        const int bare = 600;
        auto at = Clock::now();
        for (int i = 0; i < bare; ++i)
        {
            device->Clear(0, NULL, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
            device->Present(NULL, NULL, NULL, NULL);
            glFinish();
        }
        double seconds = Seconds(at);
        std::printf("bare clear and present: %.1f frames/s (%.2f ms a frame)\n", bare / seconds,
                    1000.0 * seconds / bare);
    }

    std::printf("each effect type alone, the first event of its kind in the show, drawn to the screen:\n");
    for (const auto& single : SingleEffectScripts(show))
    {
        Run run(width, height, single.second);
        if (!run.ok)
            continue;
        const int warm = 10, timed = 60;
        for (int i = 0; i < warm; ++i)
            run.Frame(static_cast<uint32_t>(i * 1000 / fps));
        auto at = Clock::now();
        for (int i = warm; i < warm + timed; ++i)
            run.Frame(static_cast<uint32_t>(i * 1000 / fps));
        std::printf("  %-12s %6.2f ms a frame\n", single.first.c_str(), 1000.0 * Seconds(at) / timed);
        std::remove(single.second.c_str());
    }
    return 0;
}
