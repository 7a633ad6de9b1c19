#include "preview/music_clock.h"

#include <chrono>

namespace Preview
{
int64_t NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

uint32_t MusicClock::Now() const
{
    if (!m_Playing)
        return m_Held;
    if (m_Stream && !m_Silent)
        return StreamMs() + m_Offset;
    return m_Held + static_cast<uint32_t>(NowMs() - m_SteadyOrigin);
}

void MusicClock::Seek(uint32_t time)
{
    m_Held = time;
    m_SteadyOrigin = NowMs();
    if (!m_Stream)
        return;
    // Stopped, the position reads back exactly where the seek put it; read
    // while playing it still trails by what the device holds.
    if (m_Playing && !m_Silent)
        BASS_ChannelStop(m_Stream);
    float seconds = static_cast<float>(static_cast<double>(time) / 1000.0);
    bool moved = BASS_ChannelSetPosition(m_Stream, BASS_ChannelSeconds2Bytes(m_Stream, seconds)) != 0;
    // The position reads back rounded to the stream's frames: the offset keeps the time exact.
    m_Offset = moved ? time - StreamMs() : 0;
    // Past the music's end the seek fails: quiet, the steady clock counts on.
    m_Silent = !moved;
    if (m_Playing && moved)
        BASS_ChannelPlay(m_Stream, FALSE);
}

void MusicClock::Pause()
{
    if (!m_Playing)
        return;
    uint32_t time = Now();
    m_Playing = false;
    if (m_Stream && !m_Silent)
        BASS_ChannelStop(m_Stream);
    Seek(time);
}

void MusicClock::Play()
{
    if (m_Playing)
        return;
    Seek(m_Held);
    m_Playing = true;
    if (m_Stream && !m_Silent)
        BASS_ChannelPlay(m_Stream, FALSE);
}

uint32_t MusicClock::StreamMs() const
{
    double ms = static_cast<double>(BASS_ChannelBytes2Seconds(m_Stream, BASS_ChannelGetPosition(m_Stream))) * 1000.0;
    return ms > 0 && ms < 4e9 ? static_cast<uint32_t>(ms) : 0;
}
} // namespace Preview
