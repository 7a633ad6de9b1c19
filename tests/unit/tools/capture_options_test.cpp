#include "capture/interrupt.h"
#include "capture/options.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include <unistd.h>

namespace
{
using namespace Capture;

Parsed Parse(const std::vector<const char*>& arguments, Options& options, std::string& error)
{
    std::vector<const char*> argv{"quorl-capture"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return ParseOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}

struct BadLine
{
    std::vector<const char*> arguments;
    const char* error;
};

void PrintTo(const BadLine& line, std::ostream* out)
{
    for (const char* argument : line.arguments)
        *out << argument << ' ';
}

class CaptureBadLine : public testing::TestWithParam<BadLine>
{
};

TEST_P(CaptureBadLine, IsRefusedWithTheReason)
{
    Options options;
    std::string error;
    EXPECT_EQ(Parse(GetParam().arguments, options, error), Parsed::Bad);
    EXPECT_EQ(error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CaptureBadLine,
    testing::Values(BadLine{{"--frobnicate", "1"}, "unknown option --frobnicate (see --help)"},
                    BadLine{{"--fps"}, "missing value after --fps (see --help)"},
                    BadLine{{"--fps", "0"}, "bad value for --fps: 0"},
                    BadLine{{"--fps", "1001"}, "bad value for --fps: 1001"},
                    BadLine{{"--size", "0x10"}, "bad value for --size: 0x10"},
                    BadLine{{"--size", "640*480"}, "bad value for --size: 640*480"},
                    BadLine{{"--antialias", "17"}, "bad value for --antialias: 17"},
                    BadLine{{"--jobs", "65"}, "bad value for --jobs: 65"},
                    BadLine{{"--from", "-5"}, "bad value for --from: -5"},
                    BadLine{{"--times", "100,,200"}, "bad value for --times: 100,,200"},
                    BadLine{{"--video", ""}, "bad value for --video: "},
                    BadLine{{"--times", "100", "--to", "200"}, "--times cannot be combined with --from or --to"},
                    BadLine{{"--times", "100", "--video", "a.mp4"}, "--times cannot be combined with --video"}));

TEST(CaptureOptions, ReadsEveryValueAndStopsAtHelpOrVersion)
{
    Options options;
    std::string error;
    ASSERT_EQ(Parse({"--size", "320x200", "--fps", "25", "--antialias", "4", "--from", "1500", "--to", "9000",
                     "--quiet", "--script", "data/other.xml"},
                    options, error),
              Parsed::Run)
        << error;
    EXPECT_EQ(options.width, 320);
    EXPECT_EQ(options.height, 200);
    EXPECT_EQ(options.fps, 25);
    EXPECT_EQ(options.antiAliasing, 4);
    EXPECT_TRUE(options.hasFrom && options.hasTo);
    EXPECT_EQ(options.from, 1500u);
    EXPECT_EQ(options.to, 9000u);
    EXPECT_TRUE(options.quiet);
    EXPECT_EQ(options.script, "data/other.xml");

    Options help;
    EXPECT_EQ(Parse({"--fps", "30", "--help", "--bogus"}, help, error), Parsed::Help);
    EXPECT_EQ(Parse({"--version", "--bogus"}, help, error), Parsed::Version);
}

std::vector<std::pair<uint32_t, std::string>> Plan(const Options& options, uint32_t start, uint32_t end,
                                                   std::string* error = nullptr)
{
    std::vector<Step> steps;
    std::string reason;
    bool ok = PlanSteps(options, start, end, steps, reason);
    if (error)
        *error = reason;
    std::vector<std::pair<uint32_t, std::string>> plan;
    if (ok)
    {
        for (const Step& step : steps)
            plan.emplace_back(step.time, step.name);
    }
    return plan;
}

using Planned = std::vector<std::pair<uint32_t, std::string>>;

TEST(CapturePlan, StepsFromTheScriptStartAndNamesOnlyTheFramesAsked)
{
    Options whole;
    // Frame times come from the frame number, so 60 fps gives 16, 33, 50: no drift.
    EXPECT_EQ(Plan(whole, 1000, 1050), (Planned{{1000, "frame_000000.png"},
                                                {1016, "frame_000001.png"},
                                                {1033, "frame_000002.png"},
                                                {1050, "frame_000003.png"}}));

    // Frames before --from are still stepped, so simulations reach it as in a whole run;
    // numbering starts at the first frame written.
    Options range;
    range.hasFrom = range.hasTo = true;
    range.from = 1020;
    range.to = 1040;
    EXPECT_EQ(Plan(range, 1000, 5000), (Planned{{1000, ""}, {1016, ""}, {1033, "frame_000000.png"}}));

    // --from before the script's start begins at the start.
    range.from = 0;
    EXPECT_EQ(Plan(range, 1000, 5000).front(), (std::pair<uint32_t, std::string>{1000, "frame_000000.png"}));

    std::string error;
    range.from = 3000;
    range.to = 2000;
    EXPECT_TRUE(Plan(range, 1000, 5000, &error).empty());
    EXPECT_EQ(error, "nothing to capture between 3000 and 2000 ms");
}

TEST(CapturePlan, ListedTimesAreStepsOfTheirOwnInTimeOrder)
{
    Options listed;
    listed.times = {1033, 1020, 1000, 1020};
    // 1020 falls between frames and is stepped where it lies; 1033 is a frame
    // and is not stepped twice.
    EXPECT_EQ(Plan(listed, 1000, 5000),
              (Planned{{1000, "t_001000.png"}, {1016, ""}, {1020, "t_001020.png"}, {1033, "t_001033.png"}}));

    std::string error;
    listed.times = {999, 2000};
    EXPECT_TRUE(Plan(listed, 1000, 5000, &error).empty());
    EXPECT_EQ(error, "time 999 lies before the script's start 1000");
}

// The first signal lets the frame in progress finish; a second ends a capture
// held up in a long frame at once, and takes its unfinished video with it.
TEST(CaptureInterrupt, ASecondSignalEndsTheCaptureAtOnceAndRemovesTheUnfinishedVideo)
{
    const std::filesystem::path video =
        std::filesystem::temp_directory_path() / (".quorl-interrupt-" + std::to_string(getpid()) + ".partial");
    for (int signal : {SIGINT, SIGTERM})
    {
        std::ofstream(video) << "half a video";
        EXPECT_EXIT(
            {
                CatchInterrupts();
                UnfinishedFile unfinished(video.string());
                std::raise(signal);
                if (Interrupted())
                    std::raise(signal);
            },
            testing::KilledBySignal(signal), "");
        EXPECT_FALSE(std::filesystem::exists(video)) << "signal " << signal;
        std::filesystem::remove(video);
    }
}
} // namespace
