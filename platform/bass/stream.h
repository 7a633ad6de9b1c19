// One decoded stream: its playback state, the clock that tells which frame is
// being heard, and the mixer that feeds it to the output.
#pragma once

#include "decoder.h"
#if QUORL_PAGE_CLOCK
#include "page_clock.h"
#endif

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

namespace bass
{

#if QUORL_PAGE_CLOCK
using Clock = PageClock;
#else
using Clock = std::chrono::steady_clock;
#endif

class Stream
{
public:
    Stream(uint32_t handle, std::unique_ptr<Pcm> pcm) : m_Handle(handle), m_Pcm(std::move(pcm)) {}

    uint32_t Handle() const { return m_Handle; }
    uint32_t Rate() const { return m_Pcm->Rate(); }
    uint64_t Frames() const { return m_Pcm->Frames(); }

    // Control, from API calls. `realTime` is set on the silent device, where
    // nothing consumes frames and the clock alone moves the position.
    void Play(Clock::time_point now, bool realTime);
    void Stop(Clock::time_point now);
    void Seek(uint64_t frame, Clock::time_point now, bool realTime);

    // The frame being heard at `now`; a stream heard to its end stops there.
    uint64_t HeardFrame(Clock::time_point now);
    bool Playing(Clock::time_point now);

    // Output side, once per device buffer: the buffer about to be filled is
    // heard from `now` on. Mix then adds `frames` device frames, at `step`
    // source frames per device frame (32.32 fixed point), into interleaved
    // stereo `out`.
    void BeginBuffer(Clock::time_point now);
    void Mix(float* out, uint32_t frames, uint64_t step);

    // Output side for a device that queues several buffers: the buffer in
    // `slot` is mixed ahead and becomes the heard range only when the device
    // starts it. A buffer mixed before a later play, stop or seek is not heard
    // as this stream.
    static const int kQueueSlots = 8;
    void MixQueued(float* out, uint32_t frames, uint64_t step, int slot);
    void StartQueued(Clock::time_point now, int slot);

private:
    uint64_t Interpolated(Clock::time_point now) const;
    void Render(float* out, uint32_t frames, uint64_t step);

    struct Queued
    {
        uint64_t from = 0;
        uint64_t to = 0;
        uint32_t epoch = 0;
    };

    uint32_t m_Handle;
    std::unique_ptr<Pcm> m_Pcm;

    bool m_Playing = false;
    uint64_t m_ReadFrame = 0; // next source frame the mixer takes
    uint32_t m_ReadFraction = 0;

    // Heard position: m_AnchorFrame at m_AnchorTime, advancing at the file's rate
    // while `m_Advancing`, never past m_CeilingFrame (what was handed out).
    bool m_Advancing = false;
    uint64_t m_AnchorFrame = 0;
    uint64_t m_CeilingFrame = 0;
    Clock::time_point m_AnchorTime{};

    uint32_t m_Epoch = 0; // bumped by every play, stop and seek
    Queued m_Queued[kQueueSlots];
};

// For a device that queues buffers: mixes every stream's next `frames`
// device frames into the buffer in `slot`, as interleaved 16-bit stereo `out`,
// through `mix` (room for frames * 2).
void MixQueuedBuffer(std::vector<std::unique_ptr<Stream>>& streams, uint32_t deviceRate, int slot, uint32_t frames,
                     float* mix, int16_t* out);

} // namespace bass
