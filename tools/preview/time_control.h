// The preview's time arithmetic: seeks clamped to the script, frame steps on
// a fixed grid, the bar and beat grid of the music, and the loop.
#pragma once

#include <cstdint>
#include <string>

namespace Preview
{
// The music's grid; the show's music is written at this tempo and metre.
constexpr double kDefaultBpm = 120.0;
constexpr int kDefaultBeatsPerBar = 4;
constexpr int kStepFps = 60;

struct Grid
{
    double bpm = kDefaultBpm;
    int beatsPerBar = kDefaultBeatsPerBar;

    double BeatMs() const { return 60000.0 / bpm; }
};

struct BarBeat
{
    int64_t bar; // from 1
    int beat;    // from 1
};

// The time moved by delta ms, held inside start..end.
uint32_t SeekBy(uint32_t time, int64_t delta, uint32_t start, uint32_t end);
uint32_t Clamp(int64_t time, uint32_t start, uint32_t end);

// Frames lie at start + n * 1000 / fps (integer ms), as the capture tool steps
// them. The next frame strictly after time, or the last one strictly before.
uint32_t NextFrame(uint32_t time, uint32_t start, int fps = kStepFps);
uint32_t PreviousFrame(uint32_t time, uint32_t start, int fps = kStepFps);

// Beats lie on whole multiples of the beat length from time 0, where the
// music starts. The nearest beat, and the next or previous beat strictly past.
uint32_t SnapToBeat(uint32_t time, const Grid& grid);
uint32_t NextBeat(uint32_t time, const Grid& grid);
uint32_t PreviousBeat(uint32_t time, const Grid& grid);
BarBeat BarAndBeat(uint32_t time, const Grid& grid);

struct Loop
{
    uint32_t in = 0;
    uint32_t out = 0;
    bool enabled = false;

    bool Valid() const { return in < out; }
};

// Where a playing clock goes when it reaches or passes the loop's out point:
// back to in, keeping how far it overshot (within one loop length).
uint32_t WrapLoop(uint32_t time, const Loop& loop);
bool PastLoopEnd(uint32_t time, const Loop& loop);

// mm:ss.ff, ff the hundredths.
std::string FormatTime(uint32_t time);
} // namespace Preview
