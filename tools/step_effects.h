// The stepped clock of quorl-capture and quorl-preview, and putting a loaded
// show at any time as if it had played there at that clock: effects that carry
// state from frame to frame (the particle and bubble systems) are restarted
// and stepped on the frames from the script's start, the same frames
// quorl-capture draws.
#pragma once

#include <cstdint>

class C_Demo;

namespace Stepping
{
// Frame n of the stepped clock, from n itself so that no rounding accumulates.
inline uint64_t FrameTime(uint32_t start, uint64_t n, int fps)
{
    return start + n * 1000 / static_cast<uint64_t>(fps);
}

// Restarts the timeline: nothing active, every event waiting, every particle
// and bubble system as its Init left it. Then steps the systems of the events
// active at time through every frame before time from their first frame.
// Returns the last frame before time (the previous time for the frame drawn
// at time), or time itself when it is the script's start.
uint32_t StepTo(C_Demo& demo, uint32_t time, int fps);
} // namespace Stepping
