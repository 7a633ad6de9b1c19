// A recording window procedure and a fixture that owns its class and windows.
#pragma once

#include "win32/internal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

struct LoggedMessage
{
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool wasWindow;
};

inline std::vector<LoggedMessage>& Log()
{
    static std::vector<LoggedMessage> log;
    return log;
}

// A message the procedure answers with failure (FALSE for WM_NCCREATE, -1 for WM_CREATE).
inline UINT& RefuseMessage()
{
    static UINT message = 0;
    return message;
}

inline LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Log().push_back({hwnd, message, wParam, lParam, IsWindow(hwnd) != FALSE});
    if (message == RefuseMessage())
        return message == WM_CREATE ? -1 : FALSE;
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

inline WNDCLASSA TestClass(const char* name)
{
    WNDCLASSA wc{};
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = name;
    return wc;
}

constexpr const char* kTestClass = "Quorl";

inline WNDCLASSA& TestClassRef()
{
    static WNDCLASSA wc = TestClass(kTestClass);
    return wc;
}

class Win32WindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Log().clear();
        RefuseMessage() = 0;
        ASSERT_NE(RegisterClassA(&TestClassRef()), 0);
    }

    void TearDown() override
    {
        for (HWND hwnd : m_Windows)
            DestroyWindow(hwnd);
        UnregisterClassA(kTestClass, GetModuleHandleA(nullptr));
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
        }
    }

    HWND Create(DWORD style, int x, int y, int width, int height)
    {
        const HWND hwnd = CreateWindowExA(0, kTestClass, "Test window", style, x, y, width, height, nullptr, nullptr,
                                          GetModuleHandleA(nullptr), nullptr);
        if (hwnd)
            m_Windows.push_back(hwnd);
        return hwnd;
    }

    void Forget(HWND hwnd) { m_Windows.erase(std::remove(m_Windows.begin(), m_Windows.end(), hwnd), m_Windows.end()); }

    Uint32 SdlId(HWND hwnd) { return SDL_GetWindowID(Win32GetSdlWindow(hwnd)); }

private:
    std::vector<HWND> m_Windows;
};
