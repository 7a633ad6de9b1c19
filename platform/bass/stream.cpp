#include "stream.h"

#include <algorithm>

namespace quorl_bass
{

uint64_t Stream::Interpolated(Clock::time_point now) const
{
    if (!advancing_ || now <= anchorTime_)
        return anchorFrame_;
    auto ns = static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now - anchorTime_).count());
    // Whole seconds and the rest apart, so that the products stay within 64 bits.
    const uint64_t perSecond = 1000000000u;
    uint64_t elapsed = ns / perSecond * pcm_.rate + ns % perSecond * pcm_.rate / perSecond;
    return anchorFrame_ + std::min(elapsed, ceilingFrame_ - anchorFrame_);
}

uint64_t Stream::HeardFrame(Clock::time_point now)
{
    uint64_t frame = Interpolated(now);
    if (playing_ && frame >= Frames())
    {
        playing_ = false;
        advancing_ = false;
        anchorFrame_ = readFrame_ = ceilingFrame_ = Frames();
        readFraction_ = 0;
        return Frames();
    }
    return frame;
}

bool Stream::Playing(Clock::time_point now)
{
    HeardFrame(now);
    return playing_;
}

void Stream::Play(Clock::time_point now, bool realTime)
{
    if (playing_)
        return;
    playing_ = true;
    ++epoch_;
    anchorTime_ = now;
    // With a device, the position holds until the mixer hands out frames.
    advancing_ = realTime;
    ceilingFrame_ = realTime ? Frames() : anchorFrame_;
}

void Stream::Stop(Clock::time_point now)
{
    uint64_t frame = HeardFrame(now);
    playing_ = false;
    advancing_ = false;
    ++epoch_;
    // What was mixed but not yet heard plays again on resume.
    anchorFrame_ = readFrame_ = ceilingFrame_ = frame;
    readFraction_ = 0;
}

void Stream::Seek(uint64_t frame, Clock::time_point now, bool realTime)
{
    ++epoch_;
    anchorFrame_ = readFrame_ = frame;
    readFraction_ = 0;
    anchorTime_ = now;
    ceilingFrame_ = playing_ && realTime ? Frames() : frame;
    advancing_ = playing_;
}

namespace
{

// Catmull-Rom through four neighbouring samples, t in [0, 1).
float Cubic(float p0, float p1, float p2, float p3, float t)
{
    float a = -0.5f * p0 + 1.5f * p1 - 1.5f * p2 + 0.5f * p3;
    float b = p0 - 2.5f * p1 + 2.0f * p2 - 0.5f * p3;
    float c = -0.5f * p0 + 0.5f * p2;
    return ((a * t + b) * t + c) * t + p1;
}

} // namespace

void Stream::BeginBuffer(Clock::time_point now)
{
    if (!playing_)
        return;
    // Whatever was handed out before this buffer has been heard by now.
    anchorFrame_ = ceilingFrame_ = readFrame_;
    anchorTime_ = now;
    advancing_ = true;
}

void Stream::Mix(float* out, uint32_t frames, uint64_t step)
{
    if (!playing_)
        return;
    Render(out, frames, step);
    ceilingFrame_ = readFrame_;
}

void Stream::MixQueued(float* out, uint32_t frames, uint64_t step, int slot)
{
    Queued& q = queued_[slot];
    q.epoch = epoch_;
    q.from = readFrame_;
    if (playing_)
        Render(out, frames, step);
    q.to = readFrame_;
}

void Stream::StartQueued(Clock::time_point now, int slot)
{
    const Queued& q = queued_[slot];
    if (!playing_ || q.epoch != epoch_)
        return;
    // Buffers of one epoch are mixed back to back, so `from` is where the
    // previous one ended: the position never steps back.
    anchorFrame_ = q.from;
    ceilingFrame_ = q.to;
    anchorTime_ = now;
    advancing_ = true;
}

void Stream::Render(float* out, uint32_t frames, uint64_t step)
{
    const uint64_t total = Frames();
    const int16_t* pcm = pcm_.samples.data();
    const float scale = 1.0f / 32768.0f;
    const uint64_t one = uint64_t{1} << 32;

    if (step == one && readFraction_ == 0)
    {
        uint64_t n = std::min<uint64_t>(frames, total - std::min(total, readFrame_));
        const int16_t* src = pcm + readFrame_ * 2;
        for (uint64_t i = 0; i < n * 2; ++i)
            out[i] += static_cast<float>(src[i]) * scale;
        readFrame_ += n;
    }
    else
    {
        const uint64_t last = total == 0 ? 0 : total - 1;
        auto at = [&](uint64_t frame, int channel)
        { return static_cast<float>(pcm[std::min(frame, last) * 2 + channel]) * scale; };
        for (uint32_t i = 0; i < frames && readFrame_ < total; ++i)
        {
            uint64_t f = readFrame_;
            uint64_t prev = f == 0 ? 0 : f - 1;
            float t = static_cast<float>(readFraction_) * (1.0f / 4294967296.0f);
            for (int c = 0; c < 2; ++c)
                out[i * 2 + c] += Cubic(at(prev, c), at(f, c), at(f + 1, c), at(f + 2, c), t);
            uint64_t pos = (uint64_t{readFraction_}) + (step & 0xffffffffu);
            readFraction_ = static_cast<uint32_t>(pos);
            readFrame_ += (step >> 32) + (pos >> 32);
        }
        if (readFrame_ >= total)
        {
            readFrame_ = total;
            readFraction_ = 0;
        }
    }
}

} // namespace quorl_bass
