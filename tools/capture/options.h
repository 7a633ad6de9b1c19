// quorl-capture's command line and the frames it steps through.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Capture
{
extern const char kUsage[];

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
    int jobs = 0; // 0: one thread fewer than the cores
    bool hasFrom = false;
    bool hasTo = false;
    uint32_t from = 0;
    uint32_t to = 0;
    std::vector<uint32_t> times;
    bool quiet = false;
};

enum class Parsed
{
    Run,
    Help,
    Version,
    Bad, // error says why
};

Parsed ParseOptions(int argc, const char* const* argv, Options& options, std::string& error);

// One pass of the stepped clock; name is the file written, empty for a frame
// that is only stepped.
struct Step
{
    uint32_t time;
    std::string name;
};

// Every frame from the script's start to the last time written, with listed
// times as steps of their own: effects simulate frame by frame, so a frame
// looks as it would in a capture of the whole show. False, with error, when
// nothing can be captured.
bool PlanSteps(const Options& options, uint32_t scriptStart, uint32_t scriptEnd, std::vector<Step>& steps,
               std::string& error);
} // namespace Capture
