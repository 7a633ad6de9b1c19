// Process-level calls: module handle, last error, time, cursor, stock objects.
#include "win32/internal.h"

#include <atomic>
#include <chrono>
#include <thread>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace
{

thread_local DWORD t_lastError = ERROR_SUCCESS;

// Handles are addresses of private objects: unique, non-null, never dereferenced by callers.
char g_Module;
char g_StockObjects[20];
char g_SystemCursors[32651 - 32512 + 1];

std::atomic<int> g_CursorCount{0};

bool IsSystemCursorId(ULONG_PTR id)
{
    switch (id)
    {
    case 32512: // IDC_ARROW
    case 32513: // IDC_IBEAM
    case 32514: // IDC_WAIT
    case 32515: // IDC_CROSS
    case 32516: // IDC_UPARROW
    case 32642: // IDC_SIZENWSE
    case 32643: // IDC_SIZENESW
    case 32644: // IDC_SIZEWE
    case 32645: // IDC_SIZENS
    case 32646: // IDC_SIZEALL
    case 32648: // IDC_NO
    case 32649: // IDC_HAND
    case 32650: // IDC_APPSTARTING
    case 32651: // IDC_HELP
        return true;
    default: return false;
    }
}

} // namespace

namespace win32
{

void ApplyCursorVisibility()
{
    if (SDL_WasInit(SDL_INIT_VIDEO) && IsVideoThread())
        SDL_ShowCursor(g_CursorCount.load() >= 0 ? SDL_ENABLE : SDL_DISABLE);
}

} // namespace win32

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName)
{
    if (lpModuleName == nullptr)
        return reinterpret_cast<HMODULE>(&g_Module);
    // No DLLs are loaded on this platform.
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

DWORD WINAPI GetLastError(void)
{
    return t_lastError;
}

void WINAPI SetLastError(DWORD dwErrCode)
{
    t_lastError = dwErrCode;
}

void WINAPI Sleep(DWORD dwMilliseconds)
{
#ifdef __EMSCRIPTEN__
    // The page has one thread: sleeping hands it back to the browser meanwhile.
    do
        emscripten_sleep(dwMilliseconds == INFINITE ? 86400000u : dwMilliseconds);
    while (dwMilliseconds == INFINITE);
#else
    if (dwMilliseconds == 0)
    {
        std::this_thread::yield();
        return;
    }
    if (dwMilliseconds == INFINITE)
    {
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(24));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
#endif
}

DWORD WINAPI GetTickCount(void)
{
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName)
{
    if (hInstance != nullptr)
    {
        // The executable carries no cursor resources.
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return nullptr;
    }
    const ULONG_PTR id = reinterpret_cast<ULONG_PTR>(lpCursorName);
    if (!IS_INTRESOURCE(lpCursorName) || !IsSystemCursorId(id))
    {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HCURSOR>(&g_SystemCursors[id - 32512]);
}

HGDIOBJ WINAPI GetStockObject(int i)
{
    // Win32's stock objects are 0..19 with no object at 9.
    if (i < 0 || i >= 20 || i == 9)
        return nullptr;
    return &g_StockObjects[i];
}

int WINAPI ShowCursor(BOOL bShow)
{
    const int count = bShow ? ++g_CursorCount : --g_CursorCount;
    win32::ApplyCursorVisibility();
    return count;
}
