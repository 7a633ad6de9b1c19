// An audio library whose clock the test drives: positions come from a script,
// and every call is recorded in order. The performance counter, the clock the
// demo falls back on when the music stands still, is scripted here too.
#pragma once

#include <bass.h>

#include <deque>
#include <string>
#include <vector>

namespace ScriptedBass
{
struct State
{
    std::vector<std::string> calls; // "Init -1 44100", "SetPosition 7 4410", ...
    std::deque<float> positions;    // seconds played since the seek, one per position read
    QWORD seekPosition = 0;         // where the last successful seek put the stream
    float lastPosition = 0.0f;      // repeated once the script runs out
    float end = 1e30f;              // seconds after the seek where the music ends: the stream stops there
    bool playing = false;           // between a play and a stop or the end
    std::deque<double> counter;     // performance counter readings in seconds; the last one repeats
    bool initSucceeds = true;
    bool seekSucceeds = true;
    std::vector<std::string> openableFiles;
    HWND initWindow = NULL;
    DWORD nextHandle = 100;
};

State& Get();
void Reset();
} // namespace ScriptedBass
