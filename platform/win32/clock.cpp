// The performance counter: a steady clock in nanoseconds. Alone in its file so
// that tests can link a scripted counter in its place.
#include <windows.h>

#include <chrono>

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount)
{
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    lpPerformanceCount->QuadPart = std::chrono::duration_cast<std::chrono::nanoseconds>(since).count();
    return TRUE;
}

// Fixed for the life of the process, as Windows fixes it at boot.
BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency)
{
    lpFrequency->QuadPart = 1000000000;
    return TRUE;
}
