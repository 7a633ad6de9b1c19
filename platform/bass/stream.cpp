#include "stream.h"

#include <algorithm>

namespace bass
{

uint64_t Stream::Interpolated(Clock::time_point now) const
{
    if (!m_Advancing || now <= m_AnchorTime)
        return m_AnchorFrame;
    auto ns = static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now - m_AnchorTime).count());
    // Whole seconds and the rest apart, so that the products stay within 64 bits.
    const uint64_t perSecond = 1000000000u;
    uint64_t elapsed = ns / perSecond * m_Pcm->Rate() + ns % perSecond * m_Pcm->Rate() / perSecond;
    return m_AnchorFrame + std::min(elapsed, m_CeilingFrame - m_AnchorFrame);
}

uint64_t Stream::HeardFrame(Clock::time_point now)
{
    uint64_t frame = Interpolated(now);
    if (m_Playing && frame >= Frames())
    {
        m_Playing = false;
        m_Advancing = false;
        m_AnchorFrame = m_ReadFrame = m_CeilingFrame = Frames();
        m_ReadFraction = 0;
        return Frames();
    }
    return frame;
}

bool Stream::Playing(Clock::time_point now)
{
    HeardFrame(now);
    return m_Playing;
}

void Stream::Play(Clock::time_point now, bool realTime)
{
    if (m_Playing)
        return;
    m_Playing = true;
    ++m_Epoch;
    m_AnchorTime = now;
    // With a device, the position holds until the mixer hands out frames.
    m_Advancing = realTime;
    m_CeilingFrame = realTime ? Frames() : m_AnchorFrame;
}

void Stream::Stop(Clock::time_point now)
{
    uint64_t frame = HeardFrame(now);
    m_Playing = false;
    m_Advancing = false;
    ++m_Epoch;
    // What was mixed but not yet heard plays again on resume.
    m_AnchorFrame = m_ReadFrame = m_CeilingFrame = frame;
    m_ReadFraction = 0;
}

void Stream::Seek(uint64_t frame, Clock::time_point now, bool realTime)
{
    ++m_Epoch;
    m_AnchorFrame = m_ReadFrame = frame;
    m_ReadFraction = 0;
    m_AnchorTime = now;
    m_CeilingFrame = m_Playing && realTime ? Frames() : frame;
    m_Advancing = m_Playing;
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
    if (!m_Playing)
        return;
    // Whatever was handed out before this buffer has been heard by now.
    m_AnchorFrame = m_CeilingFrame = m_ReadFrame;
    m_AnchorTime = now;
    m_Advancing = true;
}

void Stream::Mix(float* out, uint32_t frames, uint64_t step)
{
    if (!m_Playing)
        return;
    Render(out, frames, step);
    m_CeilingFrame = m_ReadFrame;
}

void Stream::MixQueued(float* out, uint32_t frames, uint64_t step, int slot)
{
    Queued& q = m_Queued[slot];
    q.epoch = m_Epoch;
    q.from = m_ReadFrame;
    if (m_Playing)
        Render(out, frames, step);
    q.to = m_ReadFrame;
}

void Stream::StartQueued(Clock::time_point now, int slot)
{
    const Queued& q = m_Queued[slot];
    if (!m_Playing || q.epoch != m_Epoch)
        return;
    // Buffers of one epoch are mixed back to back, so `from` is where the
    // previous one ended: the position never steps back.
    m_AnchorFrame = q.from;
    m_CeilingFrame = q.to;
    m_AnchorTime = now;
    m_Advancing = true;
}

void MixQueuedBuffer(std::vector<std::unique_ptr<Stream>>& streams, uint32_t deviceRate, int slot, uint32_t frames,
                     float* mix, int16_t* out)
{
    std::fill(mix, mix + frames * 2, 0.0f);
    for (auto& stream : streams)
        stream->MixQueued(mix, frames, (uint64_t{stream->Rate()} << 32) / deviceRate, slot);
    for (uint32_t i = 0; i < frames * 2; ++i)
        out[i] = static_cast<int16_t>(std::clamp(mix[i], -1.0f, 1.0f) * 32767.0f);
}

void Stream::Render(float* out, uint32_t frames, uint64_t step)
{
    const uint64_t total = Frames();
    const int16_t* pcm = m_Pcm->Samples();
    const float scale = 1.0f / 32768.0f;
    const uint64_t one = uint64_t{1} << 32;
    // While the decoder is still behind, the mixer stops where it is: the
    // position holds, and the picture with it, until the music is there.
    const uint64_t available = m_Pcm->Available();

    if (step == one && m_ReadFraction == 0)
    {
        uint64_t n = std::min<uint64_t>(frames, available - std::min(available, m_ReadFrame));
        const int16_t* src = pcm + m_ReadFrame * 2;
        for (uint64_t i = 0; i < n * 2; ++i)
            out[i] += static_cast<float>(src[i]) * scale;
        m_ReadFrame += n;
    }
    else
    {
        const uint64_t last = total == 0 ? 0 : total - 1;
        auto at = [&](uint64_t frame, int channel)
        { return static_cast<float>(pcm[std::min(frame, last) * 2 + channel]) * scale; };
        // The cubic reads two frames ahead.
        const uint64_t usable = available == total ? total : available - std::min<uint64_t>(available, 2);
        for (uint32_t i = 0; i < frames && m_ReadFrame < usable; ++i)
        {
            uint64_t f = m_ReadFrame;
            uint64_t prev = f == 0 ? 0 : f - 1;
            float t = static_cast<float>(m_ReadFraction) * (1.0f / 4294967296.0f);
            for (int c = 0; c < 2; ++c)
                out[i * 2 + c] += Cubic(at(prev, c), at(f, c), at(f + 1, c), at(f + 2, c), t);
            uint64_t pos = (uint64_t{m_ReadFraction}) + (step & 0xffffffffu);
            m_ReadFraction = static_cast<uint32_t>(pos);
            m_ReadFrame += (step >> 32) + (pos >> 32);
        }
        if (m_ReadFrame >= total)
        {
            m_ReadFrame = total;
            m_ReadFraction = 0;
        }
    }
}

} // namespace bass
