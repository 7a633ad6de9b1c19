#include "preview/time_control.h"

#include <cmath>
#include <cstdio>

namespace Preview
{
uint32_t Clamp(int64_t time, uint32_t start, uint32_t end)
{
    if (end < start)
        end = start;
    if (time < static_cast<int64_t>(start))
        return start;
    if (time > static_cast<int64_t>(end))
        return end;
    return static_cast<uint32_t>(time);
}

uint32_t SeekBy(uint32_t time, int64_t delta, uint32_t start, uint32_t end)
{
    return Clamp(static_cast<int64_t>(time) + delta, start, end);
}

namespace
{
uint64_t FrameAt(uint32_t start, uint64_t n, int fps)
{
    return start + n * 1000 / static_cast<uint64_t>(fps);
}
} // namespace

uint32_t NextFrame(uint32_t time, uint32_t start, int fps)
{
    if (time < start)
        return start;
    // The frame index at or just below time, then forward past it.
    uint64_t n = static_cast<uint64_t>(time - start) * static_cast<uint64_t>(fps) / 1000;
    while (FrameAt(start, n, fps) <= time)
        ++n;
    uint64_t next = FrameAt(start, n, fps);
    return next > 0xFFFFFFFFull ? time : static_cast<uint32_t>(next);
}

uint32_t PreviousFrame(uint32_t time, uint32_t start, int fps)
{
    if (time <= start)
        return start;
    uint64_t n = static_cast<uint64_t>(time - start) * static_cast<uint64_t>(fps) / 1000 + 1;
    while (n > 0 && FrameAt(start, n, fps) >= time)
        --n;
    return static_cast<uint32_t>(FrameAt(start, n, fps));
}

namespace
{
uint32_t BeatTime(double beat, const Grid& grid)
{
    double ms = std::floor(beat * grid.BeatMs() + 0.5);
    if (ms < 0)
        return 0;
    if (ms > 4294967295.0)
        return 0xFFFFFFFFu;
    return static_cast<uint32_t>(ms);
}
} // namespace

uint32_t SnapToBeat(uint32_t time, const Grid& grid)
{
    return BeatTime(std::floor(time / grid.BeatMs() + 0.5), grid);
}

uint32_t NextBeat(uint32_t time, const Grid& grid)
{
    double beat = std::floor(time / grid.BeatMs());
    uint32_t next = BeatTime(beat + 1, grid);
    // Rounding can leave the beat after floor() at or below time.
    return next > time ? next : BeatTime(beat + 2, grid);
}

uint32_t PreviousBeat(uint32_t time, const Grid& grid)
{
    double beat = std::ceil(time / grid.BeatMs());
    for (; beat > 0; beat -= 1)
    {
        uint32_t previous = BeatTime(beat - 1, grid);
        if (previous < time)
            return previous;
    }
    return 0;
}

BarBeat BarAndBeat(uint32_t time, const Grid& grid)
{
    // Beats fall on whole milliseconds rounded to nearest: a time half a
    // millisecond before a beat's exact moment is already that beat.
    int64_t beats = static_cast<int64_t>(std::floor((time + 0.5) / grid.BeatMs()));
    int perBar = grid.beatsPerBar > 0 ? grid.beatsPerBar : 1;
    return {beats / perBar + 1, static_cast<int>(beats % perBar) + 1};
}

bool PastLoopEnd(uint32_t time, const Loop& loop)
{
    return loop.enabled && loop.Valid() && time >= loop.out;
}

uint32_t WrapLoop(uint32_t time, const Loop& loop)
{
    if (!PastLoopEnd(time, loop))
        return time;
    uint32_t length = loop.out - loop.in;
    uint32_t over = time - loop.out;
    return loop.in + (over < length ? over : 0);
}

std::string FormatTime(uint32_t time)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u.%02u", time / 60000, time / 1000 % 60, time / 10 % 100);
    return text;
}
} // namespace Preview
