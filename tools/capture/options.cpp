#include "capture/options.h"

#include "command_line.h"
#include "step_effects.h"

#include <algorithm>
#include <cstdio>

namespace Capture
{
const char kUsage[] = "Usage: quorl-capture [options]\n"
                      "Renders a demo script headless, frame by frame at a fixed rate, and writes PNG files\n"
                      "or a video.\n"
                      "\n"
                      "  --script PATH     demo script, relative to the working directory (default data/demo.xml;\n"
                      "                    where the working directory has none, the installed show's)\n"
                      "  --root DIR        change to DIR first: the folder that holds data/\n"
                      "  --size WxH        back-buffer size (default 1024x768)\n"
                      "  --fps N           frames per second of the stepped clock (default 60)\n"
                      "  --from MS         first time written, in ms (default the script's start)\n"
                      "  --to MS           last time written, inclusive (default the script's end)\n"
                      "  --times T1,T2,...\n"
                      "                    write only the frames at these times (ms); every frame from the\n"
                      "                    script's start is still stepped, with each listed time as a step\n"
                      "  --antialias N     multisample count (default 0, off)\n"
                      "  --jobs N          threads that encode and write the PNG files (default: cores - 1)\n"
                      "  --out DIR         output folder, created if missing, relative to the working\n"
                      "                    directory before --root (default capture)\n"
                      "  --video FILE      write the frames as H.264 video (yuv420p) with the script's music\n"
                      "                    as AAC, in the container the name asks for (MP4 by default),\n"
                      "                    instead of PNG files; not with --times; needs an even size\n"
                      "  --quiet           no progress bar and no summary\n"
                      "  --version         print the version and end\n"
                      "\n"
                      "Frame n is at time start + n * 1000 / fps (integer ms). Output names:\n"
                      "  frame_NNNNNN.png  without --times, numbered from 000000 in the order written\n"
                      "  t_NNNNNN.png      with --times, NNNNNN the time in ms\n"
                      "The exit status is non-zero when the script, the device or the output fails; a video\n"
                      "that cannot be finished is removed. Ctrl+C or SIGTERM stops after the frame in\n"
                      "progress; a second one stops at once.\n";

namespace
{
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

std::string NumberedName(const char* prefix, uint64_t number)
{
    char name[32];
    std::snprintf(name, sizeof name, "%s%06llu.png", prefix, static_cast<unsigned long long>(number));
    return name;
}
} // namespace

Parsed ParseOptions(int argc, const char* const* argv, Options& options, std::string& error)
{
    for (int i = 1; i < argc; ++i)
    {
        std::string option = argv[i];
        if (option == "--help" || option == "-h")
            return Parsed::Help;
        if (option == "--version")
            return Parsed::Version;
        if (option == "--quiet")
        {
            options.quiet = true;
            continue;
        }
        if (i + 1 >= argc)
        {
            error = "missing value after " + option + " (see --help)";
            return Parsed::Bad;
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
            error = "unknown option " + option + " (see --help)";
            return Parsed::Bad;
        }
        if (!ok)
        {
            error = "bad value for " + option + ": " + value;
            return Parsed::Bad;
        }
    }
    if (!options.times.empty() && (options.hasFrom || options.hasTo))
    {
        error = "--times cannot be combined with --from or --to";
        return Parsed::Bad;
    }
    if (!options.times.empty() && !options.video.empty())
    {
        error = "--times cannot be combined with --video";
        return Parsed::Bad;
    }
    return Parsed::Run;
}

bool PlanSteps(const Options& options, uint32_t scriptStart, uint32_t scriptEnd, std::vector<Step>& steps,
               std::string& error)
{
    using Stepping::FrameTime;
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
} // namespace Capture
