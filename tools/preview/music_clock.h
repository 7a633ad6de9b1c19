// The preview's clock: the music's position while it plays, as in the player;
// paused, the time is held and the music waits at it. Without a stream, or
// past the music's end, a steady clock counts on.
#pragma once

#include <bass.h>

#include <cstdint>

namespace Preview
{
// Milliseconds of a steady clock.
int64_t NowMs();

class MusicClock
{
public:
    void SetStream(HSTREAM stream) { m_Stream = stream; }
    HSTREAM Stream() const { return m_Stream; }
    bool Playing() const { return m_Playing; }

    uint32_t Now() const;
    // Moves the music to time; playing stays playing.
    void Seek(uint32_t time);
    void Pause();
    void Play();

private:
    uint32_t StreamMs() const;

    HSTREAM m_Stream = 0;
    bool m_Playing = false;
    bool m_Silent = false;
    uint32_t m_Held = 0;
    uint32_t m_Offset = 0;
    int64_t m_SteadyOrigin = 0;
};
} // namespace Preview
