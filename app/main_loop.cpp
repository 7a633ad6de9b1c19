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
} // namespace

bool C_Demo::Run()
{
    MSG message;
    message.message = 0;
    PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE);

    float startSeconds = static_cast<float>(static_cast<double>(m_StartTime) / 1000.0);
    QWORD startBytes = BASS_ChannelSeconds2Bytes(m_Stream, startSeconds);
    // The position the library reports is the stream's own, so after a seek it
    // already holds the start time: the clock counts from where the seek landed.
    uint32_t origin = 0;
    if (BASS_ChannelSetPosition(m_Stream, startBytes))
    {
        origin = SecondsToMilliseconds(BASS_ChannelBytes2Seconds(m_Stream, startBytes));
        BASS_ChannelPlay(m_Stream, FALSE);
    }

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

        QWORD position = BASS_ChannelGetPosition(m_Stream);
        float seconds = BASS_ChannelBytes2Seconds(m_Stream, position);
        uint32_t time = m_StartTime + (SecondsToMilliseconds(seconds) - origin);

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
