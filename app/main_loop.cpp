#include "app/demo.h"

#include <cmath>

namespace
{
// Seconds to whole milliseconds, truncated toward zero; the low 32 bits make
// the demo time. Values a 64-bit integer cannot hold read as 0.
uint32_t SecondsToMilliseconds(float seconds)
{
    double milliseconds = static_cast<double>(seconds) * 1000.0;
    if (!(std::fabs(milliseconds) < 9.2e18))
        return 0;
    return static_cast<uint32_t>(static_cast<int64_t>(milliseconds));
}

int64_t Counter()
{
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return count.QuadPart;
}

// The demo time. While the music plays it is the position heard. With no
// stream, after a failed seek, or once the music has played to its end, the
// position stands still: the time then runs on from its last value on the
// performance counter, so that every show reaches its end time.
class DemoClock
{
public:
    // Seeks the stream to the start time and plays it.
    DemoClock(HSTREAM stream, uint32_t startTime) : m_Stream(stream), m_StartTime(startTime), m_Time(startTime)
    {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        m_Frequency = frequency.QuadPart > 0 ? frequency.QuadPart : 1;

        float startSeconds = static_cast<float>(static_cast<double>(startTime) / 1000.0);
        QWORD startBytes = BASS_ChannelSeconds2Bytes(stream, startSeconds);
        // The position the library reports is the stream's own, so after a seek it
        // already holds the start time: the clock counts from where the seek landed.
        m_Seeked = BASS_ChannelSetPosition(stream, startBytes) != 0;
        if (m_Seeked)
        {
            m_Origin = SecondsToMilliseconds(BASS_ChannelBytes2Seconds(stream, startBytes));
            BASS_ChannelPlay(stream, FALSE);
        }
        m_Counter = Counter();
    }

    uint32_t Read()
    {
        int64_t now = Counter();
        if (m_Seeked && BASS_ChannelIsActive(m_Stream) != BASS_ACTIVE_STOPPED)
        {
            QWORD position = BASS_ChannelGetPosition(m_Stream);
            float seconds = BASS_ChannelBytes2Seconds(m_Stream, position);
            m_Time = m_StartTime + (SecondsToMilliseconds(seconds) - m_Origin);
            m_Counter = now;
            return m_Time;
        }
        // Measured from the last position read, so that no rounding accumulates.
        int64_t ticks = now > m_Counter ? now - m_Counter : 0;
        int64_t milliseconds = ticks / m_Frequency * 1000 + ticks % m_Frequency * 1000 / m_Frequency;
        return m_Time + static_cast<uint32_t>(milliseconds);
    }

private:
    HSTREAM m_Stream;
    uint32_t m_StartTime;
    uint32_t m_Time;     // the last time the stream gave
    int64_t m_Counter;   // the performance counter when it gave it
    int64_t m_Frequency; // counts per second
    bool m_Seeked = false;
    uint32_t m_Origin = 0;
};
} // namespace

bool C_Demo::Run()
{
    MSG message;
    message.message = 0;
    PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE);

    DemoClock clock(m_Stream, m_StartTime);
    // The first frame follows the start: a delta of the whole start time would
    // age every particle by it at once.
    m_PreviousTime = m_StartTime;
    while (!m_QuitRequested)
    {
        if (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
        {
            if (message.message == WM_QUIT)
                break;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }

        uint32_t time = clock.Read();
        if (m_EndTime <= time)
            m_QuitRequested = true;

        StepFrame(time);
    }

    m_ExitCode = message.message == WM_QUIT ? static_cast<int>(message.wParam) : 0;
    BASS_ChannelStop(m_Stream);
    return true;
}

bool C_Demo::StepFrame(uint32_t time, const std::function<void()>& beforePresent)
{
    uint32_t delta = time - m_PreviousTime;
    bool drawn = m_Renderer.CheckDevice();
    if (drawn)
    {
        RenderFrame(time, delta);
        if (beforePresent)
            beforePresent();
        m_Renderer.device->Present(NULL, NULL, NULL, NULL);
    }
    m_PreviousTime = time;
    return drawn;
}

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_DESTROY: PostQuitMessage(0); return DefWindowProcA(window, message, wParam, lParam);
    case WM_CLOSE: C_Demo::GetInstance()->m_QuitRequested = true; return 1;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE)
        {
            C_Demo::GetInstance()->m_QuitRequested = true;
            return 1;
        }
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
